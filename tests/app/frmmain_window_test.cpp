// The main window as a user meets it: the tree control created by class identifier (registering
// it when needed), its branches and settings read back through the control's own interface, the
// toolbar, banner and tray, the layout rule and the tree builder driven against the real control.
#include "app/forms/frmMain.h"
#include "app/forms/frmMainPictures.h"
#include "app/modules/mStartup.h"
#include "platform/com/creation.h"
#include "platform/com/variant.h"
#include "platform/ui/handles.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

namespace {

using mSettings::current;
using mSettings::settings;
using platform::com::ComPtr;
using platform::com::Variant;
using shelltest::linesUnder;
using shelltest::treeLines;

const std::string kClassKey = "CLSID\\" + platform::com::guidToString(CLSID_Arbor);

const QStringList kBranches = { "Items I am Selling\tsellicon", "Items I have Sold\tsoldicon",
    "Bids I have Placed\tbidicon", "Auctions I have Won\twonicon", "Items I am Watching\twatchicon",
    "Auctions I did not Win\tdidntwinicon", "Items I did not Sell\tunsoldicon" };

// Caption and image key of each top-level line.
QStringList branchesOf(const frmMain &w)
{
    QStringList out;
    for (const QString &line : treeLines(w))
        if (!line.startsWith(u' '))
            out << line.section(u'\t', 0, 1);
    return out;
}

class WindowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        qunsetenv("BIDLARK_ARBOR_LIBRARY");
        mStartup::signInToken.clear();
        mStartup::bannerLink = u"http://banner.example/click"_s;
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
        return QFileInfo(QCoreApplication::applicationDirPath() + u"/libarbor.so"_s)
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
    void Connect() override { calls << u"connect"_s; }
    void showOptionsDialog(bool) override { calls << u"options"_s; }
    void quickSearch() override { calls << u"quickSearch "_s + txtSearch->text(); }
};

// A fresh store, or a registration naming a missing or unloadable file, gets the built control
// registered; a library that cannot be used gives one box and a window without a tree.
TEST_F(WindowTest, TheControlIsRegisteredWhenNeededAndABrokenLibraryGivesOneBox)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(u"libarbor.so"_s);
    ASSERT_TRUE(shelltest::writeFile(junk, "not a library"));
    struct Case {
        const char *name;
        std::string registered; // what the store names before the start
        QString library; // BIDLARK_ARBOR_LIBRARY, empty: the built one
        const char *reason; // part of the box's text, null: no box
    } const cases[] = {
        // A library that cannot be used leaves the store fresh for the next row.
        { "library missing", {}, dir.filePath(u"missing.so"_s), "the file does not exist" },
        { "library not loadable", {}, junk, "registration failed" },
        { "fresh store", {}, {}, nullptr },
        { "registered file missing", "/nonexistent/folder/libarbor.so", {}, nullptr },
        { "registered file not a library", junk.toStdString(), {}, nullptr },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        if (!c.registered.empty())
            registerAt(c.registered);
        if (!c.library.isEmpty())
            qputenv("BIDLARK_ARBOR_LIBRARY", c.library.toUtf8());
        frmMain w;
        w.show();
        EXPECT_TRUE(w.isVisible());
        qunsetenv("BIDLARK_ARBOR_LIBRARY");
        if (c.reason) {
            ASSERT_EQ(m_boxes.boxes().size(), 1);
            const QString box = m_boxes.boxes().first().text;
            EXPECT_TRUE(box.contains(c.library) && box.contains(QLatin1String(c.reason)))
                << box.toStdString();
            EXPECT_FALSE(w.treeList().hasTree());
            // Without a tree the builder takes rows and does nothing.
            w.treeList().AddWatchingLine(u"x"_s, u"1"_s);
            w.treeList().clearBranches();
            EXPECT_EQ(registeredPath(), "");
            continue;
        }
        EXPECT_TRUE(m_boxes.boxes().isEmpty());
        EXPECT_EQ(registeredPath(), builtLibrary());
        // The control's window is a child of the main window, inside Arbor1.
        QWidget *controlWindow = platform::ui::widgetFromHandle(w.Arbor1->controlWindow());
        ASSERT_NE(controlWindow, nullptr);
        EXPECT_TRUE(w.Arbor1->isAncestorOf(controlWindow));
        EXPECT_EQ(branchesOf(w), kBranches);
        EXPECT_EQ(treeLines(w).size(), kBranches.size());
    }
    // Fifteen images under their keys, each a different 16 x 16 picture.
    frmMain w;
    ComPtr<IArbor> tree = treeOf(w);
    ASSERT_TRUE(tree);
    QList<QImage> pictures;
    for (const char16_t *key : mTreeList::kImageKeys) {
        LONG handle = 0;
        ASSERT_EQ(tree->get_Image(Variant::str(key), &handle), S_OK);
        const auto pixmap = platform::ui::pixmapFromHandle(OLE_HANDLE(handle));
        ASSERT_TRUE(pixmap) << QString::fromStdU16String(key).toStdString();
        EXPECT_EQ(pixmap->size(), QSize(16, 16));
        EXPECT_FALSE(pictures.contains(pixmap->toImage()));
        pictures << pixmap->toImage();
    }
}

