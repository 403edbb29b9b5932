#include "arbor/images/ximage.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"

#include <QPainter>

namespace arbor {

namespace {

QRgb rgbOf(COLORREF c) noexcept
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF translated(OLE_COLOR colour, COLORREF fallback) noexcept
{
    COLORREF rgb = fallback;
    if (FAILED(OleTranslateColor(colour, 0, &rgb)))
        return fallback;
    return rgb;
}

} // namespace

COLORREF CXImage::transparentRgb() const noexcept
{
    return translated(m_transparent, 0xFFFFFF);
}

QPoint CXImage::cellOrigin(LONG column, LONG row) const noexcept
{
    return { static_cast<int>(static_cast<LONGLONG>(column) * m_cx),
        static_cast<int>(static_cast<LONGLONG>(row) * m_cy) };
}

QImage CXImage::cellImage(LONG column, LONG row, OLE_COLOR backColor) const
{
    if (m_cx <= 0 || m_cy <= 0)
        return {};
    const std::optional<QPixmap> pixmap = platform::ui::pixmapFromHandle(GetHandle());
    if (!pixmap || pixmap->isNull())
        return {};
    const QImage source = pixmap->toImage().convertToFormat(QImage::Format_ARGB32);
    QImage cell(m_cx, m_cy, QImage::Format_ARGB32);
    cell.fill(Qt::transparent);

    // What a mask blit and an AND/OR pair do on a device context: the transparent colour keeps
    // the destination, anything else replaces it after being ANDed with the background colour.
    const QRgb key = rgbOf(transparentRgb()) & RGB_MASK;
    const QRgb back = rgbOf(translated(backColor, 0xFFFFFF)) & RGB_MASK;
    const QPoint origin = cellOrigin(column, row);
    for (int y = 0; y < m_cy; ++y) {
        const int sy = origin.y() + y;
        if (sy < 0 || sy >= source.height())
            continue;
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(sy));
        auto *out = reinterpret_cast<QRgb *>(cell.scanLine(y));
        for (int x = 0; x < m_cx; ++x) {
            const int sx = origin.x() + x;
            if (sx < 0 || sx >= source.width())
                continue;
            const QRgb pixel = in[sx] & RGB_MASK;
            if (pixel != key)
                out[x] = 0xFF000000u | (pixel & back);
        }
    }
    return cell;
}

bool CXImage::drawCell(HDC hdc, LONG x, LONG y, LONG column, LONG row, OLE_COLOR backColor) const
{
    if (!hdc)
        return false;
    const QImage cell = cellImage(column, row, backColor);
    if (cell.isNull())
        return false;
    hdc->drawImage(QPoint(x, y), cell);
    return true;
}

} // namespace arbor
