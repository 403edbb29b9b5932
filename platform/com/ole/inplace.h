// The in-place activation handshake, written once for both of its sides. A windowed control calls
// activateInPlace() from its show and activate verbs to find its container's window and rectangle;
// a container calls placeInPlaceObject() whenever the control's rectangle changes.
#pragma once

#include "platform/com/ole/oleidl.h"

class QWidget;

namespace platform::com {

// The object side. Already active (`site` set): only `pos`, when given, becomes `rect`; S_FALSE.
// Otherwise the site is the verb's `active` one, else `clientSite`; it must be an in-place site
// that agrees (CanInPlaceActivate S_OK) and accepts OnInPlaceActivate. Its window (else
// `parentHint`) becomes the parent, its position rectangle (overridden by `pos`) becomes `rect`,
// and `site` keeps the in-place site; S_OK with *container the parent widget. E_UNEXPECTED without
// an in-place site, E_FAIL when the site refuses or names no live window (the site is then told
// of the deactivation and `site` stays empty), or the site's own failure.
[[nodiscard]] HRESULT activateInPlace(IOleClientSite *active, IOleClientSite *clientSite,
    HWND parentHint, LPCRECT pos, ComPtr<IOleInPlaceSite> &site, RECT &rect,
    QWidget **container) noexcept;

// The container side: hands `rect` to the object as both its position and its clip rectangle,
// then, with `tellExtent`, its size as the content extent in HIMETRIC. Failures of the object are
// ignored (the container keeps laying out with the rectangle it chose); E_NOINTERFACE when the
// object is not an in-place object.
HRESULT placeInPlaceObject(IOleObject *object, const RECT &rect, bool tellExtent) noexcept;

} // namespace platform::com
