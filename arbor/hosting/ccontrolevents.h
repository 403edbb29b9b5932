// The events of one hosted control, heard and passed on. The table is read once from the
// control's type information (its default source interface, when that is a dispinterface or a
// dual interface); a sink connected to the control turns each call into the tree's ControlEvent
// with a CEventInfo that copies the event's name, identifier, parameter names and arguments.
#pragma once

#include "platform/com/connection.h"
#include "platform/com/dispatch.h"
#include "platform/com/typeinfo.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace arbor {

class CControlClient;
class CControlEventsInfo;
class CEventInfo;

// One parameter name of an event.
struct CControlElement_EventInfo {
    std::u16string name;
};

// One function of the source interface.
struct CControlEventInfo {
    DISPID id = 0;
    std::u16string name;
    LONG optionalCount = 0;
    std::vector<CControlElement_EventInfo> params; // declaration order
    const CControlEventsInfo *table = nullptr;
};

class CControlEventsInfo {
public:
    // Reads the default source interface of `control` through its class information. False, and
    // an empty table, when there is no class information, no default source interface, or one
    // that cannot be called through IDispatch (a vtable-only interface). An event whose entry
    // cannot be built is left out. A type information that gives fewer names than the function
    // has parameters has its missing names left empty.
    bool build(IUnknown *control) noexcept;
    const CControlEventInfo *find(DISPID id) const noexcept;
    const IID &sourceIid() const noexcept { return m_iid; }

protected:
    IID m_iid {};
    ComPtr<ITypeInfo> m_typeInfo;
    std::map<DISPID, std::unique_ptr<CControlEventInfo>> m_events;
};

class CControlEvents_IDispatch;

class CControlEvents : public CControlEventsInfo {
public:
    explicit CControlEvents(CControlClient *client) noexcept
        : m_client(client)
    {
    }
    ~CControlEvents();
    CControlEvents(const CControlEvents &) = delete;
    CControlEvents &operator=(const CControlEvents &) = delete;

    // Builds the table and advises a sink on the control's point for its source interface; false
    // (nothing connected) when either fails.
    bool connect(IUnknown *control) noexcept;
    // Clears the sink's way back to us, unadvises and drops the table. Idempotent.
    void disconnect() noexcept;
    CControlClient *client() const noexcept { return m_client; }

    // What the sink hands to the tree: the event with its arguments mapped to their declared
    // parameters (positional ones last-first, named ones by their identifiers). When the
    // argument count differs from the parameter count the parameter list is empty.
    static ComPtr<CEventInfo> describe(
        const CControlEventInfo &event, std::u16string_view owner, const DISPPARAMS *args) noexcept;

private:
    CControlClient *m_client; // owns this
    ComPtr<CControlEvents_IDispatch> m_sink;
    platform::com::AdviseLink m_link;
};

// The sink the control calls. Its owner pointer is cleared on disconnection; from then on every
// call does nothing.
class CControlEvents_IDispatch final
    : public platform::com::ComObject<CControlEvents_IDispatch, IDispatch> {
public:
    explicit CControlEvents_IDispatch(CControlEvents *owner, const IID &source) noexcept
        : m_owner(owner)
        , m_source(source)
    {
    }
    void detach() noexcept { m_owner = nullptr; }

    // IUnknown, IDispatch and the control's source interface, all as this object.
    HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override;
    // Succeed with nothing: the sink describes no type of its own.
    HRESULT GetTypeInfoCount(UINT *count) noexcept override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **out) noexcept override;
    HRESULT GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) noexcept override;
    // Forwards a known event as ControlEvent; always S_OK.
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override;

private:
    CControlEvents *m_owner;
    IID m_source;
};

} // namespace arbor
