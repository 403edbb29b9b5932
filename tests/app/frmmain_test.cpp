#include "app/forms/frmMain.h"
#include "app/modules/vb_convert.h"
#include "tests/app/shell_test_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

using mSettings::current;
using mSettings::settings;

// The main window with the later-work operations recorded instead of carried out.
class RecordingMain : public frmMain {
public:
    QStringList calls;
    void checkForUpdate() override { calls << QStringLiteral("checkForUpdate"); }
    void Connect() override { calls << QStringLiteral("connect"); }
    void showOptionsDialog(bool modal) override
    {
        calls << (modal ? QStringLiteral("options modal") : QStringLiteral("options"));
    }
    void endProgram() override
    {
        frmMain::endProgram();
        calls << QStringLiteral("end");
    }
};

class FrmMainTest : public ShellTest { };

struct CaptionCase {
    const char *menu;
    int index;
    const char *caption; // "-" for a separator
};

QAction *entry(const frmMain &w, const QString &menu, int index)
{
    const frmMainMenuBar &m = w.menus();
    const std::pair<const char *, const MenuArray *> arrays[] = { { "File", &m.mnuFile },
        { "History", &m.mnuHistory }, { "Refresh", &m.mnuRefresh }, { "Profiles", &m.mnuProfiles },
        { "BidAlerts", &m.mnuBidAlerts }, { "eBay", &m.mnuEbay }, { "Browse", &m.mnuBrowse },
        { "PayPal", &m.mnuPayPal }, { "Help", &m.mnuHelp } };
    for (const auto &[name, array] : arrays) {
        if (menu == QLatin1String(name))
            return (*array)(index);
    }
    return nullptr;
}

