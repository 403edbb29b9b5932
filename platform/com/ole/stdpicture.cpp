#include "platform/com/ole/stdpicture.h"

#include "platform/com/boundary.h"
#include "platform/com/ole/internal/pictureformat.h"
#include "platform/com/ole/internal/stdclasses.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/storage.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace platform::com {
namespace {

constexpr DWORD kPictureMagic = 0x0000746C; // "lt"
constexpr ULONG kReadChunk = 64 * 1024;

struct NameEntry {
    const char16_t *name;
    DISPID id;
};
constexpr NameEntry kNames[] = {
    { u"Handle", DISPID_PICT_HANDLE },
    { u"hPal", DISPID_PICT_HPAL },
    { u"Type", DISPID_PICT_TYPE },
    { u"Width", DISPID_PICT_WIDTH },
    { u"Height", DISPID_PICT_HEIGHT },
    { u"Render", DISPID_PICT_RENDER },
};

bool haveGui() noexcept
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

struct PictureData {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    bool own = false;
    QSize pixels;
    std::string original; // the file the picture came from, kept for saving
};

void releaseData(PictureData &d) noexcept
{
    if (d.own && d.handle) {
        if (d.type == PICTYPE_ICON)
            (void)DestroyIcon(d.handle);
        else
            (void)DeleteObject(d.handle);
    }
    d = PictureData();
}

HRESULT decode(std::string_view bytes, PictureData &out)
{
    const auto header = parsePictureHeader(bytes);
    if (!header)
        return CTL_E_INVALIDPICTURE;
    if (!haveGui())
        return E_UNEXPECTED; // pixmaps need the GUI application
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormatName(header->format));
    PictureData d;
    if (header->format == PictureFormat::Ico) {
        QIcon icon;
        for (int i = 0; i < header->images; ++i) {
            QImage image;
            if (!reader.read(&image) || image.isNull())
                break;
            if (image.width() * image.height() > d.pixels.width() * d.pixels.height())
                d.pixels = image.size();
            icon.addPixmap(QPixmap::fromImage(image));
            if (!reader.jumpToNextImage())
                break;
        }
        if (icon.isNull())
            return CTL_E_INVALIDPICTURE;
        d.type = PICTYPE_ICON;
        d.handle = platform::ui::registerIcon(icon);
    } else {
        QImage image;
        if (!reader.read(&image) || image.isNull())
            return CTL_E_INVALIDPICTURE;
        d.type = PICTYPE_BITMAP;
        d.pixels = image.size();
        d.handle = platform::ui::registerBitmap(QPixmap::fromImage(image));
    }
    if (!d.handle)
        return E_OUTOFMEMORY;
    d.own = true;
    d.original.assign(bytes);
    out = std::move(d);
    return S_OK;
}

QPixmap pixmapOf(const PictureData &d)
{
    if (d.type == PICTYPE_ICON) {
        const auto icon = platform::ui::iconFromHandle(d.handle);
        return icon ? icon->pixmap(d.pixels.isValid() ? d.pixels : QSize(32, 32)) : QPixmap();
    }
    const auto pixmap = platform::ui::pixmapFromHandle(d.handle);
    return pixmap ? *pixmap : QPixmap();
}

// The file form of a picture: the bytes it was loaded from, else an encoding of its pixels.
std::string fileBytes(const PictureData &d)
{
    if (d.type == PICTYPE_NONE || !d.original.empty())
        return d.original;
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    const QPixmap pixmap = pixmapOf(d);
    QImageWriter writer(&buffer, d.type == PICTYPE_ICON ? "ico" : "png");
    if (!writer.write(pixmap.toImage())) {
        out.clear();
        buffer.seek(0);
        QImageWriter png(&buffer, "png");
        if (!png.write(pixmap.toImage()))
            return std::string();
    }
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}

HRESULT writeAll(IStream *stream, const void *data, ULONG size) noexcept
{
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, size, &written);
    if (FAILED(hr))
        return hr;
    return written == size ? S_OK : STG_E_WRITEFAULT;
}

// Reads up to `limit` bytes (all of them when exact), growing the buffer as data arrives so that a
// lying length costs no more memory than the stream really holds.
HRESULT readBytes(IStream *stream, std::size_t limit, bool exact, std::string &out) noexcept
{
    out.clear();
    std::string chunk(kReadChunk, '\0');
    while (out.size() < limit) {
        const ULONG want =
            static_cast<ULONG>(std::min<std::size_t>(kReadChunk, limit - out.size()));
        ULONG got = 0;
        const HRESULT hr = stream->Read(chunk.data(), want, &got);
        if (FAILED(hr))
            return hr;
        out.append(chunk.data(), got);
        if (got < want)
            break;
    }
    if (exact && out.size() != limit)
        return STG_E_READFAULT;
    return S_OK;
}

