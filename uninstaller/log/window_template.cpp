#include "uninstaller/log/window_template.h"

#include "uninstaller/log/byte_reader.h"

namespace uninstaller::log {

namespace {

// The smallest control record: 11 numbers, the text length and the picture reference.
constexpr std::size_t kMinControlBytes = 13 * 4;

bool readCounted(ByteReader &reader, std::string &text)
{
    std::uint32_t length = 0;
    std::span<const std::uint8_t> bytes;
    if (!reader.readBe32(length) || !reader.readBytes(length, bytes))
        return false;
    text.assign(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    return true;
}

bool readSigned(ByteReader &reader, std::int32_t &value)
{
    std::uint32_t raw = 0;
    if (!reader.readBe32(raw))
        return false;
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool readControl(ByteReader &reader, std::uint32_t version, TemplateControl &c)
{
    if (!reader.readBe32(c.style) || !reader.readBe32(c.extendedStyle) ||
        !reader.readBe32(c.kind) || !reader.readBe32(c.subKind))
        return false;
    if (version == 1 && !reader.skip(4))
        return false;
    return reader.readBe32(c.number) && readSigned(reader, c.x) && readSigned(reader, c.y) &&
        readSigned(reader, c.width) && readSigned(reader, c.height) &&
        reader.readBe32(c.textColour) && reader.readBe32(c.backgroundColour) &&
        readCounted(reader, c.text) && readSigned(reader, c.picture);
}

void putBe32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putBe16(std::vector<std::uint8_t> &out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void putText(std::vector<std::uint8_t> &out, const std::string &text)
{
    putBe32(out, static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

} // namespace

std::optional<WindowTemplate> parseWindowTemplate(std::span<const std::uint8_t> bytes)
{
    ByteReader reader(bytes);
    std::span<const std::uint8_t> magic;
    if (!reader.readBytes(3, magic) || magic[0] != 'R' || magic[1] != 'T' || magic[2] != 'T')
        return std::nullopt;
    WindowTemplate tpl;
    if (!reader.readBe32(tpl.version))
        return std::nullopt;
    if (tpl.version >= 3) {
        std::uint32_t blocks = 0;
        if (!reader.readBe32(blocks) || blocks > reader.remaining() / 8)
            return std::nullopt;
        tpl.extraBlocks.reserve(blocks);
        for (std::uint32_t i = 0; i < blocks; ++i) {
            std::uint32_t length = 0;
            std::uint32_t tag = 0;
            std::span<const std::uint8_t> data;
            if (!reader.readBe32(length) || !reader.readBe32(tag) ||
                !reader.readBytes(length, data))
                return std::nullopt;
            tpl.extraBlocks.emplace_back(tag, std::vector<std::uint8_t>(data.begin(), data.end()));
        }
    }
    if (!reader.readBe32(tpl.style) || !reader.readBe32(tpl.extendedStyle) ||
        !reader.readBe32(tpl.unused1) || !reader.readBe32(tpl.unused2) ||
        !reader.readBe32(tpl.positionCode) || !readSigned(reader, tpl.xOffset) ||
        !readSigned(reader, tpl.yOffset) || !readSigned(reader, tpl.width) ||
        !readSigned(reader, tpl.height) || !reader.readBe16(tpl.fontSize) ||
        !reader.readBe16(tpl.fontFlags) || !readCounted(reader, tpl.fontFace) ||
        !readCounted(reader, tpl.title))
        return std::nullopt;
    std::uint32_t count = 0;
    const std::size_t minControl = kMinControlBytes + (tpl.version == 1 ? 4 : 0);
    if (!reader.readBe32(count) || count > reader.remaining() / minControl)
        return std::nullopt;
    tpl.controls.resize(count);
    for (TemplateControl &control : tpl.controls) {
        if (!readControl(reader, tpl.version, control))
            return std::nullopt;
    }
    return tpl;
}

std::vector<std::uint8_t> encodeWindowTemplate(const WindowTemplate &tpl)
{
    std::vector<std::uint8_t> out = { 'R', 'T', 'T' };
    putBe32(out, tpl.version);
    if (tpl.version >= 3) {
        putBe32(out, static_cast<std::uint32_t>(tpl.extraBlocks.size()));
        for (const auto &[tag, data] : tpl.extraBlocks) {
            putBe32(out, static_cast<std::uint32_t>(data.size()));
            putBe32(out, tag);
            out.insert(out.end(), data.begin(), data.end());
        }
    }
    for (std::uint32_t value :
        { tpl.style, tpl.extendedStyle, tpl.unused1, tpl.unused2, tpl.positionCode,
            static_cast<std::uint32_t>(tpl.xOffset), static_cast<std::uint32_t>(tpl.yOffset),
            static_cast<std::uint32_t>(tpl.width), static_cast<std::uint32_t>(tpl.height) })
        putBe32(out, value);
    putBe16(out, tpl.fontSize);
    putBe16(out, tpl.fontFlags);
    putText(out, tpl.fontFace);
    putText(out, tpl.title);
    putBe32(out, static_cast<std::uint32_t>(tpl.controls.size()));
    for (const TemplateControl &c : tpl.controls) {
        for (std::uint32_t value : { c.style, c.extendedStyle, c.kind, c.subKind })
            putBe32(out, value);
        if (tpl.version == 1)
            putBe32(out, 0);
        for (std::uint32_t value : { c.number, static_cast<std::uint32_t>(c.x),
                 static_cast<std::uint32_t>(c.y), static_cast<std::uint32_t>(c.width),
                 static_cast<std::uint32_t>(c.height), c.textColour, c.backgroundColour })
            putBe32(out, value);
        putText(out, c.text);
        putBe32(out, static_cast<std::uint32_t>(c.picture));
    }
    return out;
}

} // namespace uninstaller::log
