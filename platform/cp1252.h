// Windows-1252, the code page of the pages and logs this system reads. The five bytes 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every byte
// string converts to text and back unchanged.
#pragma once

#include <array>
#include <optional>

namespace platform {

namespace detail {
// Code points of the bytes 0x80 to 0x9F; every other byte is Latin-1.
inline constexpr std::array<char16_t, 32> kCp1252High = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E,
    0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090,
    0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153,
    0x009D, 0x017E, 0x0178 };
} // namespace detail

// The character of one byte. O(1).
constexpr char16_t cp1252ToUnicode(unsigned char byte) noexcept
{
    return (byte >= 0x80 && byte <= 0x9F) ? detail::kCp1252High[byte - 0x80] : char16_t(byte);
}

// The byte of one character, or nullopt when 1252 cannot represent it. O(1) outside 0x80-0x9F's
// 32 replacements, which are searched.
constexpr std::optional<unsigned char> unicodeToCp1252(char32_t cp) noexcept
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (std::size_t i = 0; i < detail::kCp1252High.size(); ++i) {
        if (detail::kCp1252High[i] == cp)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

} // namespace platform
