// Links, rows, removal, moving, search, accessors and handles of the item model.
#include "tests/arbor/model_test_support.h"

#include <climits>

namespace arbor {
namespace {

TEST(ModelRows, CellAddedToMiddleOfRowGoesToFarRightWithRowParent)
{
    XTreeModel m;
    const LONG top = AddItem(m, "top");
    const LONG lead = AddItem(m, "lead", top);
    const LONG c1 = AddItem(m, "c1", lead, false);
    const LONG c2 = AddItem(m, "c2", lead, false); // lead already has a right neighbour
    const LONG c3 = AddItem(m, "c3", c1, false); // from the middle of the row
    EXPECT_EQ((std::vector { m.ItemRight(lead), m.ItemRight(c1), m.ItemRight(c2), m.ItemLeft(c3) }),
        (std::vector { c1, c2, c3, c2 }));
    for (LONG cell : { c1, c2, c3 })
        EXPECT_EQ((std::vector { m.ItemParent(cell), m.ItemNext(cell), m.ItemPrev(cell) }),
            (std::vector<LONG> { top, 0, 0 }));
    // A cell of a root row has no parent, and is not a root.
    EXPECT_EQ(m.ItemParent(AddItem(m, "rc", top, false)), 0);
    EXPECT_EQ(m.RootCount(), 1);
    // A child of a cell is the cell's own child: ModelMove's table moves items under one.
    EXPECT_TRUE(ModelInspector::check(m));
}

// RemoveItem refuses items with children or a right neighbour; RemoveItemRec of a row takes its
// cells and everything below them, with their selection and focus. Removed items leaving their
// groups: Groups.RemovedItemsLeaveTheirGroups (every removal forgets its items through one step).
TEST(ModelRemove, RemoveItemRefusesWhatHoldsOthersAndRemoveItemRecTakesTheWholeRow)
{
    const struct {
        const char *target;
        bool rec;
        std::size_t removed;
    } cases[] = { { "top", false, 0 }, { "lead", false, 0 }, { "c1", false, 0 }, { "c2", false, 1 },
        { "before", false, 1 }, { "lone", false, 1 }, { "lead", true, 5 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.target << (c.rec ? " with everything below" : ""));
        // top: before, lead | c1 | c2 (c1 has c1k, which has grand), after; lone.
        XTreeModel m;
        std::map<std::string, LONG> h;
        h["top"] = AddItem(m, "top");
        h["before"] = AddItem(m, "before", h["top"]);
        h["lead"] = AddItem(m, "lead", h["top"]);
        h["after"] = AddItem(m, "after", h["top"]);
        h["c1"] = AddItem(m, "c1", h["lead"], false);
        h["c2"] = AddItem(m, "c2", h["c1"], false);
        h["c1k"] = AddItem(m, "c1k", h["c1"]);
        h["grand"] = AddItem(m, "grand", h["c1k"]);
        h["lone"] = AddItem(m, "lone");
        m.MarkSelected(h["grand"]);
        m.setFocusItem(h["c1k"]);
        EXPECT_EQ(c.rec ? m.RemoveItemRec(h[c.target]) : m.RemoveItem(h[c.target]), c.removed > 0);
        EXPECT_EQ(m.itemCount(), 9u - c.removed);
        EXPECT_EQ(m.isValid(h[c.target]), c.removed == 0);
        EXPECT_EQ(m.ItemRight(h["c1"]), c.target == std::string("c2") || c.rec ? 0 : h["c2"]);
        EXPECT_EQ(m.selection().empty(), c.rec);
        EXPECT_EQ(m.focusItem(), c.rec ? 0 : h["c1k"]);
        EXPECT_TRUE(ModelInspector::check(m));
    }
}

TEST(ModelRemove, RootListStaysIndexedAndTheNextRootBecomesTheTopRow)
{
    XTreeModel m;
    std::vector<LONG> roots, kept;
    for (int i = 0; i < 500; ++i)
        roots.push_back(AddItem(m, std::to_string(i)));
    ASSERT_EQ(m.firstRoot(), m.item(roots[0]));
    // Remove every root whose index is not 1 modulo 3, the first one included.
    for (int i = 0; i < 500; ++i) {
        if (i % 3 != 1)
            ASSERT_TRUE(m.RemoveItem(roots[i]));
        else
            kept.push_back(roots[i]);
    }
    EXPECT_EQ(m.firstRoot(), m.item(roots[1]));
    EXPECT_EQ(m.ItemPrev(roots[1]), 0);
    EXPECT_EQ(childrenOf(m, 0), kept);
    EXPECT_EQ(m.Root(LONG(kept.size())), 0);
    EXPECT_TRUE(ModelInspector::check(m));
    // The freed handles are not given to the next item.
    EXPECT_EQ(std::count(roots.begin(), roots.end(), AddItem(m, "new")), 0);
}

// RemoveAllItems: ModelStorage.ASlabIsFreedWhenItsLastItemGoes for the items, the control's member
// table for the selection, Groups.RemovedItemsLeaveTheirGroups for the groups.

TEST(ModelMove, ChangeParentRefusesCyclesAndNoOps)
{
    const struct {
        const char *name;
        const char *item;
        const char *newParent;
        bool moved;
    } cases[] = {
        { "under itself", "a", "a", false },
        { "under its child", "a", "a_c", false },
        { "under its grandchild", "a", "a_cc", false },
        { "under its own cell", "a", "a1", false },
        { "under its cell's child", "a", "a1k", false },
        { "already a child of the new parent", "a", "top", false },
        { "invalid new parent", "a", "dead", false },
        { "to a sibling", "a", "b", true },
        { "cell out of its row", "a1", "b", true },
        { "cell under its own row parent", "a1", "top", true },
        { "child up to grandparent", "a_c", "top", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // top: a | a1 (a1 has the child a1k), a has a_c with a_cc; then b.
        XTreeModel m;
        std::map<std::string, LONG> h;
        h["top"] = AddItem(m, "top");
        h["a"] = AddItem(m, "a", h["top"]);
        h["a1"] = AddItem(m, "a1", h["a"], false);
        h["a1k"] = AddItem(m, "a1k", h["a1"]);
        h["a_c"] = AddItem(m, "a_c", h["a"]);
        h["a_cc"] = AddItem(m, "a_cc", h["a_c"]);
        h["b"] = AddItem(m, "b", h["top"]);
        h["dead"] = AddItem(m, "dead");
        m.RemoveItem(h["dead"]);
        EXPECT_EQ(m.ChangeParentItem(h[c.item], h[c.newParent]), c.moved);
        if (c.moved) {
            EXPECT_EQ(m.ItemParent(h[c.item]), h[c.newParent]);
            EXPECT_EQ(m.ItemLeft(h[c.item]), 0);
            EXPECT_EQ(childrenOf(m, h[c.newParent]).back(), h[c.item]);
            EXPECT_TRUE(m.item(h[c.newParent])->IsExpanded());
        }
        EXPECT_TRUE(ModelInspector::check(m));
        // Every walk still ends: the whole tree is found from the roots.
        EXPECT_EQ(m.FindItem("a_cc", true, 0), h["a_cc"]);
    }
}

TEST(ModelMove, MovedCellKeepsItsRightChainAndOldParentCollapses)
{
    XTreeModel m;
    RecordingEvents ev(&m);
    const LONG p = AddItem(m, "p");
    const LONG only = AddItem(m, "only", p);
    const LONG cell = AddItem(m, "cell", only, false);
    const LONG cell2 = AddItem(m, "cell2", cell, false);
    const LONG q = AddItem(m, "q");
    m.Expand(p, true);
    ev.events.clear();

    ASSERT_TRUE(m.ChangeParentItem(cell, q));
    EXPECT_EQ(m.ItemRight(only), 0);
    EXPECT_EQ(m.ItemRight(cell), cell2);
    EXPECT_EQ(m.ItemParent(cell2), q);
    EXPECT_EQ(
        ev.events, (std::vector<Event> { { "ItemExpanding", q }, { "ItemExpanded", q, true } }));

    ASSERT_TRUE(m.ChangeParentItem(only, q));
    EXPECT_FALSE(m.item(p)->IsExpanded());
    // A root that moves hands the top row to the root that followed it.
    ASSERT_TRUE(m.ChangeParentItem(p, AddItem(m, "r")));
    EXPECT_EQ(m.firstRoot(), m.item(q));
    EXPECT_TRUE(ModelInspector::check(m));
}

TEST(ModelFind, MatchRulesAndPreOrderThroughRowsAndChildren)
{
    // xab, ABc, abc and Größe are roots; under abc: a cell "u" with child "t" and a cell "t" to
    // its right, and a child "t". Pre-order from abc: abc, u, t(cell2), t(child of u), t(child).
    const struct {
        const char *name;
        const char *text;
        bool match;
        const char *start;
        const char *expected;
    } cases[] = {
        { "prefix is case-sensitive and anchored", "ab", false, "", "abc" },
        { "match ignores case", "ABC", true, "", "ABc" },
        { "match ignores case beyond ASCII", "größe", true, "", "Größe" },
        { "but does not fold letters into others", "GRÖSSE", true, "", "" },
        { "empty text with match finds nothing", "", true, "", "" },
        { "right chain before its children", "t", true, "abc", "cell2" },
        { "start in a cell searches its chain and children", "t", true, "u", "cell2" },
        { "invalid start", "abc", true, "dead", "" },
    };
    XTreeModel m;
    std::map<std::string, LONG> h;
    h[""] = 0;
    for (const char *root : { "xab", "ABc", "abc" })
        h[root] = AddItem(m, root);
    h["childT"] = AddItem(m, "t", h["abc"]);
    h["u"] = AddItem(m, "u", h["abc"], false);
    h["uChild"] = AddItem(m, "t", h["u"]);
    h["cell2"] = AddItem(m, "t", h["u"], false);
    h["dead"] = AddItem(m, "abc", h["abc"]);
    m.RemoveItem(h["dead"]);
    h["Größe"] = AddItem(m, "Größe");
    for (const auto &c : cases)
        EXPECT_EQ(m.FindItem(c.text, c.match, h[c.start]), h[c.expected]) << c.name;
}

// Item getters and setters through the control:
// ControlInvoke.ItemGettersAnswerNothingForAnInvalidHandle.
// Here the handles of a freed slot, zero, negative and past the table reach the model's own
// members.
TEST(ModelHandles, InvalidHandlesChangeNothingAndAFullTableReusesThenRefuses)
{
    XTreeModel m;
    RecordingEvents ev(&m);
    m.setHandleCapacityForTesting(3);
    const LONG a = AddItem(m, "a");
    AddItem(m, "b", a);
    const LONG dead = AddItem(m, "dead", a);
    ASSERT_TRUE(m.RemoveItem(dead));
    for (const LONG bad : { LONG(0), LONG(-1), dead, LONG(INT_MAX) }) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(m.ItemParent(bad), 0);
        EXPECT_FALSE(m.RemoveItem(bad));
        EXPECT_FALSE(m.RemoveItemRec(bad));
        EXPECT_FALSE(m.ChangeParentItem(bad, a));
        EXPECT_FALSE(m.ChangeParentItem(a, bad));
        if (bad != 0) {
            EXPECT_EQ(m.FindItem("a", true, bad), 0);
            EXPECT_EQ(AddItem(m, "x", bad), 0);
        }
        m.AutoSort(bad, Ascending, true);
        m.ExpandAll(bad);
        EXPECT_EQ(m.measure(bad), QSize());
    }
    EXPECT_TRUE(ev.events.empty());
    EXPECT_EQ(m.itemCount(), 2u);
    EXPECT_EQ(m.Root(-1), 0);

    // Handles are positive; with every handle given out once, a freed one is reused, and once
    // none is free an insertion is refused (the client loop over children still ends).
    const LONG reused = AddItem(m, "c", a);
    EXPECT_GT(std::min(a, reused), 0);
    EXPECT_EQ(AddItem(m, "d", a), 0);
    EXPECT_EQ(childrenOf(m, a).size(), 2u);
    EXPECT_TRUE(ModelInspector::check(m));
}

// A chain of a million children ending in a row of a hundred thousand cells.
TEST(ModelDepth, MillionDeepChainAndLongRowNeedNoStack)
{
    constexpr int kDepth = 1'000'000;
    XTreeModel m;
    const LONG root = AddItem(m, "n");
    LONG last = root;
    for (int i = 1; i < kDepth; ++i)
        last = AddItem(m, "n", last);
    const LONG lead = AddItem(m, "lead", last);
    LONG cell = lead;
    for (int i = 0; i < 100'000; ++i)
        cell = AddItem(m, "c", cell, false);
    AddItem(m, "below", cell);
    EXPECT_EQ(m.ItemParent(cell), last);
    EXPECT_EQ(m.item(cell)->GetTopAncestor(), m.item(root));
    EXPECT_EQ(m.item(cell)->rowStart(), m.item(lead));
    EXPECT_TRUE(m.item(cell)->IsInSubtreeOf(m.item(root)));
    EXPECT_FALSE(m.ChangeParentItem(root, cell));
    EXPECT_EQ(m.FindItem("below", true, 0), m.ItemChild(cell));
    m.ExpandAll(root);
    EXPECT_TRUE(m.item(cell)->IsVisible());
    m.ExpandAncestors(cell);
    // Move the deepest part under a new root and drop the rest; the model's destructor takes
    // what is left.
    const LONG other = AddItem(m, "other");
    const LONG half = m.FindItem("n", true, m.ItemChild(m.ItemChild(root)));
    ASSERT_TRUE(m.ChangeParentItem(half, other));
    EXPECT_TRUE(m.RemoveItemRec(root));
    EXPECT_TRUE(m.isValid(last));
    EXPECT_TRUE(m.RemoveItemRec(lead));
    EXPECT_TRUE(m.isValid(last));
}

TEST(ModelScaling, InsertSortAndRemoveStayNearLinear)
{
    constexpr int kN = 100'000;
    XTreeModel m;
    const LONG parent = AddItem(m, "p");
    m.counters() = {};
    std::uint32_t seed = 12345;
    for (int i = 0; i < kN; ++i) {
        seed = seed * 1103515245u + 12345u;
        AddItem(m, std::to_string(seed % 1000), parent);
    }
    // Marking sizes stale stops at the first stale item: constant work per insertion.
    EXPECT_LT(m.counters().visited, std::uint64_t(3 * kN));
    EXPECT_EQ(m.counters().comparisons, 0u);

    m.counters() = {};
    m.AutoSort(parent, Ascending, true);
    EXPECT_LT(double(m.counters().comparisons), 1.5 * kN * 17.0); // log2(100000) < 17

    m.counters() = {};
    m.RemoveItemRec(parent);
    EXPECT_EQ(m.itemCount(), 0u);
    EXPECT_LT(m.counters().visited, 10u);

    // Clearing a long root list line by line, as the main program does before a refresh.
    for (int i = 0; i < kN; ++i)
        AddItem(m, "r");
    m.counters() = {};
    while (m.RootCount() > 0)
        m.RemoveItemRec(m.Root(0));
    EXPECT_LT(m.counters().visited, std::uint64_t(kN));
}

} // namespace
} // namespace arbor