TEST_F(FrmMainTest, MenuBarHasEveryMenuInOrder)
{
    frmMain w;
    QStringList titles;
    for (QAction *a : w.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles,
        (QStringList {
            "&File", "&View", "&Refresh", "&Profiles", "Bid &Alerts", "eBay", "PayPal", "&Help" }));
    EXPECT_EQ(w.menus().mnuViewTop->actions().size(), 1);
    EXPECT_EQ(w.menus().mnuViewTop->actions().first()->text(), QStringLiteral("&History"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Bidlark"));

    const std::pair<const MenuArray *, std::pair<int, int>> bounds[] = { { &w.menus().mnuFile,
                                                                             { 0, 6 } },
        { &w.menus().mnuHistory, { 0, 7 } }, { &w.menus().mnuRefresh, { 0, 3 } },
        { &w.menus().mnuProfiles, { 1, 5 } }, { &w.menus().mnuBidAlerts, { 0, 2 } },
        { &w.menus().mnuEbay, { 0, 12 } }, { &w.menus().mnuBrowse, { 0, 21 } },
        { &w.menus().mnuPayPal, { 1, 34 } }, { &w.menus().mnuHelp, { 0, 3 } } };
    for (const auto &[array, range] : bounds) {
        EXPECT_EQ(array->lBound(), range.first);
        EXPECT_EQ(array->uBound(), range.second);
        EXPECT_EQ((*array)(range.first - 1), nullptr);
        EXPECT_EQ((*array)(range.second + 1), nullptr);
    }
}

TEST_F(FrmMainTest, CaptionsAndSeparatorsKeepTheirIndexes)
{
    const CaptionCase cases[] = { { "File", 0, "&Auto Connect to eBay" },
        { "File", 1, "S&how BIDLARK in Program Bar" }, { "File", 2, "&Stop Banner Rotation" },
        { "File", 3, "-" }, { "File", 4, "&Preferences" }, { "File", 5, "-" },
        { "File", 6, "&Close" }, { "History", 0, "Today" }, { "History", 7, "30 Days" },
        { "Refresh", 0, "5 Minutes" }, { "Refresh", 3, "60 Minutes" },
        { "Profiles", 1, "User Profile 1" }, { "Profiles", 5, "User Profile 5" },
        { "BidAlerts", 0, "When 5 Minutes Left" }, { "BidAlerts", 2, "When 15 Minutes Left" },
        { "eBay", 0, "Sell Your Item" }, { "eBay", 4, "eBay Sitemap" }, { "eBay", 5, "-" },
        { "eBay", 10, "eBay Live Auctions" }, { "eBay", 11, "-" },
        { "eBay", 12, "Browse Categories" }, { "Browse", 0, "Antiques & Art" },
        { "Browse", 2, "Business, Office && Industrial" }, { "Browse", 11, "Movies && Television" },
        { "Browse", 21, "eBay Premier" }, { "PayPal", 1, "Login" }, { "PayPal", 3, "Shop" },
        { "PayPal", 4, "-" }, { "PayPal", 5, "Antiques && Art" }, { "PayPal", 33, "Toys & Games" },
        { "PayPal", 34, "Travel" }, { "Help", 1, "Check for Bidlark &Updates" }, { "Help", 2, "-" },
        { "Help", 3, "&About Bidlark..." } };
    frmMain w;
    for (const CaptionCase &c : cases) {
        QAction *a = entry(w, QLatin1String(c.menu), c.index);
        ASSERT_NE(a, nullptr) << c.menu << ' ' << c.index;
        if (QLatin1String(c.caption) == QLatin1String("-"))
            EXPECT_TRUE(a->isSeparator()) << c.menu << ' ' << c.index;
        else
            EXPECT_EQ(a->text(), QString::fromUtf8(c.caption)) << c.menu << ' ' << c.index;
    }
    EXPECT_TRUE(w.mnuHelp(0)->text().startsWith(QStringLiteral("&Visit ")));
    EXPECT_EQ(w.mnuEbay(12)->menu(), w.menus().mnuBrowseTop);
    // A doubled ampersand is shown as one.
    EXPECT_EQ(w.mnuBrowse(11)->iconText(), QStringLiteral("Movies & Television"));
    // The page numbers travel with the entries.
    EXPECT_EQ(w.mnuBrowse(0)->data().toInt(), 353);
    EXPECT_EQ(w.mnuBrowse(21)->data().toInt(), 2038);
    EXPECT_EQ(w.mnuPayPal(5)->data().toInt(), 7);
    EXPECT_EQ(w.mnuPayPal(34)->data().toInt(), 43084);
}

TEST_F(FrmMainTest, LoadPutsTheMarksInLineWithTheSettings)
{
    settings.refresh = QStringLiteral("Every hour");
    settings.dataView = QStringLiteral("2 Days");
    settings.autoStart = true;
    settings.showMinimized = false;
    settings.adBannerDisplay = false;
    settings.alertTime = 15;
    current.userId = QStringLiteral("alice");
    settings.profileUserName = { QStringLiteral("alice"), QStringLiteral("bob"),
        QStringLiteral("empty"), QString(), QStringLiteral("eve") };
    frmMain w;

    EXPECT_TRUE(w.mnuRefresh(3)->isChecked());
    EXPECT_TRUE(w.mnuHistory(1)->isChecked());
    EXPECT_TRUE(w.mnuFile(0)->isChecked());
    EXPECT_FALSE(w.mnuFile(1)->isChecked());
    EXPECT_FALSE(w.mnuFile(2)->isChecked());
    EXPECT_TRUE(w.tmAdBanner.isActive()); // rotation runs
    EXPECT_TRUE(w.mnuBidAlerts(2)->isChecked());
    EXPECT_FALSE(w.mnuBidAlerts(1)->isChecked());
    const char *profileCaptions[] = { "alice", "bob", "empty", "User Profile 4", "eve" };
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(w.mnuProfiles(n)->text(), QLatin1String(profileCaptions[n - 1])) << n;
    EXPECT_TRUE(w.mnuProfiles(1)->isChecked());
    EXPECT_FALSE(w.menus().mnuPayPalTop->menuAction()->isVisible());
}

TEST_F(FrmMainTest, LoadEdgeValues)
{
    settings.adBannerDisplay = true;
    settings.alertTime = 7;
    settings.payPalPassword = QStringLiteral("pp");
    frmMain w;
    EXPECT_TRUE(w.mnuFile(2)->isChecked());
    EXPECT_FALSE(w.tmAdBanner.isActive());
    for (int i = 0; i <= 2; ++i)
        EXPECT_FALSE(w.mnuBidAlerts(i)->isChecked()) << i;
    EXPECT_TRUE(w.menus().mnuPayPalTop->menuAction()->isVisible());
    EXPECT_FALSE(w.tmRefresh.isActive());
}

struct ChainCase {
    const char *name;
    bool autoStart;
    const char *userId;
    const char *password;
    QStringList calls; // after all three ticks (the last only when the auto-connect timer runs)
};

TEST_F(FrmMainTest, StartupChainRunsTheUpdateCheckThenAutoConnect)
{
    const ChainCase cases[] = {
        { "auto, no credentials", true, "", "", { "checkForUpdate", "options" } },
        { "auto, no password", true, "bob", "", { "checkForUpdate", "options" } },
        { "auto, no user", true, "", "pw", { "checkForUpdate", "options" } },
        { "auto, credentials", true, "bob", "pw", { "checkForUpdate", "connect" } },
        { "manual", false, "bob", "pw", { "checkForUpdate" } },
    };
    for (const ChainCase &c : cases) {
        SCOPED_TRACE(c.name);
        settings.autoStart = c.autoStart;
        current.userId = QString::fromUtf8(c.userId);
        current.password = QString::fromUtf8(c.password);
        RecordingMain w;
        EXPECT_EQ(w.tmStartupDelay.interval(), 500);
        EXPECT_EQ(w.tmCheckVersion.interval(), 100);
        EXPECT_EQ(w.tmStartup.interval(), 2000);
        EXPECT_TRUE(w.tmStartupDelay.isActive());
        EXPECT_FALSE(w.tmCheckVersion.isActive());
        EXPECT_FALSE(w.tmStartup.isActive());

        w.tmStartupDelayTick();
        EXPECT_FALSE(w.tmStartupDelay.isActive());
        EXPECT_TRUE(w.tmCheckVersion.isActive());
        EXPECT_TRUE(w.calls.isEmpty());

        w.mnuFile(0)->setChecked(!c.autoStart); // the tick puts it right
        w.tmCheckVersionTick();
        EXPECT_FALSE(w.tmCheckVersion.isActive());
        EXPECT_EQ(w.tmStartup.isActive(), c.autoStart);
        EXPECT_EQ(w.mnuFile(0)->isChecked(), c.autoStart);
        if (w.tmStartup.isActive()) {
            w.tmStartupTick();
            EXPECT_FALSE(w.tmStartup.isActive());
        }
        EXPECT_EQ(w.calls, c.calls);
        EXPECT_FALSE(w.tmRefresh.isActive());
    }
}

// The same chain on the real timers: about 2.6 seconds after the window appears the Options
// dialog is asked for.
TEST_F(FrmMainTest, StartupChainRunsOnItsTimers)
{
    settings.autoStart = true;
    current.userId = QStringLiteral("bob");
    RecordingMain w;
    QTRY_COMPARE_WITH_TIMEOUT(w.calls.size(), 2, 6000);
    EXPECT_EQ(w.calls, (QStringList { "checkForUpdate", "options" }));
}

TEST_F(FrmMainTest, TwipsFollowTheLogicalResolution)
{
    const struct {
        double twips, dpi;
        int pixels;
    } cases[] = { { 4320, 96, 288 }, { 7680, 96, 512 }, { 4320, 144, 432 }, { 1440, 120, 120 },
        { -500, 96, 0 }, { 1e30, 96, QWIDGETSIZE_MAX } };
    for (const auto &c : cases)
        EXPECT_EQ(frmMain::twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << '@' << c.dpi;
    EXPECT_DOUBLE_EQ(frmMain::pixelsToTwips(288, 96), 4320);
    EXPECT_DOUBLE_EQ(frmMain::pixelsToTwips(120, 120), 1440);
}

struct SizeCase {
    const char *width;
    const char *height;
    double expectedWidthTwips; // what the window should take
    double expectedHeightTwips;
};

TEST_F(FrmMainTest, SizeComesFromStoredTwipsWithFallbackToTheDefault)
{
    const SizeCase cases[] = {
        { "9000", "10500", 9000, 10500 },
        { "9000.4", "1.05e4", 9000.4, 10500 },
        { "wide", "", 4320, 7680 },
        { "1e39", "7680px", 4320, 7680 },
        // Sizes no screen shows: the defaults, so a bad value is not written back for good.
        { "-1000", "0", 4320, 7680 },
        { "1E+20", "3E+38", 4320, 7680 },
    };
    for (const SizeCase &c : cases) {
        store({ { "FormWidth", c.width }, { "FormHeight", c.height } });
        frmMain w;
        const QSize expected(std::max(frmMain::twipsToPixels(c.expectedWidthTwips, w.logicalDpiX()),
                                 w.minimumSizeHint().width()),
            std::max(frmMain::twipsToPixels(c.expectedHeightTwips, w.logicalDpiY()),
                w.minimumSizeHint().height()));
        EXPECT_EQ(w.size(), expected) << c.width << ' ' << c.height;
    }
}

TEST_F(FrmMainTest, SizeIsKeptAfterTheCloseButtonAndNotAfterFileClose)
{
    {
        frmMain w;
        w.show();
        w.resize(640, 600);
        ASSERT_TRUE(w.close());
        EXPECT_EQ(stored("FormWidth"),
            vb::singleText(float(frmMain::pixelsToTwips(640, w.logicalDpiX()))));
        EXPECT_EQ(stored("FormHeight"),
            vb::singleText(float(frmMain::pixelsToTwips(600, w.logicalDpiY()))));
    }
    {
        RecordingMain w;
        EXPECT_EQ(w.size(), QSize(640, 600));
        w.show();
        w.resize(700, 650);
        w.mnuFile(6)->trigger();
        EXPECT_EQ(w.calls, QStringList { "end" });
        w.close(); // whatever closes the window afterwards must not save
    }
    frmMain w;
    EXPECT_EQ(w.size(), QSize(640, 600));
}

TEST_F(FrmMainTest, FileTogglesWriteTheirSettingsAtOnce)
{
    RecordingMain w;
    ASSERT_FALSE(w.mnuFile(0)->isChecked());
    w.mnuFile(0)->trigger();
    EXPECT_TRUE(settings.autoStart);
    EXPECT_EQ(stored("AutoStart"), QStringLiteral("True"));
    EXPECT_TRUE(w.tmStartup.isActive());
    w.mnuFile(0)->trigger();
    EXPECT_EQ(stored("AutoStart"), QStringLiteral("False"));
    EXPECT_FALSE(w.tmStartup.isActive());

    w.mnuFile(1)->trigger();
    EXPECT_EQ(stored("ShowMinimized"), QStringLiteral("True"));

    // With nothing stored the banner starts stopped; unchecking starts the rotation.
    ASSERT_TRUE(w.mnuFile(2)->isChecked() == settings.adBannerDisplay);
    settings.adBannerDisplay = true;
    w.mnuFile(2)->setChecked(true);
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), QStringLiteral("False"));
    EXPECT_TRUE(w.tmAdBanner.isActive());
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), QStringLiteral("True"));
    EXPECT_FALSE(w.tmAdBanner.isActive());

    w.mnuFile(4)->trigger();
    EXPECT_EQ(w.calls, QStringList { "options modal" });
}

