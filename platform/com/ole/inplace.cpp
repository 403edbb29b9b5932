#include "platform/com/ole/inplace.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"

namespace platform::com {

HRESULT activateInPlace(IOleClientSite *active, IOleClientSite *clientSite, HWND parentHint,
    LPCRECT pos, ComPtr<IOleInPlaceSite> &site, RECT &rect, QWidget **container) noexcept
{
    if (container)
        *container = nullptr;
    if (site) {
        if (pos)
            rect = *pos;
        return S_FALSE;
    }
    // A verb without a site or rectangle uses the ones given before.
    IOleClientSite *from = active ? active : clientSite;
    ComPtr<IOleInPlaceSite> inPlace;
    if (!from || FAILED(from->QueryInterface(IOleInPlaceSite::iid, inPlace.voidOut())))
        return E_UNEXPECTED;
    if (inPlace->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    const HRESULT hr = inPlace->OnInPlaceActivate();
    if (FAILED(hr))
        return hr;
    HWND parent = 0;
    if (FAILED(inPlace->GetWindow(&parent)) || !parent)
        parent = parentHint;
    QWidget *widget = platform::ui::widgetFromHandle(parent);
    if (!widget) {
        (void)inPlace->OnInPlaceDeactivate();
        return E_FAIL;
    }
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT posRect = rect, clipRect = rect;
    OLEINPLACEFRAMEINFO info { sizeof(OLEINPLACEFRAMEINFO), FALSE, 0, nullptr, 0 };
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &doc, &posRect, &clipRect, &info)))
        rect = posRect;
    if (pos)
        rect = *pos;
    site = std::move(inPlace);
    if (container)
        *container = widget;
    return S_OK;
}

HRESULT placeInPlaceObject(IOleObject *object, const RECT &rect, bool tellExtent) noexcept
{
    if (!object)
        return E_POINTER;
    ComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(object->QueryInterface(IOleInPlaceObject::iid, inPlace.voidOut())))
        return E_NOINTERFACE;
    (void)inPlace->SetObjectRects(&rect, &rect);
    if (tellExtent) {
        SIZEL extent { pixelsToHimetric(rect.right - rect.left, screenDpiX()),
            pixelsToHimetric(rect.bottom - rect.top, screenDpiY()) };
        (void)object->SetExtent(DVASPECT_CONTENT, &extent);
    }
    return S_OK;
}

} // namespace platform::com
