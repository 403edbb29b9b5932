#include "arbor/hosting/internal/controlkey.h"

#include "platform/com/bstr.h"

#include <cstring>

namespace arbor::hosting {

using namespace platform::com;

Variant storedKey(const VARIANT &key) noexcept
{
    Variant copy;
    const HRESULT hr = VariantCopyInd(&copy, &key);
    if (FAILED(hr))
        return Variant::error(hr);
    return copy;
}

namespace {

bool sameObject(IUnknown *a, IUnknown *b) noexcept
{
    if (!a || !b)
        return a == b;
    ComPtr<IUnknown> ia, ib;
    if (FAILED(a->QueryInterface(IUnknown::iid, ia.voidOut())) ||
        FAILED(b->QueryInterface(IUnknown::iid, ib.voidOut())))
        return false;
    return ia.Get() == ib.Get();
}

} // namespace

bool keysEqual(const VARIANT &a, const VARIANT &b) noexcept
{
    if (a.vt != b.vt)
        return false;
    switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BSTR: {
        const UINT n = SysStringLen(a.bstrVal);
        return n == SysStringLen(b.bstrVal) &&
            (n == 0 || std::memcmp(a.bstrVal, b.bstrVal, n * sizeof(OLECHAR)) == 0);
    }
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return a.iVal == b.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return a.lVal == b.lVal;
    case VT_I1:
    case VT_UI1:
        return a.bVal == b.bVal;
    case VT_R4:
        return a.fltVal == b.fltVal;
    case VT_R8:
    case VT_DATE:
        return a.dblVal == b.dblVal;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sameObject(a.punkVal, b.punkVal);
    default:
        return false;
    }
}

std::optional<std::size_t> keyPosition(const VARIANT &key, std::size_t count) noexcept
{
    const VARIANT *v = &key;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    const VARTYPE type = v->vt & ~VT_BYREF;
    if (type != VT_I2 && type != VT_UI2 && type != VT_I4 && type != VT_UI4)
        return std::nullopt;
    Variant n;
    if (FAILED(VariantChangeType(&n, v, 0, VT_I4)) || n.lVal < 0 ||
        static_cast<std::size_t>(n.lVal) >= count)
        return std::nullopt;
    return static_cast<std::size_t>(n.lVal);
}

BStr keyText(const VARIANT &key) noexcept
{
    Variant text;
    if (FAILED(VariantChangeType(&text, &key, 0, VT_BSTR)) || text.vt != VT_BSTR)
        return BStr(u"");
    return BStr(view(text.bstrVal));
}

} // namespace arbor::hosting