class StdPicture final : public ComObject<StdPicture, IPicture, IPictureDisp, IPersistStream> {
public:
    StdPicture() noexcept = default;
    explicit StdPicture(PictureData data) noexcept
        : m_data(std::move(data))
    {
    }
    ~StdPicture() override { releaseData(m_data); }

    // IPicture
    HRESULT get_Handle(OLE_HANDLE *p) noexcept override { return out(p, m_data.handle); }
    HRESULT get_hPal(OLE_HANDLE *p) noexcept override { return out(p, OLE_HANDLE(0)); }
    HRESULT get_Type(SHORT *p) noexcept override { return out(p, m_data.type); }
    HRESULT get_Width(OLE_XSIZE_HIMETRIC *p) noexcept override { return out(p, himetricWidth()); }
    HRESULT get_Height(OLE_YSIZE_HIMETRIC *p) noexcept override { return out(p, himetricHeight()); }
    HRESULT Render(HDC painter, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
        OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
        LPCRECT) noexcept override;
    HRESULT set_hPal(OLE_HANDLE) noexcept override { return S_OK; }
    HRESULT get_CurDC(HDC *p) noexcept override { return out(p, HDC(nullptr)); }
    HRESULT SelectPicture(HDC, HDC *out, OLE_HANDLE *bmp) noexcept override
    {
        if (out)
            *out = nullptr;
        if (bmp)
            *bmp = 0;
        return E_NOTIMPL;
    }
    HRESULT get_KeepOriginalFormat(BOOL *p) noexcept override { return out(p, m_keepOriginal); }
    HRESULT put_KeepOriginalFormat(BOOL keep) noexcept override
    {
        m_keepOriginal = keep ? TRUE : FALSE;
        return S_OK;
    }
    HRESULT PictureChanged() noexcept override
    {
        m_data.original.clear(); // the pixels may differ from the file now
        return S_OK;
    }
    HRESULT SaveAsFile(IStream *stream, BOOL, LONG *size) noexcept override
    {
        if (!stream)
            return E_POINTER;
        if (m_data.type == PICTYPE_NONE)
            return E_FAIL;
        return guarded([&] {
            const std::string bytes = fileBytes(m_data);
            if (bytes.empty())
                return E_FAIL;
            const HRESULT hr = writeAll(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
            if (SUCCEEDED(hr) && size)
                *size = static_cast<LONG>(bytes.size());
            return hr;
        });
    }
    HRESULT get_Attributes(DWORD *p) noexcept override
    {
        return out(p, m_data.type == PICTYPE_ICON ? PICTURE_TRANSPARENT : DWORD(0));
    }

    // IDispatch (IPictureDisp)
    HRESULT GetTypeInfoCount(UINT *n) noexcept override { return out(n, UINT(0)); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **p) noexcept override
    {
        if (p)
            *p = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids) noexcept override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids || count == 0)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        const QString wanted = names[0] ? QString::fromUtf16(names[0]) : QString();
        for (const NameEntry &e : kNames)
            if (wanted.compare(QString::fromUtf16(e.name), Qt::CaseInsensitive) == 0)
                ids[0] = e.id;
        return (ids[0] == DISPID_UNKNOWN || count > 1) ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
        EXCEPINFO *, UINT *) noexcept override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        const UINT argc = params ? params->cArgs : 0;
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
            return id == DISPID_PICT_HPAL ? S_OK : DISP_E_MEMBERNOTFOUND;
        if (argc != 0 || id == DISPID_PICT_RENDER)
            return id == DISPID_PICT_RENDER ? DISP_E_MEMBERNOTFOUND : DISP_E_BADPARAMCOUNT;
        Variant value;
        switch (id) {
        case DISPID_PICT_HANDLE:
            value = Variant::i4(static_cast<LONG>(m_data.handle));
            break;
        case DISPID_PICT_HPAL:
            value = Variant::i4(0);
            break;
        case DISPID_PICT_TYPE:
            value = Variant::i2(m_data.type);
            break;
        case DISPID_PICT_WIDTH:
            value = Variant::i4(himetricWidth());
            break;
        case DISPID_PICT_HEIGHT:
            value = Variant::i4(himetricHeight());
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
        if (result) {
            (void)VariantClear(result);
            *result = value.detach();
        }
        return S_OK;
    }

    // IPersistStream
    HRESULT GetClassID(CLSID *p) noexcept override { return out(p, CLSID_StdPicture); }
    HRESULT IsDirty() noexcept override { return S_FALSE; }
    HRESULT Load(IStream *stream) noexcept override
    {
        if (!stream)
            return E_POINTER;
        return guarded([&] {
            DWORD head[2] = {};
            std::string bytes;
            HRESULT hr = readBytes(stream, sizeof head, true, bytes);
            if (FAILED(hr))
                return hr;
            std::memcpy(head, bytes.data(), sizeof head);
            if (head[0] != kPictureMagic || head[1] > kMaxPictureBytes)
                return CTL_E_INVALIDPICTURE;
            hr = readBytes(stream, head[1], true, bytes);
            if (FAILED(hr))
                return hr;
            PictureData data;
            if (!bytes.empty()) {
                hr = decode(bytes, data);
                if (FAILED(hr))
                    return hr;
            }
            releaseData(m_data);
            m_data = std::move(data);
            return S_OK;
        });
    }
    HRESULT Save(IStream *stream, BOOL) noexcept override
    {
        if (!stream)
            return E_POINTER;
        return guarded([&] {
            const std::string bytes = fileBytes(m_data);
            if (bytes.empty() && m_data.type != PICTYPE_NONE)
                return E_FAIL;
            const DWORD head[2] = { kPictureMagic, static_cast<DWORD>(bytes.size()) };
            HRESULT hr = writeAll(stream, head, sizeof head);
            if (SUCCEEDED(hr) && !bytes.empty())
                hr = writeAll(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
            return hr;
        });
    }
    HRESULT GetSizeMax(ULARGE_INTEGER *size) noexcept override
    {
        if (!size)
            return E_POINTER;
        size->QuadPart = 8 + fileBytes(m_data).size();
        return S_OK;
    }

    const PictureData &data() const noexcept { return m_data; }
    void setOwn(bool own) noexcept { m_data.own = own; }

private:
    template <class T, class V> static HRESULT out(T *p, V value) noexcept
    {
        if (!p)
            return E_POINTER;
        *p = static_cast<T>(value);
        return S_OK;
    }
    LONG himetricWidth() const noexcept
    {
        return pixelsToHimetric(m_data.pixels.width(), screenDpiX());
    }
    LONG himetricHeight() const noexcept
    {
        return pixelsToHimetric(m_data.pixels.height(), screenDpiY());
    }

    PictureData m_data;
    BOOL m_keepOriginal = TRUE;
};

