// The progress window's template as the installer wrote it into the log's user-interface part:
// the window's style, place and size, its font and title, and one record per control. Reading it
// is separate from building the window so that the log reader can refuse a template that could
// never be built before anything is removed, and so the reader can be fuzzed without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace uninstaller::log {

struct TemplateControl {
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    std::uint32_t kind = 0;
    std::uint32_t subKind = 0;
    std::uint32_t number = 0;
    // Signed: the template stores two's complement values, and a negative place is legal.
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t textColour = 0;
    std::uint32_t backgroundColour = 0;
    std::string text; // Windows-1252 bytes
    std::int32_t picture = 0; // -1 and -2 have meanings of their own; see the window builder

    bool operator==(const TemplateControl &) const = default;
};

struct WindowTemplate {
    std::uint32_t version = 0;
    // Opaque blocks of version 3 and later (4-byte tag, then the data); kept only so that a
    // template written and read back compares equal.
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> extraBlocks;
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    // Two window values nothing here uses; kept for a faithful round trip.
    std::uint32_t unused1 = 0;
    std::uint32_t unused2 = 0;
    std::uint32_t positionCode = 0;
    std::int32_t xOffset = 0;
    std::int32_t yOffset = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t fontSize = 0; // points
    std::uint16_t fontFlags = 0; // bit 0 bold, bit 1 italic
    std::string fontFace;
    std::string title;
    std::vector<TemplateControl> controls;

    bool operator==(const WindowTemplate &) const = default;
};

inline constexpr std::uint16_t kFontBold = 0x1;
inline constexpr std::uint16_t kFontItalic = 0x2;

// The template, or nullopt when the magic is not "RTT" or any field, length or count runs past
// the block. Trailing bytes are allowed. Counts are checked against the bytes left before anything
// is reserved, so a hostile count never allocates more than the block could hold. O(n).
std::optional<WindowTemplate> parseWindowTemplate(std::span<const std::uint8_t> bytes);

// The bytes parseWindowTemplate reads back as `tpl` (the log writer's side).
std::vector<std::uint8_t> encodeWindowTemplate(const WindowTemplate &tpl);

} // namespace uninstaller::log
