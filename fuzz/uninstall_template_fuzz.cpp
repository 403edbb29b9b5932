// Fuzz target for the progress window's template: the reader, the text rules applied to every
// text it yields, and the geometry arithmetic fed with the template's own numbers.
#include "uninstaller/frontend/window_geometry.h"
#include "uninstaller/frontend/window_text.h"
#include "uninstaller/log/window_template.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace uninstaller;
    const auto tpl = log::parseWindowTemplate(std::span(data, size));
    if (!tpl)
        return 0;
    // What was read must write back to something that reads the same.
    if (log::parseWindowTemplate(log::encodeWindowTemplate(*tpl)) != tpl)
        std::abort();
    const frontend::Rect area { 0, 0, 1920, 1080 };
    const frontend::FrameMetrics frame { 4, 30 };
    for (int dpi : { 96, 144 }) {
        const std::int64_t f = frontend::scaleFactor(dpi);
        const frontend::Rect outer = frontend::PlaceWindow(
            tpl->width, tpl->height, tpl->positionCode, tpl->xOffset, tpl->yOffset, f, area, frame);
        if (outer.width <= area.width && (outer.x < 0 || outer.x + outer.width > area.width))
            std::abort(); // a window that fits must stay inside the work area
        (void)frontend::clientArea(outer, frame);
        (void)frontend::fontPixelHeight(tpl->fontSize, f);
        for (const log::TemplateControl &c : tpl->controls) {
            (void)frontend::scaleCoordinate(c.x, f);
            (void)frontend::scaleCoordinate(c.width, f);
        }
    }
    for (const log::TemplateControl &c : tpl->controls) {
        const std::string text = frontend::applyLanguageVariant(c.text, c.number);
        if (text.size() > c.text.size())
            std::abort();
        (void)frontend::parseLink(text);
    }
    return 0;
}
