// The main window as a user meets it: the tree control created by class identifier (registering
// it when needed), its branches and settings read back through the control's own interface, the
// toolbar, banner and tray, the layout rule and the tree builder driven against the real control.
#include "app/forms/frmMain.h"
#include "app/forms/frmMainLayout.h"
#include "app/forms/frmMainPictures.h"
#include "app/modules/mStartup.h"
#include "platform/com/bstr.h"
#include "platform/com/creation.h"
#include "platform/com/dispatch.h"
#include "platform/com/variant.h"
#include "platform/ui/handles.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {

using mSettings::current;
using mSettings::settings;
using platform::com::BStr;
using platform::com::ComPtr;
using platform::com::Variant;

const std::string kClassKey = "CLSID\\" + platform::com::guidToString(CLSID_Arbor);

QString text(const Variant &v)
{
    Variant asText;
    if (FAILED(VariantChangeType(&asText, &v, 0, VT_BSTR)))
        return QStringLiteral("<none>");
    return QString::fromStdU16String(std::u16string(platform::com::view(asText.bstrVal)));
}

// One tree line as the control reports it.
struct Line {
    QString text;
    QString image;
    QString data;
    OLE_COLOR colour = 0;
};

// The key an item's image handle was registered under.
QString imageKey(IArbor *tree, const Variant &image)
{
    for (const char16_t *key : mTreeList::kImageKeys) {
        LONG handle = 0;
        if (SUCCEEDED(tree->get_Image(Variant::str(key), &handle)) && handle != 0 &&
            text(image) == QString::number(handle))
            return QString::fromStdU16String(key);
    }
    return text(image);
}

Line lineOf(IArbor *tree, LONG item)
{
    Line line;
    BStr caption;
    EXPECT_EQ(tree->get_ItemText(item, caption.out()), S_OK);
    line.text = QString::fromStdU16String(std::u16string(caption.view()));
    Variant image, data;
    (void)tree->get_ItemImage(item, Collapsed, &image);
    (void)tree->get_ItemData(item, &data);
    line.image = imageKey(tree, image);
    line.data = data.vt == VT_EMPTY ? QString() : text(data);
    (void)tree->get_ItemForeColor(item, &line.colour);
    return line;
}

std::vector<LONG> children(IArbor *tree, LONG parent)
{
    std::vector<LONG> items;
    LONG item = 0;
    if (parent == 0)
        (void)tree->get_Root(0, &item);
    else
        (void)tree->get_ItemChild(parent, &item);
    while (item > 0 && items.size() < 10000) {
        items.push_back(item);
        LONG next = 0;
        (void)tree->get_ItemNext(item, &next);
        item = next;
    }
    return items;
}

QStringList texts(IArbor *tree, LONG parent)
{
    QStringList out;
    for (LONG item : children(tree, parent))
        out << lineOf(tree, item).text;
    return out;
}

class WindowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        qunsetenv("BIDLARK_ARBOR_LIBRARY");
        mStartup::signInToken.clear();
        mStartup::bannerLink = QStringLiteral("http://banner.example/click");
    }
    void TearDown() override
    {
        qunsetenv("BIDLARK_ARBOR_LIBRARY");
        ShellTest::TearDown();
    }

    static std::string registeredPath() { return platform::com::inprocServerPath(CLSID_Arbor); }
    static void registerAt(const std::string &path)
    {
        ASSERT_EQ(platform::registry::writeString(
                      HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", "", path),
            ERROR_SUCCESS);
    }
    static std::string builtLibrary()
    {
        return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/libarbor.so"))
            .canonicalFilePath()
            .toStdString();
    }

    static ComPtr<IArbor> treeOf(frmMain &w) { return w.treeList().tree(); }

    platform::ui::MessageBoxRecorder m_boxes;
    platform::ui::ShellRecorder m_shell;
};

