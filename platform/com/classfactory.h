// IClassFactory and the factory template every component class uses.
#pragma once

#include "platform/com/unknown.h"

struct IClassFactory : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00000001-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT CreateInstance(
        IUnknown *pUnkOuter, REFIID riid, void **ppvObject) noexcept = 0;
    [[nodiscard]] virtual HRESULT LockServer(BOOL fLock) noexcept = 0;

protected:
    ~IClassFactory() = default;
};
inline constexpr IID IID_IClassFactory = IClassFactory::iid;

namespace platform::com {

// Creates objects of T (a ComObject with a default constructor). Aggregation is not supported:
// a non-null outer object gives CLASS_E_NOAGGREGATION. *ppv is zeroed before anything else.
template <class T> class ClassFactory final : public ComObject<ClassFactory<T>, IClassFactory> {
public:
    [[nodiscard]] HRESULT CreateInstance(IUnknown *outer, REFIID riid, void **ppv) noexcept override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ComPtr<T> object = T::make();
        if (!object)
            return E_OUTOFMEMORY;
        return object->QueryInterface(riid, ppv);
    }
    [[nodiscard]] HRESULT LockServer(BOOL lock) noexcept override
    {
        if (lock)
            moduleLock();
        else
            moduleUnlock();
        return S_OK;
    }
};

// One row of a component library's class table, for DllGetClassObject.
struct ClassEntry {
    const CLSID *clsid;
    HRESULT (*getFactory)(REFIID riid, void **ppv) noexcept;
};

// The factory of T, created once on first use and kept for the life of the module.
template <class T> HRESULT getClassFactory(REFIID riid, void **ppv) noexcept
{
    static ComPtr<ClassFactory<T>> factory = ClassFactory<T>::make();
    if (!factory)
        return E_OUTOFMEMORY;
    // The module's own cached factory must not keep DllCanUnloadNow from answering yes.
    static const bool uncounted = (moduleUnlock(), true);
    (void)uncounted;
    return factory->QueryInterface(riid, ppv);
}

// The body of DllGetClassObject over a class table: CLASS_E_CLASSNOTAVAILABLE for a class that is
// not in it, E_POINTER for a missing out-pointer.
inline HRESULT getClassObject(
    const ClassEntry *table, std::size_t count, REFCLSID clsid, REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < count; ++i)
        if (*table[i].clsid == clsid)
            return table[i].getFactory(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace platform::com
