// For test objects that implement IDispatch by hand (event sinks, property holders): they answer
// Invoke only and have no type information.
#pragma once

#include "platform/com/com.h"

template <typename Base> class NoTypeInfo : public Base {
public:
    HRESULT GetTypeInfoCount(UINT *n) noexcept override { return *n = 0, S_OK; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) noexcept override
    {
        return E_NOTIMPL;
    }
};
