// The arithmetic that places the progress window and its controls: the scale factor from the
// screen's resolution, the frame growth for thick borders and tall captions, and the nine position
// codes within the desktop work area. Every value from the template is outside data, so the sums
// are done in 64 bits and the results clamped to what a screen can hold; no template can overflow
// them or place the window off the work area.
#pragma once

#include <cstdint>

namespace uninstaller::frontend {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect &) const = default;
};

// Sizes of the window frame on this desktop. The template was laid out for a frame of 2 pixels
// (edge plus border) and a caption of 18.
struct FrameMetrics {
    int edgeAndBorder = 2;
    int captionHeight = 18;
};

// f = (1,000,000 x vertical pixels per inch / 72) / 1333 in integers: 1000 at 96 dpi.
std::int64_t scaleFactor(int verticalDpi);

// `value` x f / 1000, clamped to +-kMaxCoordinate.
int scaleCoordinate(std::int64_t value, std::int64_t factor);

// The font's pixel height: size x (f x 96 / 1000) / 72, at least 1.
int fontPixelHeight(int points, std::int64_t factor);

// The window's outer rectangle: size scaled and grown by the frame, placed by `positionCode`
// (1 top centre, 2 top right, 3 left middle, 4 centre, 5 right middle, 6 bottom left, 7 bottom
// centre, 8 bottom right, anything else top left) in `workArea`, moved by the offsets, and then
// kept inside the work area (its top-left corner wins when the window is larger).
Rect PlaceWindow(std::int64_t width, std::int64_t height, std::uint32_t positionCode,
    std::int64_t xOffset, std::int64_t yOffset, std::int64_t factor, const Rect &workArea,
    const FrameMetrics &frame);

// The client area inside an outer rectangle from PlaceWindow.
Rect clientArea(const Rect &outer, const FrameMetrics &frame);

inline constexpr int kMaxCoordinate = 1 << 20;

} // namespace uninstaller::frontend
