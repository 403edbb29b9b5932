#include "uninstaller/frontend/window_geometry.h"

#include <algorithm>

namespace uninstaller::frontend {

namespace {

int clamp(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

// Template numbers are at most 32 bits and the factor is bounded by scaleFactor's input, so the
// product fits; clamping first keeps it so for any caller.
std::int64_t bounded(std::int64_t value)
{
    return std::clamp<std::int64_t>(value, -(std::int64_t(1) << 32), std::int64_t(1) << 32);
}

int growth(int actual, int designed)
{
    return std::max(0, actual - designed);
}

} // namespace

std::int64_t scaleFactor(int verticalDpi)
{
    const std::int64_t dpi = std::clamp(verticalDpi, 1, 100000);
    return (1000000 * dpi / 72) / 1333;
}

int scaleCoordinate(std::int64_t value, std::int64_t factor)
{
    return clamp(bounded(value) * bounded(factor) / 1000);
}

int fontPixelHeight(int points, std::int64_t factor)
{
    const std::int64_t height = std::int64_t(points) * (bounded(factor) * 96 / 1000) / 72;
    return std::max(1, clamp(height));
}

Rect PlaceWindow(std::int64_t width, std::int64_t height, std::uint32_t positionCode,
    std::int64_t xOffset, std::int64_t yOffset, std::int64_t factor, const Rect &workArea,
    const FrameMetrics &frame)
{
    std::int64_t w = scaleCoordinate(width, factor);
    std::int64_t h = scaleCoordinate(height, factor);
    w += 2 * growth(frame.edgeAndBorder, 2);
    h += 2 * growth(frame.edgeAndBorder, 2) + growth(frame.captionHeight, 18);
    w = std::clamp<std::int64_t>(w, 0, kMaxCoordinate);
    h = std::clamp<std::int64_t>(h, 0, kMaxCoordinate);

    const std::int64_t left = workArea.x;
    const std::int64_t top = workArea.y;
    const std::int64_t right = left + workArea.width;
    const std::int64_t bottom = top + workArea.height;
    const std::int64_t centreX = left + (workArea.width - w) / 2;
    const std::int64_t middleY = top + (workArea.height - h) / 2;
    std::int64_t x = left;
    std::int64_t y = top;
    switch (positionCode) {
    case 1:
        x = centreX;
        break;
    case 2:
        x = right - w;
        break;
    case 3:
        y = middleY;
        break;
    case 4:
        x = centreX;
        y = middleY;
        break;
    case 5:
        x = right - w;
        y = middleY;
        break;
    case 6:
        y = bottom - h;
        break;
    case 7:
        x = centreX;
        y = bottom - h;
        break;
    case 8:
        x = right - w;
        y = bottom - h;
        break;
    default:
        break;
    }
    x += bounded(xOffset);
    y += bounded(yOffset);
    x = std::max(std::min(x, right - w), left);
    y = std::max(std::min(y, bottom - h), top);
    return { clamp(x), clamp(y), clamp(w), clamp(h) };
}

Rect clientArea(const Rect &outer, const FrameMetrics &frame)
{
    const int border = std::max(0, frame.edgeAndBorder);
    const int caption = std::max(0, frame.captionHeight);
    return { outer.x + border, outer.y + border + caption, std::max(0, outer.width - 2 * border),
        std::max(0, outer.height - 2 * border - caption) };
}

} // namespace uninstaller::frontend
