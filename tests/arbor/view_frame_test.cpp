// The control's own window: what each border style draws, pixel by pixel, and where it puts the
// item window; hosted windows of rows out of sight.
#include "tests/arbor/view_test_support.h"

#include "arbor/hosting/windownodes.h"
#include "arbor/view/xtreeframe.h"
#include "platform/ui/handles.h"
#include "platform/ui/wincalls.h"

#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

namespace arbor {
namespace {

// Distinct roles so every pixel names the colour that drew it; the inside must stay untouched.
const BorderColours kRoles { QColor(0xC0, 0xC0, 0xC0), QColor(0xFF, 0xFF, 0xFF),
    QColor(0x00, 0x00, 0x00), QColor(0x80, 0x80, 0x80) };
constexpr QRgb kUntouched = 0xFFFF00FF;

char roleOf(QRgb pixel)
{
    switch (pixel) {
    case 0xFFC0C0C0:
        return 'F';
    case 0xFFFFFFFF:
        return 'H';
    case 0xFF000000:
        return 'D';
    case 0xFF808080:
        return 'S';
    case kUntouched:
        return '.';
    default:
        return '?';
    }
}

// A border (8 x 7 unless told) drawn at an offset, read back as one row of role letters per line.
std::string drawn(LONG style, QSize size = { 8, 7 })
{
    QImage img(size + QSize(4, 4), QImage::Format_ARGB32);
    img.fill(kUntouched);
    QPainter p(&img);
    const QRect border(QPoint(2, 2), size);
    paintBorder(p, border, style, kRoles);
    p.end();
    std::string out;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const char role = roleOf(img.pixel(x, y));
            if (!border.contains(x, y) && role != '.')
                return "drew outside its rectangle";
            if (border.contains(x, y))
                out += role;
        }
        if (y >= border.top() && y <= border.bottom())
            out += '\n';
    }
    return out;
}

TEST(ViewBorder, EachStyleDrawsItsEdgesAndLeavesTheInside)
{
    const struct {
        LONG style;
        QMargins margins;
        const char *picture;
    } cases[] = {
        { BorderEffectNone, { 0, 0, 0, 0 },
            "........\n........\n........\n........\n........\n........\n........\n" },
        { BorderEffectSingle, { 1, 1, 1, 1 },
            "DDDDDDDD\nD......D\nD......D\nD......D\nD......D\nD......D\nDDDDDDDD\n" },
        { BorderEffectShadow, { 1, 1, 3, 3 },
            "DDDDDDFF\nD....DFF\nD....DSF\nD....DSS\nDDDDDDSS\nFFSSSSSS\nFFFSSSSS\n" },
        // Unknown styles draw nothing.
        { 7, {}, "........\n........\n........\n........\n........\n........\n........\n" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(borderMargins(c.style), c.margins) << "style " << c.style;
        EXPECT_EQ(drawn(c.style), c.picture) << "style " << c.style;
        // A 2 x 2 window: lines must stay inside even when the border is wider than the window.
        EXPECT_NE(drawn(c.style, { 2, 2 }), "drew outside its rectangle") << c.style;
    }
}

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
    EXPECT_EQ(frame.borderStyle(), BorderEffectShadow);
    EXPECT_EQ(frame.view().parentWidget(), &frame);
    EXPECT_EQ(frame.view().geometry(), QRect(1, 1, 96, 76));

    // Refused styles: the control's property table.
    EXPECT_TRUE(frame.setBorderStyle(BorderEffectInset));
    EXPECT_EQ(frame.view().geometry(), QRect(2, 2, 96, 76));

    frame.resize(50, 40);
    EXPECT_EQ(frame.view().geometry(), QRect(2, 2, 46, 36));
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
