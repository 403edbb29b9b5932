// Two whole trees drawn by the control's window and saved as PNG files in the build tree, for a
// person to look at; the checks make sure each picture really shows what it was built to show.
#include "tests/arbor/model_test_support.h"
#include "tests/arbor/view_test_support.h"

#include "arbor/model/checknodes.h"
#include "arbor/model/imagenode.h"
#include "arbor/model/xtreenode.h"
#include "arbor/view/xtreeframe.h"
#include "arbor/view/xtreepaint.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/variant.h"

#include <QDir>
#include <QPainter>
#include <QTest>

namespace arbor {
namespace {

using platform::com::Variant;

QString screenshotPath(const char *name)
{
    QDir().mkpath(QStringLiteral(ARBOR_SCREENSHOT_DIR));
    return QStringLiteral(ARBOR_SCREENSHOT_DIR "/%1").arg(QLatin1String(name));
}

// A 16 x 16 icon: a box of the colour with a black edge (folders in their branch's colour, a
// lighter one when open, pages white).
QPixmap boxIcon(QColor fill)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(fill);
    p.drawRect(1, 2, 13, 11);
    return pm;
}

// Pixels of the image whose colour is close to c, in a band of rows.
int pixelsNear(const QImage &img, QColor c, int top, int bottom)
{
    int n = 0;
    for (int y = std::max(top, 0); y <= std::min(bottom, img.height() - 1); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) +
                    std::abs(p.blue() - c.blue()) <
                60)
                ++n;
        }
    return n;
}

TEST(ViewScreenshot, FiveColouredBranchesWithLinesAndIcons)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.resize(300, 330);
    XTreeView &view = frame.view();
    XTreeModel &m = view.model();
    m.appearance().font = testing::fixedFont();

    FakeImages images;
    const QColor colours[] = { QColor(200, 0, 0), QColor(0, 140, 0), QColor(0, 0, 220),
        QColor(150, 0, 150), QColor(220, 120, 0) };
    for (int i = 0; i < 5; ++i) {
        images.entries[10 + i] = { platform::ui::registerIcon(QIcon(boxIcon(colours[i]))) };
        images.entries[20 + i] = { platform::ui::registerIcon(
            QIcon(boxIcon(colours[i].lighter(140)))) };
    }
    images.entries[1] = { platform::ui::registerIcon(QIcon(boxIcon(Qt::white))) };
    m.setImageLookup(&images);

    const auto colorRef = [](QColor c) {
        return RGB(BYTE(c.red()), BYTE(c.green()), BYTE(c.blue()));
    };
    const char *names[] = { "Watching", "Bidding", "Won", "Selling", "Sold" };
    std::vector<LONG> roots;
    for (int i = 0; i < 5; ++i) {
        const LONG r = AddItemIcon(m, names[i], Variant::i4(10 + i), Variant::i4(20 + i), 0, true);
        m.item(r)->GetNode()->SetForeColor(m, colorRef(colours[i]));
        roots.push_back(r);
        const int children = 2 + i % 2;
        for (int k = 0; k < children; ++k) {
            const std::string text = std::string(names[i]) + " item " + std::to_string(k + 1);
            const LONG c = AddItemIcon(m, text, Variant::i4(1), Variant(), r);
            m.item(c)->GetNode()->SetForeColor(m, colorRef(colours[i]));
            if (i == 1 && k == 0) {
                const LONG g = AddItemIcon(m, "Bid history", Variant::i4(1), Variant(), c);
                m.item(g)->GetNode()->SetForeColor(m, colorRef(colours[i]));
            }
        }
    }
    for (LONG r : { roots[0], roots[1], roots[3], roots[4] })
        m.Expand(r, true);
    m.Expand(m.ItemChild(roots[1]), true);

    const QImage img = frame.grab().toImage();
    ASSERT_TRUE(img.save(screenshotPath("arbor_branches.png")));

    // Each branch shows its own colour in its own rows, and not the next branch's.
    for (int i = 0; i < 5; ++i) {
        const auto origin = view.itemOrigin(m.item(roots[i]));
        ASSERT_TRUE(origin);
        const int top = view.geometry().top() + origin->y();
        const int next = i < 4 ? view.geometry().top() + view.itemOrigin(m.item(roots[i + 1]))->y()
                               : img.height();
        EXPECT_GT(pixelsNear(img, colours[i], top, next - 1), 20) << names[i];
        EXPECT_LT(pixelsNear(img, colours[(i + 1) % 5], top, next - 1), 3) << names[i];
    }
    // The shadow border in the palette's colours: dark shadow, face and shadow.
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(img.pixelColor(0, 0), palette.color(QPalette::Shadow));
    EXPECT_EQ(img.pixelColor(img.width() - 1, 0), palette.color(QPalette::Button));
    EXPECT_EQ(img.pixelColor(img.width() - 1, img.height() - 1), palette.color(QPalette::Dark));
    for (const auto &[key, entry] : images.entries)
        DeleteObject(entry.handle);
}

