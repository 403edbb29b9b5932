// The test component's one class, header-only so that the tests can also create it in-process
// without going through the registry.
#pragma once

#include "tests/platform/com_component/widget.h"

#include <string>

namespace testwidget {

class TestWidget final : public ComObject<TestWidget, DualImpl<ITestWidget, kWidgetDesc>,
                             ConnectionPointContainerImpl, ProvideClassInfoImpl<kWidgetClass>,
                             SupportErrorInfoFor<ITestWidget>, EnumVariantCursor<TestWidget>> {
public:
    static constexpr const char16_t *kProgId = u"Test.Widget.1";

    TestWidget() noexcept { m_events = addPoint(DIID__ITestWidgetEvents); }

    HRESULT get_Name(BSTR *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_name.copy();
        return S_OK;
    }
    HRESULT put_Name(BSTR newVal) noexcept override
    {
        m_name = BStr(view(newVal));
        return S_OK;
    }
    HRESULT get_Count(LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_count;
        return S_OK;
    }
    HRESULT put_Count(LONG newVal) noexcept override
    {
        if (newVal < 0)
            return reportError(
                ITestWidget::iid, kProgId, u"Count cannot be negative.", E_INVALIDARG);
        m_count = newVal;
        return S_OK;
    }
    HRESULT get_Enabled(VARIANT_BOOL *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_enabled;
        return S_OK;
    }
    HRESULT put_Enabled(VARIANT_BOOL newVal) noexcept override
    {
        m_enabled = newVal ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT Add(LONG a, LONG b, LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = a + b;
        return S_OK;
    }
    HRESULT Compute(LONG a, LONG b, LONG *total, VARIANT *label, LONG *pVal) noexcept override
    {
        if (!pVal || !total)
            return E_POINTER;
        *pVal = a * b;
        *total += *pVal;
        if (label && !(label->vt == VT_ERROR && label->scode == DISP_E_PARAMNOTFOUND)) {
            (void)VariantClear(label);
            const std::string text = std::to_string(a) + "*" + std::to_string(b);
            label->vt = VT_BSTR;
            label->bstrVal = BStr::fromUtf8(text).detach();
        }
        return S_OK;
    }
    HRESULT Fail(BSTR reason) noexcept override
    {
        return reportError(ITestWidget::iid, kProgId, view(reason), DISP_E_EXCEPTION);
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
    BStr m_name = BStr(u"widget");
    LONG m_count = 3;
    VARIANT_BOOL m_enabled = VARIANT_TRUE;
    ConnectionPoint *m_events = nullptr;
    std::vector<VARIANT_BOOL> m_closingSeen;
};

} // namespace testwidget
