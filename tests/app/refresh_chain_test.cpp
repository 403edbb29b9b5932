// The refresh chain against the sandbox site as a real process: what is sent where, the cookie
// chain, each sign-in outcome, every failure exit, and the schedule around them.
#include "app/forms/frmConnection.h"
#include "app/forms/frmDebug.h"
#include "app/forms/frmLogin.h"
#include "app/modules/mRefreshText.h"
#include "app/modules/mStartup.h"
#include "platform/net/inet.h"
#include "tests/app/refresh_support.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The main window of these tests: its start-up update check would be one more request the site
// logs, so it stays quiet; everything else is the program's own.
struct RefreshMain : frmMain {
    void checkForUpdate() override { }
};

using mRefreshText::FormEncode;

const QByteArray kBodyHead =
    "MfcISAPICommand=SignInWelcome&siteid=0&co_partnerId=2&UsingSSL=0&ru=&pp=&pa1=&pa2=&pa3=&pa4=&"
    "pa5=&pa6=&pa7=&pa8=&pa9=&pa10=&i1=-1&i2=-1&i3=-1&i4=-1&i5=-1&i6=-1&i7=-1&i8=-1&i9=-1&i10=-1&"
    "i11=-1&pNextPage=&pageType=174&";

// The item lines of the tree (two-blank indent), as the state dump writes them.
QStringList itemLines(const frmMain &w)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dump"));
    if (!w.dumpState(path))
        return { QStringLiteral("<no dump>") };
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    QStringList lines;
    for (const QString &line : text.section(QStringLiteral("[tree]\n"), 1).split(u'\n'))
        if (line.startsWith(QStringLiteral("  ")))
            lines << line;
    return lines;
}

TEST(RefreshText, FormValuesAreEncodedByteForByte)
{
    const std::pair<QString, QString> cases[] = {
        { QStringLiteral("sandboxpass09"), QStringLiteral("sandboxpass09") },
        { QStringLiteral("-._*"), QStringLiteral("-._*") },
        { QStringLiteral("a&b+c=d%e f"), QStringLiteral("a%26b%2Bc%3Dd%25e+f") },
        { QStringLiteral("caf\u00e9\u20ac"), QStringLiteral("caf%E9%80") }, // Windows-1252 bytes
        { QStringLiteral("\u4e2d\U0001F600"), QStringLiteral("%E4%B8%AD%F0%9F%98%80") }, // UTF-8
        { QStringLiteral("~/?#\r\n"), QStringLiteral("%7E%2F%3F%23%0D%0A") },
    };
    for (const auto &[value, encoded] : cases)
        EXPECT_EQ(FormEncode(value), encoded) << value.toStdString();
}

TEST(RefreshText, UnrecognisedPagesKeepOnlyTheNewestFive)
{
    QTemporaryDir dir;
    QStringList saved;
    for (int i = 0; i < 7; ++i)
        saved << mRefreshText::SaveUnrecognisedPage(QString::number(i), dir.path() + "/u");
    QStringList left = QDir(dir.path() + "/u").entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), 5);
    for (int i = 2; i < 7; ++i)
        EXPECT_TRUE(QFile::exists(saved[i])) << i;
}

// The minute tick with Connect recorded: connects at or past the interval, then counts afresh.
TEST(RefreshSchedule, TickConnectsOncePerInterval)
{
    struct CountingMain : frmMain {
        int connects = 0;
        void Connect() override { ++connects; }
    };
    struct Case {
        const char *refresh;
        SHORT startAt;
        int ticks;
        int connects;
        SHORT counterAfter;
    };
    const Case cases[] = {
        { "15 Minutes", 13, 1, 0, 14 }, // tick 14
        { "15 Minutes", 13, 2, 1, 0 }, // tick 15
        { "15 Minutes", 13, 3, 1, 1 }, // tick 16
        { "5 Minutes", 0, 10, 2, 0 },
        { "15 Minutes", 40, 1, 1, 0 }, // already past the interval: no 22-day wait
        { "60 Minutes", 32767, 1, 1, 0 }, // saturated, never negative
        { "Minutes", 0, 59, 0, 59 }, // no number: 60
        { "Minutes", 0, 60, 1, 0 },
        { "0 Minutes", 0, 59, 0, 59 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.refresh) + " from " + std::to_string(c.startAt));
        mSettings::settings.refresh = QString::fromUtf8(c.refresh);
        CountingMain w;
        w.setRefreshMinuteCounter(c.startAt);
        for (int i = 0; i < c.ticks; ++i)
            w.tmRefreshTick();
        EXPECT_EQ(w.connects, c.connects);
        EXPECT_EQ(w.refreshMinuteCounter(), c.counterAfter);
    }
    mSettings::resetInMemory();
}

