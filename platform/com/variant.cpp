// VARIANT lifetime and conversion. Every conversion goes through one of three shapes: a number
// (integer, unsigned, real or currency), a string, or an interface pointer, so that each pair of
// types follows the same range and rounding rules.
#include "platform/com/variant.h"

#include "platform/com/boundary.h"
#include "platform/com/dispatch.h"
#include "platform/com/internal/varconvert.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

using platform::com::Variant;

bool isScalarType(VARTYPE t) noexcept
{
    switch (t) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BOOL:
    case VT_BSTR:
    case VT_ERROR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return true;
    default:
        return false;
    }
}

bool isValidType(VARTYPE t) noexcept
{
    if (t & VT_BYREF) {
        const VARTYPE base = t & ~VT_BYREF;
        return base == VT_VARIANT || (isScalarType(base) && base != VT_EMPTY && base != VT_NULL);
    }
    return isScalarType(t);
}

// How many bytes the value of a by-reference variant of type `base` takes; 0 for a type that is
// never held by reference. Every union member starts at the union's address, so one copy of that
// many bytes reads any of them.
std::size_t referencedSize(VARTYPE base) noexcept
{
    switch (base) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return sizeof(SHORT);
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
        return sizeof(LONG);
    case VT_R8:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
        return sizeof(LONGLONG);
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sizeof(void *);
    default:
        return 0;
    }
}

// Copies the value a by-reference variant points at into a new, owning variant.
HRESULT dereference(VARIANT *dest, const VARIANT *src) noexcept
{
    const VARTYPE base = src->vt & ~VT_BYREF;
    if (!src->byref)
        return E_INVALIDARG;
    if (base == VT_VARIANT) {
        if (src->pvarVal->vt & VT_BYREF)
            return E_INVALIDARG;
        return VariantCopy(dest, src->pvarVal);
    }
    const std::size_t size = referencedSize(base);
    if (size == 0)
        return DISP_E_BADVARTYPE;
    VARIANT v;
    VariantInit(&v);
    std::memcpy(&v.llVal, src->byref, size);
    v.vt = base;
    return VariantCopy(dest, &v); // copies the string or adds the reference
}

} // namespace

void VariantInit(VARIANT *v) noexcept
{
    if (!v)
        return;
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT *v) noexcept
{
    if (!v)
        return E_INVALIDARG;
    if (!isValidType(v->vt))
        return DISP_E_BADVARTYPE;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt == VT_BSTR)
            SysFreeString(v->bstrVal);
        else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
            v->punkVal->Release();
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT *dest, const VARIANT *src) noexcept
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    if (!isValidType(src->vt))
        return DISP_E_BADVARTYPE;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
        src->punkVal->AddRef();
    }
    const HRESULT cleared = VariantClear(dest);
    if (FAILED(cleared)) {
        // Leave dest as it was and undo the copy.
        if (copy.vt == VT_BSTR)
            SysFreeString(copy.bstrVal);
        else if ((copy.vt == VT_DISPATCH || copy.vt == VT_UNKNOWN) && copy.punkVal)
            copy.punkVal->Release();
        return cleared;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT *dest, const VARIANT *src) noexcept
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!(src->vt & VT_BYREF))
        return VariantCopy(dest, src);
    if (!isValidType(src->vt))
        return DISP_E_BADVARTYPE;
    Variant value;
    const HRESULT hr = dereference(&value, src);
    if (FAILED(hr))
        return hr;
    // In place (dest == src) the old value is released here too; `value` holds its own copy.
    if (FAILED(VariantClear(dest)))
        return DISP_E_BADVARTYPE;
    *dest = value.detach();
    return S_OK;
}

HRESULT VariantChangeType(VARIANT *dest, const VARIANT *src, USHORT flags, VARTYPE vt) noexcept
{
    return VariantChangeTypeEx(dest, src, LOCALE_USER_DEFAULT, flags, vt);
}

HRESULT VariantChangeTypeEx(
    VARIANT *dest, const VARIANT *src, LCID, USHORT flags, VARTYPE vt) noexcept
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!isValidType(src->vt))
        return DISP_E_BADVARTYPE;
    if (vt & (VT_BYREF | VT_ARRAY))
        return DISP_E_TYPEMISMATCH;
    if (!isScalarType(vt))
        return DISP_E_BADVARTYPE;
    Variant value;
    HRESULT hr = VariantCopyInd(&value, src);
    if (FAILED(hr))
        return hr;
    Variant out;
    hr = platform::com::guarded(
        [&] { return platform::com::detail::coerce(out, value, flags, vt, 0); });
    if (FAILED(hr))
        return hr;
    // In place (dest == src) the old value is released here too; `value` holds its own copy.
    if (FAILED(VariantClear(dest)))
        return DISP_E_BADVARTYPE;
    *dest = out.detach();
    return S_OK;
}

void clearExcepInfo(EXCEPINFO *info) noexcept
{
    if (!info)
        return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    std::memset(info, 0, sizeof *info);
}

namespace platform::com {

Variant Variant::dispatch(IDispatch *p) noexcept
{
    Variant v;
    v.vt = VT_DISPATCH;
    v.pdispVal = p;
    if (p)
        p->AddRef();
    return v;
}

Variant Variant::unknown(IUnknown *p) noexcept
{
    Variant v;
    v.vt = VT_UNKNOWN;
    v.punkVal = p;
    if (p)
        p->AddRef();
    return v;
}

} // namespace platform::com
