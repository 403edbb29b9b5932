#include "platform/com/guid.h"

#include <cstdio>

namespace platform::com {

std::optional<GUID> guidFromString(std::string_view text) noexcept
{
    return detail::parseGuid(text, true);
}

std::optional<GUID> guidFromString(std::u16string_view text) noexcept
{
    return detail::parseGuid(text, true);
}

std::string guidToString(REFGUID g)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
        g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
        g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

std::u16string guidToU16String(REFGUID g)
{
    const std::string narrow = guidToString(g);
    return std::u16string(narrow.begin(), narrow.end());
}

std::size_t GuidHash::operator()(REFGUID g) const noexcept
{
    std::size_t h = g.Data1;
    h = h * 31 + g.Data2;
    h = h * 31 + g.Data3;
    for (BYTE b : g.Data4)
        h = h * 31 + b;
    return h;
}

} // namespace platform::com
