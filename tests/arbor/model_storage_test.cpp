// How items are stored: row texts inside the node or on the heap, values kept beside an item, and
// the slabs the blocks come from.
#include "tests/arbor/model_test_support.h"

#include "arbor/model/textnodes.h"

namespace arbor {
namespace {

const XTreeNode_String &textNode(const XTreeModel &m, LONG h)
{
    return *static_cast<const XTreeNode_String *>(m.item(h)->GetNode());
}

// One item takes each text in turn, so every change between the two storages is crossed, and
// a text is also set from the item's own storage.
TEST(ModelStorage, TextsRoundTripInsideTheNodeAndOnTheHeap)
{
    const std::string fits(XTreeNode_String::kInlineText, 'f');
    const std::string over(XTreeNode_String::kInlineText + 1, 'o');
    struct Case {
        std::string set;
        std::string expected;
        bool inlineText;
    };
    const Case cases[] = {
        { "Item 123456", "Item 123456", true },
        { over, over, false },
        { std::string(300, 'x'), std::string(300, 'x'), false },
        { fits, fits, true },
        { "", "", true },
        { over, over, false },
        { std::string("ab\0cd", 5), "ab", true },
        { fits + std::string(1, '\0') + "tail", fits, true },
        { "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", true },
    };
    XTreeModel m;
    const LONG h = AddItem(m, "first");
    for (const Case &c : cases) {
        m.SetItemText(h, c.set);
        EXPECT_EQ(m.item(h)->GetText(), c.expected) << c.expected;
        EXPECT_EQ(textNode(m, h).textInline(), c.inlineText) << c.expected;
        m.SetItemText(h, textNode(m, h).textData());
        EXPECT_EQ(m.item(h)->GetText(), c.expected) << "set from itself: " << c.expected;
    }
    const LONG added = AddItem(m, over);
    EXPECT_EQ(m.item(added)->GetText(), over);
}

// Blocks are reused at once, so a new item often sits where a removed one did: nothing the old one
// kept beside it may show through.
TEST(ModelStorage, ANewItemInTheBlockOfARemovedOneStartsClean)
{
    struct Case {
        const char *name;
        std::function<void(XTreeModel &, LONG)> set;
    };
    const Case cases[] = {
        { "data",
            [](XTreeModel &m, LONG h) { m.item(h)->setItemData(platform::com::Variant::i4(7)); } },
        { "sort position", [](XTreeModel &m, LONG h) { m.SetSortPosition(h, 5); } },
        { "width", [](XTreeModel &m, LONG h) { m.item(h)->setWidth(40); } },
        { "fore colour",
            [](XTreeModel &m, LONG h) { m.item(h)->GetNode()->SetForeColor(m, 0x123456); } },
    };
    for (const Case &c : cases) {
        XTreeModel m;
        const LONG keep = AddItem(m, "keep");
        const LONG old = AddItem(m, "old", keep);
        c.set(m, old);
        const XTreeItem *where = m.item(old);
        ASSERT_TRUE(m.RemoveItem(old));
        const LONG fresh = AddItem(m, "fresh", keep);
        ASSERT_EQ(m.item(fresh), where) << c.name << ": the block was not reused";
        const XTreeItem &x = *m.item(fresh);
        EXPECT_NE(fresh, old) << c.name;
        EXPECT_EQ(x.itemData().vt, VT_EMPTY) << c.name;
        EXPECT_EQ(x.GetSortPosition(), 0) << c.name;
        EXPECT_EQ(x.width(), -1) << c.name;
        EXPECT_EQ(x.GetNode()->GetForeColor(m), m.appearance().foreColor) << c.name;
    }
}

// A slab goes back to the heap when its last block does, not before, whichever way the items go.
TEST(ModelStorage, ASlabIsFreedWhenItsLastItemGoes)
{
    struct Case {
        const char *name;
        std::function<void(XTreeModel &, std::vector<LONG> &)> remove;
        bool oneSlabLeft;
    };
    const Case cases[] = {
        { "the children one by one, back to front",
            [](XTreeModel &m, std::vector<LONG> &hs) {
                for (std::size_t i = hs.size(); i-- > 1;)
                    ASSERT_TRUE(m.RemoveItem(hs[i]));
            },
            true },
        { "the children one by one, front to back",
            [](XTreeModel &m, std::vector<LONG> &hs) {
                for (std::size_t i = 1; i < hs.size(); ++i)
                    ASSERT_TRUE(m.RemoveItem(hs[i]));
            },
            true },
        { "everything at once", [](XTreeModel &m, std::vector<LONG> &) { m.RemoveAllItems(); },
            false },
        { "a subtree", [](XTreeModel &m, std::vector<LONG> &hs) { m.RemoveItemRec(hs[0]); },
            false },
    };
    for (const Case &c : cases) {
        XTreeModel m;
        std::vector<LONG> hs { AddItem(m, "top") };
        for (int i = 0; i < 5000; ++i)
            hs.push_back(AddItem(m, "Item " + std::to_string(i), hs[0]));
        ASSERT_GT(m.slabCount(), 10u) << c.name;
        c.remove(m, hs);
        EXPECT_EQ(m.slabCount(), c.oneSlabLeft ? 1u : 0u) << c.name;
        EXPECT_TRUE(ModelInspector::check(m)) << c.name;
        // The model still hands out blocks afterwards.
        EXPECT_EQ(m.item(AddItem(m, "again"))->GetText(), "again") << c.name;
    }
}

} // namespace
} // namespace arbor