// A window whose tray presence a test decides, and whose operations of later work are recorded.
class TrayMain : public frmMain {
public:
    bool tray = true;
    QStringList calls;
    bool systemTrayAvailable() const override { return tray; }
    void Connect() override { calls << QStringLiteral("connect"); }
    void showOptionsDialog(bool) override { calls << QStringLiteral("options"); }
    void quickSearch() override { calls << QStringLiteral("quickSearch ") + txtSearch->text(); }
};

TEST_F(WindowTest, FreshStoreGetsTheControlRegisteredAndTheWindowHoldsTheTree)
{
    ASSERT_EQ(registeredPath(), "");
    frmMain w;
    w.show();
    EXPECT_TRUE(m_boxes.boxes().isEmpty());
    EXPECT_EQ(registeredPath(), builtLibrary());

    // The control's window is a child of the main window, inside Arbor1.
    ASSERT_TRUE(w.Arbor1->hasControl());
    QWidget *controlWindow = platform::ui::widgetFromHandle(w.Arbor1->controlWindow());
    ASSERT_NE(controlWindow, nullptr);
    EXPECT_TRUE(w.Arbor1->isAncestorOf(controlWindow));

    ComPtr<IArbor> tree = treeOf(w);
    ASSERT_TRUE(tree);
    const std::pair<QString, QString> expected[] = { { "Items I am Selling", "sellicon" },
        { "Items I have Sold", "soldicon" }, { "Bids I have Placed", "bidicon" },
        { "Auctions I have Won", "wonicon" }, { "Items I am Watching", "watchicon" },
        { "Auctions I did not Win", "didntwinicon" }, { "Items I did not Sell", "unsoldicon" } };
    const std::vector<LONG> roots = children(tree.Get(), 0);
    ASSERT_EQ(roots.size(), std::size(expected));
    for (std::size_t i = 0; i < roots.size(); ++i) {
        const Line got = lineOf(tree.Get(), roots[i]);
        EXPECT_EQ(got.text, expected[i].first) << i;
        EXPECT_EQ(got.image, expected[i].second) << i;
        Variant expandedImage;
        ASSERT_EQ(tree->get_ItemImage(roots[i], Expanded, &expandedImage), S_OK);
        EXPECT_EQ(imageKey(tree.Get(), expandedImage), expected[i].second) << i;
        EXPECT_TRUE(children(tree.Get(), roots[i]).empty()) << i;
    }

    // Fifteen images under their keys, each a different 16 x 16 picture.
    QList<QImage> pictures;
    for (const char16_t *key : mTreeList::kImageKeys) {
        LONG handle = 0;
        ASSERT_EQ(tree->get_Image(Variant::str(key), &handle), S_OK);
        const auto pixmap = platform::ui::pixmapFromHandle(OLE_HANDLE(handle));
        ASSERT_TRUE(pixmap) << QString::fromStdU16String(key).toStdString();
        EXPECT_EQ(pixmap->size(), QSize(16, 16));
        for (const QImage &other : pictures)
            EXPECT_NE(pixmap->toImage(), other);
        pictures << pixmap->toImage();
    }

    // The design-time settings, read back by name through the control's automation interface.
    const std::pair<const char16_t *, LONG> properties[] = { { u"BorderStyle", BorderEffectDrop },
        { u"BackColor", 0xFFFFFF }, { u"ForeColor", 0 }, { u"PicturePosition", CenterCenter },
        { u"Enabled", VARIANT_TRUE }, { u"AutoHScroll", VARIANT_TRUE },
        { u"AutoVScroll", VARIANT_TRUE }, { u"Style", 31 }, { u"DropEffect", 0 } };
    for (const auto &[name, expected] : properties) {
        Variant value, asLong;
        ASSERT_EQ(platform::com::invokeByName(w.Arbor1->control().Get(), name, DISPATCH_PROPERTYGET,
                      nullptr, 0, &value, nullptr),
            S_OK);
        ASSERT_EQ(VariantChangeType(&asLong, &value, 0, VT_I4), S_OK);
        EXPECT_EQ(asLong.lVal, expected) << QString::fromStdU16String(name).toStdString();
    }
    ComPtr<IFontDisp> fontDisp;
    ASSERT_EQ(tree->get_Font(&fontDisp), S_OK);
    ComPtr<IFont> font;
    ASSERT_EQ(fontDisp.As(font), S_OK);
    BStr name;
    CY size {};
    BOOL bold = TRUE;
    ASSERT_EQ(font->get_Name(name.out()), S_OK);
    ASSERT_EQ(font->get_Size(&size), S_OK);
    ASSERT_EQ(font->get_Bold(&bold), S_OK);
    EXPECT_EQ(name.toUtf8(), "MS Sans Serif");
    EXPECT_EQ(size.int64, 82500);
    EXPECT_FALSE(bold);
}

