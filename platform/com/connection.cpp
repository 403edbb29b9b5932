#include "platform/com/connection.h"

#include "platform/com/boundary.h"
#include "platform/com/enumvariant.h"

namespace platform::com {

namespace {

// Snapshots taken when EnumConnections / EnumConnectionPoints was called.
using Connection = std::pair<ComPtr<IUnknown>, DWORD>;

HRESULT copyConnection(const Connection &item, CONNECTDATA *out) noexcept
{
    out->pUnk = item.first.Get();
    out->pUnk->AddRef();
    out->dwCookie = item.second;
    return S_OK;
}

HRESULT copyPoint(const ComPtr<IConnectionPoint> &item, IConnectionPoint **out) noexcept
{
    return item.CopyTo(out);
}

using ConnectionEnum = SnapshotEnum<IEnumConnections, CONNECTDATA, Connection, copyConnection>;
using PointEnum =
    SnapshotEnum<IEnumConnectionPoints, IConnectionPoint *, ComPtr<IConnectionPoint>, copyPoint>;

} // namespace

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IUnknown::iid && riid != IConnectionPoint::iid)
        return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint *>(this);
    AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID *iid) noexcept
{
    if (!iid)
        return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie) noexcept
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    ComPtr<IUnknown> events;
    if (FAILED(sink->QueryInterface(m_iid, events.voidOut())) || !events)
        return CONNECT_E_CANNOTCONNECT;
    return guarded([&] {
        for (std::size_t i = 0; i < m_sinks.size(); ++i) {
            if (!m_sinks[i]) {
                m_sinks[i] = std::move(events);
                *cookie = static_cast<DWORD>(i + 1);
                return S_OK;
            }
        }
        if (m_sinks.size() >= kMaxSinks)
            return CONNECT_E_ADVISELIMIT;
        m_sinks.push_back(std::move(events));
        *cookie = static_cast<DWORD>(m_sinks.size());
        return S_OK;
    });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) noexcept
{
    if (cookie == 0 || cookie > m_sinks.size() || !m_sinks[cookie - 1])
        return CONNECT_E_NOCONNECTION;
    ComPtr<IUnknown> released = std::move(m_sinks[cookie - 1]); // released after the slot is clear
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return guarded([&] {
        std::vector<Connection> items;
        for (std::size_t i = 0; i < m_sinks.size(); ++i)
            if (m_sinks[i])
                items.emplace_back(m_sinks[i], static_cast<DWORD>(i + 1));
        auto e = ConnectionEnum::make(std::move(items));
        if (!e)
            return E_OUTOFMEMORY;
        *out = e.Detach();
        return S_OK;
    });
}

std::size_t ConnectionPoint::fire(
    DISPID id, VARIANT *args, UINT count, const std::function<bool()> &afterEach) noexcept
{
    struct Round {
        DISPID id;
        std::vector<VARIANT> reversed;
        const std::function<bool()> &afterEach;
    } round { id, {}, afterEach };
    try {
        round.reversed.resize(count);
    } catch (...) {
        return 0;
    }
    for (UINT i = 0; i < count; ++i)
        round.reversed[count - 1 - i] = args[i]; // borrowed, not owned
    return visitSinks(
        [](void *context, IUnknown *sink) {
            auto &r = *static_cast<Round *>(context);
            const UINT n = static_cast<UINT>(r.reversed.size());
            DISPPARAMS params { n ? r.reversed.data() : nullptr, nullptr, n, 0 };
            // Advise stored what the sink answered for this point's dispatch interface.
            (void)static_cast<IDispatch *>(sink)->Invoke(r.id, IID_NULL, LOCALE_USER_DEFAULT,
                DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
            return !r.afterEach || r.afterEach();
        },
        &round);
}

std::size_t ConnectionPoint::visitSinks(bool (*call)(void *, IUnknown *), void *context) noexcept
{
    std::vector<ComPtr<IUnknown>> snapshot;
    try {
        snapshot = m_sinks;
    } catch (...) {
        return 0;
    }
    std::size_t called = 0;
    for (std::size_t slot = 0; slot < snapshot.size(); ++slot) {
        const ComPtr<IUnknown> &sink = snapshot[slot];
        if (!sink || slot >= m_sinks.size() || m_sinks[slot] != sink)
            continue; // removed before its turn
        ++called;
        try {
            if (!call(context, sink.Get()))
                break;
        } catch (...) {
            break;
        }
    }
    return called;
}

std::size_t ConnectionPoint::sinkCount() const noexcept
{
    std::size_t n = 0;
    for (const auto &s : m_sinks)
        n += s ? 1 : 0;
    return n;
}

void ConnectionPoint::clear() noexcept
{
    std::vector<ComPtr<IUnknown>> released;
    released.swap(m_sinks);
}

HRESULT ConnectionPointContainerImpl::EnumConnectionPoints(IEnumConnectionPoints **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return guarded([&] {
        std::vector<ComPtr<IConnectionPoint>> items;
        for (const auto &p : m_points)
            items.emplace_back(p.get());
        auto e = PointEnum::make(std::move(items));
        if (!e)
            return E_OUTOFMEMORY;
        *out = e.Detach();
        return S_OK;
    });
}

HRESULT ConnectionPointContainerImpl::FindConnectionPoint(
    REFIID riid, IConnectionPoint **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (ConnectionPoint *p = point(riid)) {
        *out = p;
        p->AddRef();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

ConnectionPoint *ConnectionPointContainerImpl::addPoint(REFIID eventIid) noexcept
{
    try {
        m_points.push_back(std::make_unique<ConnectionPoint>(this, eventIid));
        return m_points.back().get();
    } catch (...) {
        return nullptr;
    }
}

ConnectionPoint *ConnectionPointContainerImpl::point(REFIID eventIid) const noexcept
{
    for (const auto &p : m_points) {
        IID iid;
        if (SUCCEEDED(p->GetConnectionInterface(&iid)) && iid == eventIid)
            return p.get();
    }
    return nullptr;
}

AdviseLink &AdviseLink::operator=(AdviseLink &&other) noexcept
{
    if (this != &other) {
        reset();
        m_point = std::move(other.m_point);
        m_cookie = std::exchange(other.m_cookie, 0);
    }
    return *this;
}

HRESULT AdviseLink::connect(IUnknown *source, REFIID eventIid, IUnknown *sink) noexcept
{
    reset();
    if (!source || !sink)
        return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(source->QueryInterface(IID_PPV_ARGS(&container))) || !container)
        return E_NOINTERFACE;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = container->FindConnectionPoint(eventIid, &point);
    if (FAILED(hr))
        return hr;
    DWORD cookie = 0;
    hr = point->Advise(sink, &cookie);
    if (FAILED(hr))
        return hr;
    m_point = std::move(point);
    m_cookie = cookie;
    return S_OK;
}

void AdviseLink::reset() noexcept
{
    // Cleared before the call: the sink's last release may run code that looks at this link.
    const ComPtr<IConnectionPoint> point = std::move(m_point);
    const DWORD cookie = std::exchange(m_cookie, 0);
    if (point && cookie)
        (void)point->Unadvise(cookie);
}

} // namespace platform::com