// Addresses and bodies per country and history depth, and the cookie chain, as the site saw them.
TEST_F(RefreshTest, RequestsGoToTheCountrysSitesWithTheExactBody)
{
    testsupport::SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    struct Case {
        const char *country, *dataView, *page, *pageQuery, *post, *myEbay, *days;
    };
    const Case cases[] = {
        { "United States", "Today", "signin", "SIgnIn", "signin", "myebay", "0" },
        { "United Kingdom", "2 Days", "signin.uk", "SignIn", "signin.uk", "myebay.uk", "2" },
        { "Ireland", "10 Days", "signin.uk", "SignIn", "signin.uk", "myebay.uk", "10" },
        { "Canada", "5 Days", "signin", "SIgnIn", "signin.ca", "myebay.ca", "5" },
        { "Australia", "30 Days", "signin", "SIgnIn", "signin.au", "myebay.au", "30" },
        { "New Zealand", "25 Days", "signin", "SIgnIn", "signin", "myebay", "25" },
    };
    RefreshMain w;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.country);
        useSite(site, QString::fromUtf8(c.country), QString::fromUtf8(c.dataView));
        mStartup::signInToken.clear();
        const qsizetype before = site.requests().size();
        ASSERT_TRUE(refresh(w));
        const QList<testsupport::LoggedRequest> r = site.requests().mid(before);
        ASSERT_EQ(r.size(), 3);
        EXPECT_EQ(r[0].method, "GET");
        EXPECT_EQ(r[0].target,
            target(site, c.page, QStringLiteral("/aw-cgi/eBayISAPI.dll?") + c.pageQuery));
        EXPECT_EQ(r[1].method, "POST");
        EXPECT_EQ(r[1].target, target(site, c.post, "/aw-cgi/eBayISAPI.dll"));
        EXPECT_EQ(r[1].body, kBodyHead + "userid=sandboxuser&pass=sandboxpass");
        EXPECT_EQ(r[1].header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_TRUE(r[1].header("Cookie").contains("sandbox_session="));
        EXPECT_EQ(r[2].target,
            target(site, c.myEbay,
                QStringLiteral("/ws/ebayISAPI.dll?MyeBay&first=N&sellerSort=3&bidderSort=3&"
                               "watchSort=3&dayssince=") +
                    c.days));
        EXPECT_TRUE(r[2].header("Cookie").contains("sandbox_auth="));
        EXPECT_TRUE(w.statusText().startsWith("last sync: ")) << w.statusText().toStdString();
        EXPECT_FALSE(w.statusBusy());
        EXPECT_TRUE(w.tmRefresh.isActive());
        EXPECT_TRUE(w.tmAlert.isActive());
        EXPECT_FALSE(mStartup::signInToken.isEmpty());
        // The site shows 1 row per section for today, 3 up to 2 days back, else 4. Ireland gets
        // the UK page in pounds but is read with the dollar sign, so its priced rows are missed.
        const int days = QByteArray(c.days).toInt();
        if (QByteArray(c.country) != "Ireland")
            EXPECT_EQ(itemLines(w).size(), 7 * (days == 0 ? 1 : days < 3 ? 3 : 4));
    }
}