HRESULT StdPicture::Render(HDC painter, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
    OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, LPCRECT) noexcept
{
    if (!painter)
        return E_INVALIDARG;
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0)
        return CTL_E_INVALIDPROPERTYVALUE;
    if (m_data.type == PICTYPE_NONE)
        return S_OK;
    const QPixmap pixmap = pixmapOf(m_data);
    const double hmW = himetricWidth(), hmH = himetricHeight();
    if (pixmap.isNull() || hmW <= 0 || hmH <= 0)
        return S_OK;
    // HIMETRIC y grows upwards from the picture's bottom edge; pixel rows grow downwards.
    const double sx1 = xSrc * pixmap.width() / hmW;
    const double sx2 = (double(xSrc) + cxSrc) * pixmap.width() / hmW;
    const double sy1 = (hmH - ySrc) * pixmap.height() / hmH;
    const double sy2 = (hmH - (double(ySrc) + cySrc)) * pixmap.height() / hmH;
    const QRectF source(
        std::min(sx1, sx2), std::min(sy1, sy2), std::abs(sx2 - sx1), std::abs(sy2 - sy1));
    const QRectF target = QRectF(x, y, cx, cy).normalized();
    const bool flipX = (sx2 < sx1) != (cx < 0);
    const bool flipY = (sy2 < sy1) != (cy < 0);
    painter->save();
    painter->translate(target.center());
    painter->scale(flipX ? -1 : 1, flipY ? -1 : 1);
    painter->drawPixmap(
        QRectF(-target.width() / 2, -target.height() / 2, target.width(), target.height()), pixmap,
        source);
    painter->restore();
    return S_OK;
}

// Lets pictureToPixmap find our pictures' pixels; StdPicture is the only implementation here.
StdPicture *asStdPicture(IUnknown *unknown) noexcept
{
    ComPtr<IPersistStream> persist;
    CLSID clsid {};
    if (!unknown || FAILED(unknown->QueryInterface(IID_PPV_ARGS(&persist))) ||
        FAILED(persist->GetClassID(&clsid)) || clsid != CLSID_StdPicture)
        return nullptr;
    return static_cast<StdPicture *>(persist.Get());
}

} // namespace

HRESULT createStdPicture(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    auto picture = StdPicture::make();
    if (!picture)
        return E_OUTOFMEMORY;
    return picture->QueryInterface(riid, ppv);
}

