// The control's own window: what each border style draws, pixel by pixel, and where it puts the
// item window.
#include "tests/arbor/view_test_support.h"

#include "arbor/model/nodepaint.h"
#include "arbor/view/xtreeframe.h"
#include "platform/com/ole/olectl.h"

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
        { BorderEffectRaised, { 2, 2, 1, 1 },
            "DDDDDDDD\nDHHHHHHD\nDH.....D\nDH.....D\nDH.....D\nDH.....D\nDDDDDDDD\n" },
        { BorderEffectPop, { 2, 2, 2, 2 },
            "HHHHHHHS\nHFFFFFDS\nHF....DS\nHF....DS\nHF....DS\nHDDDDDDS\nSSSSSSSS\n" },
        { BorderEffectDrop, { 2, 2, 2, 2 },
            "SSSSSSSH\nSDDDDDFH\nSD....FH\nSD....FH\nSD....FH\nSFFFFFFH\nHHHHHHHH\n" },
        { BorderEffectShadow, { 1, 1, 3, 3 },
            "DDDDDDFF\nD....DFF\nD....DSF\nD....DSS\nDDDDDDSS\nFFSSSSSS\nFFFSSSSS\n" },
        { BorderEffectInset, { 2, 2, 2, 2 },
            "SSSSSSSF\nSHHHHHHH\nSH....SH\nSH....SH\nSH....SH\nSHSSSSSH\nFHHHHHHH\n" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(borderMargins(c.style), c.margins) << "style " << c.style;
        EXPECT_EQ(drawn(c.style), c.picture) << "style " << c.style;
        // The untouched part of the picture is exactly the item window's rectangle.
        const QRect inside = borderInside(QRect(0, 0, 8, 7), c.style);
        const std::string picture = c.picture;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(picture[std::size_t(y * 9 + x)] == '.', inside.contains(x, y))
                    << "style " << c.style << " at " << x << "," << y;
    }
}

TEST(ViewBorder, UnknownStylesAndTinyRectanglesDrawNothingHarmful)
{
    for (LONG style : { -1, 7, 0x7FFFFFFF }) {
        EXPECT_EQ(borderMargins(style), QMargins()) << style;
        EXPECT_EQ(drawn(style), drawn(BorderEffectNone)) << style;
    }
    // A 2 x 2 window: lines must stay inside even when the border is wider than the window.
    for (LONG style = BorderEffectSingle; style <= BorderEffectInset; ++style)
        EXPECT_NE(drawn(style, { 2, 2 }), "drew outside its rectangle") << style;
}

TEST(ViewBorder, SystemColoursFollowThePalette)
{
    testing::fixStyle();
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Light, QColor(4, 5, 6));
    palette.setColor(QPalette::Shadow, QColor(7, 8, 9));
    palette.setColor(QPalette::Dark, QColor(10, 11, 12));
    QApplication::setPalette(palette);
    const BorderColours c = BorderColours::system();
    QApplication::setPalette(saved);
    EXPECT_EQ(c.face, QColor(1, 2, 3));
    EXPECT_EQ(c.highlight, QColor(4, 5, 6));
    EXPECT_EQ(c.darkShadow, QColor(7, 8, 9));
    EXPECT_EQ(c.shadow, QColor(10, 11, 12));
}

TEST(ViewFrame, ItemWindowFollowsStyleAndSize)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.resize(100, 80);
    frame.show(); // a hidden widget gets its resize only when shown
    EXPECT_EQ(frame.borderStyle(), BorderEffectShadow);
    EXPECT_EQ(frame.view().parentWidget(), &frame);
    EXPECT_EQ(frame.view().geometry(), QRect(1, 1, 96, 76));

    // The margins of each style are pinned by EachStyleDrawsItsEdgesAndLeavesTheInside.
    for (LONG style = BorderEffectNone; style <= BorderEffectInset; ++style) {
        EXPECT_TRUE(frame.setBorderStyle(style));
        EXPECT_EQ(frame.view().geometry(), QRect(0, 0, 100, 80) - borderMargins(style)) << style;
    }
    EXPECT_FALSE(frame.setBorderStyle(7));
    EXPECT_FALSE(frame.setBorderStyle(-1));
    EXPECT_EQ(frame.borderStyle(), BorderEffectInset);

    frame.resize(50, 40);
    EXPECT_EQ(frame.view().geometry(), QRect(2, 2, 46, 36));
    // Smaller than the border: the item window shrinks to nothing instead of turning inside out.
    frame.resize(3, 3);
    EXPECT_EQ(frame.view().size(), QSize(0, 0));
}

TEST(ViewFrame, ItemWindowRelaysOutWhenTheFrameChanges)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.view().model().appearance().font = testing::fixedFont();
    frame.setBorderStyle(BorderEffectNone);
    frame.resize(200, 200);
    frame.show();
    for (int i = 0; i < 30; ++i)
        AddItem(frame.view().model(), "row");
    frame.view().ensureLayout();
    ASSERT_TRUE(frame.view().verticalBar()->isHidden() == false);
    // Growing the frame past the content removes the bar: the item window recomputed its layout.
    frame.resize(200, 2000);
    frame.view().ensureLayout();
    EXPECT_TRUE(frame.view().verticalBar()->isHidden());
}

TEST(ViewFrame, FrameDrawsTheBorderInTheSystemColoursAroundTheItemWindow)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.resize(60, 40);
    const auto rgb = [](int index) { return toQColor(GetSysColor(index)).rgb() & 0xFFFFFF; };
    const struct {
        LONG style;
        QPoint at;
        int sysColour;
    } cases[] = {
        { BorderEffectSingle, { 30, 0 }, COLOR_3DDKSHADOW },
        { BorderEffectRaised, { 30, 1 }, COLOR_BTNHIGHLIGHT },
        { BorderEffectPop, { 59, 20 }, COLOR_BTNSHADOW },
        { BorderEffectDrop, { 1, 20 }, COLOR_3DDKSHADOW },
        { BorderEffectShadow, { 58, 20 }, COLOR_BTNSHADOW },
        { BorderEffectShadow, { 58, 0 }, COLOR_BTNFACE },
        { BorderEffectInset, { 0, 20 }, COLOR_BTNSHADOW },
    };
    for (const auto &c : cases) {
        frame.setBorderStyle(c.style);
        const QImage img = frame.grab().toImage();
        EXPECT_EQ(testing::rgbAt(img, c.at.x(), c.at.y()), rgb(c.sysColour)) << "style " << c.style;
        // The item window's own window colour, just inside the border.
        const QPoint in = frame.itemWindowRect().topLeft() + QPoint(3, 3);
        EXPECT_EQ(testing::rgbAt(img, in.x(), in.y()), 0xFFFFFFu) << "style " << c.style;
    }
}

TEST(ViewFrame, FocusGivenToTheFrameGoesToTheItemWindow)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.resize(80, 60);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.setFocus();
    EXPECT_TRUE(frame.view().hasFocus());
}

} // namespace
} // namespace arbor
