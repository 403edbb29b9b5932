#include "app/forms/frmMain.h"
#include "app/modules/vb_convert.h"
#include "tests/app/shell_test_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace Qt::Literals::StringLiterals;

namespace {

using mSettings::current;
using mSettings::settings;

// The main window with the later-work operations recorded instead of carried out.
class RecordingMain : public frmMain {
public:
    QStringList calls;
    void checkForUpdate() override { calls << u"checkForUpdate"_s; }
    void Connect() override { calls << u"connect"_s; }
    void showOptionsDialog(bool modal) override
    {
        calls << (modal ? u"options modal"_s : u"options"_s);
    }
    void endProgram() override
    {
        frmMain::endProgram();
        calls << u"end"_s;
    }
};

class FrmMainTest : public ShellTest { };

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

// The menus in order, each entry's caption ("-" a separator) at its index, and nothing beyond.
TEST_F(FrmMainTest, MenusHoldTheirEntriesAtTheirIndexes)
{
    frmMain w;
    QStringList titles;
    for (QAction *a : w.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles,
        (QStringList {
            "&File", "&View", "&Refresh", "&Profiles", "Bid &Alerts", "eBay", "PayPal", "&Help" }));
    EXPECT_EQ(w.menus().mnuViewTop->actions().size(), 1);
    EXPECT_EQ(w.menus().mnuViewTop->actions().first()->text(), u"&History"_s);
    EXPECT_EQ(w.windowTitle(), u"Bidlark"_s);

    const std::tuple<const char *, int, int> bounds[] = { { "File", 0, 6 }, { "History", 0, 7 },
        { "Refresh", 0, 3 }, { "Profiles", 1, 5 }, { "BidAlerts", 0, 2 }, { "eBay", 0, 12 },
        { "Browse", 0, 21 }, { "PayPal", 1, 34 }, { "Help", 0, 3 } };
    for (const auto &[menu, first, last] : bounds) {
        EXPECT_NE(entry(w, QLatin1String(menu), first), nullptr) << menu;
        EXPECT_NE(entry(w, QLatin1String(menu), last), nullptr) << menu;
        EXPECT_EQ(entry(w, QLatin1String(menu), first - 1), nullptr) << menu;
        EXPECT_EQ(entry(w, QLatin1String(menu), last + 1), nullptr) << menu;
    }
    const std::pair<const char *, int> separators[] = { { "File", 3 }, { "File", 5 }, { "eBay", 5 },
        { "eBay", 11 }, { "PayPal", 4 }, { "Help", 2 } };
    for (const auto &[menu, index] : separators)
        EXPECT_TRUE(entry(w, QLatin1String(menu), index)->isSeparator()) << menu << ' ' << index;
    EXPECT_TRUE(w.mnuHelp(0)->text().startsWith(u"&Visit "_s));
    EXPECT_EQ(w.mnuEbay(12)->menu(), w.menus().mnuBrowseTop);
    EXPECT_EQ(w.mnuBrowse(11)->iconText(), u"Movies & Television"_s);
    // The page numbers travel with the entries.
    EXPECT_EQ(w.mnuBrowse(0)->data().toInt(), 353);
    EXPECT_EQ(w.mnuPayPal(34)->data().toInt(), 43084);
}

TEST_F(FrmMainTest, LoadPutsTheMarksInLineWithTheSettings)
{
    settings.refresh = u"Every hour"_s;
    settings.dataView = u"2 Days"_s;
    settings.autoStart = true;
    settings.showMinimized = false;
    settings.adBannerDisplay = false;
    settings.alertTime = 15;
    current.userId = u"alice"_s;
    settings.profileUserName = { u"alice"_s, u"bob"_s, u"empty"_s, QString(), u"eve"_s };
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
    settings.payPalPassword = u"pp"_s;
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
    EXPECT_EQ(stored("AutoStart"), u"True"_s);
    EXPECT_TRUE(w.tmStartup.isActive());
    w.mnuFile(0)->trigger();
    EXPECT_EQ(stored("AutoStart"), u"False"_s);
    EXPECT_FALSE(w.tmStartup.isActive());

    w.mnuFile(1)->trigger();
    EXPECT_EQ(stored("ShowMinimized"), u"True"_s);

    // With nothing stored the banner starts stopped; unchecking starts the rotation.
    ASSERT_TRUE(w.mnuFile(2)->isChecked() == settings.adBannerDisplay);
    settings.adBannerDisplay = true;
    w.mnuFile(2)->setChecked(true);
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), u"False"_s);
    EXPECT_TRUE(w.tmAdBanner.isActive());
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), u"True"_s);
    EXPECT_FALSE(w.tmAdBanner.isActive());

    w.mnuFile(4)->trigger();
    EXPECT_EQ(w.calls, QStringList { "options modal" });
}

TEST_F(FrmMainTest, RefreshAndHistoryChoicesAreStoredThenRefreshOrAskForCredentials)
{
    current.userId = u"bob"_s;
    current.password = u"pw"_s;
    RecordingMain w;
    w.mnuRefresh(2)->trigger();
    EXPECT_EQ(stored("Refresh"), u"30 Minutes"_s);
    EXPECT_EQ(settings.refresh, u"30 Minutes"_s);
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(w.mnuRefresh(i)->isChecked(), i == 2) << i;
    EXPECT_EQ(w.calls, QStringList { "connect" });

    current.password.clear();
    w.calls.clear();
    w.mnuHistory(1)->trigger();
    w.mnuHistory(1)->trigger(); // choosing the checked entry again keeps it checked
    EXPECT_EQ(stored("DataView"), u"2 Days"_s);
    for (int i = 0; i <= 7; ++i)
        EXPECT_EQ(w.mnuHistory(i)->isChecked(), i == 1) << i;
    EXPECT_EQ(w.calls, (QStringList { "options", "options" }));
}

TEST_F(FrmMainTest, BidAlertsAndProfiles)
{
    settings.profileUserName = { u"alice"_s, u"bob"_s, u"carol"_s, u"empty"_s, u"empty"_s };
    settings.profilePassword = { u"a"_s, u"b"_s, QString(), QString(), QString() };
    RecordingMain w;
    w.mnuBidAlerts(0)->trigger();
    EXPECT_EQ(stored("AlertTime"), u"5"_s);
    EXPECT_EQ(settings.alertTime, 5);
    EXPECT_TRUE(w.mnuBidAlerts(0)->isChecked());
    EXPECT_FALSE(w.mnuBidAlerts(1)->isChecked());

    // A profile without a password still connects; the sign-in then fails.
    w.mnuProfiles(3)->trigger();
    EXPECT_EQ(current.userId, u"carol"_s);
    EXPECT_EQ(current.password, QString());
    EXPECT_EQ(w.calls, QStringList { "connect" });
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(w.mnuProfiles(n)->isChecked(), n == 3) << n;
    // Profiles are not settings of their own.
    EXPECT_EQ(stored("UserID"), u"<missing>"_s);
}

} // namespace
