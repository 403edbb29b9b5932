// One control hosted in a tree item, and at the same time its site: client site, in-place site
// and in-place frame, with IControl as the site's IDispatch (so the control reads the ambient
// UserMode through it). It keeps the control's rectangle in item-window pixels, which is what the
// tree lays out with whatever the control does with it, shows and hides the control as its item
// appears and disappears, and closes it for good when the holder lets it go.
#pragma once

#include "arbor/hosting/ccontrolevents.h"
#include "arbor/model/hooks.h"
#include "arbor/typelib.h"
#include "platform/com/errorinfo.h"
#include "platform/com/ole/oleidl.h"

#include <memory>

namespace arbor {

class CControlHolder;

class CControlClient final
    : public platform::com::ComObject<CControlClient,
          platform::com::DualImpl<IControl, typelib::kControlDesc>, IOleClientSite, IOleInPlaceSite,
          IOleInPlaceFrame, platform::com::SupportErrorInfoFor<IControl>>,
      public XHostedControl {
public:
    CControlClient() noexcept = default;
    ~CControlClient() override;

    // Sites `object`: rectangle (0, 0, width, height), the key copied, the misc status read (a
    // failure there is returned and nothing is sited), the client site given before
    // initialisation when the control asks for it and after it otherwise, initialised as new,
    // its events connected when it describes them.
    HRESULT createSite(IOleObject *object, const VARIANT &key, LONG width, LONG height) noexcept;
    // Disconnects the events, closes the control without saving, takes the site back and lets
    // go of the control. While the control is raising an event through us this waits until the
    // event has returned to the control and the event loop runs again, so no control is freed
    // under its own call. Idempotent.
    void close() noexcept;

    void setOwner(CControlHolder *owner) noexcept { m_owner = owner; }
    CControlHolder *owner() const noexcept { return m_owner; }
    const VARIANT &key() const noexcept { return m_key; }
    IOleObject *object() const noexcept { return m_object.Get(); }
    // Held by the event sink around ControlEvent.
    void beginEvent() noexcept { ++m_firing; }
    void endEvent() noexcept;

    // IControl
    HRESULT get_Width(LONG *pVal) noexcept override;
    HRESULT put_Width(LONG newVal) noexcept override;
    HRESULT get_Height(LONG *pVal) noexcept override;
    HRESULT put_Height(LONG newVal) noexcept override;
    HRESULT get_Top(LONG *pVal) noexcept override;
    HRESULT put_Top(LONG newVal) noexcept override;
    HRESULT get_Left(LONG *pVal) noexcept override;
    HRESULT put_Left(LONG newVal) noexcept override;
    HRESULT get_Visible(VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_Visible(VARIANT_BOOL newVal) noexcept override;
    HRESULT get_Object(IDispatch **pVal) noexcept override;
    // S_FALSE, *pVal untouched, for a control without a window.
    HRESULT get_hWnd(LONG *pVal) noexcept override;
    HRESULT get_Key(BSTR *pVal) noexcept override;
    // Without a window the get leaves *pVal as it was and the put does nothing.
    HRESULT get_Resizable(VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_Resizable(VARIANT_BOOL newVal) noexcept override;
    HRESULT put_WidthContainer(LONG newVal) noexcept override;
    HRESULT put_HeightContainer(LONG newVal) noexcept override;
    HRESULT MoveAt(LONG X, LONG Y) noexcept override;
    HRESULT get_ShowHatching(VARIANT_BOOL *pVal) noexcept override;
    HRESULT get_ShowGrabHandles(VARIANT_BOOL *pVal) noexcept override;
    HRESULT get_UserMode(LONG *pVal) noexcept override;

    // IOleWindow (the in-place site's and the frame's): the holder's host window.
    HRESULT GetWindow(HWND *phwnd) noexcept override;
    HRESULT ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

    // IOleClientSite
    HRESULT SaveObject() noexcept override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker **ppmk) noexcept override;
    HRESULT GetContainer(IOleContainer **ppContainer) noexcept override;
    HRESULT ShowObject() noexcept override { return E_NOTIMPL; }
    HRESULT OnShowWindow(BOOL fShow) noexcept override;
    HRESULT RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT CanInPlaceActivate() noexcept override;
    HRESULT OnInPlaceActivate() noexcept override { return S_OK; }
    HRESULT OnUIActivate() noexcept override { return S_OK; }
    HRESULT GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc,
        LPRECT lprcPosRect, LPRECT lprcClipRect,
        LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept override;
    HRESULT Scroll(SIZE) noexcept override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT OnInPlaceDeactivate() noexcept override { return E_NOTIMPL; }
    HRESULT DiscardUndoState() noexcept override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() noexcept override { return E_NOTIMPL; }
    HRESULT OnPosRectChange(LPCRECT) noexcept override { return E_NOTIMPL; }

    // IOleInPlaceUIWindow, IOleInPlaceFrame: nothing of a frame to share.
    HRESULT GetBorder(LPRECT) noexcept override { return E_NOTIMPL; }
    HRESULT RequestBorderSpace(LPCBORDERWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT SetBorderSpace(LPCBORDERWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT SetActiveObject(IOleInPlaceActiveObject *, LPCOLESTR) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT SetMenu(HMENU, HOLEMENU, HWND) noexcept override { return E_NOTIMPL; }
    HRESULT RemoveMenus(HMENU) noexcept override { return E_NOTIMPL; }
    HRESULT SetStatusText(LPCOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT EnableModeless(BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(LPMSG, WORD) noexcept override { return E_NOTIMPL; }

    // XHostedControl, for the control item. window() makes the control's window the first time
    // (shown and hidden again, with the tree window's painting held meanwhile).
    HWND window() const override;
    SIZE size() const override;
    // The user resized the window: recorded without telling the control.
    void setSize(LONG cx, LONG cy) override;
    void setPosition(LONG x, LONG y) override;
    void setVisible(bool visible) override;
    // The item is gone: the holder closes the control, and the item's reference goes.
    void release() override;

private:
    void show() noexcept;
    void hide() noexcept;
    void place() noexcept;
    HWND controlWindow() const noexcept;
    void finishClose() noexcept;

    ComPtr<IOleObject> m_object;
    platform::com::Variant m_key;
    RECT m_rect { 0, 0, 150, 150 };
    DWORD m_misc = 0;
    bool m_shown = false;
    CControlHolder *m_owner = nullptr; // cleared when the holder lets go of us
    std::unique_ptr<CControlEvents> m_events;
    // The control is raising an event through us; a close waits for it.
    int m_firing = 0;
    bool m_closePending = false;
    // The rectangle changed without the control being told (the user sized its window).
    bool m_rectPending = false;
    // Resizes of the control's window that we caused are not the user's.
    int m_placing = 0;
    mutable bool m_windowMade = false;
};

} // namespace arbor
