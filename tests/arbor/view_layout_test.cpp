// Geometry, painting and scrolling of the item window, checked on offscreen images: positions
// and non-text pixels only; the scroll rule that brings an item into sight.
#include "tests/arbor/view_test_support.h"

#include "arbor/view/layoutwalk.h"
#include "arbor/view/xtreepaint.h"
#include "arbor/view/xtreeselection.h"

#include <QFontMetrics>
#include <QScrollBar>

#include <functional>
#include <string>

namespace arbor {
namespace {

using testing::makeView;
using testing::rgbAt;

constexpr QRgb kWhiteRgb = 0xFFFFFF;

QPoint originOf(XTreeView &v, LONG h)
{
    const auto o = v.itemOrigin(v.model().item(h));
    EXPECT_TRUE(o.has_value());
    return o.value_or(QPoint(-1, -1));
}

TEST(ViewLayout, RowsFollowEachOtherChildrenIndentAndCellsStandAtTheColumnWidth)
{
    auto v = makeView({ 600, 200 });
    XTreeModel &m = v->model();
    const LONG a = AddItem(m, "Alpha");
    const LONG a1 = AddItem(m, "Alpha one", a);
    const LONG b = AddItem(m, "Beta");
    const int h = v->treeLayout().nodeSize(m.item(a)).height();
    EXPECT_EQ(originOf(*v, a), QPoint(0, 0));
    EXPECT_EQ(originOf(*v, b), QPoint(0, h)); // collapsed: the child takes no room
    EXPECT_FALSE(v->itemOrigin(m.item(a1)).has_value());
    m.Expand(a, true);
    EXPECT_EQ(originOf(*v, a1), QPoint(kButtonColumn, h));
    EXPECT_EQ(originOf(*v, b), QPoint(0, 2 * h));
    EXPECT_EQ(v->treeLayout().contentSize().height(), 3 * h);

    // The item width is the column of the next cell; without one the cell follows the item.
    const LONG right = AddItem(m, "right", b, false);
    m.item(b)->setWidth(200);
    EXPECT_EQ(originOf(*v, right), QPoint(200, 2 * h));
    m.item(b)->setWidth(-1);
    m.invalidateItem(m.item(b));
    const int w = v->treeLayout().nodeSize(m.item(b)).width();
    EXPECT_EQ(originOf(*v, right), QPoint(w + kButtonColumn, 2 * h));
    // Measuring uses the placement rule: the content reaches the right cell's right edge.
    const int rightW = v->treeLayout().nodeSize(m.item(right)).width();
    EXPECT_EQ(v->treeLayout().contentSize().width(), w + kButtonColumn + rightW);
}

// Tree lines on even pixels only: the screenshots show them; the grid lines below go through the
// same dotted line.
TEST(ViewPaint, PicturePositionsAndGridLinesOfAnEmptyTree)
{
    const QSize client(200, 100);
    const struct {
        LONG position;
        QSize picture;
        QPoint expected;
    } cases[] = {
        { 0, { 20, 10 }, { 0, 0 } },
        { 17, { 20, 10 }, { 90, 45 } },
        { 0x3F, { 20, 10 }, { 180, 90 } }, // larger values count as right and bottom
        { 17, { 300, 150 }, { -50, -25 } },
    };
    for (const auto &c : cases)
        EXPECT_EQ(picturePlace(c.position, client, c.picture), c.expected) << c.position;
    // Grid lines at every row height fill the window though there is no row.
    const QImage img = makeView(client, ARBORSTYLE_GRIDLINES)->renderClient();
    const int spacing = QFontMetrics(testing::fixedFont()).height() + 3;
    for (int y : { 0, (2 * spacing) & ~1 })
        EXPECT_EQ(rgbAt(img, 0, y), 0u) << y;
    EXPECT_EQ(rgbAt(img, 0, ((2 * spacing) & ~1) + 2), kWhiteRgb);
}

// Only the rows in the band are visited: the view benchmark paints 1k to 1M items and reports how
// flat the time stays.

// The hit test answers from the rectangles of the rows on screen, gathered once; after every kind
// of change it must still answer what a walk over the point's line finds.
TEST(ViewWalk, HitTestsFollowEveryChange)
{
    struct FirstHit : XTreeVisitor {
        QPoint point;
        XTreeItem *item = nullptr;
        bool visit(const VisitedItem &v) override
        {
            if (!QRect(v.origin, v.node).contains(point))
                return true;
            item = v.item;
            return false;
        }
    };
    auto v = makeView({ 200, 150 });
    XTreeModel &m = v->model();
    std::vector<LONG> roots;
    for (int r = 0; r < 6; ++r) {
        roots.push_back(AddItem(m, "root " + std::to_string(r)));
        for (int c = 0; c < 3; ++c)
            AddItem(m, "child " + std::to_string(c), roots.back());
    }
    const struct {
        const char *name;
        std::function<void()> change;
    } steps[] = {
        { "collapsed", [] {} },
        { "expanded", [&] { m.Expand(roots[0], true), m.Expand(roots[2], true); } },
        { "removed", [&] { m.RemoveItemRec(m.ItemChild(roots[0])); } },
        { "scrolled", [&] { v->ScrollTo(0, 30); } },
        { "resized", [&] { v->resize(120, 90); } },
        { "a tall row among short ones",
            [&] {
                m.item(roots[1])->SetWordWrap(true);
                m.item(roots[1])->setWidth(1);
                m.invalidateItem(m.item(roots[1]));
            } },
        { "cell with a tall neighbour",
            [&] {
                const LONG cell = AddItem(m, "cell", roots[3], false);
                m.item(cell)->SetWordWrap(true);
                m.item(cell)->setWidth(30);
                m.invalidateItem(m.item(cell));
            } },
        { "all removed", [&] { m.RemoveAllItems(); } },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        const XTreeLayout &l = v->treeLayout();
        for (int y = -3; y < 160; ++y) {
            for (int x : { 1, 9, 30, 70, 150 }) {
                FirstHit want;
                want.point = { x, y };
                walkBand(l, -v->scrollPosition(), y, y, want);
                ASSERT_EQ(v->hitTest({ x, y }), want.item) << x << "," << y;
            }
        }
    }
}

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

TEST(ViewScroll, BarStepsFromTheirActions)
{
    auto v = makeView({ 300, 203 });
    XTreeModel &m = v->model();
    for (int i = 0; i < 200; ++i)
        AddItem(m, "a long enough text to need a horizontal bar in a window this narrow......");
    v->ensureLayout();
    QScrollBar *vb = v->verticalBar();
    QScrollBar *hb = v->horizontalBar();
    ASSERT_FALSE(vb->isHidden());
    ASSERT_FALSE(hb->isHidden());
    // Every pixel comes from a paint, the square between the two bars too.
    QImage shot(v->size(), QImage::Format_RGB32);
    shot.fill(Qt::magenta);
    v->render(&shot);
    EXPECT_NE(shot.pixelColor(v->width() - 2, v->height() - 2), QColor(Qt::magenta));
    // 203 less the horizontal bar; a page is whole lines of 4.
    ASSERT_EQ(v->clientRect().height(), 189);
    const int page = 188;
    const struct {
        QScrollBar *bar;
        QAbstractSlider::SliderAction action;
        QPoint expected;
    } steps[] = {
        { vb, QAbstractSlider::SliderSingleStepAdd, { 0, 4 } },
        { vb, QAbstractSlider::SliderPageStepAdd, { 0, 4 + page } },
        { vb, QAbstractSlider::SliderSingleStepSub, { 0, page } },
        { vb, QAbstractSlider::SliderToMaximum, { 0, page } }, // ignored
        { hb, QAbstractSlider::SliderPageStepAdd, { 40, page } },
        { hb, QAbstractSlider::SliderSingleStepAdd, { 44, page } },
        { hb, QAbstractSlider::SliderToMinimum, { 16, page } },
        { hb, QAbstractSlider::SliderToMaximum, { 44, page } },
        { hb, QAbstractSlider::SliderPageStepSub, { 4, page } },
        { vb, QAbstractSlider::SliderToMinimum, { 0, 0 } },
        { vb, QAbstractSlider::SliderPageStepSub, { 0, 0 } },
    };
    for (const auto &s : steps) {
        s.bar->triggerAction(s.action);
        EXPECT_EQ(v->scrollPosition(), s.expected) << s.action;
        EXPECT_EQ(vb->value(), v->scrollPosition().y());
        EXPECT_EQ(hb->value(), v->scrollPosition().x());
    }
}

TEST(ViewScroll, RangesAndAutoFlags)
{
    auto v = makeView({ 200, 100 });
    XTreeModel &m = v->model();
    for (int i = 0; i < 30; ++i)
        AddItem(m, "x");
    v->ensureLayout();
    const int contentH = v->treeLayout().contentSize().height();
    EXPECT_EQ(v->verticalBar()->maximum(), contentH); // the last row can reach the top
    EXPECT_TRUE(v->horizontalBar()->isHidden());
    EXPECT_FALSE(v->ScrollTo(0, -5));
    EXPECT_TRUE(v->ScrollTo(0, contentH + 50));
    EXPECT_EQ(v->scrollPosition().y(), contentH);

    auto w = makeView({ 200, 100 });
    w->setAutoVScroll(false);
    for (int i = 0; i < 30; ++i)
        AddItem(w->model(), "x");
    w->ensureLayout();
    EXPECT_TRUE(w->verticalBar()->isHidden());
}

} // namespace
} // namespace arbor
