#include "platform/com/ole/stdpicture.h"

#include "platform/com/ole/olectl.h"
#include "platform/com/storage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <string>

namespace {

using namespace platform::com;
using platform::ui::GraphicsKind;
using platform::ui::graphicsKind;

// A 6 x 4 picture: top half red, bottom half blue.
QImage twoBands()
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 6, 2, Qt::red);
    return image;
}

std::string encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format;
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A 1 x 1 GIF (Qt reads GIF but does not write it).
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                       "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
                       "D\x01\x00;",
    43);

ComPtr<IPicture> load(const std::string &bytes, HRESULT expected = S_OK)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(createStreamOnBytes(bytes, &stream), S_OK);
    ComPtr<IPicture> picture;
    EXPECT_EQ(OleLoadPicture(stream.Get(), 0, FALSE, IID_PPV_ARGS(&picture)), expected);
    return picture;
}

// Each picture also survives a property stream: the copy read back has the same kind, size and
// pixels, and a handle of its own.
TEST(StdPicture, LoadsEveryFormatAndRoundTripsThroughAPropertyStream)
{
    struct Case {
        const char *name;
        std::string bytes;
        SHORT type;
        int width, height;
        QColor corner;
    } cases[] = {
        { "bmp", encode(twoBands(), "bmp"), PICTYPE_BITMAP, 6, 4, Qt::red },
        { "png", encode(twoBands(), "png"), PICTYPE_BITMAP, 6, 4, Qt::red },
        { "gif", kGif, PICTYPE_BITMAP, 1, 1, Qt::transparent },
        { "ico", encode(QImage(twoBands()).scaled(16, 16), "ico"), PICTYPE_ICON, 16, 16, Qt::red },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto picture = load(c.bytes);
        ASSERT_TRUE(picture);
        ComPtr<IPersistStream> persist;
        ComPtr<IStream> stream;
        ComPtr<IPicture> copy;
        ASSERT_EQ(picture.As(persist), S_OK);
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ASSERT_EQ(OleSaveToStream(persist.Get(), stream.Get()), S_OK);
        ASSERT_EQ(stream->Seek(LARGE_INTEGER {}, STREAM_SEEK_SET, nullptr), S_OK);
        ASSERT_EQ(OleLoadFromStream(stream.Get(), IID_PPV_ARGS(&copy)), S_OK);
        OLE_HANDLE handles[2] = {};
        for (int i = 0; i < 2; ++i) {
            IPicture *p = i ? copy.Get() : picture.Get();
            SHORT type = 0;
            OLE_XSIZE_HIMETRIC w = 0;
            OLE_YSIZE_HIMETRIC h = 0;
            QPixmap pixels;
            ASSERT_EQ(p->get_Type(&type), S_OK);
            ASSERT_EQ(p->get_Handle(&handles[i]), S_OK);
            ASSERT_EQ(p->get_Width(&w), S_OK);
            ASSERT_EQ(p->get_Height(&h), S_OK);
            ASSERT_EQ(pictureToPixmap(p, &pixels), S_OK);
            EXPECT_EQ(type, c.type);
            EXPECT_EQ(graphicsKind(handles[i]),
                c.type == PICTYPE_ICON ? GraphicsKind::Icon : GraphicsKind::Bitmap);
            EXPECT_EQ(himetricToPixels(w, screenDpiX()), c.width);
            EXPECT_EQ(himetricToPixels(h, screenDpiY()), c.height);
            EXPECT_EQ(pixels.toImage().pixelColor(0, 0), c.corner);
        }
        EXPECT_NE(handles[0], handles[1]);
    }
}

TEST(StdPicture, TruncatedOrForeignFilesFailWithoutACrash)
{
    const std::string png = encode(twoBands(), "png");
    const std::string bmp = encode(twoBands(), "bmp");
    std::string hugeBmp = bmp;
    hugeBmp.replace(18, 4, "\xff\xff\x00\x01", 4); // width 16 million
    std::string icoPastEnd = encode(QImage(twoBands()).scaled(16, 16), "ico");
    icoPastEnd[18] = '\x7f'; // first image's offset beyond the file
    struct Case {
        const char *name;
        std::string bytes;
    } cases[] = {
        { "empty", "" },
        { "text", "just some words, not a picture" },
        { "bmp cut in its header", bmp.substr(0, 20) },
        { "bmp cut in its pixels", bmp.substr(0, bmp.size() / 2) },
        { "bmp of absurd width", hugeBmp },
        { "png cut after its header", png.substr(0, 40) },
        { "ico without images", std::string("\x00\x00\x01\x00\x00\x00", 6) },
        { "ico image past the end", icoPastEnd },
        { "jpeg without a frame", std::string("\xff\xd8\xff\xd9", 4) },
        { "gif cut in its screen", kGif.substr(0, 9) },
    };
    for (const Case &c : cases) {
        auto picture = load(c.bytes, CTL_E_INVALIDPICTURE);
        EXPECT_FALSE(picture) << c.name;
    }
}

