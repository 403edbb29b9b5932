// The description of one forwarded event that a host reads inside ControlEvent: the event's name
// and identifier, the key of the control that raised it, and its parameters with their declared
// names and values. Everything is a copy, so a host may keep and read it after the control or its
// item is gone. By-reference arguments stay references while the event is being raised (a host's
// write through one reaches the control) and become plain values once it has been.
#pragma once

#include "arbor/typelib.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"

#include <vector>

namespace arbor {

class CEventParamInfo final
    : public platform::com::ComObject<CEventParamInfo,
          platform::com::DualImpl<IEventParamInfo, typelib::kEventParamInfoDesc>> {
public:
    CEventParamInfo() noexcept = default;
    CEventParamInfo(std::u16string_view name, const VARIANT &value) noexcept;

    // E_POINTER without an out pointer.
    HRESULT get_name(BSTR *pVal) noexcept override;
    // A copy of the value; without an out pointer nothing happens (S_OK).
    HRESULT get_Value(VARIANT *pVal) noexcept override;

    // A by-reference value becomes the value it refers to.
    void freeze() noexcept;

private:
    platform::com::BStr m_name { u"" };
    platform::com::Variant m_value;
};

class CEventsParamInfo final
    : public platform::com::ComObject<CEventsParamInfo,
          platform::com::DualImpl<IEventsParamInfo, typelib::kEventsParamInfoDesc>> {
public:
    CEventsParamInfo() noexcept = default;
    explicit CEventsParamInfo(std::vector<ComPtr<CEventParamInfo>> params) noexcept
        : m_params(std::move(params))
        , m_hasEvent(true)
    {
    }

    // nIndex converted to a 0-based position; a string, an index out of range or one that does
    // not convert gives no object (S_OK). E_POINTER without an out pointer or outside an event.
    HRESULT get_item(VARIANT nIndex, IEventParamInfo **pVal) noexcept override;
    HRESULT get_Count(LONG *pVal) noexcept override;

    void freeze() noexcept;

private:
    std::vector<ComPtr<CEventParamInfo>> m_params;
    bool m_hasEvent = false; // false for one made on its own through the class factory
};

class CEventInfo final : public platform::com::ComObject<CEventInfo,
                             platform::com::DualImpl<IEventInfo, typelib::kEventInfoDesc>> {
public:
    CEventInfo() noexcept = default;
    CEventInfo(std::u16string_view name, DISPID id, std::u16string_view owner,
        ComPtr<CEventsParamInfo> params) noexcept
        : m_name(name)
        , m_id(id)
        , m_owner(owner)
        , m_params(std::move(params))
    {
    }

    // Each is a successful no-op without an out pointer.
    HRESULT get_name(BSTR *pVal) noexcept override;
    HRESULT get_EventsParamInfo(IEventsParamInfo **pVal) noexcept override;
    HRESULT get_ID(LONG *pVal) noexcept override;
    HRESULT get_Owner(BSTR *pVal) noexcept override;

    // The event has been raised: by-reference values are copied by value from now on.
    void freeze() noexcept;

private:
    platform::com::BStr m_name { u"" };
    DISPID m_id = 0;
    platform::com::BStr m_owner { u"" };
    ComPtr<CEventsParamInfo> m_params;
};

// The factory entries of the served-class table.
HRESULT getEventInfoFactory(REFIID riid, void **ppv) noexcept;
HRESULT getEventParamInfoFactory(REFIID riid, void **ppv) noexcept;
HRESULT getEventsParamInfoFactory(REFIID riid, void **ppv) noexcept;

} // namespace arbor