TEST_F(WindowTest, RegistrationNamingAMissingOrUnloadableFileIsRepaired)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile junk(dir.filePath(QStringLiteral("libarbor.so")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    for (const std::string &registered :
        { std::string("/nonexistent/folder/libarbor.so"), junk.fileName().toStdString() }) {
        SCOPED_TRACE(registered);
        registerAt(registered);
        frmMain w;
        EXPECT_TRUE(m_boxes.boxes().isEmpty());
        EXPECT_TRUE(w.Arbor1->hasControl());
        EXPECT_EQ(registeredPath(), builtLibrary());
        EXPECT_EQ(texts(treeOf(w).Get(), 0).size(), 7);
    }
}

struct BrokenLibraryCase {
    const char *name;
    QByteArray content; // written as the library; empty: no file at all
    const char *reason; // part of the box's text
};

TEST_F(WindowTest, UnusableLibraryGivesOneBoxAndTheWindowStillOpens)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const BrokenLibraryCase cases[] = {
        { "missing", {}, "the file does not exist" },
        { "not a library", "this is not an ELF file", "registration failed" },
    };
    for (const BrokenLibraryCase &c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        const QString library = dir.filePath(QLatin1String(c.name) + QStringLiteral(".so"));
        if (!c.content.isEmpty()) {
            QFile file(library);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        qputenv("BIDLARK_ARBOR_LIBRARY", library.toUtf8());
        frmMain w;
        w.show();
        ASSERT_EQ(m_boxes.boxes().size(), 1);
        const QString box = m_boxes.boxes().first().text;
        EXPECT_TRUE(box.contains(library)) << box.toStdString();
        EXPECT_TRUE(box.contains(QLatin1String(c.reason))) << box.toStdString();
        EXPECT_EQ(m_boxes.boxes().first().title, QStringLiteral("Bidlark"));
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.treeList().hasTree());
        // Without a tree the builder takes rows and does nothing.
        w.treeList().AddWatchingLine(QStringLiteral("x"), QStringLiteral("1"));
        w.treeList().clearBranches();
        EXPECT_EQ(registeredPath(), "");
    }
}

