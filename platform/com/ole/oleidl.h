// The OLE interfaces through which a container sites, activates and draws a control, with the
// Windows names, identifiers and vtable order. Methods a control or container of this tree never
// needs still hold their slot so that the vtables line up; their parameter types that nobody here
// uses (monikers, data objects, menus, palettes) are declared but never defined.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/ui/handles.h"

class QPainter;

// A device context is a painter: drawing calls receive the QPainter to draw with.
using HDC = QPainter *;
using HMENU = void *;
using HOLEMENU = void *;
using HACCEL = void *;
using HPALETTE = void *;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG *;

using BORDERWIDTHS = RECT;
using LPBORDERWIDTHS = RECT *;
using LPCBORDERWIDTHS = const RECT *;

struct POINTL {
    LONG x;
    LONG y;
};
struct POINTF {
    float x;
    float y;
};

struct OLEINPLACEFRAMEINFO {
    UINT cb;
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
};
using LPOLEINPLACEFRAMEINFO = OLEINPLACEFRAMEINFO *;

struct OLEMENUGROUPWIDTHS {
    LONG width[6];
};
using LPOLEMENUGROUPWIDTHS = OLEMENUGROUPWIDTHS *;

struct CONTROLINFO {
    ULONG cb;
    HACCEL hAccel;
    USHORT cAccel;
    DWORD dwFlags;
};

struct IMoniker;
struct IOleContainer;
struct IDataObject;
struct IEnumOLEVERB;
struct IAdviseSink;
struct IEnumSTATDATA;
struct LOGPALETTE;
struct DVTARGETDEVICE;

// Aspects of an object's presentation.
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DVASPECT_THUMBNAIL = 2;
inline constexpr DWORD DVASPECT_ICON = 4;
inline constexpr DWORD DVASPECT_DOCPRINT = 8;

// Miscellaneous status bits a control reports (and its registration lists under MiscStatus).
inline constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
inline constexpr DWORD OLEMISC_ONLYICONIC = 0x2;
inline constexpr DWORD OLEMISC_INSERTNOTREPLACE = 0x4;
inline constexpr DWORD OLEMISC_STATIC = 0x8;
inline constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
inline constexpr DWORD OLEMISC_CANLINKBYOLE1 = 0x20;
inline constexpr DWORD OLEMISC_ISLINKOBJECT = 0x40;
inline constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
inline constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
inline constexpr DWORD OLEMISC_RENDERINGISDEVICEINDEPENDENT = 0x200;
inline constexpr DWORD OLEMISC_INVISIBLEATRUNTIME = 0x400;
inline constexpr DWORD OLEMISC_ALWAYSRUN = 0x800;
inline constexpr DWORD OLEMISC_ACTSLIKEBUTTON = 0x1000;
inline constexpr DWORD OLEMISC_ACTSLIKELABEL = 0x2000;
inline constexpr DWORD OLEMISC_NOUIACTIVATE = 0x4000;
inline constexpr DWORD OLEMISC_ALIGNABLE = 0x8000;
inline constexpr DWORD OLEMISC_SIMPLEFRAME = 0x10000;
inline constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;
inline constexpr DWORD OLEMISC_IMEMODE = 0x40000;
inline constexpr DWORD OLEMISC_IGNOREACTIVATEWHENVISIBLE = 0x80000;
inline constexpr DWORD OLEMISC_WANTSTOMENUMERGE = 0x100000;
inline constexpr DWORD OLEMISC_SUPPORTSMULTILEVELUNDO = 0x200000;

// Verbs of DoVerb.
inline constexpr LONG OLEIVERB_PRIMARY = 0;
inline constexpr LONG OLEIVERB_SHOW = -1;
inline constexpr LONG OLEIVERB_OPEN = -2;
inline constexpr LONG OLEIVERB_HIDE = -3;
inline constexpr LONG OLEIVERB_UIACTIVATE = -4;
inline constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
inline constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;
inline constexpr LONG OLEIVERB_PROPERTIES = -7;

