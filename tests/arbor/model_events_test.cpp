// Expansion, values and clicks with the events they raise, and handlers that remove the very items
// an event is about (run these under the address sanitizer as well).
#include "tests/arbor/model_test_support.h"

#include "arbor/model/checknodes.h"
#include "arbor/model/imagenode.h"

namespace arbor {
namespace {

using Events = std::vector<Event>;
using platform::com::Variant;

class ModelEvents : public ::testing::Test {
protected:
    XTreeModel m;
    RecordingEvents ev { &m };
};
class NodeValues : public ModelEvents { };

// Expansion events: ControlItems.ExpandingAnExpandedItemRaisesBothEventsAgain, and the keys of
// ViewKeys (a childless item, collapsing, everything below in pre-order).

TEST_F(NodeValues, SetValueRules)
{
    const struct {
        const char *name;
        LONG (*add)(XTreeModel &, std::string_view, LONG, LONG, bool);
        LONG initial, set, expected;
        bool event;
    } cases[] = {
        { "check 3 reads 1", AddItemCheck, 0, 3, 1, true },
        { "check -2 reads 0", AddItemCheck, 1, -2, 0, true },
        { "check unchanged still raises", AddItemCheck, 1, 1, 1, true },
        { "three-state -1 stays indeterminate", AddItemCheck3, 0, -1, -1, true },
        { "three-state -3 is -1", AddItemCheck3, 0, -3, -1, true },
        { "radio 0 is ignored", AddItemRadio, 1, 0, 1, false },
        { "radio on", AddItemRadio, 0, 1, 1, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const LONG h = c.add(m, "x", c.initial, AddItem(m, "own parent"), true);
        ev.events.clear();
        nodeOf<XTreeNode_Check>(m, h)->SetValue(m, c.set);
        EXPECT_EQ(nodeOf<XTreeNode_Check>(m, h)->GetValue(), c.expected);
        EXPECT_EQ(ev.events, (c.event ? Events { { "ValueChanged", h } } : Events {}));
    }
}

// The events and the selection of a click on the box: ViewMouse.ClickOnBodyButtonAndBox. Radio
// siblings and groups switched off: Groups.OneOnThroughGroupsAndThroughSiblings.
TEST_F(NodeValues, ClicksOnTheBoxCycleValuesAndRadioSiblingsGoOffSilently)
{
    const LONG h = AddItemCheck3(m, "tri");
    EXPECT_TRUE(ev.events.empty()); // adding a check item raises nothing
    auto *node = nodeOf<XTreeNode_Check>(m, h);
    std::vector<LONG> seen;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(node->OnClick(m, kHitBox));
        seen.push_back(node->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<LONG> { 0, 1, 0 }));
    EXPECT_FALSE(node->OnClick(m, kHitItem));
    EXPECT_EQ(node->GetValue(), 0);

    // A radio item added on turns its sibling off without an event for it; clicking the one
    // that is on keeps it on and only selects it.
    const LONG p = AddItem(m, "p");
    const LONG r1 = AddItemRadio(m, "r1", 1, p);
    ev.events.clear();
    const LONG r2 = AddItemRadio(m, "r2", 1, p);
    nodeOf<XTreeNode_Radio>(m, r2)->OnClick(m, kHitBox);
    EXPECT_EQ(nodeOf<XTreeNode_Radio>(m, r1)->GetValue(), 0);
    EXPECT_EQ(nodeOf<XTreeNode_Radio>(m, r2)->GetValue(), 1);
    EXPECT_EQ(ev.events, (Events { { "ValueChanged", r2 }, { "ItemSelect", r2 } }));
}

TEST_F(NodeValues, ImageTilesRaiseValueChanged)
{
    const LONG h = AddItemImage(m, "img", Variant::i4(1));
    auto *node = nodeOf<XTreeNode_ImageString>(m, h);
    node->SetTile(m, 3, (2 << 16) | 5); // type 3 is the expanded state
    EXPECT_EQ(node->GetTile(Expanded), 5);
    EXPECT_EQ(node->tilePosition(Expanded), QPoint(5, 2));
    EXPECT_EQ(ev.events, (Events { { "ValueChanged", h } }));
}

// Handlers removing what their event is about. Each must leave a consistent model and, under
// the address sanitizer, touch no freed memory.
class ModelReentrancy : public ModelEvents { };

TEST_F(ModelReentrancy, ClickHandlersRemoveTheItemOrItsParent)
{
    const struct {
        const char *event;
        bool image;
        bool parent;
    } cases[] = { { "ItemSelect", false, true }, { "ValueChanged", false, false },
        { "ValueChanged", true, false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.event << (c.image ? " image" : " check"));
        const LONG p = AddItem(m, "p");
        const LONG h =
            c.image ? AddItemImage(m, "i", Variant::i4(1), p) : AddItemCheck(m, "c", 0, p);
        ev.events.clear();
        ev.onEvent = [&](const Event &e) {
            if (e.name == c.event)
                m.RemoveItemRec(c.parent ? p : h);
        };
        EXPECT_TRUE(m.item(h)->GetNode()->OnClick(m, kHitBox));
        EXPECT_FALSE(m.isValid(h));
        EXPECT_EQ(ev.events.back().name, c.event); // nothing raised for the removed item
        EXPECT_TRUE(m.selection().empty());
        EXPECT_EQ(m.focusItem(), 0);
        EXPECT_TRUE(ModelInspector::check(m));
    }
    // During AddItemRadio: the handle comes back, dead.
    ASSERT_TRUE(m.RemoveAllItems());
    const LONG p = AddItem(m, "p");
    ev.onEvent = [&](const Event &) { m.RemoveItemRec(p); };
    const LONG h = AddItemRadio(m, "r", 1, p);
    EXPECT_FALSE(m.isValid(h));
    EXPECT_EQ(m.itemCount(), 0u);
}

TEST_F(ModelReentrancy, ExpandAllHandlersRemoveTheItemItsChildrenOrASibling)
{
    const struct {
        const char *event;
        const char *removed;
    } cases[] = { { "ItemExpanding", "a" }, { "ItemExpanding", "a1" }, { "ItemExpanded", "b" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.event) + " removes " + c.removed);
        // p: a (a1 with a11), b (b1).
        std::map<std::string, LONG> h;
        h["p"] = AddItem(m, "p");
        h["a"] = AddItem(m, "a", h["p"]);
        h["a1"] = AddItem(m, "a1", h["a"]);
        AddItem(m, "a11", h["a1"]);
        h["b"] = AddItem(m, "b", h["p"]);
        AddItem(m, "b1", h["b"]);
        ev.onEvent = [&](const Event &e) {
            if (e.name == c.event && e.hItem == h["a"])
                m.RemoveItemRec(h[c.removed]);
        };
        m.ExpandAll(h["p"]);
        EXPECT_FALSE(m.isValid(h[c.removed]));
        if (c.removed == std::string("a1")) {
            // No children left to show: collapsed, and reported so.
            EXPECT_FALSE(m.item(h["a"])->IsExpanded());
            EXPECT_NE(std::find(ev.events.begin(), ev.events.end(),
                          Event { "ItemExpanded", h["a"], false }),
                ev.events.end());
        }
        EXPECT_TRUE(ModelInspector::check(m));
    }
}

TEST_F(ModelReentrancy, MoveWhoseNewParentItsHandlerRemovesTakesTheMovedItem)
{
    const LONG a = AddItem(m, "a");
    const LONG target = AddItem(m, "target");
    ev.onEvent = [&](const Event &e) {
        if (e.name == "ItemExpanded" && e.hItem == target)
            m.RemoveItemRec(target);
    };
    EXPECT_TRUE(m.ChangeParentItem(a, target));
    EXPECT_FALSE(m.isValid(a));
    EXPECT_TRUE(ModelInspector::check(m));
}

// RemoveAllItems refused inside an item event: Counters.RemoveAllItemsIsRefusedUnderItemEventsOnly.

} // namespace
} // namespace arbor