// Every add operation: text, parent, tag and colour, against the real control.
TEST_F(WindowTest, BuilderAddsTaggedColouredLinesUnderTheirBranches)
{
    frmMain w;
    mTreeList &t = w.treeList();
    ComPtr<IArbor> tree = treeOf(w);
    ASSERT_TRUE(tree);
    t.AddWatchingLine(QStringLiteral("plain"), QStringLiteral("0"));
    const OLE_COLOR plain =
        lineOf(tree.Get(), children(tree.Get(), t.branch(mTreeList::Watching))[0]).colour;
    t.clearBranches();

    t.addPayPalBranch();
    struct Case {
        std::function<void()> add;
        mTreeList::Branch parent;
        const char *text;
        const char *data;
        std::optional<OLE_COLOR> colour; // nullopt: the control's default
    } const cases[] = {
        { [&] { t.AddWatchingLine("w  1:00 $2 Lamp", "101"); }, mTreeList::Watching,
            "w  1:00 $2 Lamp", "Z101", {} },
        { [&] { t.AddBiddingLine("b red", "102", "RED"); }, mTreeList::Bidding, "b red", "B102",
            mTreeList::kRed },
        { [&] { t.AddBiddingLine("b green", "103", "GREEN"); }, mTreeList::Bidding, "b green",
            "B103", mTreeList::kGreen },
        { [&] { t.AddBiddingLine("b lower", "104", "red"); }, mTreeList::Bidding, "b lower", "B104",
            {} },
        { [&] { t.AddBiddingLine("b black", "105", "BLACK"); }, mTreeList::Bidding, "b black",
            "B105", {} },
        { [&] { t.AddSellingLine("s empty", "106", ""); }, mTreeList::Selling, "s empty", "S106",
            {} },
        { [&] { t.AddSellingLine("s green", "107", "GREEN"); }, mTreeList::Selling, "s green",
            "S107", mTreeList::kGreen },
        { [&] { t.AddSoldLine("sold", "108"); }, mTreeList::Sold, "sold", "P108", {} },
        { [&] { t.AddUnsoldLine("unsold", "109"); }, mTreeList::Unsold, "unsold", "P109", {} },
        { [&] { t.AddWonLine("won", "110"); }, mTreeList::Won, "won", "W110", {} },
        { [&] { t.AddDidntWinLine("lost", "111"); }, mTreeList::DidntWin, "lost", "B111", {} },
        { [&] { t.AddPayPalLine("Name: A"); }, mTreeList::PayPal, "Name: A", "Y", {} },
        { [&] { t.AddPayPalBalanceLine("Balance: $1.00"); }, mTreeList::PayPal, "Balance: $1.00",
            "Y", mTreeList::kGreen },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_GT(t.branch(c.parent), 0);
        c.add();
        const std::vector<LONG> lines = children(tree.Get(), t.branch(c.parent));
        ASSERT_FALSE(lines.empty());
        const Line got = lineOf(tree.Get(), lines.back());
        EXPECT_EQ(got.text, QLatin1String(c.text));
        EXPECT_EQ(got.data, QLatin1String(c.data));
        EXPECT_EQ(got.image,
            c.parent == mTreeList::PayPal ? QStringLiteral("paypalicon")
                                          : QStringLiteral("documenticon"));
        EXPECT_EQ(got.colour, c.colour.value_or(plain));
    }
}

TEST_F(WindowTest, ClearingLeavesBranchesEmptyAndTwoRefreshesOneSetOfLines)
{
    settings.payPalUserID = QStringLiteral("pay@example.com");
    frmMain w;
    mTreeList &t = w.treeList();
    ComPtr<IArbor> tree = treeOf(w);
    ASSERT_TRUE(tree);
    const QStringList branches = texts(tree.Get(), 0);
    ASSERT_EQ(branches.size(), 8);
    EXPECT_EQ(branches.last(), QStringLiteral("PayPal"));
    std::array<LONG, mTreeList::BranchCount> handles {};
    for (int b = 0; b < mTreeList::BranchCount; ++b)
        handles[b] = t.branch(mTreeList::Branch(b));

    const auto refresh = [&](int rows) {
        t.clearBranches();
        for (int i = 0; i < rows; ++i) {
            const QString n = QString::number(i);
            t.AddSellingLine(n, n, QString());
            t.AddSoldLine(n, n);
            t.AddUnsoldLine(n, n);
            t.AddBiddingLine(n, n, QStringLiteral("RED"));
            t.AddWonLine(n, n);
            t.AddWatchingLine(n, n);
            t.AddDidntWinLine(n, n);
            t.AddPayPalLine(n);
        }
    };
    refresh(3);
    // The user's expansion survives the next refresh.
    (void)tree->put_ExpandItem(handles[mTreeList::Bidding], VARIANT_TRUE);
    refresh(3);
    for (int b = 0; b < mTreeList::BranchCount; ++b)
        EXPECT_EQ(texts(tree.Get(), handles[b]), (QStringList { "0", "1", "2" })) << b;
    VARIANT_BOOL expanded = VARIANT_FALSE;
    EXPECT_EQ(
        (tree->get_ExpandItem(handles[mTreeList::Bidding], &expanded), expanded), VARIANT_TRUE);

    refresh(0); // an empty page
    EXPECT_EQ(texts(tree.Get(), 0), branches);
    for (int b = 0; b < mTreeList::BranchCount; ++b) {
        EXPECT_EQ(t.branch(mTreeList::Branch(b)), handles[b]) << b;
        EXPECT_TRUE(children(tree.Get(), handles[b]).empty()) << b;
    }
}

