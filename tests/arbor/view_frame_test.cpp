// The control's own window: what each border style draws, pixel by pixel, and where it puts the
// item window.
#include "tests/arbor/view_test_support.h"

#include "arbor/view/xtreeframe.h"

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

TEST(ViewFrame, ItemWindowFollowsStyleAndSizeAndRelaysOut)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.resize(100, 80);
    frame.show(); // a hidden widget gets its resize only when shown
    EXPECT_EQ(frame.borderStyle(), BorderEffectShadow);
    EXPECT_EQ(frame.view().parentWidget(), &frame);
    EXPECT_EQ(frame.view().geometry(), QRect(1, 1, 96, 76));

    // The margins of each style are pinned by EachStyleDrawsItsEdgesAndLeavesTheInside.
    EXPECT_TRUE(frame.setBorderStyle(BorderEffectInset));
    EXPECT_EQ(frame.view().geometry(), QRect(2, 2, 96, 76));
    for (const LONG refused : { 7, -1 })
        EXPECT_FALSE(frame.setBorderStyle(refused)) << refused;
    EXPECT_EQ(frame.borderStyle(), BorderEffectInset);

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

TEST(ViewFrame, FrameDrawsTheBorderInThePalettesColoursAroundTheItemWindow)
{
    testing::fixStyle();
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    const QColor face(1, 2, 3), light(4, 5, 6), darkShadow(7, 8, 9), shadow(10, 11, 12);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::Light, light);
    palette.setColor(QPalette::Shadow, darkShadow);
    palette.setColor(QPalette::Dark, shadow);
    QApplication::setPalette(palette);
    XTreeFrame frame;
    frame.resize(60, 40);
    // One pixel of each colour role; which role draws which pixel is pinned above.
    const struct {
        LONG style;
        QPoint at;
        QColor colour;
    } cases[] = {
        { BorderEffectSingle, { 30, 0 }, darkShadow },
        { BorderEffectRaised, { 30, 1 }, light },
        { BorderEffectPop, { 59, 20 }, shadow },
        { BorderEffectShadow, { 58, 0 }, face },
    };
    for (const auto &c : cases) {
        frame.setBorderStyle(c.style);
        const QImage img = frame.grab().toImage();
        EXPECT_EQ(img.pixelColor(c.at), c.colour) << "style " << c.style;
        // The item window's own window colour, just inside the border.
        const QPoint in = frame.itemWindowRect().topLeft() + QPoint(3, 3);
        EXPECT_EQ(testing::rgbAt(img, in.x(), in.y()), 0xFFFFFFu) << "style " << c.style;
    }
    QApplication::setPalette(saved);
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
