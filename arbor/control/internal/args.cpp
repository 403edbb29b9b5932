#include "arbor/control/internal/args.h"

namespace arbor::control {

using platform::com::Variant;

bool isLeftOut(const VARIANT &v) noexcept
{
    return v.vt == VT_ERROR && v.scode == static_cast<SCODE>(0x80020004);
}

Variant deref(const VARIANT &v) noexcept
{
    Variant out;
    if (FAILED(VariantCopyInd(&out, &v)))
        out.clear();
    return out;
}

LONG longArg(const VARIANT &v, LONG leftOut) noexcept
{
    const Variant value = deref(v);
    if (isLeftOut(value))
        return leftOut;
    Variant converted;
    if (FAILED(VariantChangeType(&converted, &value, 0, VT_I4)))
        return 0;
    return converted.lVal;
}

bool boolArg(const VARIANT &v, bool leftOut) noexcept
{
    const Variant value = deref(v);
    if (isLeftOut(value))
        return leftOut;
    Variant converted;
    if (FAILED(VariantChangeType(&converted, &value, 0, VT_BOOL)))
        return false;
    return converted.boolVal != VARIANT_FALSE;
}

std::string narrow(BSTR text)
{
    return platform::com::utf16ToUtf8(platform::com::view(text));
}

BSTR wide(std::string_view text) noexcept
{
    try {
        const std::u16string u = platform::com::utf8ToUtf16(text);
        return SysAllocStringLen(u.data(), static_cast<UINT>(u.size()));
    } catch (...) {
        return nullptr;
    }
}

} // namespace arbor::control
