// The window template reader and the window's placement rules. Language variants and links are
// seen in the rendered window.
#include "uninstaller/frontend/window_geometry.h"
#include "uninstaller/log/window_template.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

namespace frontend = uninstaller::frontend;
using uninstaller::log::parseWindowTemplate;
using uninstaller::log::WindowTemplate;

WindowTemplate sampleTemplate(std::uint32_t version)
{
    WindowTemplate tpl;
    tpl.version = version;
    if (version >= 3)
        tpl.extraBlocks = { { 7, { 1, 2, 3 } }, { 9, {} } };
    tpl.style = 0x10C80000;
    tpl.positionCode = 8;
    tpl.xOffset = -12;
    tpl.yOffset = 0x7FFFFFFF;
    tpl.width = 300;
    tpl.height = 200;
    tpl.fontSize = 10;
    tpl.fontFlags = 3;
    tpl.fontFace = "Face";
    tpl.title = "T\xe5tel";
    uninstaller::log::TemplateControl c;
    c.kind = 1;
    c.number = 57;
    c.x = -5;
    c.text = "a";
    c.picture = -1;
    tpl.controls = { c, c };
    tpl.controls[1].text.clear();
    tpl.controls[1].picture = 3;
    return tpl;
}

TEST(WindowTemplate, EveryVersionReadsBackAndEveryTruncationIsRefused)
{
    for (std::uint32_t version : { 1u, 2u, 3u, 4u }) {
        SCOPED_TRACE(version);
        const WindowTemplate tpl = sampleTemplate(version);
        std::vector<std::uint8_t> bytes = uninstaller::log::encodeWindowTemplate(tpl);
        const auto parsed = parseWindowTemplate(bytes);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, tpl);
        for (std::size_t length = 0; length < bytes.size(); ++length)
            ASSERT_FALSE(parseWindowTemplate(std::span(bytes).first(length))) << length;
        bytes.push_back(0); // trailing bytes are allowed
        EXPECT_TRUE(parseWindowTemplate(bytes));
        bytes[1] = 't';
        EXPECT_FALSE(parseWindowTemplate(bytes));
    }
    // Version 1 records carry 4 bytes more per control, and nothing else differs.
    EXPECT_EQ(uninstaller::log::encodeWindowTemplate(sampleTemplate(1)).size(),
        uninstaller::log::encodeWindowTemplate(sampleTemplate(2)).size() + 2 * 4);
    // A huge control count is refused before anything is allocated for it.
    WindowTemplate tpl = sampleTemplate(4);
    tpl.controls.clear();
    std::vector<std::uint8_t> bytes = uninstaller::log::encodeWindowTemplate(tpl);
    std::fill(bytes.end() - 4, bytes.end(), 0xFF);
    EXPECT_FALSE(parseWindowTemplate(bytes));
}

// The rendered window is 1:1 at 96 dpi; these are 144 dpi and the limits.
TEST(WindowGeometry, ScaleLimits)
{
    EXPECT_EQ(frontend::scaleFactor(144), 1500);
    EXPECT_EQ(frontend::scaleCoordinate(-8, 1500), -12);
    EXPECT_EQ(frontend::scaleCoordinate(0x7FFFFFFF, 1500), frontend::kMaxCoordinate);
    EXPECT_EQ(frontend::fontPixelHeight(0, 1000), 1);
}

TEST(WindowGeometry, PositionCodesInsideTheWorkArea)
{
    const frontend::Rect area { 100, 50, 1000, 800 };
    const frontend::FrameMetrics frame; // the designed frame: no growth
    struct Case {
        std::uint32_t code;
        std::int64_t dx;
        std::int64_t dy;
        int x;
        int y;
    };
    // Centred (4) is seen in the rendered window.
    const Case cases[] = { { 0, 0, 0, 100, 50 }, { 5, 0, 0, 900, 400 }, { 8, 0, 0, 900, 750 },
        { 9, 0, 0, 100, 50 }, { 4, 30, -20, 530, 380 },
        { 8, 10, 10, 900, 750 }, // pushed back inside
        { 0, -500, -500, 100, 50 },
        { 4, std::int64_t(0x7FFFFFFF), -std::int64_t(0x80000000), 900, 50 } };
    for (const Case &c : cases) {
        const frontend::Rect r =
            frontend::PlaceWindow(200, 100, c.code, c.dx, c.dy, 1000, area, frame);
        EXPECT_EQ(r, (frontend::Rect { c.x, c.y, 200, 100 })) << "code " << c.code;
    }
    // Larger than the work area: the top-left corner wins.
    EXPECT_EQ(frontend::PlaceWindow(3000, 3000, 8, 0, 0, 1000, area, frame),
        (frontend::Rect { 100, 50, 3000, 3000 }));
}

} // namespace
