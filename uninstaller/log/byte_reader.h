// A cursor over a byte block that never reads past its end: every read reports failure instead,
// and the cursor then stays where it was. All integers of the log are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace uninstaller::log {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) noexcept
        : m_bytes(bytes)
    {
    }

    std::size_t position() const noexcept { return m_pos; }
    std::size_t remaining() const noexcept { return m_bytes.size() - m_pos; }
    bool atEnd() const noexcept { return m_pos == m_bytes.size(); }

    bool peekBe32(std::uint32_t &value) const noexcept
    {
        if (remaining() < 4)
            return false;
        const std::uint8_t *p = m_bytes.data() + m_pos;
        value = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) |
            (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
        return true;
    }

    bool readBe32(std::uint32_t &value) noexcept
    {
        if (!peekBe32(value))
            return false;
        m_pos += 4;
        return true;
    }

    bool readBe16(std::uint16_t &value) noexcept
    {
        if (remaining() < 2)
            return false;
        const std::uint8_t *p = m_bytes.data() + m_pos;
        value = static_cast<std::uint16_t>((p[0] << 8) | p[1]);
        m_pos += 2;
        return true;
    }

    // `length` comes from the data: it is compared with what is left, never used to allocate.
    bool readBytes(std::uint64_t length, std::span<const std::uint8_t> &out) noexcept
    {
        if (length > remaining())
            return false;
        out = m_bytes.subspan(m_pos, static_cast<std::size_t>(length));
        m_pos += static_cast<std::size_t>(length);
        return true;
    }

    bool skip(std::uint64_t length) noexcept
    {
        std::span<const std::uint8_t> ignored;
        return readBytes(length, ignored);
    }

    // A zero-terminated text; the terminator is consumed but not part of `out`. O(length).
    bool readCString(std::string_view &out) noexcept
    {
        for (std::size_t i = m_pos; i < m_bytes.size(); ++i) {
            if (m_bytes[i] == 0) {
                out = std::string_view(
                    reinterpret_cast<const char *>(m_bytes.data() + m_pos), i - m_pos);
                m_pos = i + 1;
                return true;
            }
        }
        return false;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace uninstaller::log
