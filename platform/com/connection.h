// Connection points: how an object hands its events to the sinks that asked for them, and the
// helper that fires one event through every sink.
#pragma once

#include "platform/com/dispatch.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

struct IConnectionPointContainer;
struct IEnumConnectionPoints;
struct IEnumConnections;

struct CONNECTDATA {
    IUnknown *pUnk;
    DWORD dwCookie;
};

struct IConnectionPoint : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT GetConnectionInterface(IID *pIID) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetConnectionPointContainer(
        IConnectionPointContainer **ppCPC) noexcept = 0;
    [[nodiscard]] virtual HRESULT Advise(IUnknown *pUnkSink, DWORD *pdwCookie) noexcept = 0;
    [[nodiscard]] virtual HRESULT Unadvise(DWORD dwCookie) noexcept = 0;
    [[nodiscard]] virtual HRESULT EnumConnections(IEnumConnections **ppEnum) noexcept = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints **ppEnum) noexcept = 0;
    [[nodiscard]] virtual HRESULT FindConnectionPoint(
        REFIID riid, IConnectionPoint **ppCP) noexcept = 0;

protected:
    ~IConnectionPointContainer() = default;
};

struct IEnumConnections : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B287-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT Next(
        ULONG cConnections, CONNECTDATA *rgcd, ULONG *pcFetched) noexcept = 0;
    [[nodiscard]] virtual HRESULT Skip(ULONG cConnections) noexcept = 0;
    [[nodiscard]] virtual HRESULT Reset() noexcept = 0;
    [[nodiscard]] virtual HRESULT Clone(IEnumConnections **ppEnum) noexcept = 0;

protected:
    ~IEnumConnections() = default;
};

struct IEnumConnectionPoints : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B285-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT Next(
        ULONG cConnections, IConnectionPoint **ppCP, ULONG *pcFetched) noexcept = 0;
    [[nodiscard]] virtual HRESULT Skip(ULONG cConnections) noexcept = 0;
    [[nodiscard]] virtual HRESULT Reset() noexcept = 0;
    [[nodiscard]] virtual HRESULT Clone(IEnumConnectionPoints **ppEnum) noexcept = 0;

protected:
    ~IEnumConnectionPoints() = default;
};

inline constexpr IID IID_IConnectionPoint = IConnectionPoint::iid;
inline constexpr IID IID_IConnectionPointContainer = IConnectionPointContainer::iid;

namespace platform::com {

// The connection point for one event interface, a part of its container object: it lives inside
// the container and counts its references on the container, so a sink or host that holds the point
// keeps the container alive and no cycle arises.
//
// Sinks live in slots; a cookie is slot + 1, so 0 is never a valid cookie, and a freed slot is
// reused by the next Advise. Events go to sinks in slot order (connection order until a sink
// leaves).
class ConnectionPoint final : public IConnectionPoint {
public:
    // At most this many sinks at once (CONNECT_E_ADVISELIMIT beyond).
    static constexpr std::size_t kMaxSinks = 4096;

    ConnectionPoint(IConnectionPointContainer *container, REFIID eventIid) noexcept
        : m_container(container)
        , m_iid(eventIid)
    {
    }
    ConnectionPoint(const ConnectionPoint &) = delete;
    ConnectionPoint &operator=(const ConnectionPoint &) = delete;
    ~ConnectionPoint() = default;

    [[nodiscard]] HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override;
    ULONG AddRef() noexcept override { return m_container->AddRef(); }
    ULONG Release() noexcept override { return m_container->Release(); }

    [[nodiscard]] HRESULT GetConnectionInterface(IID *iid) noexcept override;
    [[nodiscard]] HRESULT GetConnectionPointContainer(
        IConnectionPointContainer **out) noexcept override;
    // Queries the sink for the event interface (CONNECT_E_CANNOTCONNECT when it has none).
    [[nodiscard]] HRESULT Advise(IUnknown *sink, DWORD *cookie) noexcept override;
    // CONNECT_E_NOCONNECTION for 0, an unknown cookie or an empty slot.
    [[nodiscard]] HRESULT Unadvise(DWORD cookie) noexcept override;
    [[nodiscard]] HRESULT EnumConnections(IEnumConnections **out) noexcept override;

