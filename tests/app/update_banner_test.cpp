// The update check against the sandbox product site (a real process) and the banner rotation.
#include "app/forms/frmMain.h"
#include "app/forms/frmMainPictures.h"
#include "app/forms/frmMainUpdate.h"
#include "app/modules/mStartup.h"
#include "app/modules/sites.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"
#include "tests/support/sandbox_site.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

using mSettings::current;
using mSettings::settings;
using platform::ui::MsgResult;

// A main window whose connect, options and end are recorded instead of done.
class ChainMain : public frmMain {
public:
    ChainMain() { tmStartupDelay.stop(); }
    QStringList calls;
    void Connect() override { calls << u"connect"_s; }
    void showOptionsDialog(bool) override { calls << u"options"_s; }
    void endProgram() override { calls << u"end"_s; }
};

class UpdateTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(m_site.ok()) << m_site.error().toStdString();
    }
    void TearDown() override
    {
        qunsetenv("BIDLARK_NET_TIMEOUT_MS");
        ShellTest::TearDown();
    }
    QStringList versionRequests() const
    {
        QStringList out;
        for (const auto &r : m_site.requests())
            if (r.target.endsWith(QLatin1String("/version.txt")))
                out << r.scheme + u' ' + r.method + u' ' + r.target;
        return out;
    }

    testsupport::SandboxSite m_site { { u"--stall-seconds"_s, u"20"_s } };
    platform::ui::MessageBoxRecorder m_boxes;
    platform::ui::ShellRecorder m_shell;
};

struct VersionCase {
    const char *scenario;
    bool asks; // the question appears (answered No)
    QString shown; // after "Latest version is: "
    bool autoStart = true;
    const char *password = "pw";
    QStringList calls = { "connect" }; // what the auto-connect step does
};

// Whatever the site answers, the check ends with the busy picture cleared and the chain goes on
// to the auto-connect step (with AutoStart on), which connects, or asks for the missing password;
// only a real, different version text asks.
TEST_F(UpdateTest, VersionFileAnswersAndFailuresAllReachAutoConnect)
{
    const QString running = frmMainUpdate::runningVersion();
    const QString next =
        running.section(u'.', 0, 1) + u'.' + QString::number(running.section(u'.', 2).toInt() + 1);
    const VersionCase cases[] = {
        { "normal", false, running },
        { "product:version-newline", true, running },
        { "product:version-newer", true, next },
        { "product:version-empty", false, QString() },
        { "product:error500", false, QString() },
        { "product:stall", false, QString() },
        { "normal", false, running, true, "", { "options" } },
        { "normal", false, running, false, "pw", {} },
    };
    shelltest::SitesFile sitesFile(m_site.sitesFile(), m_site.caFile());
    qputenv("BIDLARK_NET_TIMEOUT_MS", "1500");
    current.userId = u"bob"_s;
    for (const VersionCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.scenario << " autoStart " << c.autoStart);
        settings.autoStart = c.autoStart;
        current.password = QLatin1String(c.password);
        ASSERT_TRUE(m_site.setScenario(QLatin1String(c.scenario)));
        m_boxes.clear();
        m_boxes.queueAnswer(MsgResult::No);
        ChainMain w;
        w.tmCheckVersion.start();
        w.tmCheckVersionTick();
        EXPECT_FALSE(w.tmCheckVersion.isActive());
        EXPECT_EQ(m_boxes.boxes().size(), c.asks ? 1 : 0);
        EXPECT_EQ(w.statusText(), u"Latest version is: "_s + c.shown);
        EXPECT_FALSE(w.statusBusy());
        EXPECT_EQ(w.tmStartup.isActive(), c.autoStart);
        EXPECT_EQ(w.mnuFile(0)->isChecked(), c.autoStart);
        if (c.autoStart)
            w.tmStartupTick();
        EXPECT_EQ(w.calls, c.calls);
        EXPECT_TRUE(m_shell.opened().isEmpty());
    }
    EXPECT_EQ(versionRequests().size(), int(std::size(cases)));
    EXPECT_EQ(versionRequests().first(), u"http GET /product/version.txt"_s);
}

