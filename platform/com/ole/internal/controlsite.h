// The site a ControlHost gives its control: client site, in-place site and frame, control site,
// and the IDispatch through which the control reads ambient properties. It holds a plain pointer
// back to its host, cleared by the host's destructor, because the control may keep the site
// alive after the widget is gone.
#pragma once

#include "platform/com/ole/oleidl.h"

namespace platform::com {

class ControlHost;

class ControlSite final : public ComObject<ControlSite, IOleClientSite, IOleInPlaceSite,
                              IOleInPlaceFrame, IOleControlSite, IDispatch> {
public:
    explicit ControlSite(ControlHost *host) noexcept
        : m_host(host)
    {
    }
    void detach() noexcept { m_host = nullptr; }

    // IOleWindow (both the in-place site's and the frame's).
    HRESULT GetWindow(HWND *phwnd) noexcept override;
    HRESULT ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

    // IOleClientSite
    HRESULT SaveObject() noexcept override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker **ppmk) noexcept override;
    HRESULT GetContainer(IOleContainer **ppContainer) noexcept override;
    HRESULT ShowObject() noexcept override { return S_OK; }
    HRESULT OnShowWindow(BOOL fShow) noexcept override;
    HRESULT RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT CanInPlaceActivate() noexcept override;
    HRESULT OnInPlaceActivate() noexcept override;
    HRESULT OnUIActivate() noexcept override { return m_host ? S_OK : E_UNEXPECTED; }
    HRESULT GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc,
        LPRECT lprcPosRect, LPRECT lprcClipRect,
        LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept override;
    HRESULT Scroll(SIZE) noexcept override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) noexcept override { return S_OK; }
    HRESULT OnInPlaceDeactivate() noexcept override;
    HRESULT DiscardUndoState() noexcept override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() noexcept override { return E_NOTIMPL; }
    HRESULT OnPosRectChange(LPCRECT lprcPosRect) noexcept override;

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus or status line to share.
    HRESULT GetBorder(LPRECT) noexcept override { return E_NOTIMPL; }
    HRESULT RequestBorderSpace(LPCBORDERWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT SetBorderSpace(LPCBORDERWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT SetActiveObject(IOleInPlaceActiveObject *, LPCOLESTR) noexcept override { return S_OK; }
    HRESULT InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT SetMenu(HMENU, HOLEMENU, HWND) noexcept override { return S_OK; }
    HRESULT RemoveMenus(HMENU) noexcept override { return E_NOTIMPL; }
    HRESULT SetStatusText(LPCOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT EnableModeless(BOOL) noexcept override { return S_OK; }
    HRESULT TranslateAccelerator(LPMSG, WORD) noexcept override { return S_FALSE; }

    // IOleControlSite
    HRESULT OnControlInfoChanged() noexcept override { return S_OK; }
    HRESULT LockInPlaceActive(BOOL) noexcept override { return S_OK; }
    HRESULT GetExtendedControl(IDispatch **ppDisp) noexcept override;
    HRESULT TransformCoords(
        POINTL *pPtlHimetric, POINTF *pPtfContainer, DWORD dwFlags) noexcept override;
    HRESULT TranslateAccelerator(MSG *, DWORD) noexcept override { return S_FALSE; }
    HRESULT OnFocus(BOOL) noexcept override { return S_OK; }
    HRESULT ShowPropertyFrame() noexcept override { return E_NOTIMPL; }

    // IDispatch: ambient properties, read-only.
    HRESULT GetTypeInfoCount(UINT *pctinfo) noexcept override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **ppTInfo) noexcept override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
        DISPID *rgDispId) noexcept override;
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
        DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
        UINT *puArgErr) noexcept override;

private:
    ControlHost *m_host;
};

inline constexpr DWORD XFORMCOORDS_POSITION = 0x1;
inline constexpr DWORD XFORMCOORDS_SIZE = 0x2;
inline constexpr DWORD XFORMCOORDS_HIMETRICTOCONTAINER = 0x4;
inline constexpr DWORD XFORMCOORDS_CONTAINERTOHIMETRIC = 0x8;

} // namespace platform::com
