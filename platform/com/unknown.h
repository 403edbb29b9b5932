// IUnknown, the smart pointer that owns interface references, the one reference-counting base of
// every object of this layer and its users, and the per-module object count behind DllCanUnloadNow.
#pragma once

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

// Interfaces have no virtual destructor: an object is destroyed by its own Release, never through
// an interface pointer.
struct IUnknown {
    static constexpr IID iid = guid("{00000000-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT QueryInterface(REFIID riid, void **ppv) noexcept = 0;
    virtual ULONG AddRef() noexcept = 0;
    virtual ULONG Release() noexcept = 0;

    template <class Q> [[nodiscard]] HRESULT QueryInterface(Q **pp) noexcept
    {
        return QueryInterface(Q::iid, reinterpret_cast<void **>(pp));
    }

protected:
    ~IUnknown() = default;
};

using LPUNKNOWN = IUnknown *;
inline constexpr IID IID_IUnknown = IUnknown::iid;

template <class T> constexpr const IID &uuidof() noexcept
{
    return T::iid;
}
#define IID_PPV_ARGS(pp)                                                                           \
    uuidof<std::remove_pointer_t<std::remove_reference_t<decltype(*(pp))>>>(),                     \
        reinterpret_cast<void **>(pp)

namespace platform::com {

// Owns one reference. Copy adds a reference, destruction releases it, so Release is never called
// by hand. `&ptr` releases the old value and gives the slot for an out-parameter.
template <class T> class ComPtr {
public:
    using InterfaceType = T;

    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept { }
    ComPtr(T *p) noexcept
        : m_ptr(p)
    {
        addRef();
    }
    ComPtr(const ComPtr &other) noexcept
        : m_ptr(other.m_ptr)
    {
        addRef();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    ComPtr(const ComPtr<U> &other) noexcept
        : m_ptr(other.Get())
    {
        addRef();
    }
    ComPtr(ComPtr &&other) noexcept
        : m_ptr(std::exchange(other.m_ptr, nullptr))
    {
    }
    ~ComPtr() { release(); }

    ComPtr &operator=(ComPtr other) noexcept
    {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }
    ComPtr &operator=(std::nullptr_t) noexcept
    {
        release();
        return *this;
    }

    T *Get() const noexcept { return m_ptr; }
    T *operator->() const noexcept { return m_ptr; }
    T &operator*() const noexcept { return *m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }
    T **operator&() noexcept { return ReleaseAndGetAddressOf(); }
    T *const *GetAddressOf() const noexcept { return &m_ptr; }
    T **GetAddressOf() noexcept { return &m_ptr; }
    T **ReleaseAndGetAddressOf() noexcept
    {
        release();
        return &m_ptr;
    }
    void **voidOut() noexcept { return reinterpret_cast<void **>(ReleaseAndGetAddressOf()); }

    void Attach(T *p) noexcept
    {
        release();
        m_ptr = p;
    }
    [[nodiscard]] T *Detach() noexcept { return std::exchange(m_ptr, nullptr); }
    void Reset() noexcept { release(); }

    // Hands out a new reference (for an out-parameter); E_POINTER when target is null.
    [[nodiscard]] HRESULT CopyTo(T **target) const noexcept
    {
        if (!target)
            return E_POINTER;
        *target = m_ptr;
        if (m_ptr)
            m_ptr->AddRef();
        return S_OK;
    }
    template <class U> [[nodiscard]] HRESULT As(ComPtr<U> *target) const noexcept
    {
        if (!m_ptr)
            return E_POINTER;
        return m_ptr->QueryInterface(U::iid, target->voidOut());
    }
    template <class U> [[nodiscard]] HRESULT As(ComPtr<U> &target) const noexcept
    {
        return As(std::addressof(target));
    }

    friend bool operator==(const ComPtr &a, const ComPtr &b) noexcept { return a.m_ptr == b.m_ptr; }
    friend bool operator==(const ComPtr &a, std::nullptr_t) noexcept { return a.m_ptr == nullptr; }

private:
    void addRef() const noexcept
    {
        if (m_ptr)
            m_ptr->AddRef();
    }
    void release() noexcept
    {
        if (T *p = std::exchange(m_ptr, nullptr))
            p->Release();
    }
    T *m_ptr = nullptr;
};

// The object and lock count of the module that contains the calling code. Each component library,
// program and the platform library have their own copy (hidden visibility), so DllCanUnloadNow of
// one library is not held up by objects of another. The functions that touch it are hidden too: an
// exported, uninlined copy could be bound at load time to another module's, which then counted
// this module's objects.
__attribute__((visibility("hidden"))) inline std::atomic<LONG> &moduleLockCount() noexcept
{
    static std::atomic<LONG> count { 0 };
    return count;
}
__attribute__((visibility("hidden"))) inline void moduleLock() noexcept
{
    moduleLockCount().fetch_add(1, std::memory_order_relaxed);
}
__attribute__((visibility("hidden"))) inline void moduleUnlock() noexcept
{
    moduleLockCount().fetch_sub(1, std::memory_order_acq_rel);
}
// The body of DllCanUnloadNow: S_OK when no object and no server lock of this module is alive.
__attribute__((visibility("hidden"))) inline HRESULT moduleCanUnloadNow() noexcept
{
    return moduleLockCount().load(std::memory_order_acquire) == 0 ? S_OK : S_FALSE;
}

namespace detail {

template <class I>
concept HasBase = requires
{
    typename I::Base;
};

// Answers `riid` with `p` converted to I, or to one of the interfaces I derives from (named by
// the interface's `Base` alias).
template <class I, class Self> bool queryChain(Self *self, REFIID riid, void **ppv) noexcept
{
    if (riid == I::iid) {
        *ppv = static_cast<I *>(self);
        return true;
    }
    if constexpr (HasBase<I>) {
        if constexpr (!std::is_same_v<typename I::Base, IUnknown>)
            return queryChain<typename I::Base>(static_cast<I *>(self), riid, ppv);
    }
    return false;
}

} // namespace detail

// The one reference-counting base: `class Widget : public ComObject<Widget, IWidget, IOther>`.
// QueryInterface answers IUnknown (always with the first interface, so identity holds), each
// listed interface and every interface it derives from. A Derived that defines
// `bool queryExtra(REFIID, void **) noexcept` can answer more identifiers (tear-offs, aliases).
// Objects count in their module's object count while they live. Create them with make().
template <class Derived, class... Interfaces> class ComObject : public Interfaces... {
public:
    static_assert(sizeof...(Interfaces) > 0);
    using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;

    [[nodiscard]] HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IUnknown::iid) {
            *ppv = static_cast<IUnknown *>(static_cast<FirstInterface *>(this));
        } else {
            bool found =
                (detail::queryChain<Interfaces>(static_cast<Interfaces *>(this), riid, ppv) || ...);
            if constexpr (requires(Derived * d) { d->queryExtra(riid, ppv); }) {
                if (!found)
                    found = static_cast<Derived *>(this)->queryExtra(riid, ppv);
            }
            if (!found)
                return E_NOINTERFACE;
        }
        static_cast<IUnknown *>(*ppv)->AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() noexcept override
    {
        const ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete static_cast<Derived *>(this);
        return left;
    }

    IUnknown *identity() noexcept { return static_cast<FirstInterface *>(this); }

    // A new object with one reference owned by the returned pointer; null on allocation failure.
    template <class... Args> static ComPtr<Derived> make(Args &&...args) noexcept
    {
        ComPtr<Derived> p;
        p.Attach(new (std::nothrow) Derived(std::forward<Args>(args)...));
        if (p)
            p->m_refs.store(1, std::memory_order_relaxed);
        return p;
    }

protected:
    ComObject() noexcept { moduleLock(); }
    virtual ~ComObject() { moduleUnlock(); }
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

private:
    std::atomic<ULONG> m_refs { 0 };
};

} // namespace platform::com

using platform::com::ComPtr;

// Marks the Dll* entry points of a component library: the only symbols it exports.
#define BIDLARK_COM_EXPORT extern "C" __attribute__((visibility("default")))
