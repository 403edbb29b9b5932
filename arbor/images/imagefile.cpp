#include "arbor/images/imagefile.h"

#include "platform/com/ole/olectl.h"

#include <QFile>
#include <QLoggingCategory>
#include <QString>

#include <filesystem>
#include <fstream>
#include <system_error>

Q_LOGGING_CATEGORY(lcImages, "arbor.images", QtInfoMsg)

namespace arbor {

using platform::com::himetricToPixels;

void CImageFile::Destroy() noexcept
{
    m_picture = nullptr;
    m_stream = nullptr;
    m_fileName.clear();
}

SIZE CImageFile::GetSize() const noexcept
{
    if (!m_picture)
        return {};
    return { himetricToPixels(widthHimetric(), platform::com::screenDpiX()),
        himetricToPixels(heightHimetric(), platform::com::screenDpiY()) };
}

OLE_HANDLE CImageFile::GetHandle() const noexcept
{
    OLE_HANDLE handle = 0;
    if (!m_picture || FAILED(m_picture->get_Handle(&handle)))
        return 0;
    return handle;
}

bool CImageFile::Attach(IUnknown *picture) noexcept
{
    if (picture) {
        ComPtr<IPicture> p;
        if (SUCCEEDED(picture->QueryInterface(p.ReleaseAndGetAddressOf()))) {
            Destroy();
            m_picture = p;
        }
    }
    return m_picture != nullptr;
}

bool CImageFile::loadBytes(std::string_view bytes) noexcept
{
    ComPtr<IStream> stream;
    if (FAILED(platform::com::createStreamOnBytes(bytes, &stream))) {
        qCDebug(lcImages) << "no stream for" << bytes.size() << "bytes of picture";
        return false;
    }
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IPicture::iid,
            picture.voidOut())) ||
        !picture) {
        qCDebug(lcImages) << "not a picture we can read:" << bytes.size() << "bytes";
        return false;
    }
    m_picture = picture;
    m_stream = stream;
    m_fileName.clear();
    return true;
}

bool CImageFile::loadResource(
    std::string_view module, std::string_view name, std::string_view type) noexcept
{
    // A module's resources are the Qt resources it compiled in, under :/<module>/<type>/<name>.
    if (module.empty() || name.empty() || type.empty())
        return false;
    const QString path = QStringLiteral(":/%1/%2/%3")
                             .arg(QString::fromUtf8(module.data(), qsizetype(module.size())),
                                 QString::fromUtf8(type.data(), qsizetype(type.size())),
                                 QString::fromUtf8(name.data(), qsizetype(name.size())));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(kMaxFileBytes)) {
        qCDebug(lcImages) << "no picture resource" << path << "(missing or too large)";
        return false;
    }
    const QByteArray bytes = file.readAll();
    return loadBytes(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

bool CImageFile::loadFile(const std::string &path) noexcept
{
    try {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec || size > kMaxFileBytes) {
            qCDebug(lcImages) << "picture file" << path.c_str() << (ec ? "not found" : "too large");
            return false;
        }
        std::ifstream in(path, std::ios::binary);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
            qCDebug(lcImages) << "picture file" << path.c_str() << "cannot be read";
            return false;
        }
        if (!loadBytes(bytes))
            return false;
        m_fileName = path;
        return true;
    } catch (...) {
        // A file that cannot be read for any reason is a picture that does not load.
        qCDebug(lcImages) << "picture file" << path.c_str() << "cannot be read";
        return false;
    }
}

bool CImageFile::Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
    OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
    LPCRECT bounds) const noexcept
{
    return m_picture && hdc &&
        SUCCEEDED(m_picture->Render(hdc, x, y, cx, cy, xSrc, ySrc, cxSrc, cySrc, bounds));
}

bool CImageFile::Draw(HDC hdc, LONG x, LONG y, LONG cx, LONG cy) const noexcept
{
    // The picture counts its source from the bottom edge, hence the flipped rectangle.
    const LONG width = widthHimetric();
    const LONG height = heightHimetric();
    return Render(hdc, x, y, cx, cy, 0, height, width, -height, nullptr);
}

bool CImageFile::Draw(HDC hdc, LONG x, LONG y) const noexcept
{
    const SIZE size = GetSize();
    return Draw(hdc, x, y, size.cx, size.cy);
}

OLE_XSIZE_HIMETRIC CImageFile::widthHimetric() const noexcept
{
    OLE_XSIZE_HIMETRIC width = 0;
    if (!m_picture || FAILED(m_picture->get_Width(&width)))
        return 0;
    return width;
}

OLE_YSIZE_HIMETRIC CImageFile::heightHimetric() const noexcept
{
    OLE_YSIZE_HIMETRIC height = 0;
    if (!m_picture || FAILED(m_picture->get_Height(&height)))
        return 0;
    return height;
}

} // namespace arbor