TEST_F(RefreshTest, APasswordWithFormCharactersSignsIn)
{
    const QString password = QStringLiteral("p&ss+w=rd%20 \u00e9");
    testsupport::SandboxSite site({ "--ebay-password", password });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    useSite(site, "United States", "Today", password);
    RefreshMain w;
    ASSERT_TRUE(refresh(w));
    EXPECT_TRUE(w.statusText().startsWith("last sync: ")) << w.statusText().toStdString();
    EXPECT_TRUE(site.requests().at(1).body.endsWith("&pass=p%26ss%2Bw%3Drd%2520+%E9"));
}

// Each answer of the post, decided without the post itself; the My eBay site is a closed port,
// so a retrieval shows up as a failed My eBay read.
TEST_F(RefreshTest, CheckSignInDecidesInOrder)
{
    const QString dead =
        QStringLiteral("http://127.0.0.1:") + QString::number(testsupport::FreeLoopbackPort());
    QTemporaryDir dir;
    QFile sitesFile(dir.filePath("sites"));
    ASSERT_TRUE(sitesFile.open(QIODevice::WriteOnly));
    sitesFile.write(("signin=" + dead + "\nmyebay=" + dead + "\n").toUtf8());
    sitesFile.close();
    qputenv("BIDLARK_SITES", sitesFile.fileName().toUtf8());
    sites::reloadSites();
    const QString kept = QStringLiteral("kept");
    struct Case {
        const char *answer;
        QString status; // "kept": unchanged
        QString token; // "-": none cut
        bool retrieved;
    };
    const Case cases[] = {
        { "Your password is not valid", "Login failed, check userid and password", "-", false },
        { "password is not valid; rejecting cookies", "Login failed, check userid and password",
            "-", false },
        { "rejecting cookies", kept, "-", false },
        { "pass=tok&amp;first", "", "tok", true },
        { "abcdefgh&amp;rest", "", "efgh", true }, // no "pass=": from position 5
        { "pass=tok", "Error occurred retrieving password.  Please Refresh.", "-", false },
    };
    RefreshMain w;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        mStartup::signInToken = QStringLiteral("-");
        w.stopRefreshTimer();
        frmLogin *login = frmLogin::Load(w);
        login->Inet1->Cancel(); // its closed port would report later, over the decision
        w.setStatusText(kept);
        w.setStatusBusy(true);
        login->CheckSignIn(QString::fromUtf8(c.answer));
        EXPECT_EQ(frmLogin::instance(), nullptr);
        if (c.retrieved)
            EXPECT_TRUE(w.statusText().endsWith("(My eBay page)")) << w.statusText().toStdString();
        else
            EXPECT_EQ(w.statusText(), c.status);
        EXPECT_EQ(mStartup::signInToken, c.token);
        EXPECT_FALSE(w.statusBusy());
        EXPECT_TRUE(w.tmRefresh.isActive()); // every exit keeps the schedule going
        ASSERT_TRUE(QTest::qWaitFor([] { return !frmMain::refreshRunning(); }, 5000));
    }
    mStartup::signInToken.clear();
}

