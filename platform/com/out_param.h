// Out parameters of interface members.
#pragma once

#include "platform/com/hresult.h"

namespace platform::com {

// The body of most getters: E_POINTER for a null out pointer, else the value and S_OK.
template <class T, class V> [[nodiscard]] HRESULT giveOut(T *out, const V &value) noexcept
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

} // namespace platform::com
