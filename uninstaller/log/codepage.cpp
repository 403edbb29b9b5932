#include "uninstaller/log/codepage.h"

#include "platform/cp1252.h"

#include <array>
#include <cstdint>

namespace uninstaller::log {

namespace {

char32_t codePointOf(unsigned char byte)
{
    return platform::cp1252ToUnicode(byte);
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<unsigned char> byteOf(char32_t cp)
{
    return platform::unicodeToCp1252(cp);
}

} // namespace

unsigned char foldCase(unsigned char byte) noexcept
{
    if (byte >= 'a' && byte <= 'z')
        return static_cast<unsigned char>(byte - 'a' + 'A');
    switch (byte) {
    case 229:
        return 197;
    case 228:
        return 196;
    case 246:
        return 214;
    default:
        return byte;
    }
}

bool equalsNoCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(static_cast<unsigned char>(a[i])) !=
            foldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string foldedCopy(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return out;
}

std::string cp1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> utf8ToCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        std::size_t extra = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            extra = 2;
        } else {
            return std::nullopt; // four-byte sequences lie outside 1252 anyway
        }
        if (i + extra >= text.size())
            return std::nullopt; // sequence cut off at the end
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (next & 0x3F);
        }
        const auto byte = byteOf(cp);
        if (!byte)
            return std::nullopt;
        out += static_cast<char>(*byte);
        i += extra + 1;
    }
    return out;
}

QString cp1252ToQString(std::string_view text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        out += QChar(static_cast<char16_t>(codePointOf(static_cast<unsigned char>(c))));
    return out;
}

} // namespace uninstaller::log
