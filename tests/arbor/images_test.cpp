// The image collection: keys that read as numbers, duplicate keys, file and handle pictures, cells
// and transparent drawing, and the picture loader.
#include "arbor/arbor.h"
#include "arbor/images/ximages.h"
#include "arbor/model/additem.h"
#include "arbor/model/imagenode.h"
#include "arbor/model/xtreemodel.h"
#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <fstream>

namespace arbor {
namespace {

using platform::com::Variant;

constexpr LONG kSentinel = static_cast<LONG>(0xdeadbeef);

Variant text(const std::string &s)
{
    return Variant::str(QString::fromStdString(s).toStdU16String());
}

// A picture whose every pixel tells where it came from: red = x, green = y, blue fixed.
QImage coordinateImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x, y, 0x40));
    return image;
}

class ImagesTest : public ::testing::Test {
protected:
    // Writes a PNG of the given size and colour into the temporary folder.
    std::string writePng(const char *name, int width, int height, QRgb colour = qRgb(10, 20, 30))
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path, "PNG"));
        return path.toStdString();
    }
    std::string writeBytes(const char *name, const std::string &bytes)
    {
        const std::string path = m_dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    LONG add(const VARIANT &key, const VARIANT &picture, const VARIANT &cx = Variant::missing(),
        const VARIANT &cy = Variant::missing(), const VARIANT &colour = Variant::missing())
    {
        Variant result = Variant::i4(kSentinel);
        EXPECT_EQ(m_images.AddImage(key, picture, cx, cy, colour, &result), S_OK);
        EXPECT_EQ(result.vt, VT_I4);
        return result.lVal;
    }
    LONG image(const VARIANT &key)
    {
        LONG handle = kSentinel;
        EXPECT_EQ(m_images.Image(key, &handle), S_OK);
        return handle;
    }

    QTemporaryDir m_dir;
    CXImages m_images;
};

TEST_F(ImagesTest, DuplicateKeyKeepsTheFirstImageAndStillAnswersWithItsOwnHandle)
{
    const std::string first = writePng("first.png", 16, 16, qRgb(255, 0, 0));
    const std::string second = writePng("second.png", 16, 16, qRgb(0, 0, 255));
    const LONG h1 = add(Variant::str(u"open"), text(first));
    const LONG h2 = add(Variant::str(u"open"), text(second));

    ASSERT_NE(h1, 0);
    EXPECT_NE(h1, h2);
    EXPECT_EQ(m_images.Count(), 1);
    EXPECT_EQ(image(Variant::str(u"open")), h1);
    // The second picture was not stored under a key but the handle it returned still draws.
    const auto pixmap = platform::ui::pixmapFromHandle(static_cast<OLE_HANDLE>(h2));
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(pixmap->toImage().pixel(0, 0), qRgb(0, 0, 255));

    // Keys are case-sensitive: "Open" is another key.
    EXPECT_EQ(add(Variant::str(u"Open"), Variant::i4(9001)), 9001);
    EXPECT_EQ(m_images.Count(), 2);
    // Removing an image releases the picture it loaded.
    m_images.Remove(Variant::str(u"open"));
    EXPECT_EQ(image(Variant::str(u"open")), 0);
    EXPECT_FALSE(platform::ui::pixmapFromHandle(static_cast<OLE_HANDLE>(h1)));
}

