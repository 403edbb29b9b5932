#include "uninstaller/log/window_template_check.h"

#include "uninstaller/log/byte_reader.h"

namespace uninstaller::log {

namespace {

bool SkipCounted(ByteReader &reader)
{
    std::uint32_t length = 0;
    return reader.readBe32(length) && reader.skip(length);
}

} // namespace

bool IsWindowTemplateReadable(std::span<const std::uint8_t> bytes) noexcept
{
    ByteReader reader(bytes);
    std::span<const std::uint8_t> magic;
    if (!reader.readBytes(3, magic) || magic[0] != 'R' || magic[1] != 'T' || magic[2] != 'T')
        return false;
    std::uint32_t version = 0;
    if (!reader.readBe32(version))
        return false;
    if (version >= 3) {
        std::uint32_t blocks = 0;
        if (!reader.readBe32(blocks) || blocks > reader.remaining() / 8)
            return false;
        for (std::uint32_t i = 0; i < blocks; ++i) {
            std::uint32_t length = 0;
            if (!reader.readBe32(length) || !reader.skip(4) || !reader.skip(length))
                return false;
        }
    }
    std::uint16_t fontSize = 0;
    std::uint16_t fontFlags = 0;
    if (!reader.skip(9 * 4) || !reader.readBe16(fontSize) || !reader.readBe16(fontFlags) ||
        !SkipCounted(reader) || !SkipCounted(reader))
        return false;
    std::uint32_t controls = 0;
    if (!reader.readBe32(controls))
        return false;
    const std::size_t minControl = (version == 1 ? 56 : 52);
    if (controls > reader.remaining() / minControl)
        return false;
    for (std::uint32_t i = 0; i < controls; ++i) {
        if (!reader.skip(4 * 4) || (version == 1 && !reader.skip(4)) || !reader.skip(7 * 4) ||
            !SkipCounted(reader) || !reader.skip(4))
            return false;
    }
    return true;
}

} // namespace uninstaller::log
