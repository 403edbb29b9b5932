// GUID, IID and CLSID as a constexpr value type. Identifiers are written in the registry and in
// scripts as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; the same parser serves compile-time
// constants (a malformed literal fails to compile) and run-time text (a malformed text is refused).
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};

    friend constexpr bool operator==(const GUID &, const GUID &) = default;
};

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID &;
using REFIID = const IID &;
using REFCLSID = const CLSID &;
using LPGUID = GUID *;
using LPCLSID = CLSID *;

namespace platform::com::detail {

constexpr int hexDigit(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

template <class Char>
constexpr std::optional<GUID> parseGuid(std::basic_string_view<Char> text, bool braces) noexcept
{
    const std::size_t expected = braces ? 38 : 36;
    if (text.size() != expected)
        return std::nullopt;
    if (braces) {
        if (text.front() != Char('{') || text.back() != Char('}'))
            return std::nullopt;
        text = text.substr(1, 36);
    }
    for (std::size_t dash : { 8u, 13u, 18u, 23u })
        if (text[dash] != Char('-'))
            return std::nullopt;
    std::size_t pos = 0;
    auto take = [&](int digits, std::uint64_t &out) {
        out = 0;
        for (int i = 0; i < digits; ++i) {
            if (text[pos] == Char('-'))
                ++pos;
            const auto c = text[pos++];
            const int d = (c > 0x7f) ? -1 : hexDigit(static_cast<char>(c));
            if (d < 0)
                return false;
            out = out * 16 + static_cast<std::uint64_t>(d);
        }
        return true;
    };
    GUID g;
    std::uint64_t v = 0;
    if (!take(8, v))
        return std::nullopt;
    g.Data1 = static_cast<DWORD>(v);
    if (!take(4, v))
        return std::nullopt;
    g.Data2 = static_cast<WORD>(v);
    if (!take(4, v))
        return std::nullopt;
    g.Data3 = static_cast<WORD>(v);
    for (int i = 0; i < 8; ++i) {
        if (!take(2, v))
            return std::nullopt;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    return g;
}

} // namespace platform::com::detail

// A compile-time identifier: `constexpr IID iid = guid("{...}")`. Braces are optional here.
consteval GUID guid(std::string_view text)
{
    auto g = platform::com::detail::parseGuid(text, !text.empty() && text.front() == '{');
    if (!g)
        throw "malformed GUID literal";
    return *g;
}

inline constexpr GUID GUID_NULL {};
inline constexpr IID IID_NULL {};
inline constexpr CLSID CLSID_NULL {};

inline bool IsEqualGUID(REFGUID a, REFGUID b) noexcept
{
    return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) noexcept
{
    return a == b;
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) noexcept
{
    return a == b;
}

namespace platform::com {

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces required) in either case; anything else,
// including surrounding blanks, gives nullopt.
std::optional<GUID> guidFromString(std::string_view text) noexcept;
std::optional<GUID> guidFromString(std::u16string_view text) noexcept;

// The registry form: braces, upper-case hex digits.
std::string guidToString(REFGUID g);
std::u16string guidToU16String(REFGUID g);

struct GuidHash {
    std::size_t operator()(REFGUID g) const noexcept;
};

} // namespace platform::com