TEST_F(FrmMainTest, RefreshAndHistoryChoicesAreStoredThenRefreshOrAskForCredentials)
{
    current.userId = QStringLiteral("bob");
    current.password = QStringLiteral("pw");
    RecordingMain w;
    w.mnuRefresh(2)->trigger();
    EXPECT_EQ(stored("Refresh"), QStringLiteral("30 Minutes"));
    EXPECT_EQ(settings.refresh, QStringLiteral("30 Minutes"));
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(w.mnuRefresh(i)->isChecked(), i == 2) << i;
    EXPECT_EQ(w.calls, QStringList { "connect" });

    current.password.clear();
    w.calls.clear();
    w.mnuHistory(1)->trigger();
    w.mnuHistory(1)->trigger(); // choosing the checked entry again keeps it checked
    EXPECT_EQ(stored("DataView"), QStringLiteral("2 Days"));
    for (int i = 0; i <= 7; ++i)
        EXPECT_EQ(w.mnuHistory(i)->isChecked(), i == 1) << i;
    EXPECT_EQ(w.calls, (QStringList { "options", "options" }));
}

TEST_F(FrmMainTest, BidAlertsAndProfiles)
{
    settings.profileUserName = { QStringLiteral("alice"), QStringLiteral("bob"),
        QStringLiteral("carol"), QStringLiteral("empty"), QStringLiteral("empty") };
    settings.profilePassword = { QStringLiteral("a"), QStringLiteral("b"), QString(), QString(),
        QString() };
    RecordingMain w;
    w.mnuBidAlerts(0)->trigger();
    EXPECT_EQ(stored("AlertTime"), QStringLiteral("5"));
    EXPECT_EQ(settings.alertTime, 5);
    EXPECT_TRUE(w.mnuBidAlerts(0)->isChecked());
    EXPECT_FALSE(w.mnuBidAlerts(1)->isChecked());

    // A profile without a password still connects; the sign-in then fails.
    w.mnuProfiles(3)->trigger();
    EXPECT_EQ(current.userId, QStringLiteral("carol"));
    EXPECT_EQ(current.password, QString());
    EXPECT_EQ(w.calls, QStringList { "connect" });
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(w.mnuProfiles(n)->isChecked(), n == 3) << n;
    // Profiles are not settings of their own.
    EXPECT_EQ(stored("UserID"), QStringLiteral("<missing>"));
}

} // namespace
