// The test component's interfaces and their automation description, shared by the component
// library and the tests that drive it (through its vtable and through IDispatch).
#pragma once

#include "platform/com/com.h"

struct ITestWidget : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = guid("{6B1F0003-0000-4000-8000-000000000001}");
    virtual HRESULT get_Name(BSTR *pVal) noexcept = 0;
    virtual HRESULT put_Name(BSTR newVal) noexcept = 0;
    virtual HRESULT get_Count(LONG *pVal) noexcept = 0;
    virtual HRESULT put_Count(LONG newVal) noexcept = 0;
    virtual HRESULT get_Enabled(VARIANT_BOOL *pVal) noexcept = 0;
    virtual HRESULT put_Enabled(VARIANT_BOOL newVal) noexcept = 0;
    // pVal = a + b
    virtual HRESULT Add(LONG a, LONG b, LONG *pVal) noexcept = 0;
    // pVal = a * b (b defaults to 10); *total += pVal; `label`, when given, receives "a*b"
    virtual HRESULT Compute(LONG a, LONG b, LONG *total, VARIANT *label, LONG *pVal) noexcept = 0;
    // Always fails with error information.
    virtual HRESULT Fail(BSTR reason) noexcept = 0;
    // Fires Changed(value), then Closing(cancel); *pCancelled is what the sinks left in cancel.
    virtual HRESULT Fire(LONG value, VARIANT_BOOL *pCancelled) noexcept = 0;
    // The default member: the count.
    virtual HRESULT get_Value(LONG *pVal) noexcept = 0;
    virtual HRESULT get__NewEnum(IUnknown **ppEnum) noexcept = 0;
};

inline constexpr IID DIID__ITestWidgetEvents = guid("{6B1F0003-0000-4000-8000-000000000002}");
inline constexpr CLSID CLSID_TestWidget = guid("{6B1F0003-0000-4000-8000-000000000003}");
inline constexpr GUID LIBID_TestWidgetLib = guid("{6B1F0003-0000-4000-8000-000000000004}");

namespace testwidget {

using namespace platform::com;

inline constexpr DISPID kName = 1, kCount = 2, kEnabled = 3, kAdd = 4, kCompute = 5, kFail = 6,
                        kFire = 7;
inline constexpr DISPID kChanged = 1, kClosing = 2;

inline constexpr MemberDesc kWidgetMembers[] = {
    propGet<&ITestWidget::get_Name>(kName, "Name").help("The widget's name"),
    propPut<&ITestWidget::put_Name>(kName, "Name"),
    propGet<&ITestWidget::get_Count>(kCount, "Count"),
    propPut<&ITestWidget::put_Count>(kCount, "Count"),
    propGet<&ITestWidget::get_Enabled>(kEnabled, "Enabled", retval("pVal", VT_BOOL)),
    propPut<&ITestWidget::put_Enabled>(kEnabled, "Enabled", arg("newVal", VT_BOOL)),
    method<&ITestWidget::Add>(kAdd, "Add", arg("a"), arg("b"), retval("pVal")),
    method<&ITestWidget::Compute>(kCompute, "Compute", arg("a"), opt("b", 10), inOut("total"),
        optOut("label"), retval("pVal")),
    method<&ITestWidget::Fail>(kFail, "Fail", arg("reason")),
    method<&ITestWidget::Fire>(kFire, "Fire", arg("value"), retval("pCancelled", VT_BOOL)),
    propGet<&ITestWidget::get_Value>(DISPID_VALUE, "Value"),
    propGet<&ITestWidget::get__NewEnum>(DISPID_NEWENUM, "_NewEnum").hidden().restricted(),
};

inline constexpr MemberDesc kEventMembers[] = {
    event(kChanged, "Changed", arg("value", VT_I4)),
    event(kClosing, "Closing", arg("pbCancel", VT_BYREF | VT_BOOL)),
};

inline constexpr InterfaceDesc kWidgetDesc { "ITestWidget", ITestWidget::iid, kWidgetMembers,
    TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FNONEXTENSIBLE,
    "ITestWidget Interface" };
inline constexpr InterfaceDesc kEventsDesc { "_ITestWidgetEvents", DIID__ITestWidgetEvents,
    kEventMembers, kDispInterfaceFlags, "Event Interface for ITestWidget" };

inline constexpr ImplDesc kWidgetImpls[] = {
    { &kWidgetDesc, IMPLTYPEFLAG_FDEFAULT },
    { &kEventsDesc, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE },
};
inline constexpr CoClassDesc kWidgetClass { "TestWidget", CLSID_TestWidget, kWidgetImpls,
    TYPEFLAG_FCANCREATE, "TestWidget Class" };

inline constexpr const InterfaceDesc *kLibInterfaces[] = { &kWidgetDesc, &kEventsDesc };
inline constexpr const CoClassDesc *kLibClasses[] = { &kWidgetClass };
inline constexpr EnumMember kShadeMembers[] = { { "ShadeLight", 0 }, { "ShadeDark", 1 },
    { "ShadeNone", -1 } };
inline constexpr EnumDesc kShades { "Shades", kShadeMembers, "How dark a widget is drawn" };
inline constexpr const EnumDesc *kLibEnums[] = { &kShades };

inline constexpr TypeLibDesc kWidgetLib { "TestWidgetLib", LIBID_TestWidgetLib, 1, 0,
    kLibInterfaces, kLibClasses, "Test Widget 1.0 Type Library", 0, kLibEnums };

} // namespace testwidget