// Every add operation: text, parent, tag and colour, against the real control.
TEST_F(WindowTest, BuilderAddsTaggedColouredLinesUnderTheirBranches)
{
    frmMain w;
    mTreeList &t = w.treeList();
    t.addPayPalBranch();
    t.AddWatchingLine("w  1:00 $2 Lamp", "101");
    t.AddBiddingLine("b red", "102", "RED");
    t.AddBiddingLine("b green", "103", "GREEN");
    t.AddBiddingLine("b lower", "104", "red");
    t.AddBiddingLine("b black", "105", "BLACK");
    t.AddSellingLine("s empty", "106", "");
    t.AddSellingLine("s green", "107", "GREEN");
    t.AddSoldLine("sold", "108");
    t.AddUnsoldLine("unsold", "109");
    t.AddWonLine("won", "110");
    t.AddDidntWinLine("lost", "111");
    t.AddPayPalLine("Name: A");
    t.AddPayPalBalanceLine("Balance: $1.00");
    const QString doc = u"\tdocumenticon\t"_s, black = u"\t0x00000000"_s, red = u"\t0x000000ff"_s,
                  green = u"\t0x0000c000"_s;
    const std::pair<QString, QStringList> expected[] = {
        { "Items I am Selling",
            { "s empty" + doc + "S106" + black, "s green" + doc + "S107" + green } },
        { "Items I have Sold", { "sold" + doc + "P108" + black } },
        { "Bids I have Placed",
            { "b red" + doc + "B102" + red, "b green" + doc + "B103" + green,
                "b lower" + doc + "B104" + black, "b black" + doc + "B105" + black } },
        { "Auctions I have Won", { "won" + doc + "W110" + black } },
        { "Items I am Watching", { "w  1:00 $2 Lamp" + doc + "Z101" + black } },
        { "Auctions I did not Win", { "lost" + doc + "B111" + black } },
        { "Items I did not Sell", { "unsold" + doc + "P109" + black } },
        { "PayPal", { "Name: A\tpaypalicon\tY" + black, "Balance: $1.00\tpaypalicon\tY" + green } },
    };
    const QStringList tree = treeLines(w);
    for (const auto &[branch, lines] : expected)
        EXPECT_EQ(linesUnder(tree, branch), lines) << branch.toStdString();
}