TEST_F(WindowTest, PayPalBranchOnlyOnceWhetherFromLoadOrOptions)
{
    const auto payPalBranches = [](frmMain &w) {
        return int(texts(w.treeList().tree().Get(), 0).count(QStringLiteral("PayPal")));
    };
    {
        frmMain w; // nothing stored: no branch, and PayPal lines have no home yet
        EXPECT_EQ(payPalBranches(w), 0);
        EXPECT_EQ(w.treeList().branch(mTreeList::PayPal), 0);

        // Options saves with a typed PayPal password but the save box unchecked: the stored
        // password stays empty, so every save asks for the branch again.
        mSettings::OptionsFields fields;
        fields.payPalUserID = QStringLiteral("pay@example.com");
        fields.payPalPassword = QStringLiteral("secret");
        fields.payPalCheck = 0;
        mSettings::saveFromOptions(fields, w);
        mSettings::saveFromOptions(fields, w);
        EXPECT_EQ(payPalBranches(w), 1);
        EXPECT_GT(w.treeList().branch(mTreeList::PayPal), 0);
    }
    frmMain w; // the ID is stored now: the branch comes with the load
    EXPECT_EQ(payPalBranches(w), 1);
    w.addPayPalBranch();
    EXPECT_EQ(payPalBranches(w), 1);
}

TEST_F(WindowTest, ClearingStopsOnABranchWhoseFirstChildWillNotGo)
{
    struct Case {
        const char *name;
        std::vector<LONG> children;
        bool refuses;
        int removed;
    } const cases[] = {
        { "three go", { 4, 5, 6 }, false, 3 },
        { "none there", {}, false, 0 },
        { "refused", { 4, 5 }, true, 0 },
    };
    for (const Case &c : cases) {
        std::vector<LONG> kids = c.children;
        int calls = 0;
        const int removed = mTreeList::clearChildren(
            1, [&](LONG) { return kids.empty() ? 0 : kids.front(); },
            [&](LONG item) {
                ++calls;
                if (!c.refuses && !kids.empty() && kids.front() == item)
                    kids.erase(kids.begin());
            });
        EXPECT_EQ(removed, c.removed) << c.name;
        EXPECT_LE(calls, int(c.children.size())) << c.name;
    }
}

TEST_F(WindowTest, LayoutRuleInTwips)
{
    frmMainLayout::Input base;
    base.windowWidth = 4320;
    base.toolbar1Height = 600;
    base.toolbar2Height = 400;
    base.statusBarHeight = 300;
    base.bannerHeight = 900;
    base.pictureWidth = 3510;
    struct Case {
        const char *name;
        double width, height, statusTop, pictureWidth;
        bool apply;
        frmMainLayout::Box tree, banner;
        double pictureLeft, panel2;
    } const cases[] = {
        { "at the limit nothing moves", 4320, 1550, 900, 3510, false, {}, {}, 0, 0 },
        { "one twip above", 4320, 1551, 900, 3510, true, { 0, 1000, 4190, -1349 },
            { 0, 0, 4190, 900 }, 340, 3920 },
        { "default size", 4320, 7680, 6900, 3510, true, { 0, 1000, 4190, 4780 },
            { 0, 6000, 4190, 900 }, 340, 3920 },
        { "narrow: picture overhangs both sides", 300, 7680, 6900, 3510, true,
            { 0, 1000, 170, 4780 }, { 0, 6000, 170, 900 }, -1670, -100 },
    };
    for (const Case &c : cases) {
        frmMainLayout::Input in = base;
        in.windowWidth = c.width;
        in.windowHeight = c.height;
        in.statusBarTop = c.statusTop;
        in.pictureWidth = c.pictureWidth;
        const frmMainLayout::Result r = frmMainLayout::compute(in);
        EXPECT_EQ(r.apply, c.apply) << c.name;
        if (!c.apply)
            continue;
        EXPECT_EQ(r.tree, c.tree) << c.name;
        EXPECT_EQ(r.banner, c.banner) << c.name;
        EXPECT_DOUBLE_EQ(r.pictureLeft, c.pictureLeft) << c.name;
        EXPECT_DOUBLE_EQ(r.statusPanel2Width, c.panel2) << c.name;
    }
}