    // Calls DISPID `id` on every sink with IDispatch::Invoke (arguments first-to-last). Each sink
    // is held by a reference during its call; a sink removed before its turn (by itself or another
    // sink) is skipped. `afterEach`, when given, runs after every sink, so a caller can read back
    // by-reference arguments such as a cancel flag; returning false stops the firing.
    // Returns the number of sinks called. Only for a point of a dispatch interface.
    std::size_t fire(
        DISPID id, VARIANT *args, UINT count, const std::function<bool()> &afterEach = {}) noexcept;

    // Calls `call(Sink *)` on every sink of a point whose event interface is Sink (a vtable
    // interface such as IPropertyNotifySink), under the same rules as fire(): each sink held
    // during its call, one removed before its turn skipped. An exception from `call` stops the
    // round. Returns the number of sinks called; 0 when Sink is not this point's interface.
    template <class Sink, class F> std::size_t forEachSink(F &&call) noexcept
    {
        if (Sink::iid != m_iid)
            return 0;
        using Call = std::remove_reference_t<F>;
        return visitSinks(
            [](void *context, IUnknown *sink) {
                // Advise stored what the sink answered for Sink::iid, so the pointer is a Sink.
                (*static_cast<Call *>(context))(static_cast<Sink *>(sink));
                return true;
            },
            const_cast<void *>(static_cast<const void *>(std::addressof(call))));
    }

    std::size_t sinkCount() const noexcept;
    // Drops every sink (when the owner is closed).
    void clear() noexcept;

private:
    // The loop behind fire() and forEachSink(): `call(context, sink)` gets each live sink in slot
    // order and returns false to stop. A plain function and context, so that no allocation can
    // fail on the way to the sinks.
    std::size_t visitSinks(bool (*call)(void *, IUnknown *), void *context) noexcept;

    IConnectionPointContainer *m_container; // owner; outlives the point's use by its owner
    IID m_iid;
    // Each slot holds the sink's pointer for m_iid, whatever that interface is.
    std::vector<ComPtr<IUnknown>> m_sinks;
};

// One advise connection held by whoever watches an object: the object's point and the cookie.
// Unadvises when reset, reassigned or destroyed. The point counts its references on the watched
// object, so the link keeps that object alive; the sink it connected must therefore not hold the
// link's owner, or the two keep each other alive.
class AdviseLink {
public:
    AdviseLink() noexcept = default;
    AdviseLink(AdviseLink &&other) noexcept
        : m_point(std::move(other.m_point))
        , m_cookie(std::exchange(other.m_cookie, 0))
    {
    }
    AdviseLink &operator=(AdviseLink &&other) noexcept;
    AdviseLink(const AdviseLink &) = delete;
    AdviseLink &operator=(const AdviseLink &) = delete;
    ~AdviseLink() { reset(); }

    // Unadvises any earlier connection, then advises `sink` on `source`'s point for `eventIid`.
    // E_POINTER for a null source or sink, E_NOINTERFACE when the source has no connection
    // points, otherwise what FindConnectionPoint or Advise gives; the link is empty on failure.
    [[nodiscard]] HRESULT connect(IUnknown *source, REFIID eventIid, IUnknown *sink) noexcept;
    // Unadvises and lets go of the point; nothing for an empty link.
    void reset() noexcept;
    bool connected() const noexcept { return m_cookie != 0; }

private:
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// IConnectionPointContainer over a fixed set of connection points owned by the object. Derive an
// object from it and create its points in the constructor with addPoint().
class ConnectionPointContainerImpl : public IConnectionPointContainer {
public:
    [[nodiscard]] HRESULT EnumConnectionPoints(IEnumConnectionPoints **out) noexcept override;
    [[nodiscard]] HRESULT FindConnectionPoint(
        REFIID riid, IConnectionPoint **out) noexcept override;

protected:
    ConnectionPoint *addPoint(REFIID eventIid) noexcept;
    ConnectionPoint *point(REFIID eventIid) const noexcept;

private:
    std::vector<std::unique_ptr<ConnectionPoint>> m_points;
};

} // namespace platform::com
