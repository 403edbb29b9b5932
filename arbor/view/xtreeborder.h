// The seven border effects the control draws in its own window around the item window: how far
// each one pushes the item window in, and how it is drawn in the four 3D system colours. Kept apart
// from the frame widget so the drawing can be checked on a plain image.
#pragma once

#include "platform/wintypes.h"

#include <QColor>
#include <QMargins>
#include <QRect>

class QPainter;

namespace arbor {

enum BorderStyleEnum : LONG {
    BorderEffectNone = 0,
    BorderEffectSingle = 1,
    BorderEffectRaised = 2,
    BorderEffectPop = 3,
    BorderEffectDrop = 4,
    BorderEffectShadow = 5,
    BorderEffectInset = 6,
};
inline constexpr LONG kDefaultBorderStyle = BorderEffectShadow;

inline constexpr bool isBorderStyle(LONG style) noexcept
{
    return style >= BorderEffectNone && style <= BorderEffectInset;
}

// The system colours the borders use, as OLE colours (button face, 3D highlight, 3D dark shadow,
// 3D shadow).
inline constexpr OLE_COLOR kOleButtonFace = 0x8000000F;
inline constexpr OLE_COLOR kOle3DHighlight = 0x80000014;
inline constexpr OLE_COLOR kOle3DDarkShadow = 0x80000015;
inline constexpr OLE_COLOR kOle3DShadow = 0x80000010;

struct BorderColours {
    QColor face;
    QColor highlight;
    QColor darkShadow;
    QColor shadow;
    // The current system colours; they follow the application palette.
    static BorderColours system();
};

// Pixels the border takes on each side (left, top, right, bottom); all zero for a value that is
// no border style.
QMargins borderMargins(LONG style) noexcept;

// The part of outer the item window gets.
inline QRect borderInside(const QRect &outer, LONG style) noexcept
{
    return outer.marginsRemoved(borderMargins(style));
}

// Draws the border of style along the edges of outer; the band it covers is first filled with
// the face colour, the inside is left alone. Nothing for no border or an unknown value.
void paintBorder(QPainter &p, const QRect &outer, LONG style, const BorderColours &colours);

} // namespace arbor
