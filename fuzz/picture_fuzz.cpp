// Picture files: the header check must bound everything it reads, and a file it lets through must
// decode to the size its header declares (the decoders trust that size for their allocations).
#include "platform/com/ole/internal/pictureformat.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace platform::com;
    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    // The saved form's "lt" header in front of a file.
    if (size >= 8 && bytes.substr(0, 4) == std::string_view("lt\0\0", 4))
        bytes.remove_prefix(8);
    const auto header = parsePictureHeader(bytes);
    if (!header)
        return 0;
    if (header->width <= 0 || header->height <= 0 || header->width > kMaxPictureSide ||
        header->height > kMaxPictureSide)
        std::abort();
    QByteArray copy(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormatName(header->format));
    QImage image;
    if (!reader.read(&image))
        return 0;
    const bool sizeDeclared =
        header->format == PictureFormat::Png || header->format == PictureFormat::Bmp;
    if (sizeDeclared && image.size() != QSize(header->width, header->height))
        std::abort();
    return 0;
}