inline constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
inline constexpr DWORD OLECLOSE_NOSAVE = 1;
inline constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = hr(0x80040003);
inline constexpr HRESULT OLE_E_NOCONNECTION = hr(0x80040004);
inline constexpr HRESULT OLE_E_NOTRUNNING = hr(0x80040005);
inline constexpr HRESULT OLE_E_INVALIDRECT = hr(0x8004000D);
inline constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = hr(0x80040010);
inline constexpr HRESULT OLEOBJ_E_NOVERBS = hr(0x80040180);
inline constexpr HRESULT OLEOBJ_E_INVALIDVERB = hr(0x80040181);
inline constexpr HRESULT OLEOBJ_S_INVALIDVERB = hr(0x00040180);

struct IOleWindow : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00000114-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT GetWindow(HWND *phwnd) noexcept = 0;
    [[nodiscard]] virtual HRESULT ContextSensitiveHelp(BOOL fEnterMode) noexcept = 0;

protected:
    ~IOleWindow() = default;
};

struct IOleInPlaceObject : IOleWindow {
    using Base = IOleWindow;
    static constexpr IID iid = guid("{00000113-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT InPlaceDeactivate() noexcept = 0;
    [[nodiscard]] virtual HRESULT UIDeactivate() noexcept = 0;
    // Position: where the control's window goes in the container window; clip: the part visible.
    [[nodiscard]] virtual HRESULT SetObjectRects(
        LPCRECT lprcPosRect, LPCRECT lprcClipRect) noexcept = 0;
    [[nodiscard]] virtual HRESULT ReactivateAndUndo() noexcept = 0;

protected:
    ~IOleInPlaceObject() = default;
};

struct IOleInPlaceActiveObject;

struct IOleInPlaceUIWindow : IOleWindow {
    using Base = IOleWindow;
    static constexpr IID iid = guid("{00000115-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT GetBorder(LPRECT lprectBorder) noexcept = 0;
    [[nodiscard]] virtual HRESULT RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetBorderSpace(LPCBORDERWIDTHS pborderwidths) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetActiveObject(
        IOleInPlaceActiveObject *pActiveObject, LPCOLESTR pszObjName) noexcept = 0;

protected:
    ~IOleInPlaceUIWindow() = default;
};

struct IOleInPlaceFrame : IOleInPlaceUIWindow {
    using Base = IOleInPlaceUIWindow;
    static constexpr IID iid = guid("{00000116-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT InsertMenus(
        HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetMenu(
        HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) noexcept = 0;
    [[nodiscard]] virtual HRESULT RemoveMenus(HMENU hmenuShared) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetStatusText(LPCOLESTR pszStatusText) noexcept = 0;
    [[nodiscard]] virtual HRESULT EnableModeless(BOOL fEnable) noexcept = 0;
    [[nodiscard]] virtual HRESULT TranslateAccelerator(LPMSG lpmsg, WORD wID) noexcept = 0;

protected:
    ~IOleInPlaceFrame() = default;
};

struct IOleInPlaceActiveObject : IOleWindow {
    using Base = IOleWindow;
    static constexpr IID iid = guid("{00000117-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT TranslateAccelerator(LPMSG lpmsg) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnFrameWindowActivate(BOOL fActivate) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnDocWindowActivate(BOOL fActivate) noexcept = 0;
    [[nodiscard]] virtual HRESULT ResizeBorder(
        LPCRECT prcBorder, IOleInPlaceUIWindow *pUIWindow, BOOL fFrameWindow) noexcept = 0;
    [[nodiscard]] virtual HRESULT EnableModeless(BOOL fEnable) noexcept = 0;

protected:
    ~IOleInPlaceActiveObject() = default;
};

struct IOleInPlaceSite : IOleWindow {
    using Base = IOleWindow;
    static constexpr IID iid = guid("{00000119-0000-0000-C000-000000000046}");
    // S_OK when the container lets the object activate in place now, S_FALSE when not.
    [[nodiscard]] virtual HRESULT CanInPlaceActivate() noexcept = 0;
    [[nodiscard]] virtual HRESULT OnInPlaceActivate() noexcept = 0;
    [[nodiscard]] virtual HRESULT OnUIActivate() noexcept = 0;
    [[nodiscard]] virtual HRESULT GetWindowContext(IOleInPlaceFrame **ppFrame,
        IOleInPlaceUIWindow **ppDoc, LPRECT lprcPosRect, LPRECT lprcClipRect,
        LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT Scroll(SIZE scrollExtant) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnUIDeactivate(BOOL fUndoable) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnInPlaceDeactivate() noexcept = 0;
    [[nodiscard]] virtual HRESULT DiscardUndoState() noexcept = 0;
    [[nodiscard]] virtual HRESULT DeactivateAndUndo() noexcept = 0;
    [[nodiscard]] virtual HRESULT OnPosRectChange(LPCRECT lprcPosRect) noexcept = 0;

protected:
    ~IOleInPlaceSite() = default;
};

struct IOleClientSite : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00000118-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT SaveObject() noexcept = 0;
    [[nodiscard]] virtual HRESULT GetMoniker(
        DWORD dwAssign, DWORD dwWhichMoniker, IMoniker **ppmk) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetContainer(IOleContainer **ppContainer) noexcept = 0;
    [[nodiscard]] virtual HRESULT ShowObject() noexcept = 0;
    [[nodiscard]] virtual HRESULT OnShowWindow(BOOL fShow) noexcept = 0;
    [[nodiscard]] virtual HRESULT RequestNewObjectLayout() noexcept = 0;

protected:
    ~IOleClientSite() = default;
};

struct IOleObject : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00000112-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT SetClientSite(IOleClientSite *pClientSite) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetClientSite(IOleClientSite **ppClientSite) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetHostNames(
        LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) noexcept = 0;
    [[nodiscard]] virtual HRESULT Close(DWORD dwSaveOption) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetMoniker(DWORD dwWhichMoniker, IMoniker *pmk) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetMoniker(
        DWORD dwAssign, DWORD dwWhichMoniker, IMoniker **ppmk) noexcept = 0;
    [[nodiscard]] virtual HRESULT InitFromData(
        IDataObject *pDataObject, BOOL fCreation, DWORD dwReserved) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetClipboardData(
        DWORD dwReserved, IDataObject **ppDataObject) noexcept = 0;
    // A null site or rectangle means the ones the object was given before.
    [[nodiscard]] virtual HRESULT DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite *pActiveSite,
        LONG lindex, HWND hwndParent, LPCRECT lprcPosRect) noexcept = 0;
    [[nodiscard]] virtual HRESULT EnumVerbs(IEnumOLEVERB **ppEnumOleVerb) noexcept = 0;
    [[nodiscard]] virtual HRESULT Update() noexcept = 0;
    [[nodiscard]] virtual HRESULT IsUpToDate() noexcept = 0;
    [[nodiscard]] virtual HRESULT GetUserClassID(CLSID *pClsid) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetUserType(
        DWORD dwFormOfType, LPOLESTR *pszUserType) noexcept = 0;
    // Extents are HIMETRIC (0.01 mm).
    [[nodiscard]] virtual HRESULT SetExtent(DWORD dwDrawAspect, SIZEL *psizel) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetExtent(DWORD dwDrawAspect, SIZEL *psizel) noexcept = 0;
    [[nodiscard]] virtual HRESULT Advise(IAdviseSink *pAdvSink, DWORD *pdwConnection) noexcept = 0;
    [[nodiscard]] virtual HRESULT Unadvise(DWORD dwConnection) noexcept = 0;
    [[nodiscard]] virtual HRESULT EnumAdvise(IEnumSTATDATA **ppenumAdvise) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetMiscStatus(DWORD dwAspect, DWORD *pdwStatus) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetColorScheme(LOGPALETTE *pLogpal) noexcept = 0;

protected:
    ~IOleObject() = default;
};

// The drawing subset: a container that shows a control without a window of its own asks it to
// draw into the container's painter. lprcBounds is in the painter's coordinates.
struct IViewObject : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{0000010D-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT Draw(DWORD dwDrawAspect, LONG lindex, void *pvAspect,
        DVTARGETDEVICE *ptd, HDC hdcTargetDev, HDC hdcDraw, const RECTL *lprcBounds,
        const RECTL *lprcWBounds, BOOL (*pfnContinue)(ULONG_PTR),
        ULONG_PTR dwContinue) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetColorSet(DWORD dwDrawAspect, LONG lindex, void *pvAspect,
        DVTARGETDEVICE *ptd, HDC hicTargetDev, LOGPALETTE **ppColorSet) noexcept = 0;
    [[nodiscard]] virtual HRESULT Freeze(
        DWORD dwDrawAspect, LONG lindex, void *pvAspect, DWORD *pdwFreeze) noexcept = 0;
    [[nodiscard]] virtual HRESULT Unfreeze(DWORD dwFreeze) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetAdvise(
        DWORD aspects, DWORD advf, IAdviseSink *pAdvSink) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetAdvise(
        DWORD *pAspects, DWORD *pAdvf, IAdviseSink **ppAdvSink) noexcept = 0;

protected:
    ~IViewObject() = default;
};

struct IOleControl : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B288-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT GetControlInfo(CONTROLINFO *pCI) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnMnemonic(MSG *pMsg) noexcept = 0;
    // The container tells the control that an ambient property changed (DISPID_UNKNOWN: several).
    [[nodiscard]] virtual HRESULT OnAmbientPropertyChange(DISPID dispID) noexcept = 0;
    [[nodiscard]] virtual HRESULT FreezeEvents(BOOL bFreeze) noexcept = 0;

protected:
    ~IOleControl() = default;
};

struct IOleControlSite : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B289-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT OnControlInfoChanged() noexcept = 0;
    [[nodiscard]] virtual HRESULT LockInPlaceActive(BOOL fLock) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetExtendedControl(IDispatch **ppDisp) noexcept = 0;
    [[nodiscard]] virtual HRESULT TransformCoords(
        POINTL *pPtlHimetric, POINTF *pPtfContainer, DWORD dwFlags) noexcept = 0;
    [[nodiscard]] virtual HRESULT TranslateAccelerator(MSG *pMsg, DWORD grfModifiers) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnFocus(BOOL fGotFocus) noexcept = 0;
    [[nodiscard]] virtual HRESULT ShowPropertyFrame() noexcept = 0;

protected:
    ~IOleControlSite() = default;
};