TEST(ViewScreenshot, CellsWithBoxesImagesWrapAndAlignment)
{
    testing::fixStyle();
    XTreeFrame frame;
    frame.setBorderStyle(BorderEffectDrop);
    frame.resize(420, 330);
    XTreeView &view = frame.view();
    XTreeModel &m = view.model();
    m.appearance().font = testing::fixedFont();
    m.appearance().style |= ARBORSTYLE_GRIDLINES;

    // Four 16 x 16 tiles on a magenta sheet: a red, green, blue and yellow disc.
    QImage sheet(64, 16, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 255));
    {
        QPainter p(&sheet);
        const QColor discs[] = { Qt::red, Qt::darkGreen, Qt::blue, Qt::yellow };
        for (int i = 0; i < 4; ++i) {
            p.setPen(Qt::black);
            p.setBrush(discs[i]);
            p.drawEllipse(i * 16 + 2, 2, 11, 11);
        }
    }
    FakeImages images;
    images.entries[1] = { platform::ui::registerBitmap(QPixmap::fromImage(sheet)), 16, 16,
        0xFF00FF };
    m.setImageLookup(&images);

    const LONG options = AddItem(m, "Options");

    const LONG alerts = AddItemCheck(m, "Alerts", 1, options);
    m.item(alerts)->setWidth(110);
    AddItemCheck3(m, "Sound", -1, alerts, false);
    AddItemCheck(m, "Window", 0, alerts);
    const LONG radios = AddItem(m, "Refresh", options);
    AddItemRadio(m, "Hourly", 0, radios);
    AddItemRadio(m, "Daily", 1, radios);
    AddItemRadio(m, "Never", 0, radios);

    // One wrapped cell per alignment, each with its cell to the right.
    const LONG aligned[] = { TopAlignment, CenterAlignment, BottomAlignment };
    const char *alignedNames[] = { "Top", "Centre", "Bottom" };
    LONG wraps[3], rights[3];
    for (int i = 0; i < 3; ++i) {
        wraps[i] = AddItem(m, "A long note that wraps onto three lines in its cell");
        m.item(wraps[i])->setWidth(110);
        m.item(wraps[i])->SetWordWrap(true);
        rights[i] = AddItem(m, alignedNames[i], wraps[i], false);
        m.item(rights[i])->SetVAlignment(aligned[i]);
    }

    const LONG ratings = AddItem(m, "Ratings");
    m.item(ratings)->setWidth(80);
    LONG left = ratings;
    for (int i = 0; i < 4; ++i) {
        left = AddItemImage(m, "", Variant::i4(1), left, false);
        static_cast<XTreeNode_ImageString *>(m.item(left)->GetNode())->SetTile(m, Collapsed, i);
    }
    m.ExpandAll(options);
    m.MarkSelected(m.ItemChild(radios));
    m.setFocusItem(m.ItemChild(radios));

    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.setFocus();
    const QImage img = frame.grab().toImage();
    ASSERT_TRUE(img.save(screenshotPath("arbor_cells.png")));

    const QPoint base = view.geometry().topLeft();
    // Centre-aligned cell next to the wrapped one sits lower than the top-aligned one, the
    // bottom-aligned cell lower still.
    // Top, centre and bottom of the right cells line up with the wrapped cell's.
    const QFontMetrics fm(testing::fixedFont());
    const XTreeLayout &layout = view.treeLayout();
    for (int i = 0; i < 3; ++i) {
        const int wrapTop = view.itemOrigin(m.item(wraps[i]))->y();
        const int wrapHeight = layout.nodeSize(m.item(wraps[i])).height();
        EXPECT_GE(wrapHeight, 3 * fm.height()) << "three lines";
        const int rightHeight = layout.nodeSize(m.item(rights[i])).height();
        const int expected = i == 0 ? 0 : (wrapHeight - rightHeight) / aligned[i];
        EXPECT_EQ(view.itemOrigin(m.item(rights[i]))->y() - wrapTop, expected) << alignedNames[i];
    }
    // The four tiles are drawn side by side in their own colours, magenta nowhere.
    const int ratingsTop = base.y() + view.itemOrigin(m.item(ratings))->y();
    for (QColor c :
        { QColor(Qt::red), QColor(Qt::darkGreen), QColor(Qt::blue), QColor(Qt::yellow) })
        EXPECT_GT(pixelsNear(img, c, ratingsTop, ratingsTop + 20), 30) << c.name().toStdString();
    EXPECT_EQ(pixelsNear(img, QColor(255, 0, 255), 0, img.height() - 1), 0);
    // The selection's colours with and without the focus: NodePaint.SelectionFillAndTextColours.
    // The drop border's light edge in the palette's colour.
    EXPECT_EQ(img.pixelColor(img.width() - 1, 0), QApplication::palette().color(QPalette::Light));
    DeleteObject(images.entries[1].handle);
}

} // namespace
} // namespace arbor
