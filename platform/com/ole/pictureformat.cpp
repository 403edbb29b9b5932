#include "platform/com/ole/internal/pictureformat.h"

#include <cstring>

namespace platform::com {
namespace {

// Little- and big-endian reads at a checked offset.
class Reader {
public:
    explicit Reader(std::string_view data) noexcept
        : m_data(data)
    {
    }
    bool has(std::size_t offset, std::size_t size) const noexcept
    {
        return offset <= m_data.size() && size <= m_data.size() - offset;
    }
    // The readers give 0 for bytes past the end, so a check forgotten by a caller reads nothing.
    DWORD le(std::size_t offset, int bytes) const noexcept
    {
        if (!has(offset, static_cast<std::size_t>(bytes)))
            return 0;
        DWORD v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = (v << 8) | static_cast<BYTE>(m_data[offset + static_cast<std::size_t>(i)]);
        return v;
    }
    DWORD be(std::size_t offset, int bytes) const noexcept
    {
        if (!has(offset, static_cast<std::size_t>(bytes)))
            return 0;
        DWORD v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | static_cast<BYTE>(m_data[offset + static_cast<std::size_t>(i)]);
        return v;
    }
    BYTE byte(std::size_t offset) const noexcept
    {
        return offset < m_data.size() ? static_cast<BYTE>(m_data[offset]) : 0;
    }
    std::size_t size() const noexcept { return m_data.size(); }
    bool startsWith(std::string_view prefix) const noexcept
    {
        return m_data.substr(0, prefix.size()) == prefix;
    }

private:
    std::string_view m_data;
};

bool sizeOk(LONGLONG w, LONGLONG h) noexcept
{
    return w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide &&
        w * h <= kMaxPicturePixels;
}

std::optional<PictureHeader> make(PictureFormat f, LONGLONG w, LONGLONG h, int images = 1) noexcept
{
    if (!sizeOk(w, h))
        return std::nullopt;
    return PictureHeader { f, static_cast<int>(w), static_cast<int>(h), images };
}

std::optional<PictureHeader> bmp(const Reader &r) noexcept
{
    if (!r.has(0, 18))
        return std::nullopt;
    const DWORD pixelOffset = r.le(10, 4);
    const DWORD dibSize = r.le(14, 4);
    if (pixelOffset >= r.size() || !r.has(14, dibSize))
        return std::nullopt;
    LONGLONG w = 0, h = 0;
    DWORD planes = 0, bits = 0, compression = 0;
    if (dibSize == 12) {
        w = r.le(18, 2);
        h = r.le(20, 2);
        planes = r.le(22, 2);
        bits = r.le(24, 2);
    } else if (dibSize == 40 || dibSize == 52 || dibSize == 56 || dibSize == 64 || dibSize == 108 ||
        dibSize == 124) {
        w = static_cast<LONG>(r.le(18, 4));
        h = static_cast<LONG>(r.le(22, 4));
        if (h < 0)
            h = -h; // top-down rows
        planes = r.le(26, 2);
        bits = r.le(28, 2);
        compression = r.le(30, 4);
    } else {
        return std::nullopt;
    }
    if (planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
    if (pixelOffset < 14 + dibSize || !sizeOk(w, h))
        return std::nullopt;
    // Uncompressed rows must all be there: decoders would pad a cut file with black.
    if (compression == 0 || compression == 3) {
        const LONGLONG rowBytes = ((w * bits + 31) / 32) * 4;
        if (!r.has(pixelOffset, static_cast<std::size_t>(rowBytes * h)))
            return std::nullopt;
    } else if (compression > 5) {
        return std::nullopt;
    }
    return make(PictureFormat::Bmp, w, h);
}

std::optional<PictureHeader> ico(const Reader &r) noexcept
{
    if (!r.has(4, 2))
        return std::nullopt;
    const DWORD count = r.le(4, 2);
    if (count == 0 || !r.has(6, 16 * std::size_t(count)))
        return std::nullopt;
    const std::size_t directoryEnd = 6 + 16 * std::size_t(count);
    LONGLONG bestW = 0, bestH = 0;
    for (DWORD i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * std::size_t(i);
        const LONGLONG w = r.byte(e) ? r.byte(e) : 256;
        const LONGLONG h = r.byte(e + 1) ? r.byte(e + 1) : 256;
        const DWORD bytes = r.le(e + 8, 4);
        const DWORD offset = r.le(e + 12, 4);
        if (bytes == 0 || offset < directoryEnd || !r.has(offset, bytes))
            return std::nullopt;
        if (w * h > bestW * bestH) {
            bestW = w;
            bestH = h;
        }
    }
    return make(PictureFormat::Ico, bestW, bestH, static_cast<int>(count));
}

std::optional<PictureHeader> png(const Reader &r) noexcept
{
    if (!r.has(8, 25) || r.be(8, 4) != 13 || r.be(12, 4) != 0x49484452u) // IHDR first, 13 bytes
        return std::nullopt;
    return make(PictureFormat::Png, r.be(16, 4), r.be(20, 4));
}

std::optional<PictureHeader> jpeg(const Reader &r) noexcept
{
    std::size_t pos = 2;
    while (r.has(pos, 4)) {
        if (r.byte(pos) != 0xFF)
            return std::nullopt;
        const BYTE marker = r.byte(pos + 1);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            pos += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image or start of scan before any frame
            return std::nullopt;
        const DWORD length = r.be(pos + 2, 2);
        if (length < 2 || !r.has(pos + 2, length))
            return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 8)
                return std::nullopt;
            return make(PictureFormat::Jpeg, r.be(pos + 7, 2), r.be(pos + 5, 2));
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

std::optional<PictureHeader> gif(const Reader &r) noexcept
{
    if (!r.has(0, 13))
        return std::nullopt;
    return make(PictureFormat::Gif, r.le(6, 2), r.le(8, 2));
}

} // namespace

std::optional<PictureHeader> parsePictureHeader(std::string_view data) noexcept
{
    const Reader r(data);
    if (r.startsWith("BM"))
        return bmp(r);
    if (r.startsWith(std::string_view("\x00\x00\x01\x00", 4)) ||
        r.startsWith(std::string_view("\x00\x00\x02\x00", 4)))
        return ico(r);
    if (r.startsWith("\x89PNG\r\n\x1a\n"))
        return png(r);
    if (r.startsWith("\xFF\xD8\xFF"))
        return jpeg(r);
    if (r.startsWith("GIF87a") || r.startsWith("GIF89a"))
        return gif(r);
    return std::nullopt;
}

const char *qtFormatName(PictureFormat format) noexcept
{
    switch (format) {
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Ico:
        return "ico";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Gif:
        return "gif";
    }
    return "";
}

} // namespace platform::com