TEST_F(ImagesTest, NumericKeysNeverReachTheStore)
{
    // Stored under the text "123", yet "123" reads as the handle 123.
    ASSERT_EQ(add(Variant::str(u"123"), Variant::i4(555)), 555);
    ASSERT_EQ(add(Variant::str(u"abc"), Variant::i4(777)), 777);

    const struct {
        const char *name;
        Variant key;
        LONG expected;
    } cases[] = {
        { "numeric string", Variant::str(u"123"), 123 },
        { "negative reads as text", Variant::str(u"-5"), 0 },
        { "empty reads as handle 0", Variant(), 0 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(image(c.key), c.expected) << c.name;
    EXPECT_EQ(m_images.Count(), 2);
}

TEST_F(ImagesTest, WhatAPictureVariantAdds)
{
    const std::string missing = m_dir.filePath("missing.png").toStdString();
    const std::string garbage = writeBytes("garbage.png", "this is no picture at all");

    const struct {
        const char *name;
        Variant picture;
        bool stored;
        LONG expected; // -1: any nonzero handle
    } cases[] = {
        { "handle", Variant::i4(4242), true, 4242 },
        { "numeric text is a file name", Variant::str(u"4242"), false, 0 },
        { "empty", Variant(), false, 0 },
        { "missing file", text(missing), false, 0 },
        { "not a picture", text(garbage), false, 0 },
        { "picture file", text(writePng("ok.png", 8, 8)), true, -1 },
    };
    LONG stored = 0;
    for (const auto &c : cases) {
        const Variant keyVariant = text(c.name);
        const LONG h = add(keyVariant, c.picture);
        if (c.expected == -1)
            EXPECT_NE(h, 0) << c.name;
        else
            EXPECT_EQ(h, c.expected) << c.name;
        EXPECT_EQ(m_images.Lookup(keyVariant) != m_images.end(), c.stored) << c.name;
        stored += c.stored;
    }
    EXPECT_EQ(m_images.Count(), stored);

    // A key that cannot become text adds nothing.
    EXPECT_EQ(add(Variant::error(E_FAIL), Variant::i4(5)), 0);
    EXPECT_EQ(m_images.Count(), stored);
}

TEST_F(ImagesTest, OptionalCellSizeAndColourFallBackToTheirDefaults)
{
    // Left out and unconvertible go the same way: no conversion, the default.
    add(Variant::str(u"garbage"), Variant::i4(1001), Variant::str(u"wide"), Variant::str(u"?"),
        Variant::str(u"pink"));
    add(Variant::str(u"given"), Variant::i4(1002), Variant::i4(20), Variant::str(u"8"),
        Variant::i4(static_cast<LONG>(0x80000005))); // window colour

    ImageEntry entry { 0, -1, -1, 0 }; // the defaults must come from the collection
    ASSERT_TRUE(m_images.findImage(Variant::str(u"garbage"), &entry));
    EXPECT_EQ(QSize(entry.cx, entry.cy), QSize(16, 16));
    EXPECT_EQ(entry.transparent, 0xFFFFFFu);
    ASSERT_TRUE(m_images.findImage(Variant::str(u"given"), &entry));
    EXPECT_EQ(entry.handle, 1002u);
    EXPECT_EQ(entry.cx, 20);
    EXPECT_EQ(entry.cy, 8);
    // The model draws with RGB, so a system colour arrives translated.
    EXPECT_EQ(entry.transparent, GetSysColor(COLOR_WINDOW));

    EXPECT_FALSE(m_images.findImage(Variant::str(u"nothing"), &entry));
}

TEST_F(ImagesTest, CellTwoOneOfA32By16ImageIsCutAt64_16AndDrawnSoByImageItems)
{
    QImage sheet = coordinateImage(128, 48);
    sheet.setPixel(64, 16, qRgb(0, 128, 0)); // the transparent colour, top-left of cell (2, 1)
    const HBITMAP bitmap = platform::ui::registerBitmap(QPixmap::fromImage(sheet));
    ASSERT_NE(bitmap, 0u);
    ASSERT_EQ(add(Variant::str(u"strip"), Variant::i4(static_cast<LONG>(bitmap)), Variant::i4(32),
                  Variant::i4(16), Variant::i4(0x00008000)),
        static_cast<LONG>(bitmap));
    const CXImage *strip = m_images.Find(Variant::str(u"strip"));
    ASSERT_NE(strip, nullptr);
    // Nothing of the picture is near-white, so with a white background every pixel is copied.
    const QImage cell = strip->cellImage(2, 1, 0xFFFFFF);
    ASSERT_EQ(cell.size(), QSize(32, 16));
    EXPECT_EQ(qAlpha(cell.pixel(0, 0)), 0);
    EXPECT_EQ(cell.pixel(1, 0), qRgb(65, 16, 0x40));
    EXPECT_EQ(cell.pixel(31, 15), qRgb(95, 31, 0x40));
    // Other backgrounds are ANDed in; one that names no colour counts as white.
    EXPECT_EQ(strip->cellImage(2, 1, RGB(255, 0, 0)).pixel(1, 0), qRgb(65, 0, 0));
    EXPECT_EQ(strip->cellImage(2, 1, 0x7F000000).pixel(1, 0), qRgb(65, 16, 0x40));
    // A cell beyond the picture draws nothing of it; the destination shows through.
    const QImage outside = strip->cellImage(4, 0, 0xFFFFFF);
    ASSERT_FALSE(outside.isNull());
    EXPECT_EQ(qAlpha(outside.pixel(0, 0)), 0);

    // An image item asks the collection by key: it draws the same cell, cut at the same size,
    // with the same colour left out.
    XTreeModel model;
    model.setImageLookup(&m_images);
    const LONG h = AddItemImage(model, "cell", Variant::str(u"strip"));
    auto *node = static_cast<XTreeNode_ImageString *>(model.item(h)->GetNode());
    node->SetTile(model, Collapsed, (1 << 16) | 2);
    EXPECT_EQ(node->GetImage(model, 0xFFFFFF).convertToFormat(QImage::Format_ARGB32), cell);
    DeleteObject(bitmap);
}

class ImageFileTest : public ImagesTest { };

// Files that load or fail through AddImage: ImagesTest.WhatAPictureVariantAdds; the logo from the
// library's resources: ControlInContainer.DesignTimeShowsTheLogoUntilAPictureIsSet.
TEST_F(ImageFileTest, KeepsItsSizeInPixelsAndWhatItHadWhenALoadFails)
{
    CImageFile file;
    EXPECT_FALSE(file.loadResource("arbor", "241", "LOGO_NOT_THERE"));
    const std::string path = writePng("wide.png", 32, 16);
    ASSERT_TRUE(file.loadFile(path));
    const SIZE size = file.GetSize();
    EXPECT_EQ(QSize(size.cx, size.cy), QSize(32, 16));
    const OLE_HANDLE before = file.GetHandle();
    EXPECT_FALSE(file.loadFile(writeBytes("bad.bmp", "BM not really")));
    EXPECT_EQ(file.GetHandle(), before);
    EXPECT_EQ(file.GetFileName(), path);
    // Destroying it releases the picture.
    file.Destroy();
    EXPECT_EQ(file.GetHandle(), 0u);
    EXPECT_FALSE(platform::ui::pixmapFromHandle(before));
}

} // namespace
} // namespace arbor
