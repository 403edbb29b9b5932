// Drawing helpers the node kinds share: colour conversion, the dotted focus rectangle, the state
// icons of check and radio items, and the masked image tile.
#pragma once

#include "platform/wintypes.h"

#include <QColor>
#include <QImage>
#include <QRect>

class QPainter;

namespace arbor {

inline QColor toQColor(COLORREF c)
{
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
}

inline COLORREF toColorRef(QRgb rgb)
{
    return COLORREF(qRed(rgb)) | (COLORREF(qGreen(rgb)) << 8) | (COLORREF(qBlue(rgb)) << 16);
}

// One-pixel dotted black frame on the rectangle's edge, every other pixel set.
void drawFocusRect(QPainter &p, const QRect &rect);

// The 16 x 16 picture of a state icon resource number (221, 222, 223, 224, 244); a null image for
// any other number. Drawn once per process.
const QImage &stateIconImage(int resourceId);

// A cx x cy tile of source at (column * cx, row * cy): pixels whose RGB is exactly transparent get
// alpha 0, every other pixel becomes (its RGB AND background), opaque. Parts of the tile outside
// the source stay transparent.
QImage maskedTile(const QImage &source, int column, int row, int cx, int cy, COLORREF transparent,
    COLORREF background);

} // namespace arbor
