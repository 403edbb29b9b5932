// Selection and EnsureVisible on a laid-out view: the scroll rule and the events on the way.
#include "tests/arbor/model_test_support.h"
#include "tests/arbor/view_test_support.h"

#include "arbor/view/xtreeselection.h"

namespace arbor {
namespace {

TEST(ViewEnsureVisible, ScrollRule)
{
    const struct {
        const char *name;
        int start, length, rangeStart, rangeLength, move;
    } cases[] = {
        { "aligned", 100, 17, 100, 200, 0 },
        { "strictly inside", 110, 17, 100, 200, 0 },
        { "larger than the range aligns the start", 130, 300, 100, 200, 30 },
        { "below: end shown, next step of 4", 290, 17, 100, 200, 8 },
        { "below by a multiple of 4 still one step more", 287, 17, 100, 200, 8 },
        { "above", 90, 17, 100, 200, -12 },
        { "touching the end is not inside", 283, 17, 100, 200, 4 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ensureVisibleMove(c.start, c.length, c.rangeStart, c.rangeLength), c.move)
            << c.name;
}

// SelectItem: the single-selection steps of ViewKeys and ViewMouse select through it; selecting a
// hidden item shows it: ControlTable.EnsureVisibleScrollsTheItemIntoTheClientArea.

} // namespace
} // namespace arbor
