// A small dual class with one member of each shape the automation layer must call (conversions,
// optional and by-reference parameters, a failing put, events with a by-reference flag, a
// collection), created in-process by the dispatch tests and the invoke benchmark; its type library
// description is what the type library file tests write and read.
#pragma once

#include "platform/com/com.h"

#include <string>
#include <vector>

struct ITestWidget : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = guid("{6B1F0003-0000-4000-8000-000000000001}");
    virtual HRESULT get_Count(LONG *pVal) noexcept = 0;
    // Refuses a negative count with error information.
    virtual HRESULT put_Count(LONG newVal) noexcept = 0;
    virtual HRESULT get_Enabled(VARIANT_BOOL *pVal) noexcept = 0;
    virtual HRESULT put_Enabled(VARIANT_BOOL newVal) noexcept = 0;
    // pVal = a + b
    virtual HRESULT Add(LONG a, LONG b, LONG *pVal) noexcept = 0;
    // pVal = a * b (b defaults to 10); *total += pVal; `label`, when given, receives "a*b"
    virtual HRESULT Compute(LONG a, LONG b, LONG *total, VARIANT *label, LONG *pVal) noexcept = 0;
    // Fires Changed(value), then Closing(cancel); *pCancelled is what the sinks left in cancel.
    virtual HRESULT Fire(LONG value, VARIANT_BOOL *pCancelled) noexcept = 0;
    // The default member, read-only: the count.
    virtual HRESULT get_Value(LONG *pVal) noexcept = 0;
    virtual HRESULT get__NewEnum(IUnknown **ppEnum) noexcept = 0;
};

inline constexpr IID DIID__ITestWidgetEvents = guid("{6B1F0003-0000-4000-8000-000000000002}");
inline constexpr CLSID CLSID_TestWidget = guid("{6B1F0003-0000-4000-8000-000000000003}");
inline constexpr GUID LIBID_TestWidgetLib = guid("{6B1F0003-0000-4000-8000-000000000004}");

