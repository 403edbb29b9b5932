#include "arbor/view/xtreeborder.h"

#include "arbor/model/nodepaint.h"
#include "platform/com/ole/olectl.h"

#include <QPainter>
#include <QRegion>

namespace arbor {

namespace {

QColor systemColour(OLE_COLOR colour)
{
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(colour, nullptr, &rgb)))
        return Qt::black;
    return toQColor(rgb);
}

// Both ends included: a border is a set of one-pixel lines, and inclusive ends say which line owns
// a corner without off-by-one arithmetic at every call.
void hline(QPainter &p, int y, int x0, int x1, const QColor &c)
{
    if (x1 >= x0)
        p.fillRect(x0, y, x1 - x0 + 1, 1, c);
}

void vline(QPainter &p, int x, int y0, int y1, const QColor &c)
{
    if (y1 >= y0)
        p.fillRect(x, y0, 1, y1 - y0 + 1, c);
}

void frame(QPainter &p, int l, int t, int r, int b, const QColor &c)
{
    hline(p, t, l, r, c);
    hline(p, b, l, r, c);
    vline(p, l, t, b, c);
    vline(p, r, t, b, c);
}

// A ring of two colours: topLeft along the top and left, bottomRight along the bottom and right
// (which owns the top-right and bottom-left corners).
void ring(QPainter &p, int l, int t, int r, int b, const QColor &topLeft, const QColor &bottomRight)
{
    hline(p, t, l, r - 1, topLeft);
    vline(p, l, t, b - 1, topLeft);
    hline(p, b, l, r, bottomRight);
    vline(p, r, t, b, bottomRight);
}

} // namespace

BorderColours BorderColours::system()
{
    return { systemColour(kOleButtonFace), systemColour(kOle3DHighlight),
        systemColour(kOle3DDarkShadow), systemColour(kOle3DShadow) };
}

QMargins borderMargins(LONG style) noexcept
{
    switch (style) {
    case BorderEffectSingle:
        return { 1, 1, 1, 1 };
    case BorderEffectRaised:
        return { 2, 2, 1, 1 };
    case BorderEffectPop:
    case BorderEffectDrop:
    case BorderEffectInset:
        return { 2, 2, 2, 2 };
    case BorderEffectShadow:
        return { 1, 1, 3, 3 };
    default:
        return {};
    }
}

void paintBorder(QPainter &p, const QRect &outer, LONG style, const BorderColours &c)
{
    if (!isBorderStyle(style) || style == BorderEffectNone || outer.isEmpty())
        return;
    p.save();
    p.setClipRegion(QRegion(outer).subtracted(QRegion(borderInside(outer, style))));
    p.fillRect(outer, c.face);
    const int l = outer.left(), t = outer.top(), r = outer.right(), b = outer.bottom();
    switch (style) {
    case BorderEffectSingle:
        frame(p, l, t, r, b, c.darkShadow);
        break;
    case BorderEffectRaised:
        frame(p, l, t, r, b, c.darkShadow);
        hline(p, t + 1, l + 1, r - 1, c.highlight);
        vline(p, l + 1, t + 1, b - 1, c.highlight);
        break;
    case BorderEffectPop:
        ring(p, l, t, r, b, c.highlight, c.shadow);
        ring(p, l + 1, t + 1, r - 1, b - 1, c.face, c.darkShadow);
        break;
    case BorderEffectDrop:
        ring(p, l, t, r, b, c.shadow, c.highlight);
        ring(p, l + 1, t + 1, r - 1, b - 1, c.darkShadow, c.face);
        break;
    case BorderEffectShadow:
        // The frame stops two pixels short on the right and bottom; the drop shadow fills that
        // band but leaves its first pixels at the far ends in the face colour, so it looks cast.
        frame(p, l, t, r - 2, b - 2, c.darkShadow);
        vline(p, r - 1, t + 2, b, c.shadow);
        vline(p, r, t + 3, b, c.shadow);
        hline(p, b - 1, l + 2, r, c.shadow);
        hline(p, b, l + 3, r, c.shadow);
        break;
    case BorderEffectInset:
        frame(p, l, t, r - 1, b - 1, c.shadow);
        frame(p, l + 1, t + 1, r, b, c.highlight);
        break;
    default:
        break;
    }
    p.restore();
}

} // namespace arbor