// A version file that is some other page cannot fill the status bar: one line, 64 characters.
TEST_F(UpdateTest, ShownVersionIsOneLineOfAtMost64Characters)
{
    const QString longLine = QString(70, u'7');
    testsupport::SandboxSite site({ u"--version"_s, longLine + u"\nx"_s });
    ASSERT_TRUE(site.ok());
    shelltest::SitesFile sitesFile(site.sitesFile(), site.caFile());
    m_boxes.queueAnswer(MsgResult::No);
    ChainMain w;
    w.tmCheckVersionTick();
    EXPECT_EQ(w.statusText(), u"Latest version is: "_s + longLine.left(64));
    EXPECT_EQ(m_boxes.boxes().size(), 1);
}

struct YesCase {
    const char *name;
    bool httpsProduct;
    QStringList opened;
};

// Yes shows the download notice, hands the updater's https page on the product site to the
// browser (never an http one) and ends the program; the chain does not go on.
TEST_F(UpdateTest, YesOpensOnlyTheHttpsUpdaterPageAndEnds)
{
    const QString https =
        QUrl(m_site.base(u"paypal"_s)).adjusted(QUrl::RemovePath).toString() + u"/product"_s;
    const YesCase cases[] = {
        { "https product site", true, { https + u"/bidlarkupdate.exe"_s } },
        { "http product site", false, {} },
    };
    ASSERT_TRUE(m_site.setScenario(u"product:version-newer"_s));
    settings.autoStart = true;
    for (const YesCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = m_site.dir() + u"/sites-test"_s;
        ASSERT_TRUE(shelltest::writeFile(path,
            shelltest::readText(m_site.sitesFile()).toUtf8() +
                (c.httpsProduct ? "\nproduct=" + https.toUtf8() + '\n' : QByteArray())));
        shelltest::SitesFile sitesFile(path, m_site.caFile());
        m_boxes.clear();
        m_boxes.queueAnswer(MsgResult::Yes);
        ChainMain w;
        const int opened = m_shell.opened().size();
        w.tmCheckVersionTick();
        EXPECT_EQ(m_boxes.boxes().size(), 2); // the question, then the download notice
        EXPECT_EQ(m_shell.opened().mid(opened), c.opened);
        EXPECT_EQ(w.calls, QStringList { "end" });
        EXPECT_FALSE(w.tmStartup.isActive());
    }
    for (const auto &r : m_site.requests())
        EXPECT_FALSE(r.target.endsWith(QLatin1String("bidlarkupdate.exe")));
}

class BannerTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        mStartup::bannerLink = mStartup::productHomePage();
    }
    platform::ui::MessageBoxRecorder m_boxes;
    platform::ui::ShellRecorder m_shell;
};

// The first picture stays for two ticks (the first tick only arms the rotation), then 2, 3, 4, 1;
// stopping keeps picture and link; a click opens the link of the picture shown.
TEST_F(BannerTest, TicksRotateStopKeepsPictureAndClickOpensCurrentLink)
{
    const QString product = sites::siteUrl(sites::Role::Product);
    const QString links[] = { product + u'/', sites::siteUrl(sites::Role::Partner1) + u'/',
        sites::siteUrl(sites::Role::Partner2) + u'/', product + u"/ebay"_s };

    ChainMain w;
    const int shown[] = { 1, 2, 3, 4, 1, 2 };
    for (int tick = 0; tick < 6; ++tick) {
        w.tmAdBannerTick();
        EXPECT_EQ(w.bannerShown(), shown[tick]) << tick;
        EXPECT_EQ(
            w.Picture1->pixmap().toImage(), frmMainPictures::bannerPicture(shown[tick]).toImage())
            << tick;
        EXPECT_EQ(mStartup::bannerLink, links[shown[tick] - 1]) << tick;
    }
    w.tmAdBannerTick(); // now on 3
    w.mnuFile(2)->trigger();
    EXPECT_FALSE(w.tmAdBanner.isActive());
    EXPECT_EQ(w.bannerShown(), 3);
    EXPECT_EQ(mStartup::bannerLink, links[2]);
    QTest::mouseClick(w.Picture1, Qt::LeftButton);
    EXPECT_EQ(m_shell.opened(), QStringList { links[2] });

    w.mnuFile(2)->trigger();
    EXPECT_TRUE(w.tmAdBanner.isActive());
    w.tmAdBannerTick();
    EXPECT_EQ(w.bannerShown(), 4);
}

} // namespace
