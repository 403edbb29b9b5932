// The test control: a small windowed OLE control (a push button showing its caption) with a
// property, a method and two events, registered like any control, so that hosting can be proved
// end to end. Shared by the component library and the tests that drive it.
#pragma once

#include "platform/com/automation.h"
#include "platform/com/connection.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/storage.h"

struct ITestControl : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A01}");
    virtual HRESULT get_Caption(BSTR *pVal) noexcept = 0;
    virtual HRESULT put_Caption(BSTR newVal) noexcept = 0;
    virtual HRESULT get_Value(LONG *pVal) noexcept = 0;
    // Value += by, fires Changed(Value); pVal = the new value.
    virtual HRESULT Bump(LONG by, LONG *pVal) noexcept = 0;
    virtual HRESULT get_hWnd(LONG *pVal) noexcept = 0;
    // The UserMode ambient property as the control last read it from its site (-1 true, 0 false,
    // 1 when it could not read it).
    virtual HRESULT get_SeenUserMode(LONG *pVal) noexcept = 0;
    // 1 when the client site was already there as the control was initialised (InitNew or
    // Load), 0 when it was not, -1 before initialisation.
    virtual HRESULT get_SiteAtInit(LONG *pVal) noexcept = 0;
};

inline constexpr IID DIID__ITestControlEvents = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A02}");
inline constexpr CLSID CLSID_TestControl = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A03}");
// The same control with a misc status that does not ask for the client site first.
inline constexpr CLSID CLSID_TestControlLateSite = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A05}");
inline constexpr GUID LIBID_TestControlLib = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A04}");

namespace testcontrol {

using namespace platform::com;

inline constexpr DISPID kCaption = 1, kValue = 2, kBump = 3, kSeenUserMode = 4, kSiteAtInit = 5;
inline constexpr DISPID kClicked = 1, kChanged = 2;
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
    OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
inline constexpr DWORD kLateSiteMiscStatus = kMiscStatus & ~OLEMISC_SETCLIENTSITEFIRST;

inline constexpr MemberDesc kControlMembers[] = {
    propGet<&ITestControl::get_Caption>(kCaption, "Caption"),
    propPut<&ITestControl::put_Caption>(kCaption, "Caption"),
    propGet<&ITestControl::get_Value>(kValue, "Value"),
    method<&ITestControl::Bump>(kBump, "Bump", arg("by"), retval("pVal")),
    propGet<&ITestControl::get_hWnd>(DISPID_HWND, "hWnd"),
    propGet<&ITestControl::get_SeenUserMode>(kSeenUserMode, "SeenUserMode"),
    propGet<&ITestControl::get_SiteAtInit>(kSiteAtInit, "SiteAtInit"),
};
inline constexpr MemberDesc kEventMembers[] = {
    event(kClicked, "Clicked"),
    event(kChanged, "Changed", arg("value", VT_I4)),
};

inline constexpr InterfaceDesc kControlDesc { "ITestControl", ITestControl::iid, kControlMembers };
inline constexpr InterfaceDesc kEventsDesc { "_ITestControlEvents", DIID__ITestControlEvents,
    kEventMembers, kDispInterfaceFlags };
inline constexpr ImplDesc kControlImpls[] = {
    { &kControlDesc, IMPLTYPEFLAG_FDEFAULT },
    { &kEventsDesc, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE },
};
inline constexpr CoClassDesc kControlClass { "TestControl", CLSID_TestControl, kControlImpls,
    TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL };
inline constexpr const InterfaceDesc *kLibInterfaces[] = { &kControlDesc, &kEventsDesc };
inline constexpr const CoClassDesc *kLibClasses[] = { &kControlClass };
inline constexpr TypeLibDesc kControlLib { "TestControlLib", LIBID_TestControlLib, 1, 0,
    kLibInterfaces, kLibClasses };

} // namespace testcontrol
