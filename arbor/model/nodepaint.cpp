#include "arbor/model/nodepaint.h"

#include "arbor/model/constants.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace arbor {

void drawFocusRect(QPainter &p, const QRect &rect)
{
    if (rect.isEmpty())
        return;
    p.save();
    p.setPen(Qt::black);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            p.drawPoint(x, y);
    };
    for (int x = rect.left(); x <= rect.right(); ++x) {
        dot(x, rect.top());
        dot(x, rect.bottom());
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        dot(rect.left(), y);
        dot(rect.right(), y);
    }
    p.restore();
}

namespace {

QImage drawStateIcon(int id)
{
    QImage img(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const QColor frame(0x80, 0x80, 0x80);
    const QColor mark(Qt::black);
    if (id == kIconRadioOff || id == kIconRadioOn) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(frame, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        if (id == kIconRadioOn) {
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
        }
        return img;
    }
    p.setPen(frame);
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
    if (id == kIconChecked) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(mark, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        QPainterPath tick;
        tick.moveTo(4.5, 8);
        tick.lineTo(7, 10.5);
        tick.lineTo(11.5, 5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else if (id == kIconIndeterminate) {
        p.fillRect(5, 5, 6, 6, frame);
    }
    return img;
}

} // namespace

const QImage &stateIconImage(int resourceId)
{
    static std::map<int, QImage> cache;
    static const QImage none;
    switch (resourceId) {
    case kIconUnchecked:
    case kIconChecked:
    case kIconRadioOff:
    case kIconRadioOn:
    case kIconIndeterminate:
        break;
    default:
        return none;
    }
    auto it = cache.find(resourceId);
    if (it == cache.end())
        it = cache.emplace(resourceId, drawStateIcon(resourceId)).first;
    return it->second;
}

QImage maskedTile(const QImage &source, int column, int row, int cx, int cy, COLORREF transparent,
    COLORREF background)
{
    QImage tile(cx, cy, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const QRgb andMask =
        qRgb(int(background & 0xff), int((background >> 8) & 0xff), int((background >> 16) & 0xff));
    const int x0 = column * cx;
    const int y0 = row * cy;
    for (int y = 0; y < cy; ++y) {
        const int sy = y0 + y;
        if (sy < 0 || sy >= src.height())
            continue;
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(sy));
        auto *out = reinterpret_cast<QRgb *>(tile.scanLine(y));
        for (int x = 0; x < cx; ++x) {
            const int sx = x0 + x;
            if (sx < 0 || sx >= src.width())
                continue;
            const QRgb px = in[sx];
            if (toColorRef(px) == (transparent & 0xFFFFFF))
                continue;
            out[x] = 0xFF000000u | (px & andMask & 0x00FFFFFFu);
        }
    }
    return tile;
}

} // namespace arbor
