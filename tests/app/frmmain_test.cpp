#include "app/forms/frmMain.h"
#include "app/modules/vb_convert.h"
#include "tests/app/shell_test_support.h"

#include <QAction>
#include <QMenu>

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

// The menu marks and timers the settings give at load, for a typical and an edge set of values.
TEST_F(FrmMainTest, LoadPutsTheMarksInLineWithTheSettings)
{
    settings.refresh = u"Every hour"_s;
    settings.dataView = u"2 Days"_s;
    settings.autoStart = true;
    settings.alertTime = 15;
    current.userId = u"alice"_s;
    settings.profileUserName = { u"alice"_s, u"bob"_s, u"empty"_s, QString(), u"eve"_s };
    {
        frmMain w;
        EXPECT_TRUE(w.mnuRefresh(3)->isChecked());
        EXPECT_TRUE(w.mnuHistory(1)->isChecked());
        EXPECT_TRUE(w.mnuFile(0)->isChecked());
        EXPECT_FALSE(w.mnuFile(2)->isChecked());
        EXPECT_TRUE(w.tmAdBanner.isActive()); // rotation runs
        EXPECT_TRUE(w.mnuBidAlerts(2)->isChecked());
        EXPECT_EQ(w.mnuProfiles(4)->text(), u"User Profile 4"_s);
        EXPECT_TRUE(w.mnuProfiles(1)->isChecked());
        EXPECT_FALSE(w.menus().mnuPayPalTop->menuAction()->isVisible());
    }
    // An alert time no entry offers marks none; a PayPal password shows the menu.
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
        { "auto, no password", true, "bob", "", { "checkForUpdate", "options" } },
        { "auto, credentials", true, "bob", "pw", { "checkForUpdate", "connect" } },
        { "manual", false, "bob", "pw", { "checkForUpdate" } },
    };
    for (const ChainCase &c : cases) {
        SCOPED_TRACE(c.name);
        settings.autoStart = c.autoStart;
        current.userId = QString::fromUtf8(c.userId);
        current.password = QString::fromUtf8(c.password);
        RecordingMain w;
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
    } cases[] = { { 4320, 96, 288 }, { 4320, 144, 432 }, { -500, 96, 0 },
        { 1e30, 96, QWIDGETSIZE_MAX } };
    for (const auto &c : cases)
        EXPECT_EQ(frmMain::twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << '@' << c.dpi;
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
        { "9000.4", "1.05e4", 9000.4, 10500 },
        { "wide", "7680px", 4320, 7680 },
        // Sizes no screen shows: the defaults, so a bad value is not written back for good.
        { "-1000", "3E+38", 4320, 7680 },
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

// Every menu choice that is a setting writes it at once, moves the check mark, and the ones that
// need a refresh connect (or ask for credentials).
TEST_F(FrmMainTest, MenuChoicesAreStoredAtOnceThenRefreshOrAskForCredentials)
{
    settings.profileUserName = { u"alice"_s, u"bob"_s, u"carol"_s, u"empty"_s, u"empty"_s };
    settings.profilePassword = { u"a"_s, u"b"_s, QString(), QString(), QString() };
    current.userId = u"bob"_s;
    current.password = u"pw"_s;
    RecordingMain w;
    w.mnuFile(0)->trigger();
    EXPECT_EQ(stored("AutoStart"), u"True"_s);
    EXPECT_TRUE(w.tmStartup.isActive());
    w.mnuFile(0)->trigger();
    EXPECT_EQ(stored("AutoStart"), u"False"_s);
    EXPECT_FALSE(w.tmStartup.isActive());
    w.mnuFile(1)->trigger();
    EXPECT_EQ(stored("ShowMinimized"), u"True"_s);
    // With nothing stored the banner runs; checking "stop" stores True and stops it.
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), u"True"_s);
    EXPECT_FALSE(w.tmAdBanner.isActive());
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), u"False"_s);
    EXPECT_TRUE(w.tmAdBanner.isActive());
    w.mnuFile(4)->trigger();
    w.mnuBidAlerts(0)->trigger();
    EXPECT_EQ(stored("AlertTime"), u"5"_s);
    EXPECT_EQ(settings.alertTime, 5);
    EXPECT_FALSE(w.mnuBidAlerts(1)->isChecked());

    w.mnuRefresh(2)->trigger();
    EXPECT_EQ(stored("Refresh"), u"30 Minutes"_s);
    EXPECT_EQ(settings.refresh, u"30 Minutes"_s);
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(w.mnuRefresh(i)->isChecked(), i == 2) << i;
    // A profile without a password still connects; the sign-in then fails. Profiles are not
    // settings of their own.
    w.mnuProfiles(3)->trigger();
    EXPECT_EQ(current.userId, u"carol"_s);
    EXPECT_EQ(current.password, QString());
    EXPECT_EQ(stored("UserID"), u"<missing>"_s);
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(w.mnuProfiles(n)->isChecked(), n == 3) << n;
    current.userId.clear();
    w.mnuHistory(1)->trigger();
    w.mnuHistory(1)->trigger(); // choosing the checked entry again keeps it checked
    EXPECT_EQ(stored("DataView"), u"2 Days"_s);
    for (int i = 0; i <= 7; ++i)
        EXPECT_EQ(w.mnuHistory(i)->isChecked(), i == 1) << i;
    EXPECT_EQ(w.calls, (QStringList { "options modal", "connect", "connect", "options", "options" }));
}

} // namespace