TEST(StdPicture, OwnedHandlesDieWithThePictureOthersDoNot)
{
    for (BOOL own : { TRUE, FALSE }) {
        const HBITMAP handle = platform::ui::registerBitmap(QPixmap::fromImage(twoBands()));
        PICTDESC desc {};
        desc.cbSizeofstruct = sizeof desc;
        desc.picType = PICTYPE_BITMAP;
        desc.bmp.hbitmap = handle;
        {
            ComPtr<IPictureDisp> picture;
            ASSERT_EQ(
                OleCreatePictureIndirect(&desc, IPictureDisp::iid, own, picture.voidOut()), S_OK);
            // The value member of a picture is its handle.
            Variant value = Variant::dispatch(picture.Get());
            Variant number;
            ASSERT_EQ(VariantChangeType(&number, &value, 0, VT_I4), S_OK);
            EXPECT_EQ(static_cast<OLE_HANDLE>(number.lVal), handle);
        }
        EXPECT_EQ(graphicsKind(handle) == GraphicsKind::None, own == TRUE);
        if (!own) {
            EXPECT_TRUE(DeleteObject(handle));
        }
    }
    const HICON icon = platform::ui::registerIcon(QIcon(QPixmap::fromImage(twoBands())));
    PICTDESC wrongKind {};
    wrongKind.picType = PICTYPE_BITMAP;
    wrongKind.bmp.hbitmap = icon;
    ComPtr<IPicture> none;
    EXPECT_EQ(
        OleCreatePictureIndirect(&wrongKind, IPicture::iid, TRUE, none.voidOut()), E_INVALIDARG);
    EXPECT_EQ(graphicsKind(icon), GraphicsKind::Icon) << "a refused handle is not deleted";
    EXPECT_TRUE(DestroyIcon(icon));
}

TEST(StdPicture, RenderFlipsBySourceSign)
{
    auto picture = load(encode(twoBands(), "png"));
    ASSERT_TRUE(picture);
    LONG w = 0, h = 0;
    (void)picture->get_Width(&w), (void)picture->get_Height(&h);
    struct Case {
        const char *name;
        LONG ySrc, cySrc;
        QColor top;
    } cases[] = {
        { "usual upright call", h, -h, Qt::red },
        { "positive height turns it over", 0, h, Qt::blue },
    };
    for (const Case &c : cases) {
        QImage out(12, 8, QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter painter(&out);
        ASSERT_EQ(picture->Render(&painter, 0, 0, 12, 8, 0, c.ySrc, w, c.cySrc, nullptr), S_OK);
        painter.end();
        EXPECT_EQ(out.pixelColor(6, 1), c.top) << c.name;
        EXPECT_NE(out.pixelColor(6, 6), c.top) << c.name;
    }
    QImage out(4, 4, QImage::Format_RGB32);
    QPainter painter(&out);
    EXPECT_EQ(picture->Render(nullptr, 0, 0, 4, 4, 0, h, w, -h, nullptr), E_INVALIDARG);
    EXPECT_EQ(
        picture->Render(&painter, 0, 0, 0, 4, 0, h, w, -h, nullptr), CTL_E_INVALIDPROPERTYVALUE);
}

TEST(StdPicture, LoadPictureFileReportsMissingAndBadFiles)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.bmp");
    const QString bad = dir.filePath("bad.png");
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string bytes = encode(twoBands(), "bmp");
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        QFile g(bad);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write("\x89PNG\r\n\x1a\n truncated");
    }
    auto call = [](const QString &path, IDispatch **out) {
        Variant name = Variant::str(path.toStdU16String());
        return OleLoadPictureFile(name, out);
    };
    ComPtr<IDispatch> picture;
    EXPECT_EQ(call(good, &picture), S_OK);
    EXPECT_TRUE(picture);
    EXPECT_EQ(call(dir.filePath("missing.bmp"), &picture), CTL_E_FILENOTFOUND);
    EXPECT_EQ(call(bad, &picture), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(OleLoadPictureFile(Variant::i4(3), &picture), DISP_E_TYPEMISMATCH);
}

} // namespace