namespace testwidget {

using namespace platform::com;

inline constexpr DISPID kCount = 2, kEnabled = 3, kAdd = 4, kCompute = 5, kFire = 7;
inline constexpr DISPID kChanged = 1, kClosing = 2;

inline constexpr MemberDesc kWidgetMembers[] = {
    propGet<&ITestWidget::get_Count>(kCount, "Count").help("How many items the widget holds"),
    propPut<&ITestWidget::put_Count>(kCount, "Count"),
    propGet<&ITestWidget::get_Enabled>(kEnabled, "Enabled", retval("pVal", VT_BOOL)),
    propPut<&ITestWidget::put_Enabled>(kEnabled, "Enabled", arg("newVal", VT_BOOL)),
    method<&ITestWidget::Add>(kAdd, "Add", arg("a"), arg("b"), retval("pVal")),
    method<&ITestWidget::Compute>(kCompute, "Compute", arg("a"), opt("b", 10), inOut("total"),
        optOut("label"), retval("pVal")),
    method<&ITestWidget::Fire>(kFire, "Fire", arg("value"), retval("pCancelled", VT_BOOL)),
    propGet<&ITestWidget::get_Value>(DISPID_VALUE, "Value"),
    propGet<&ITestWidget::get__NewEnum>(DISPID_NEWENUM, "_NewEnum").hidden().restricted(),
};
inline constexpr MemberDesc kEventMembers[] = {
    event(kChanged, "Changed", arg("value", VT_I4)),
    event(kClosing, "Closing", arg("pbCancel", VT_BYREF | VT_BOOL)),
};
inline constexpr InterfaceDesc kWidgetDesc { "ITestWidget", ITestWidget::iid, kWidgetMembers,
    TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FNONEXTENSIBLE };
inline constexpr InterfaceDesc kEventsDesc { "_ITestWidgetEvents", DIID__ITestWidgetEvents,
    kEventMembers, kDispInterfaceFlags };
inline constexpr ImplDesc kWidgetImpls[] = {
    { &kWidgetDesc, IMPLTYPEFLAG_FDEFAULT },
    { &kEventsDesc, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE },
};
inline constexpr CoClassDesc kWidgetClass { "TestWidget", CLSID_TestWidget, kWidgetImpls,
    TYPEFLAG_FCANCREATE };
inline constexpr const InterfaceDesc *kLibInterfaces[] = { &kWidgetDesc, &kEventsDesc };
inline constexpr const CoClassDesc *kLibClasses[] = { &kWidgetClass };
inline constexpr EnumMember kShadeMembers[] = { { "ShadeLight", 0 }, { "ShadeNone", -1 } };
inline constexpr EnumDesc kShades { "Shades", kShadeMembers, "How dark a widget is drawn" };
inline constexpr const EnumDesc *kLibEnums[] = { &kShades };
inline constexpr TypeLibDesc kWidgetLib { "TestWidgetLib", LIBID_TestWidgetLib, 1, 0,
    kLibInterfaces, kLibClasses, "Test Widget 1.0 Type Library", 0, kLibEnums };

class TestWidget final : public ComObject<TestWidget, DualImpl<ITestWidget, kWidgetDesc>,
                             ConnectionPointContainerImpl, ProvideClassInfoImpl<kWidgetClass>,
                             SupportErrorInfoFor<ITestWidget>, EnumVariantCursor<TestWidget>> {
public:
    TestWidget() noexcept { m_events = addPoint(DIID__ITestWidgetEvents); }

    HRESULT get_Count(LONG *pVal) noexcept override { return give(pVal, m_count); }
    HRESULT put_Count(LONG newVal) noexcept override
    {
        if (newVal < 0)
            return reportError(
                ITestWidget::iid, u"Test.Widget.1", u"Count cannot be negative.", E_INVALIDARG);
        m_count = newVal;
        return S_OK;
    }
    HRESULT get_Enabled(VARIANT_BOOL *pVal) noexcept override { return give(pVal, m_enabled); }
    HRESULT put_Enabled(VARIANT_BOOL newVal) noexcept override
    {
        m_enabled = newVal ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT Add(LONG a, LONG b, LONG *pVal) noexcept override { return give(pVal, a + b); }
    HRESULT Compute(LONG a, LONG b, LONG *total, VARIANT *label, LONG *pVal) noexcept override
    {
        if (!pVal || !total)
            return E_POINTER;
        *pVal = a * b;
        *total += *pVal;
        if (label && !(label->vt == VT_ERROR && label->scode == DISP_E_PARAMNOTFOUND)) {
            (void)VariantClear(label);
            label->vt = VT_BSTR;
            label->bstrVal = BStr::fromUtf8(std::to_string(a) + "*" + std::to_string(b)).detach();
        }
        return S_OK;
    }
    HRESULT Fire(LONG value, VARIANT_BOOL *pCancelled) noexcept override
    {
        if (!pCancelled)
            return E_POINTER;
        Variant changed = Variant::i4(value);
        m_events->fire(kChanged, &changed, 1);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT ref;
        VariantInit(&ref);
        ref.vt = VT_BYREF | VT_BOOL;
        ref.pboolVal = &cancel;
        m_closingSeen.clear();
        m_events->fire(kClosing, &ref, 1, [&] {
            m_closingSeen.push_back(cancel);
            return true;
        });
        *pCancelled = cancel;
        return S_OK;
    }
    HRESULT get_Value(LONG *pVal) noexcept override { return get_Count(pVal); }
    HRESULT get__NewEnum(IUnknown **ppEnum) noexcept override
    {
        if (!ppEnum)
            return E_POINTER;
        (void)Reset(); // one cursor, reset by every new enumeration
        *ppEnum = static_cast<IEnumVARIANT *>(this);
        AddRef();
        return S_OK;
    }

    // The collection's items: 0, 10, 20, ... (Count of them).
    ULONG enumCount() noexcept { return static_cast<ULONG>(m_count); }
    HRESULT enumItem(ULONG index, VARIANT *out) noexcept
    {
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(index) * 10;
        return S_OK;
    }

    // The cancel flag as each sink of the last Closing left it.
    const std::vector<VARIANT_BOOL> &closingSeen() const { return m_closingSeen; }

private:
    template <class T> static HRESULT give(T *out, T value) noexcept
    {
        if (!out)
            return E_POINTER;
        *out = value;
        return S_OK;
    }

    LONG m_count = 3;
    VARIANT_BOOL m_enabled = VARIANT_TRUE;
    ConnectionPoint *m_events = nullptr;
    std::vector<VARIANT_BOOL> m_closingSeen;
};

} // namespace testwidget
