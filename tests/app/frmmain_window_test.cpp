// The main window as a user meets it: the tree control created by class identifier (registering
// it when needed), its branches read back through the control's own interface, the toolbar and
// the tray.
#include "app/forms/frmMain.h"
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
using shelltest::treeLines;

const std::string kClassKey = "CLSID\\" + platform::com::guidToString(CLSID_Arbor);

class WindowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        qunsetenv("BIDLARK_ARBOR_LIBRARY");
        mStartup::signInToken.clear();
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

// A registration naming a missing or unloadable file gets the built control
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
        EXPECT_EQ(treeLines(w).size(), mTreeList::PayPal); // the branches before PayPal's
    }
    // Every image key holds a picture of its own.
    frmMain w;
    ComPtr<IArbor> tree = treeOf(w);
    ASSERT_TRUE(tree);
    QList<QImage> pictures;
    for (const char16_t *key : mTreeList::kImageKeys) {
        LONG handle = 0;
        ASSERT_EQ(tree->get_Image(Variant::str(key), &handle), S_OK);
        const auto pixmap = platform::ui::pixmapFromHandle(OLE_HANDLE(handle));
        ASSERT_TRUE(pixmap) << QString::fromStdU16String(key).toStdString();
        EXPECT_FALSE(pictures.contains(pixmap->toImage()));
        pictures << pixmap->toImage();
    }
}

// A refresh empties the branches in place: their handles and the user's expansion stay, and an
// empty page leaves exactly the branches. The PayPal branch comes with a stored PayPal ID, once.
TEST_F(WindowTest, ARefreshKeepsTheBranchesTheirHandlesAndTheUsersExpansion)
{
    {
        frmMain w; // nothing stored: no branch until a save of Options asks for one
        EXPECT_EQ(w.treeList().branch(mTreeList::PayPal), 0);
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
    (void)tree->put_ExpandItem(handles[mTreeList::Bidding], VARIANT_TRUE);
    refresh(3);
    EXPECT_EQ(treeLines(w).size(), 8 + 8 * 3);
    VARIANT_BOOL expanded = VARIANT_FALSE;
    EXPECT_EQ(
        (tree->get_ExpandItem(handles[mTreeList::Bidding], &expanded), expanded), VARIANT_TRUE);

    refresh(0); // an empty page
    EXPECT_EQ(treeLines(w), branches);
    for (int b = 0; b < mTreeList::BranchCount; ++b)
        EXPECT_EQ(t.branch(mTreeList::Branch(b)), handles[b]) << b;
}

// A line the control will not remove ends the clearing of its branch instead of looping on it.
TEST_F(WindowTest, ClearingStopsOnABranchWhoseFirstChildWillNotGo)
{
    int calls = 0;
    const auto stays = [](LONG) { return LONG(4); };
    EXPECT_EQ(mTreeList::clearChildren(1, stays, [&](LONG) { ++calls; }), 0);
    EXPECT_EQ(calls, 1);
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

TEST_F(WindowTest, ToolbarButtonsAndSearch)
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

    // Refresh asks for credentials until both are there.
    w.Toolbar1->actions()[0]->trigger();
    current.userId = u"bob"_s;
    current.password = u"pw"_s;
    w.Toolbar1->actions()[0]->trigger();
    w.txtSearch->setText(u"lamp"_s);
    w.cmdSearch->click();
    EXPECT_EQ(w.calls, (QStringList { "options", "connect", "quickSearch lamp" }));
}

} // namespace
