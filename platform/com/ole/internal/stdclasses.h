// Creation of the standard font and picture objects, shared by their OleCreate* functions and the
// class objects that make them creatable by class identifier without registry entries.
#pragma once

#include "platform/com/ole/stdfont.h"

namespace platform::com {

[[nodiscard]] HRESULT createStdFont(REFIID riid, void **ppv) noexcept;
[[nodiscard]] HRESULT createFontFromDesc(const FONTDESC &desc, REFIID riid, void **ppv) noexcept;
// An empty picture (type PICTYPE_NONE) that Load can fill.
[[nodiscard]] HRESULT createStdPicture(REFIID riid, void **ppv) noexcept;
// The stock colour property page.
[[nodiscard]] HRESULT createColorPage(REFIID riid, void **ppv) noexcept;

} // namespace platform::com
