// The test control: a small windowed OLE control (a push button showing its caption) with
// properties, a method that raises its events, and switches that make it behave like awkward real
// controls, registered like any control, so that hosting can be proved end to end.
#pragma once

#include "platform/com/automation.h"
#include "platform/com/connection.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/storage.h"

#include <string>
#include <vector>

struct ITestControl : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A01}");
    virtual HRESULT get_Caption(BSTR *pVal) noexcept = 0;
    virtual HRESULT put_Caption(BSTR newVal) noexcept = 0;
    virtual HRESULT get_Value(LONG *pVal) noexcept = 0;
    virtual HRESULT get_hWnd(LONG *pVal) noexcept = 0;
    // The UserMode ambient property as the control last read it from its site (-1 true, 0 false,
    // 1 when it could not read it).
    virtual HRESULT get_SeenUserMode(LONG *pVal) noexcept = 0;
    // 1 when the client site was already there as the control was initialised (InitNew or
    // Load), 0 when it was not, -1 before initialisation.
    virtual HRESULT get_SiteAtInit(LONG *pVal) noexcept = 0;
    // Raises one of the test events (see FireKind); pVal = what a by-reference argument held
    // once every sink had seen it.
    virtual HRESULT Fire(LONG kind, VARIANT *pVal) noexcept = 0;
};

inline constexpr IID DIID__ITestControlEvents = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A02}");
inline constexpr CLSID CLSID_TestControl = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A03}");
// The same control with a misc status that does not ask for the client site first.
inline constexpr CLSID CLSID_TestControlLateSite = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A05}");
inline constexpr GUID LIBID_TestControlLib = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A04}");

namespace testcontrol {

using namespace platform::com;

inline constexpr DISPID kCaption = 1, kValue = 2, kSeenUserMode = 4, kSiteAtInit = 5, kFire = 6;
inline constexpr DISPID kClicked = 1, kThree = 3, kOptional = 4, kCancel = 5;
// An identifier the event interface does not declare.
inline constexpr DISPID kUndeclared = 77;

// What Fire raises.
enum FireKind : LONG {
    FireThree = 1, // Three(7, "seven", True), positional
    FireThreeNamed = 2, // Three with the same values as named arguments, first parameter first
    FireOptionalLeftOut = 3, // Optional(1) without its optional second argument
    FireCancel = 4, // Cancel(False) by reference; Fire returns what the sinks left in it
    FireUndeclared = 5, // kUndeclared, one argument
};

// Switches read by each object as it is made, and what the objects did. One per process, reached
// through the library's exported TestControlState(): tests change the switches before creating
// a control and read the record afterwards.
struct Switches {
    bool overrideMisc = false;
    DWORD misc = 0; // the misc status reported while overrideMisc
    bool noWindow = false; // activates without making a window
    bool noClassInfo = false; // IProvideClassInfo refused
    bool vtableSource = false; // the class information calls the source interface vtable-only
    UINT namesKept = 0; // when non-zero, GetNames of the events gives at most this many names
    bool unsafe = false; // refuses to be safe for untrusted callers
};
struct State {
    Switches switches;
    int liveObjects = 0;
    // "SetClientSite(site)", "SetClientSite(null)", "Close(n)", "FindConnectionPoint" in call
    // order.
    std::vector<std::string> calls;
};
using StateEntry = State *(*)();
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
    OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
inline constexpr DWORD kLateSiteMiscStatus = kMiscStatus & ~OLEMISC_SETCLIENTSITEFIRST;

inline constexpr MemberDesc kControlMembers[] = {
    propGet<&ITestControl::get_Caption>(kCaption, "Caption"),
    propPut<&ITestControl::put_Caption>(kCaption, "Caption"),
    propGet<&ITestControl::get_Value>(kValue, "Value"),
    propGet<&ITestControl::get_hWnd>(DISPID_HWND, "hWnd"),
    propGet<&ITestControl::get_SeenUserMode>(kSeenUserMode, "SeenUserMode"),
    propGet<&ITestControl::get_SiteAtInit>(kSiteAtInit, "SiteAtInit"),
    method<&ITestControl::Fire>(kFire, "Fire", arg("kind"), retval("pVal")),
};
inline constexpr MemberDesc kEventMembers[] = {
    event(kClicked, "Clicked"),
    event(kThree, "Three", arg("number", VT_I4), arg("text", VT_BSTR), arg("flag", VT_BOOL)),
    event(kOptional, "Optional", arg("first", VT_I4),
        ParamDesc { "second", PARAMFLAG_FIN | PARAMFLAG_FOPT, VT_VARIANT, {} }),
    event(kCancel, "Cancel", arg("cancel", VT_BYREF | VT_BOOL)),
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