HRESULT loadPictureFromBytes(std::string_view bytes, REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    return guarded([&] {
        // The saved form carries its "lt" header; a bare file does not.
        if (bytes.size() >= 8) {
            DWORD head[2];
            std::memcpy(head, bytes.data(), sizeof head);
            if (head[0] == kPictureMagic && head[1] == bytes.size() - 8)
                bytes.remove_prefix(8);
        }
        PictureData data;
        const HRESULT hr = decode(bytes, data);
        if (FAILED(hr))
            return hr;
        auto picture = StdPicture::make(std::move(data));
        if (!picture)
            return E_OUTOFMEMORY;
        return picture->QueryInterface(riid, ppv);
    });
}

HRESULT pictureToPixmap(IUnknown *picture, QPixmap *out) noexcept
{
    if (!picture || !out)
        return E_POINTER;
    StdPicture *ours = asStdPicture(picture);
    if (!ours)
        return E_NOINTERFACE;
    *out = pixmapOf(ours->data());
    return out->isNull() ? S_FALSE : S_OK;
}

} // namespace platform::com

using namespace platform::com;

HRESULT OleCreatePictureIndirect(LPPICTDESC desc, REFIID riid, BOOL fOwn, void **ppvObj) noexcept
{
    if (!ppvObj)
        return E_POINTER;
    *ppvObj = nullptr;
    PictureData data;
    if (desc && desc->picType == static_cast<UINT>(PICTYPE_BITMAP)) {
        const auto pixmap = platform::ui::pixmapFromHandle(desc->bmp.hbitmap);
        if (!pixmap ||
            platform::ui::graphicsKind(desc->bmp.hbitmap) != platform::ui::GraphicsKind::Bitmap)
            return E_INVALIDARG;
        data.type = PICTYPE_BITMAP;
        data.handle = desc->bmp.hbitmap;
        data.pixels = pixmap->size();
    } else if (desc && desc->picType == static_cast<UINT>(PICTYPE_ICON)) {
        const auto icon = platform::ui::iconFromHandle(desc->icon.hicon);
        if (!icon ||
            platform::ui::graphicsKind(desc->icon.hicon) != platform::ui::GraphicsKind::Icon)
            return E_INVALIDARG;
        data.type = PICTYPE_ICON;
        data.handle = desc->icon.hicon;
        QSize largest(32, 32);
        for (const QSize &s : icon->availableSizes())
            if (s.width() * s.height() > largest.width() * largest.height())
                largest = s;
        data.pixels = largest;
    } else if (desc && desc->picType != static_cast<UINT>(PICTYPE_NONE) &&
        desc->picType != static_cast<UINT>(static_cast<USHORT>(PICTYPE_UNINITIALIZED))) {
        return E_INVALIDARG;
    }
    // Owned only once handed out: a failed query must not delete the caller's handle.
    auto picture = StdPicture::make(std::move(data));
    if (!picture)
        return E_OUTOFMEMORY;
    const HRESULT hr = picture->QueryInterface(riid, ppvObj);
    if (SUCCEEDED(hr))
        picture->setOwn(fOwn != FALSE);
    return hr;
}

HRESULT OleLoadPicture(IStream *stream, LONG lSize, BOOL, REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!stream)
        return E_POINTER;
    return guarded([&] {
        std::string bytes;
        const bool exact = lSize > 0;
        const std::size_t limit = exact
            ? std::min<std::size_t>(static_cast<std::size_t>(lSize), kMaxPictureBytes + 8)
            : kMaxPictureBytes + 9;
        HRESULT hr = readBytes(stream, limit, exact, bytes);
        if (FAILED(hr))
            return hr == STG_E_READFAULT ? CTL_E_INVALIDPICTURE : hr;
        if (bytes.size() > kMaxPictureBytes + 8)
            return CTL_E_INVALIDPICTURE;
        return loadPictureFromBytes(bytes, riid, ppv);
    });
}

HRESULT OleLoadPictureFile(VARIANT fileName, IDispatch **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    const VARIANT *name = &fileName;
    if (name->vt == (VT_BYREF | VT_VARIANT) && name->pvarVal)
        name = name->pvarVal;
    BSTR text = name->vt == VT_BSTR                            ? name->bstrVal
        : (name->vt == (VT_BYREF | VT_BSTR) && name->pbstrVal) ? *name->pbstrVal
                                                               : nullptr;
    if (name->vt != VT_BSTR && name->vt != (VT_BYREF | VT_BSTR))
        return DISP_E_TYPEMISMATCH;
    return guarded([&] {
        QFile file(QString::fromStdU16String(std::u16string(view(text))));
        if (!file.exists())
            return CTL_E_FILENOTFOUND;
        if (!file.open(QIODevice::ReadOnly))
            return CTL_E_PATHFILEACCESSERROR;
        if (file.size() > static_cast<qint64>(kMaxPictureBytes + 8))
            return CTL_E_INVALIDPICTURE;
        const QByteArray bytes = file.readAll();
        return loadPictureFromBytes(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
            IID_IDispatch, reinterpret_cast<void **>(out));
    });
}