inline constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
inline constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

struct IObjectSafety : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");
    [[nodiscard]] virtual HRESULT GetInterfaceSafetyOptions(
        REFIID riid, DWORD *pdwSupportedOptions, DWORD *pdwEnabledOptions) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetInterfaceSafetyOptions(
        REFIID riid, DWORD dwOptionSetMask, DWORD dwEnabledOptions) noexcept = 0;

protected:
    ~IObjectSafety() = default;
};

// How an object tells its holders that a property changed (OnChanged; DISPID_UNKNOWN: several or
// unknown ones) or asks whether one may change (OnRequestEdit). Fonts use it to reach the controls
// that paint with them.
struct IPropertyNotifySink : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{9BFBBC02-EFF1-101A-84ED-00AA00341D07}");
    [[nodiscard]] virtual HRESULT OnChanged(DISPID dispID) noexcept = 0;
    [[nodiscard]] virtual HRESULT OnRequestEdit(DISPID dispID) noexcept = 0;

protected:
    ~IPropertyNotifySink() = default;
};

inline constexpr IID IID_IOleWindow = IOleWindow::iid;
inline constexpr IID IID_IOleInPlaceObject = IOleInPlaceObject::iid;
inline constexpr IID IID_IOleInPlaceUIWindow = IOleInPlaceUIWindow::iid;
inline constexpr IID IID_IOleInPlaceFrame = IOleInPlaceFrame::iid;
inline constexpr IID IID_IOleInPlaceActiveObject = IOleInPlaceActiveObject::iid;
inline constexpr IID IID_IOleInPlaceSite = IOleInPlaceSite::iid;
inline constexpr IID IID_IOleClientSite = IOleClientSite::iid;
inline constexpr IID IID_IOleObject = IOleObject::iid;
inline constexpr IID IID_IViewObject = IViewObject::iid;
inline constexpr IID IID_IOleControl = IOleControl::iid;
inline constexpr IID IID_IOleControlSite = IOleControlSite::iid;
inline constexpr IID IID_IObjectSafety = IObjectSafety::iid;
inline constexpr IID IID_IPropertyNotifySink = IPropertyNotifySink::iid;
