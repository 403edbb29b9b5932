// The log's texts are bytes of Windows-1252, the code page its installers wrote them in. These
// helpers keep them as bytes inside the uninstaller and convert only where a text meets the file
// system (UTF-8 on Linux), the registry store (UTF-8) or a window (QString).
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace uninstaller::log {

// Folds a-z and the three letters å, ä, ö (229, 228, 246) to their capitals (197, 196, 214); every
// other byte is returned unchanged. This is the only case folding the log format knows.
unsigned char foldCase(unsigned char byte) noexcept;

// Byte-by-byte comparison of the folded texts.
bool equalsNoCase(std::string_view a, std::string_view b) noexcept;

// The text folded to capitals, byte by byte. O(n).
std::string foldedCopy(std::string_view text);

// Windows-1252 bytes to UTF-8. The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 controls of the same value, so every byte string converts and converts back. O(n).
std::string cp1252ToUtf8(std::string_view text);

// UTF-8 to Windows-1252; nullopt when the text is not UTF-8 or holds a character 1252 cannot
// represent. Used by the log writer, which must refuse such texts rather than write a wrong log.
std::optional<std::string> utf8ToCp1252(std::string_view text);

// Windows-1252 bytes to a QString for display.
QString cp1252ToQString(std::string_view text);

} // namespace uninstaller::log
