#include "arbor/view/xtreecursor.h"

#include "platform/com/ole/stdpicture.h"
#include "platform/com/storage.h"

#include <QPixmap>

#include <string>

namespace arbor {

namespace {

constexpr LONG kMaxCursorFile = 1 << 20; // a cursor far larger than any screen is no cursor

int le16(std::string_view b, std::size_t at) noexcept
{
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

} // namespace

std::optional<QCursor> systemCursor(LONG pointer)
{
    static constexpr Qt::CursorShape kShapes[] = {
        Qt::ArrowCursor,
        Qt::IBeamCursor,
        Qt::WaitCursor,
        Qt::CrossCursor,
        Qt::UpArrowCursor,
        Qt::SizeFDiagCursor,
        Qt::SizeBDiagCursor,
        Qt::SizeHorCursor,
        Qt::SizeVerCursor,
        Qt::SizeAllCursor,
        Qt::ForbiddenCursor,
    };
    if (pointer < 1 || pointer > 11)
        return std::nullopt;
    return QCursor(kShapes[pointer - 1]);
}

std::optional<QCursor> cursorFromFileBytes(std::string_view bytes)
{
    QPixmap pixmap;
    if (bytes.empty() ||
        !pixmap.loadFromData(
            reinterpret_cast<const uchar *>(bytes.data()), static_cast<uint>(bytes.size())))
        return std::nullopt;
    // A cursor file (reserved 0, type 2) carries the hot spot of its first image in the directory
    // entry where an icon file has planes and bit count.
    int hotX = -1;
    int hotY = -1;
    if (bytes.size() >= 6 + 16 && le16(bytes, 0) == 0 && le16(bytes, 2) == 2) {
        hotX = le16(bytes, 6 + 4);
        hotY = le16(bytes, 6 + 6);
        if (hotX >= pixmap.width() || hotY >= pixmap.height())
            hotX = hotY = -1;
    }
    return QCursor(pixmap, hotX, hotY);
}

std::optional<QCursor> cursorFromPicture(IUnknown *picture)
{
    if (!picture)
        return std::nullopt;
    ComPtr<IPicture> pic;
    if (FAILED(picture->QueryInterface(pic.GetAddressOf())) || !pic)
        return std::nullopt;
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) || !stream)
        return std::nullopt;
    LONG size = 0;
    if (FAILED(pic->SaveAsFile(stream.Get(), TRUE, &size)) || size <= 0 || size > kMaxCursorFile)
        return std::nullopt;
    LARGE_INTEGER zero {};
    if (FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr)))
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ULONG read = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(size), &read)))
        return std::nullopt;
    bytes.resize(read);
    return cursorFromFileBytes(bytes);
}

} // namespace arbor