TEST_F(WindowTest, ResizingPlacesTheChildrenByTheRule)
{
    frmMain w;
    w.show();
    w.resize(900, 700);
    QCoreApplication::processEvents();
    const QRect tree = w.Arbor1->geometry();
    const QRect banner = w.picbanner->geometry();
    const int dpi = w.logicalDpiY();
    EXPECT_EQ(tree.top(), w.Toolbar1->height() + w.Toolbar2->height());
    EXPECT_EQ(banner.height(), frmMain::twipsToPixels(900, dpi));
    EXPECT_EQ(banner.bottom() + 1, w.centralWidget()->height()); // sits on the status bar
    EXPECT_LE(tree.bottom(), banner.top());
    EXPECT_EQ(tree.width(), banner.width());
    EXPECT_NEAR(w.Picture1->geometry().center().x(), banner.width() / 2, 1);
}

TEST_F(WindowTest, MinimisingHidesOnlyWithATrayAndTheTrayRestores)
{
    struct Case {
        bool tray;
        bool showMinimized;
        bool hidden;
    } const cases[] = { { true, false, true }, { false, false, false }, { true, true, false } };
    for (const Case &c : cases) {
        SCOPED_TRACE(
            testing::Message() << "tray " << c.tray << " showMinimized " << c.showMinimized);
        settings.showMinimized = c.showMinimized;
        TrayMain w;
        w.tray = c.tray;
        w.show();
        w.setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        EXPECT_EQ(w.isHidden(), c.hidden);
        emit w.Tray->activated(QSystemTrayIcon::Trigger);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    }
}

