#include "arbor/hosting/ceventinfo.h"

#include "platform/com/classfactory.h"
#include "platform/com/out_param.h"

namespace arbor {

using namespace platform::com;

CEventParamInfo::CEventParamInfo(std::u16string_view name, const VARIANT &value) noexcept
    : m_name(name)
{
    const HRESULT hr = VariantCopy(&m_value, &value);
    if (FAILED(hr))
        m_value = Variant::error(hr);
}

HRESULT CEventParamInfo::get_name(BSTR *pVal) noexcept
{
    return giveOut(pVal, m_name.copy());
}

HRESULT CEventParamInfo::get_Value(VARIANT *pVal) noexcept
{
    if (!pVal)
        return S_OK;
    VariantInit(pVal);
    return VariantCopy(pVal, &m_value);
}

void CEventParamInfo::freeze() noexcept
{
    if (!(m_value.vt & VT_BYREF))
        return;
    Variant value;
    const HRESULT hr = VariantCopyInd(&value, &m_value);
    m_value = SUCCEEDED(hr) ? std::move(value) : Variant::error(hr);
}

HRESULT CEventsParamInfo::get_item(VARIANT nIndex, IEventParamInfo **pVal) noexcept
{
    if (!pVal || !m_hasEvent)
        return E_POINTER;
    *pVal = nullptr;
    const VARIANT *index = &nIndex;
    if (index->vt == (VT_BYREF | VT_VARIANT) && index->pvarVal)
        index = index->pvarVal;
    // Parameters are found by position only: a name is not an index.
    if ((index->vt & ~VT_BYREF) == VT_BSTR)
        return S_OK;
    Variant n;
    if (FAILED(VariantChangeType(&n, index, 0, VT_I4)) || n.lVal < 0 ||
        static_cast<std::size_t>(n.lVal) >= m_params.size())
        return S_OK;
    *pVal = ComPtr<IEventParamInfo>(m_params[static_cast<std::size_t>(n.lVal)].Get()).Detach();
    return S_OK;
}

HRESULT CEventsParamInfo::get_Count(LONG *pVal) noexcept
{
    return giveOut(pVal, static_cast<LONG>(m_params.size()));
}

void CEventsParamInfo::freeze() noexcept
{
    for (const auto &p : m_params)
        p->freeze();
}

HRESULT CEventInfo::get_name(BSTR *pVal) noexcept
{
    if (pVal)
        *pVal = m_name.copy();
    return S_OK;
}

HRESULT CEventInfo::get_EventsParamInfo(IEventsParamInfo **pVal) noexcept
{
    if (pVal)
        *pVal = ComPtr<IEventsParamInfo>(m_params.Get()).Detach();
    return S_OK;
}

HRESULT CEventInfo::get_ID(LONG *pVal) noexcept
{
    if (pVal)
        *pVal = m_id;
    return S_OK;
}

HRESULT CEventInfo::get_Owner(BSTR *pVal) noexcept
{
    if (pVal)
        *pVal = m_owner.copy();
    return S_OK;
}

void CEventInfo::freeze() noexcept
{
    if (m_params)
        m_params->freeze();
}

HRESULT getEventInfoFactory(REFIID riid, void **ppv) noexcept
{
    return getClassFactory<CEventInfo>(riid, ppv);
}

HRESULT getEventParamInfoFactory(REFIID riid, void **ppv) noexcept
{
    return getClassFactory<CEventParamInfo>(riid, ppv);
}

HRESULT getEventsParamInfoFactory(REFIID riid, void **ppv) noexcept
{
    return getClassFactory<CEventsParamInfo>(riid, ppv);
}

} // namespace arbor
