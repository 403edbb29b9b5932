// What the item window shows of the selection with and without the focus, and hosted windows of
// rows that are not painted still getting their place.
#include "tests/arbor/view_test_support.h"

#include "arbor/hosting/windownodes.h"
#include "platform/ui/handles.h"
#include "platform/ui/wincalls.h"

#include <QLabel>
#include <QTest>

namespace arbor {
namespace {

class ShownView : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_view = testing::makeView({ 200, 100 });
        m_view->show();
        m_view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_view.get()));
    }
    XTreeModel &model() { return m_view->model(); }

    std::unique_ptr<XTreeView> m_view;
};

TEST_F(ShownView, SelectionFillDependsOnFocusEnabledAndShowSelAlways)
{
    const LONG a = AddItem(model(), "selected item");
    const LONG b = AddItem(model(), "other item");
    model().MarkSelected(a);
    const XTreeLayout &layout = m_view->treeLayout();
    const QSize nodeA = layout.nodeSize(model().item(a));
    const int rowB = m_view->itemOrigin(model().item(b))->y();
    // Right end of the node, past the text: only the fill can be there.
    const QPoint fill(nodeA.width() - 3, 2);

    const struct {
        const char *name;
        bool focus;
        bool enabled;
        DWORD style;
        QRgb expected;
    } cases[] = {
        { "focused", true, true, 31, 0x000080 },
        { "focused, style without show-always", true, true, 15, 0x000080 },
        { "unfocused, shown always", false, true, 31, 0xC0C0C0 },
        { "unfocused, not shown always", false, true, 15, 0xFFFFFF },
    };
    for (const auto &c : cases) {
        model().appearance().style = c.style;
        model().appearance().enabled = c.enabled;
        if (c.focus)
            m_view->setFocus();
        else
            m_view->clearFocus();
        ASSERT_EQ(m_view->hasFocus(), c.focus) << c.name;
        const QImage img = m_view->renderClient();
        EXPECT_EQ(testing::rgbAt(img, fill.x(), fill.y()), c.expected) << c.name;
        // The fill stays one pixel inside the node and never reaches the next row.
        EXPECT_EQ(testing::rgbAt(img, fill.x(), 0), 0xFFFFFFu) << c.name;
        EXPECT_EQ(testing::rgbAt(img, fill.x(), rowB + 2), 0xFFFFFFu) << c.name;
    }
}

TEST_F(ShownView, HostedWindowsOutsideTheVisibleRowsAreStillPlaced)
{
    // The labels outlive the view: the view detaches adopted windows, it never deletes them.
    auto below = std::make_unique<QLabel>("below");
    auto hidden = std::make_unique<QLabel>("in a collapsed parent");
    auto view = testing::makeView({ 200, 100 });
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    XTreeModel &m = view->model();
    for (int i = 0; i < 20; ++i)
        AddItem(m, "filler");
    const LONG hBelow = AddItemWindow(m, platform::ui::windowHandle(below.get()));
    const LONG parent = AddItem(m, "parent");
    const LONG hHidden = AddItemWindow(m, platform::ui::windowHandle(hidden.get()), parent);
    m.Expand(parent, false);
    ASSERT_GT(hBelow, 0);
    ASSERT_GT(hHidden, 0);

    const struct {
        const char *name;
        int scrollY;
    } cases[] = {
        { "below the window", 0 },
        { "scrolled into view", 300 },
        { "scrolled past: above the window", 1000 },
    };
    for (const auto &c : cases) {
        view->ScrollTo(0, c.scrollY);
        view->repaint();
        const auto origin = view->itemOrigin(m.item(hBelow));
        ASSERT_TRUE(origin) << c.name;
        EXPECT_EQ(below->pos(), *origin + QPoint(kButtonColumn + kWindowMargin, kWindowMargin))
            << c.name;
        EXPECT_TRUE(below->isVisible()) << c.name;
        EXPECT_TRUE(hidden->isHidden()) << c.name;
    }
    view->ScrollTo(0, 0);
    view->repaint();
    EXPECT_GT(below->y(), view->clientRect().height()) << "the first case must test a hidden row";

    // Expanding the parent shows its window where its row is, even though that row is not painted.
    m.Expand(parent, true);
    view->repaint();
    const auto inner = view->itemOrigin(m.item(hHidden));
    ASSERT_TRUE(inner);
    EXPECT_GT(inner->y(), view->clientRect().height());
    EXPECT_EQ(hidden->pos(), *inner + QPoint(kButtonColumn + kWindowMargin, kWindowMargin));
    EXPECT_TRUE(hidden->isVisible());
}

} // namespace
} // namespace arbor
