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

// The index of the one checked entry of a menu, -1 when none is.
int checkedEntry(const MenuArray &menu)
{
    int found = -1;
    for (int i = menu.lBound(); i <= menu.uBound(); ++i) {
        if (menu(i)->isChecked()) {
            EXPECT_EQ(found, -1) << "more than one entry checked";
            found = i;
        }
    }
    return found;
}

// The menu marks, banner timer and PayPal menu the settings give at load. A text no entry offers
// (another case, a blank) marks no history entry and the hourly refresh entry.
TEST_F(FrmMainTest, LoadPutsTheMarksInLineWithTheSettings)
{
    struct Case {
        const char *refresh, *dataView;
        int refreshMark, historyMark;
        int alertTime, alertMark;
        bool bannerStopped;
        const char *payPalPassword; // the PayPal menu shows with one
    } const cases[] = {
        { "5 Minutes", "30 Days", 0, 7, 15, 2, false, "" },
        { "Every hour", "2 Days", 3, 1, 5, 0, true, "pp" },
        { "5 minutes", " Today", 3, -1, 7, -1, false, "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.refresh);
        settings.refresh = QLatin1String(c.refresh);
        settings.dataView = QLatin1String(c.dataView);
        settings.alertTime = c.alertTime;
        settings.adBannerDisplay = c.bannerStopped;
        settings.payPalPassword = QLatin1String(c.payPalPassword);
        frmMain w;
        EXPECT_EQ(checkedEntry(w.menus().mnuRefresh), c.refreshMark);
        EXPECT_EQ(checkedEntry(w.menus().mnuHistory), c.historyMark);
        EXPECT_EQ(checkedEntry(w.menus().mnuBidAlerts), c.alertMark);
        EXPECT_EQ(w.mnuFile(2)->isChecked(), c.bannerStopped);
        EXPECT_EQ(w.tmAdBanner.isActive(), !c.bannerStopped);
        EXPECT_EQ(w.menus().mnuPayPalTop->menuAction()->isVisible(), *c.payPalPassword != 0);
        EXPECT_TRUE(w.mnuProfiles(1)->isChecked());
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
    // With nothing stored the banner runs; checking "stop" stores True.
    w.mnuFile(2)->trigger();
    EXPECT_EQ(stored("AdBannerDisplay"), u"True"_s);
    w.mnuFile(4)->trigger();
    w.mnuBidAlerts(0)->trigger();
    EXPECT_EQ(stored("AlertTime"), u"5"_s);
    EXPECT_EQ(checkedEntry(w.menus().mnuBidAlerts), 0);

    w.mnuRefresh(2)->trigger();
    EXPECT_EQ(stored("Refresh"), u"30 Minutes"_s);
    EXPECT_EQ(checkedEntry(w.menus().mnuRefresh), 2);
    // A profile without a password still connects; the sign-in then fails. Profiles are not
    // settings of their own.
    w.mnuProfiles(3)->trigger();
    EXPECT_EQ(current.userId, u"carol"_s);
    EXPECT_EQ(current.password, QString());
    EXPECT_EQ(stored("UserID"), u"<missing>"_s);
    EXPECT_EQ(checkedEntry(w.menus().mnuProfiles), 3);
    current.userId.clear();
    w.mnuHistory(1)->trigger();
    w.mnuHistory(1)->trigger(); // choosing the checked entry again keeps it checked
    EXPECT_EQ(stored("DataView"), u"2 Days"_s);
    EXPECT_EQ(checkedEntry(w.menus().mnuHistory), 1);
    EXPECT_EQ(w.calls, (QStringList { "options modal", "connect", "connect", "options", "options" }));
}

} // namespace