// Every way a step can fail ends with its text, no busy picture and the schedule running.
TEST_F(RefreshTest, FailureExitsNameTheStepAndRestartTheSchedule)
{
    testsupport::SandboxSite site({ "--stall-seconds", "3" });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    struct Case {
        const char *scenario;
        const char *password;
        QString status; // the start of the text
        int treeLines;
    };
    const QString comm =
        QStringLiteral("An error occurred in communicating with the eBay computers... (");
    const Case cases[] = {
        { "signin:error500", "sandboxpass", comm + "sign-in page: the site answered HTTP 500)", 7 },
        { "signin:drop", "sandboxpass", comm + "sign-in page: 35753: ", 7 },
        { "signin:stall", "sandboxpass", comm + "sign-in page: 35752: ", 7 },
        { "normal", "wrong", "Login failed, check userid and password", 7 },
        { "myebay:error500", "sandboxpass",
            "500: The site answered with an error page (My eBay page)", 0 },
        { "myebay:reset", "sandboxpass", "35753: ", 0 },
        { "myebay:stall", "sandboxpass", "35752: ", 0 },
        { "unrecognised", "sandboxpass", "My eBay page not recognised - saved to ", 0 },
        { "bigpage", "sandboxpass", "last sync: ", 7 },
    };
    RefreshMain w;
    useSite(site, "United States", "Today");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario);
        // Start from a filled tree, so a failure that empties it shows.
        ASSERT_TRUE(site.setScenario("normal"));
        mSettings::current.password = "sandboxpass";
        ASSERT_TRUE(refresh(w));
        ASSERT_EQ(itemLines(w).size(), 7);
        ASSERT_TRUE(site.setScenario(c.scenario));
        mSettings::current.password = c.password;
        w.stopRefreshTimer();
        ASSERT_TRUE(refresh(w));
        EXPECT_TRUE(w.statusText().startsWith(c.status)) << w.statusText().toStdString();
        EXPECT_FALSE(w.statusBusy());
        EXPECT_TRUE(w.tmRefresh.isActive());
        EXPECT_EQ(w.refreshMinuteCounter(), 0);
        EXPECT_EQ(itemLines(w).size(), c.treeLines);
        if (QByteArray(c.scenario) == "unrecognised") {
            const QString file = w.statusText().section(" - saved to ", 1);
            EXPECT_TRUE(file.startsWith(mRefreshText::UnrecognisedPageFolder()));
            QFile saved(file);
            ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
            EXPECT_TRUE(saved.readAll().contains("My eBay has a new look"));
        }
    }
}

// A tick, a menu choice and the toolbar while the My eBay page hangs start nothing new.
TEST_F(RefreshTest, NoSecondChainWhileOneRuns)
{
    testsupport::SandboxSite site({ "--stall-seconds", "1", "--scenario", "myebay:stall" });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    qputenv("BIDLARK_NET_TIMEOUT_MS", "5000");
    useSite(site, "United States", "Today");
    RefreshMain w;
    bool pokedDuringRead = false;
    QTimer poke;
    poke.setInterval(100);
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (!frmConnection::instance())
            return;
        pokedDuringRead = true;
        w.setRefreshMinuteCounter(14);
        w.tmRefreshTick();
        w.mnuRefresh(0)->trigger();
        w.toolbar1ButtonClick(1);
    });
    poke.start();
    ASSERT_TRUE(refresh(w));
    poke.stop();
    EXPECT_TRUE(pokedDuringRead);
    int signInPages = 0;
    for (const auto &r : site.requests())
        signInPages += r.target.contains("SIgnIn");
    EXPECT_EQ(signInPages, 1);
}

// The main window going away while the My eBay page is read ends the chain without touching it.
TEST_F(RefreshTest, ClosingTheWindowMidRefreshEndsTheChain)
{
    testsupport::SandboxSite site({ "--stall-seconds", "2", "--scenario", "myebay:stall" });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    useSite(site, "United States", "Today");
    auto w = std::make_unique<frmMain>();
    QTimer poke;
    poke.setInterval(50);
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (frmConnection::instance())
            w.reset();
    });
    poke.start();
    w->Connect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([] { return !frmMain::refreshRunning(); }, 10000));
}

// With debug mode on, a filled txtdebug is parsed instead of the download; an empty one is not.
TEST_F(RefreshTest, DebugBoxReplacesThePageOnlyWhenFilled)
{
    testsupport::SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    useSite(site, "United States", "Today");
    RefreshMain w;
    mStartup::debugFlag = true;
    for (const char *box : { "", "<html>a saved page of something else</html>" }) {
        SCOPED_TRACE(box);
        frmDebug::instance()->txtdebug()->setPlainText(QString::fromUtf8(box));
        ASSERT_TRUE(refresh(w));
        EXPECT_EQ(itemLines(w).size(), *box ? 0 : 7);
    }
    frmDebug::destroyInstance();
    mStartup::debugFlag = false;
}

} // namespace
