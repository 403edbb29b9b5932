// IDispatch for an object that only receives calls (an event sink): it describes no type and knows
// no names, so a source can only Invoke it by DISPID.
#pragma once

#include "platform/com/dispatch.h"

namespace platform::com {

// Base is the object's ComObject<Derived, IDispatch, ...>; the derived class writes Invoke.
template <class Base> class TypelessDispatch : public Base {
public:
    HRESULT GetTypeInfoCount(UINT *count) noexcept override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **info) noexcept override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) noexcept override
    {
        return DISP_E_UNKNOWNNAME;
    }
};

} // namespace platform::com