TEST_F(WindowTest, ClearingLeavesBranchesEmptyAndTwoRefreshesOneSetOfLines)
{
    {
        frmMain w; // nothing stored: no branch until a save of Options asks for one
        EXPECT_EQ(w.treeList().branch(mTreeList::PayPal), 0);
        w.addPayPalBranch();
        EXPECT_EQ(branchesOf(w).count(u"PayPal\tpaypalicon"_s), 1);
    }
    settings.payPalUserID = u"pay@example.com"_s;
    frmMain w;
    mTreeList &t = w.treeList();
    ComPtr<IArbor> tree = treeOf(w);
    ASSERT_TRUE(tree);
    w.addPayPalBranch(); // as a save of Options asks for it: the load added it already
    const QStringList branches = treeLines(w);
    ASSERT_EQ(branches.size(), 8);
    EXPECT_TRUE(branches.last().startsWith(u"PayPal\t"_s));
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
            t.AddBiddingLine(n, n, u"RED"_s);
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
    const QStringList lines = treeLines(w);
    for (const QString &branch : branches) {
        QStringList texts;
        for (const QString &line : linesUnder(lines, branch.section(u'\t', 0, 0)))
            texts << line.section(u'\t', 0, 0);
        EXPECT_EQ(texts, (QStringList { "0", "1", "2" })) << branch.toStdString();
    }
    VARIANT_BOOL expanded = VARIANT_FALSE;
    EXPECT_EQ(
        (tree->get_ExpandItem(handles[mTreeList::Bidding], &expanded), expanded), VARIANT_TRUE);

    refresh(0); // an empty page
    EXPECT_EQ(treeLines(w), branches);
    for (int b = 0; b < mTreeList::BranchCount; ++b)
        EXPECT_EQ(t.branch(mTreeList::Branch(b)), handles[b]) << b;
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
    struct PageCase {
        const char *country;
        const char *search;
        const char *home;
        const char *myEbay;
    } const pages[] = {
        { "United States", "http://pages.ebay.com/search/items/search.html", "http://www.ebay.com/",
            "http://my.ebay.com/ws/ebayISAPI.dll?MyeBay" },
        { "Ireland", "http://pages.ebay.co.uk/search/items/search.html",
            "http://pages.ebay.com/ie/", "http://my.ebay.co.uk/ws/ebayISAPI.dll?MyeBay" },
        { "canada", "http://pages.ebay.com/search/items/search.html", "http://www.ebay.com/",
            "http://my.ebay.com/ws/ebayISAPI.dll?MyeBay" },
    };
    for (const PageCase &c : pages) {
        settings.eBayCountry = QLatin1String(c.country);
        mStartup::signInToken.clear();
        w.Toolbar1->actions()[1]->trigger();
        w.toolbar1ButtonClick(3);
        mStartup::signInToken = u"token"_s;
        w.toolbar1ButtonClick(3);
        EXPECT_EQ(m_shell.opened().mid(m_shell.opened().size() - 3),
            (QStringList { c.search, c.home, c.myEbay }))
            << c.country;
    }
    w.toolbar1ButtonClick(4);
    w.toolbar1ButtonClick(5); // no such button
    EXPECT_EQ(m_shell.opened().last(), u"https://www.bidlark.com/help.asp"_s);

    QTest::mouseClick(w.Picture1, Qt::LeftButton);
    EXPECT_EQ(m_shell.opened().last(), u"http://banner.example/click"_s);

    // Refresh asks for credentials until both are there.
    w.Toolbar1->actions()[0]->trigger();
    current.userId = u"bob"_s;
    current.password = u"pw"_s;
    w.Toolbar1->actions()[0]->trigger();
    w.txtSearch->setText(u"lamp"_s);
    w.cmdSearch->click();
    EXPECT_EQ(w.calls, (QStringList { "options", "connect", "quickSearch lamp" }));
}

// Pictures of the window for a person to look at, at the default size and at 900 x 700; at both
// the children sit where the layout rule puts them.
TEST_F(WindowTest, ScreenshotsAtDefaultSizeAndAt900x700)
{
    settings.payPalUserID = u"pay@example.com"_s;
    frmMain w;
    w.show();
    mTreeList &t = w.treeList();
    t.AddWatchingLine(u"2d 4h  $12.50  Brass desk lamp"_s, u"1001"_s);
    t.AddBiddingLine(u"0d 0h 9m  $40.00  Pocket watch"_s, u"1002"_s, u"RED"_s);
    t.AddBiddingLine(u"1d 2h  $7.00  Tin robot"_s, u"1003"_s, u"GREEN"_s);
    t.AddPayPalBalanceLine(u"Balance: $120.00 USD"_s);
    for (int b : { mTreeList::Bidding, mTreeList::Watching, mTreeList::PayPal })
        (void)treeOf(w)->put_ExpandItem(t.branch(mTreeList::Branch(b)), VARIANT_TRUE);
    w.setStatusBusy(true);
    w.setStatusText(u"Retrieving your My eBay page..."_s);

    const std::pair<QSize, const char *> shots[] = { { w.size(), "frmMain-default.png" },
        { QSize(900, 700), "frmMain-900x700.png" } };
    for (const auto &[size, name] : shots) {
        SCOPED_TRACE(name);
        w.resize(size);
        QCoreApplication::processEvents();
        const QRect tree = w.Arbor1->geometry();
        const QRect banner = w.picbanner->geometry();
        EXPECT_EQ(tree.top(), w.Toolbar1->height() + w.Toolbar2->height());
        EXPECT_EQ(banner.height(), frmMain::twipsToPixels(900, w.logicalDpiY()));
        EXPECT_EQ(banner.bottom() + 1, w.centralWidget()->height()); // sits on the status bar
        EXPECT_LE(tree.bottom(), banner.top());
        EXPECT_EQ(tree.width(), banner.width());
        EXPECT_NEAR(w.Picture1->geometry().center().x(), banner.width() / 2, 1);
        EXPECT_TRUE(shelltest::saveArtifact(w, QLatin1String(name)));
    }
}

} // namespace
