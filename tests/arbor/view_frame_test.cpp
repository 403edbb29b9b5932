// The control's own window: where it puts the item window for its border and size; hosted windows
// of rows out of sight. What the borders draw: the screenshots (shadow and drop borders).
#include "tests/arbor/view_test_support.h"

#include "arbor/hosting/windownodes.h"
#include "arbor/view/xtreeframe.h"
#include "platform/ui/handles.h"
#include "platform/ui/wincalls.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>

namespace arbor {
namespace {

TEST(ViewFrame, ItemWindowFollowsStyleAndSizeAndRelaysOut)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.resize(100, 80);
    frame.show(); // a hidden widget gets its resize only when shown
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.setFocus(); // focus given to the frame goes to the item window
    EXPECT_TRUE(frame.view().hasFocus());
    EXPECT_EQ(frame.view().geometry(), QRect(1, 1, 96, 76));

    // Refused styles: the control's property table.
    EXPECT_TRUE(frame.setBorderStyle(BorderEffectInset));
    EXPECT_EQ(frame.view().geometry(), QRect(2, 2, 96, 76));

    // Smaller than the border: the item window shrinks to nothing instead of turning inside out.
    frame.resize(3, 3);
    EXPECT_EQ(frame.view().size(), QSize(0, 0));

    // Growing the frame past the content removes the bar: the item window recomputed its layout.
    frame.view().model().appearance().font = testing::fixedFont();
    frame.resize(200, 200);
    for (int i = 0; i < 30; ++i)
        AddItem(frame.view().model(), "row");
    frame.view().ensureLayout();
    ASSERT_FALSE(frame.view().verticalBar()->isHidden());
    frame.resize(200, 2000);
    frame.view().ensureLayout();
    EXPECT_TRUE(frame.view().verticalBar()->isHidden());
}

// Hosted windows of rows that are not painted still get their place.
TEST(ViewHosted, WindowsOutsideTheVisibleRowsAreStillPlaced)
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

    view->repaint();
    const auto origin = view->itemOrigin(m.item(hBelow));
    ASSERT_TRUE(origin);
    EXPECT_GT(origin->y(), view->clientRect().height()) << "the row must be out of sight";
    EXPECT_EQ(below->pos(), *origin + QPoint(kButtonColumn + kWindowMargin, kWindowMargin));
    EXPECT_TRUE(below->isVisible());
    EXPECT_TRUE(hidden->isHidden());
    // Expanding the parent shows its window, though its row is not painted either.
    m.Expand(parent, true);
    view->repaint();
    EXPECT_TRUE(hidden->isVisible());
}

} // namespace
} // namespace arbor
