// Sorting must leave exactly the order of repeated adjacent exchanges, whichever way it gets there.
#include "tests/arbor/model_test_support.h"

#include <array>
#include <random>

namespace arbor {
namespace {

struct Key {
    LONG position;
    std::string text;
    LONG handle;
};

bool greater(const Key &a, const Key &b)
{
    return a.position != b.position ? a.position > b.position : a.text.compare(b.text) > 0;
}

// The reference: passes of adjacent exchanges until a pass exchanges nothing.
void exchangePasses(std::vector<Key> &keys, LONG direction)
{
    if (direction == 0)
        return;
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
            const bool out =
                direction == 1 ? greater(keys[i], keys[i + 1]) : greater(keys[i + 1], keys[i]);
            if (out) {
                std::swap(keys[i], keys[i + 1]);
                swapped = true;
            }
        }
    }
}

Key keyOf(const XTreeModel &m, LONG h)
{
    return { m.item(h)->GetSortPosition(), m.item(h)->GetText(), h };
}

std::vector<Key> keysOf(const XTreeModel &m, const std::vector<LONG> &hs)
{
    std::vector<Key> out;
    for (LONG h : hs)
        out.push_back(keyOf(m, h));
    return out;
}

std::vector<LONG> handles(const std::vector<Key> &keys)
{
    std::vector<LONG> out;
    for (const Key &k : keys)
        out.push_back(k.handle);
    return out;
}

// Texts with equal keys ("a" twice), case and a non-ASCII one.
const char *const kTexts[] = { "", "a", "ab", "B", "b", "\xc3\xa9", "a" };

TEST(ModelSort, AutoSortedParentPlacesChangedChildLikeAFullSort)
{
    // Random insertions (some with cells, which travel with their row), renames, sort positions,
    // moves in and full sorts in any direction: after each, the children must be what the exchange
    // passes make of the previous order plus the change.
    std::mt19937 rng(11);
    for (const LONG direction : { LONG(Ascending), LONG(Descending) }) {
        XTreeModel m;
        const LONG p = AddItem(m, "p");
        const LONG elsewhere = AddItem(m, "elsewhere");
        m.AutoSort(0, direction, true); // the root list is never sorted
        EXPECT_EQ(childrenOf(m, 0), (std::vector<LONG> { p, elsewhere }));
        m.AutoSort(p, direction, true);
        for (int step = 0; step < 400; ++step) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << " step " << step);
            std::vector<LONG> kids = childrenOf(m, p);
            const int op = static_cast<int>(rng() % 5);
            const char *text = kTexts[rng() % std::size(kTexts)];
            if (op == 0 || kids.empty()) {
                const LONG h = AddItem(m, text, p);
                if (rng() % 4 == 0)
                    AddItem(m, "cell", h, false);
            } else if (op == 1) {
                m.SetItemText(kids[rng() % kids.size()], text);
            } else if (op == 2) {
                m.SetSortPosition(kids[rng() % kids.size()], static_cast<LONG>(rng() % 3) - 1);
            } else if (op == 3) {
                ASSERT_TRUE(m.ChangeParentItem(AddItem(m, text, elsewhere), p));
            } else {
                // Sorting another way without remembering it (0: not at all; other values than 1
                // sort descending): the next change sorts fully.
                const LONG way = std::array { -direction, LONG(0), LONG(5), LONG(-7) }[rng() % 4];
                std::vector<Key> expected = keysOf(m, kids);
                exchangePasses(expected, way);
                m.AutoSort(p, way, false);
                ASSERT_EQ(childrenOf(m, p), handles(expected));
                continue;
            }
            // Reference: the order before the change, the changed item where it was (appended
            // items at the end), passed through the exchange sort.
            std::vector<Key> expected = keysOf(m, kids);
            for (LONG h : childrenOf(m, p))
                if (std::find(kids.begin(), kids.end(), h) == kids.end())
                    expected.push_back(keyOf(m, h));
            exchangePasses(expected, direction);
            ASSERT_EQ(childrenOf(m, p), handles(expected));
        }
        EXPECT_TRUE(ModelInspector::check(m));
    }
}

} // namespace
} // namespace arbor
