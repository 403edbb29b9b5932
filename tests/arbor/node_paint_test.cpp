// Measuring, hit testing and painting of the node kinds, checked on small offscreen images.
#include "tests/arbor/model_test_support.h"

#include "arbor/model/checknodes.h"
#include "arbor/model/imagenode.h"
#include "arbor/model/internal/textextent.h"
#include "arbor/model/nodepaint.h"

#include <QFontMetrics>
#include <QPainter>

#include <random>

namespace arbor {
namespace {

constexpr QRgb kCanvas = 0xFFFFFFFF;

QImage paint(XTreeModel &m, LONG h, QSize size = { 120, 24 })
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(kCanvas);
    QPainter p(&img);
    m.item(h)->GetNode()->Paint(p, QRect(QPoint(0, 0), size), m);
    return img;
}

std::size_t countColour(const QImage &img, QRgb c)
{
    std::size_t n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
    return n;
}

struct FillCase {
    const char *name;
    bool selected;
    bool focus;
    bool enabled;
    DWORD style;
    QRgb fill; // at (5, 5); the canvas when nothing is filled
    QRgb textColour; // must appear among the pixels
};

TEST(NodePaint, SelectionFillAndTextColours)
{
    const FillCase cases[] = {
        { "selected with focus", true, true, true, 31, qRgb(0, 0, 128), qRgb(255, 255, 255) },
        { "selected without focus, shown always", true, false, true, 16, qRgb(192, 192, 192),
            qRgb(255, 255, 255) },
        { "selected, selection hidden", true, false, true, 0, kCanvas, qRgb(0, 0, 0) },
        { "disabled text is light grey", false, true, false, 31, kCanvas, qRgb(192, 192, 192) },
    };
    for (const FillCase &c : cases) {
        SCOPED_TRACE(c.name);
        XTreeModel m;
        m.appearance().foreColor = 0x604020; // RGB(0x20, 0x40, 0x60)
        m.appearance().hasFocus = c.focus;
        m.appearance().enabled = c.enabled;
        m.appearance().style = c.style;
        m.appearance().font = QFont(QStringLiteral("Sans"), 14, QFont::Bold);
        const LONG h = AddItem(m, "WWWW");
        if (c.selected)
            m.MarkSelected(h);
        const QImage img = paint(m, h);
        EXPECT_EQ(img.pixel(5, 5), c.fill | 0xFF000000);
        EXPECT_GT(countColour(img, c.textColour), 10u);
    }
}

TEST(NodePaint, OwnBackColourFocusRectangleAndEmptyText)
{
    XTreeModel m;
    const LONG h = AddItem(m, "x");
    m.item(h)->GetNode()->SetBackColor(m, 0x0000FF); // red
    QImage img = paint(m, h);
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    // Setting the control's own colour drops the item colour again.
    m.item(h)->GetNode()->SetBackColor(m, m.appearance().backColor);
    EXPECT_FALSE(m.item(h)->GetNode()->hasOwnBackColor());

    m.setFocusItem(h);
    img = paint(m, h);
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));

    // A check item without text still shows its box but no fill or focus rectangle.
    const LONG c = AddItemCheck(m, "", 1);
    m.appearance().hasFocus = true;
    m.MarkSelected(c);
    m.setFocusItem(c);
    img = paint(m, c);
    EXPECT_EQ(img.pixel(100, 10), kCanvas);
    EXPECT_EQ(img.pixel(0, 0), kCanvas);
    EXPECT_GT(countColour(img, qRgb(0, 0, 0)), 5u); // the tick
}

struct HitCase {
    const char *name;
    int kind; // 0 text, 1 check, 2 image (tile 24 wide)
    bool children;
    int x;
    int area;
};

TEST(NodeHitTest, AreasPerKind)
{
    const HitCase cases[] = {
        { "text: outside", 0, false, 130, kHitOutside },
        { "text: button column with children", 0, true, 5, kHitButton },
        { "check: column without children is the box", 1, false, 5, kHitBox },
        { "check: column with children", 1, true, 5, kHitButton },
        { "check: box", 1, true, 29, kHitBox },
        { "check: after the box", 1, false, 30, kHitItem },
        { "image: column without children", 2, false, 5, kHitButton },
        { "image: tile", 2, false, 37, kHitBox },
        { "image: after the tile", 2, false, 38, kHitItem },
    };
    FakeImages images;
    images.entries[1] = { 1, 24, 24, 0 };
    for (const HitCase &c : cases) {
        SCOPED_TRACE(c.name);
        XTreeModel m;
        m.setImageLookup(&images);
        const LONG h = c.kind == 0 ? AddItem(m, "t")
            : c.kind == 1          ? AddItemCheck(m, "t")
                                   : AddItemImage(m, "t", platform::com::Variant::i4(1));
        if (c.children)
            AddItem(m, "child", h);
        const QRect rect(0, 0, 120, 20);
        EXPECT_EQ(m.item(h)->GetNode()->HitTest(m, QPoint(c.x, 10), rect), c.area);
    }
}

// Summed extents stand in for Qt's layout, so they must give exactly its sizes in every font,
// ligatures, kerning and overhanging letters included, and refuse what they cannot sum.
TEST(NodeMeasure, SummedTextExtentsEqualQtLayout)
{
    struct FontCase {
        const char *family;
        int points;
        bool bold;
        bool italic;
    } fonts[] = { { "Liberation Sans", 8, false, false }, { "Liberation Sans", 10, true, false },
        { "Liberation Serif", 13, false, true }, { "DejaVu Sans", 9, false, false },
        { "DejaVu Serif", 11, true, true }, { "Liberation Mono", 8, false, false } };
    std::vector<std::string> texts = { "Item 12345", "AVA To Wa", "office", "ffi", "fly", "Tree ",
        "  lead", "W.", "f", "}", "Tj" };
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        std::string t(1 + rng() % 24, ' ');
        for (char &c : t)
            c = static_cast<char>(0x20 + rng() % 95);
        texts.push_back(t);
    }
    for (const FontCase &fc : fonts) {
        QFont f(fc.family);
        f.setPointSize(fc.points);
        f.setBold(fc.bold);
        f.setItalic(fc.italic);
        const QFontMetrics fm(f);
        int summed = 0;
        for (const std::string &t : texts) {
            SCOPED_TRACE(std::string(fc.family) + " '" + t + "'");
            const auto fast = fastSingleLineExtent(f, t);
            if (!fast)
                continue;
            ++summed;
            EXPECT_EQ(*fast,
                fm.boundingRect(
                      QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, QString::fromStdString(t))
                    .size());
        }
        // Texts with '&' are left to the fast path's refusal, so most, not all, are summed.
        EXPECT_GT(summed, 250) << fc.family;
    }
    const QFont plain(QStringLiteral("Liberation Sans"));
    for (const char *refused : { "", "&Tree",
             "Gr\xC3\xBC\xC3\x9F"
             "e",
             "a\tb", "line\nbreak" })
        EXPECT_FALSE(fastSingleLineExtent(plain, refused).has_value()) << refused;
}

} // namespace
} // namespace arbor
