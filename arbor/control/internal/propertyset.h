// The saved property set of the tree control, as it travels in a stream:
//
//   u32 version (768), i32 _cx, i32 _cy (HIMETRIC), then eleven typed variants in this order:
//   BorderStyle, BackColor, ForeColor, Picture, PicturePosition, Font, Enabled, MousePointer,
//   MouseIcon, AutoHScroll, AutoVScroll; then u32 style flags and u32 drop effect.
//
// The reader checks everything before the control applies anything, so a refused stream leaves the
// control as it was. It is the only code that reads this outside data, hence the fuzz target.
#pragma once

#include "platform/com/ole/stdfont.h"
#include "platform/com/ole/stdpicture.h"
#include "platform/com/storage.h"

namespace arbor::control {

inline constexpr ULONG kPropertySetVersion = 768;
// The largest extent accepted, in HIMETRIC (about 19,000 pixels at 96 dpi).
inline constexpr LONG kMaxSavedExtent = 500000;

struct PropertySet {
    SIZEL extent { 0, 0 };
    LONG borderStyle = 0;
    OLE_COLOR backColor = 0;
    OLE_COLOR foreColor = 0;
    ComPtr<IPictureDisp> picture;
    LONG picturePosition = 0;
    ComPtr<IFontDisp> font;
    bool enabled = true;
    LONG mousePointer = 0;
    ComPtr<IPictureDisp> mouseIcon;
    bool autoHScroll = false;
    bool autoVScroll = false;
    DWORD style = 0; // masked to the 6 style bits
    LONG dropEffect = 0; // masked to 7
};

// The typed variant each row must hold (the row's position 3..13 in the set, 0-based from
// BorderStyle).
VARTYPE propertyRowType(int row) noexcept;

// Reads one set. E_FAIL for a version other than 768, a short stream, a row of another variant
// type (checked before its value is read, so no length field is ever trusted), an object row naming
// any class but StdPicture (picture rows) or StdFont (the font row), or an object that does not
// load. Values outside a property's range are refused too (border style 0..6, the picture
// positions, the mouse pointers). The extent is clamped to 0..kMaxSavedExtent. `out` is written
// only on S_OK.
[[nodiscard]] HRESULT readPropertySet(IStream *stream, PropertySet &out) noexcept;

// Whether a value is one the control accepts for that property.
bool isBorderStyle(LONG value) noexcept;
bool isPicturePosition(LONG value) noexcept;
bool isMousePointer(LONG value) noexcept;

} // namespace arbor::control
