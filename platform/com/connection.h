// Connection points: how an object hands its events to the sinks that asked for them, and the
// helper that fires one event through every sink.
#pragma once

#include "platform/com/dispatch.h"

#include <functional>
#include <memory>
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
    // Returns the number of sinks called.
    std::size_t fire(
        DISPID id, VARIANT *args, UINT count, const std::function<bool()> &afterEach = {}) noexcept;

    std::size_t sinkCount() const noexcept;
    // Drops every sink (when the owner is closed).
    void clear() noexcept;

private:
    IConnectionPointContainer *m_container; // owner; outlives the point's use by its owner
    IID m_iid;
    std::vector<ComPtr<IDispatch>> m_sinks;
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