TEST_F(WindowTest, ToolbarButtonsBannerAndSearch)
{
    TrayMain w;
    QStringList captions, tips;
    for (QAction *a : w.Toolbar1->actions()) {
        captions << a->text();
        tips << a->toolTip();
        EXPECT_FALSE(a->icon().isNull());
    }
    EXPECT_EQ(captions, (QStringList { " Refresh ", " Search ", "My eBay", "Help" }));
    EXPECT_EQ(tips,
        (QStringList { "Refresh eBay", "Search Auction Site", "Visit eBay Web Site", "Help" }));
    EXPECT_EQ(w.cmdSearch->text(), QStringLiteral("&Search"));
    EXPECT_EQ(w.cmdSearch->toolTip(), QStringLiteral("Quick Search"));
    EXPECT_EQ(w.txtSearch->text(), QString());

    struct PageCase {
        const char *country;
        const char *search;
        const char *home;
        const char *myEbay;
    } const pages[] = {
        { "United States", "http://pages.ebay.com/search/items/search.html", "http://www.ebay.com/",
            "http://my.ebay.com/ws/ebayISAPI.dll?MyeBay" },
        { "Australia", "http://pages.ebay.com.au/search/items/search.html",
            "http://www.ebay.com.au/", "http://my.ebay.com.au/ws/ebayISAPI.dll?MyeBay" },
        { "United Kingdom", "http://pages.ebay.co.uk/search/items/search.html",
            "http://www.ebay.co.uk/", "http://my.ebay.co.uk/ws/ebayISAPI.dll?MyeBay" },
        { "Ireland", "http://pages.ebay.co.uk/search/items/search.html",
            "http://pages.ebay.com/ie/", "http://my.ebay.co.uk/ws/ebayISAPI.dll?MyeBay" },
        { "New Zealand", "http://pages.ebay.com/search/items/search.html",
            "http://pages.ebay.com/nz/", "http://my.ebay.com/ws/ebayISAPI.dll?MyeBay" },
        { "Switzerland", "http://pages.ebay.com/search/items/search.html",
            "http://pages.ebay.com/ch", "http://my.ebay.com/ws/ebayISAPI.dll?MyeBay" },
        { "canada", "http://pages.ebay.com/search/items/search.html", "http://www.ebay.com/",
            "http://my.ebay.com/ws/ebayISAPI.dll?MyeBay" },
    };
    for (const PageCase &c : pages) {
        settings.eBayCountry = QLatin1String(c.country);
        mStartup::signInToken.clear();
        w.Toolbar1->actions()[1]->trigger();
        w.toolbar1ButtonClick(3);
        mStartup::signInToken = QStringLiteral("token");
        w.toolbar1ButtonClick(3);
        EXPECT_EQ(m_shell.opened().mid(m_shell.opened().size() - 3),
            (QStringList { c.search, c.home, c.myEbay }))
            << c.country;
    }
    w.toolbar1ButtonClick(4);
    w.toolbar1ButtonClick(5); // no such button
    EXPECT_EQ(m_shell.opened().last(), QStringLiteral("https://www.bidlark.com/help.asp"));

    QTest::mouseClick(w.Picture1, Qt::LeftButton);
    EXPECT_EQ(m_shell.opened().last(), QStringLiteral("http://banner.example/click"));

    // Refresh asks for credentials until both are there.
    w.Toolbar1->actions()[0]->trigger();
    current.userId = QStringLiteral("bob");
    current.password = QStringLiteral("pw");
    w.Toolbar1->actions()[0]->trigger();
    w.txtSearch->setText(QStringLiteral("lamp"));
    w.cmdSearch->click();
    EXPECT_EQ(w.calls, (QStringList { "options", "connect", "quickSearch lamp" }));
}

// Pictures of the window for a person to look at; kept in the build tree under test-artifacts.
TEST_F(WindowTest, ScreenshotsAtDefaultSizeAndAt900x700)
{
    settings.payPalUserID = QStringLiteral("pay@example.com");
    frmMain w;
    w.show();
    mTreeList &t = w.treeList();
    t.AddWatchingLine(QStringLiteral("2d 4h  $12.50  Brass desk lamp"), QStringLiteral("1001"));
    t.AddBiddingLine(QStringLiteral("0d 0h 9m  $40.00  Pocket watch"), QStringLiteral("1002"),
        QStringLiteral("RED"));
    t.AddBiddingLine(
        QStringLiteral("1d 2h  $7.00  Tin robot"), QStringLiteral("1003"), QStringLiteral("GREEN"));
    t.AddPayPalBalanceLine(QStringLiteral("Balance: $120.00 USD"));
    ComPtr<IArbor> tree = treeOf(w);
    for (int b : { mTreeList::Bidding, mTreeList::Watching, mTreeList::PayPal })
        (void)tree->put_ExpandItem(t.branch(mTreeList::Branch(b)), VARIANT_TRUE);
    w.setStatusBusy(true);
    w.setStatusText(QStringLiteral("Retrieving your My eBay page..."));

    const QString dir =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../test-artifacts");
    ASSERT_TRUE(QDir().mkpath(dir));
    const std::pair<QSize, const char *> shots[] = { { w.size(), "frmMain-default.png" },
        { QSize(900, 700), "frmMain-900x700.png" } };
    for (const auto &[size, name] : shots) {
        w.resize(size);
        QCoreApplication::processEvents();
        const QPixmap shot = w.grab();
        EXPECT_EQ(shot.size(), size);
        EXPECT_TRUE(shot.save(dir + u'/' + QLatin1String(name))) << name;
    }
}

} // namespace
