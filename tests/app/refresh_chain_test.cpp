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

using namespace Qt::Literals::StringLiterals;

namespace {

using shelltest::treeLines;

// The main window of these tests: its start-up update check would be one more request the site
// logs, so it stays quiet; everything else is the program's own.
struct RefreshMain : frmMain {
    void checkForUpdate() override { }
};

const QByteArray kBodyHead =
    "MfcISAPICommand=SignInWelcome&siteid=0&co_partnerId=2&UsingSSL=0&ru=&pp=&pa1=&pa2=&pa3=&pa4=&"
    "pa5=&pa6=&pa7=&pa8=&pa9=&pa10=&i1=-1&i2=-1&i3=-1&i4=-1&i5=-1&i6=-1&i7=-1&i8=-1&i9=-1&i10=-1&"
    "i11=-1&pNextPage=&pageType=174&";

qsizetype itemCount(const frmMain &w)
{
    const QStringList lines = treeLines(w);
    return std::count_if(
        lines.begin(), lines.end(), [](const QString &line) { return line.startsWith(u' '); });
}

TEST(RefreshText, FormValuesAreEncodedByteForByte)
{
    const std::pair<QString, QString> cases[] = {
        { u"-._*"_s, u"-._*"_s },
        { u"caf\u00e9\u20ac"_s, u"caf%E9%80"_s }, // Windows-1252 bytes
        { u"\u4e2d\U0001F600"_s, u"%E4%B8%AD%F0%9F%98%80"_s }, // UTF-8
        { u"~/?#\r\n"_s, u"%7E%2F%3F%23%0D%0A"_s },
    };
    for (const auto &[value, encoded] : cases)
        EXPECT_EQ(mRefreshText::FormEncode(value), encoded) << value.toStdString();
}

TEST(RefreshText, UnrecognisedPagesKeepOnlyTheNewestFive)
{
    QTemporaryDir dir;
    QStringList saved;
    for (int i = 0; i < 7; ++i)
        saved << mRefreshText::SaveUnrecognisedPage(QString::number(i), dir.path() + "/u");
    ASSERT_EQ(QDir(dir.path() + "/u").entryList(QDir::Files).size(), 5);
    for (int i = 2; i < 7; ++i)
        EXPECT_TRUE(QFile::exists(saved[i])) << i;
    // Many pages within one millisecond: the page just saved is never the one pruned.
    for (int i = 0; i < 200; ++i) {
        const QString path = mRefreshText::SaveUnrecognisedPage(QString::number(i), dir.path(), 1);
        ASSERT_TRUE(QFile::exists(path)) << i;
    }
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
        int ticks, connects;
        SHORT counterAfter;
    };
    const Case cases[] = {
        { "15 Minutes", 13, 1, 0, 14 }, // tick 14
        { "15 Minutes", 13, 2, 1, 0 }, // tick 15
        { "15 Minutes", 13, 3, 1, 1 }, // tick 16
        { "15 Minutes", 40, 1, 1, 0 }, // already past the interval: no 22-day wait
        { "60 Minutes", 32767, 1, 1, 0 }, // saturated, never negative
        { "Minutes", 0, 59, 0, 59 }, // no number: 60
        { "Minutes", 0, 60, 1, 0 },
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

// Addresses and bodies per country and history depth, and the cookie chain, as the site saw them;
// the password holds every character a form treats specially, and a letter outside ASCII.
TEST_F(RefreshTest, RequestsGoToTheCountrysSitesWithTheExactBody)
{
    const QString password = u"p&ss+w=rd%20 \u00e9"_s;
    testsupport::SandboxSite site({ "--ebay-password", password });
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
        useSite(site, QString::fromUtf8(c.country), QString::fromUtf8(c.dataView), password);
        mStartup::signInToken.clear();
        const qsizetype before = site.requests().size();
        ASSERT_TRUE(refresh(w));
        const QList<testsupport::LoggedRequest> r = site.requests().mid(before);
        ASSERT_EQ(r.size(), 3);
        EXPECT_EQ(r[0].method, "GET");
        EXPECT_EQ(r[0].target, target(site, c.page, u"/aw-cgi/eBayISAPI.dll?"_s + c.pageQuery));
        EXPECT_EQ(r[1].method, "POST");
        EXPECT_EQ(r[1].target, target(site, c.post, "/aw-cgi/eBayISAPI.dll"));
        EXPECT_EQ(r[1].body, kBodyHead + "userid=sandboxuser&pass=p%26ss%2Bw%3Drd%2520+%E9");
        EXPECT_EQ(r[1].header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_TRUE(r[1].header("Cookie").contains("sandbox_session="));
        EXPECT_EQ(r[2].target,
            target(site, c.myEbay,
                QStringLiteral("/ws/ebayISAPI.dll?MyeBay&first=N&sellerSort=3&bidderSort=3&"
                               "watchSort=3&dayssince=") +
                    c.days));
        EXPECT_TRUE(r[2].header("Cookie").contains("sandbox_auth="));
        EXPECT_TRUE(w.statusText().startsWith("last sync: ")) << w.statusText().toStdString();
        EXPECT_TRUE(w.tmAlert.isActive());
        EXPECT_FALSE(mStartup::signInToken.isEmpty());
        // The site shows 1 row per section for today, 3 up to 2 days back, else 4. Ireland gets
        // the UK page in pounds but is read with the dollar sign, so its priced rows are missed.
        const int days = QByteArray(c.days).toInt();
        if (QByteArray(c.country) != "Ireland") {
            EXPECT_EQ(itemCount(w), 7 * (days == 0 ? 1 : days < 3 ? 3 : 4));
        }
    }
}

// Each answer of the post, decided without the post itself; the My eBay site is a closed port,
// so a retrieval shows up as a failed My eBay read.
TEST_F(RefreshTest, CheckSignInDecidesInOrder)
{
    const QByteArray dead =
        "http://127.0.0.1:" + QByteArray::number(testsupport::FreeLoopbackPort());
    QTemporaryDir dir;
    ASSERT_TRUE(shelltest::writeFile(dir.filePath("sites"), "signin=" + dead + "\nmyebay=" + dead));
    m_sites.emplace(dir.filePath("sites"));
    const QString kept = u"kept"_s;
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
        mStartup::signInToken = u"-"_s;
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

// Every way a step can fail ends with its text, no busy picture and the schedule running. The
// rows run in turn on one window, each starting from the tree the row before left: a failed
// sign-in keeps it, a failed retrieval empties it. With debug mode on, a filled debug box is parsed
// instead of the download; an empty one changes nothing.
TEST_F(RefreshTest, FailureExitsNameTheStepAndRestartTheSchedule)
{
    testsupport::SandboxSite site({ "--stall-seconds", "3" });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    struct Case {
        const char *scenario;
        const char *password;
        QString status; // the start of the text
        int items;
        const char *debugBox = nullptr; // null: debug mode off
    };
    const QString comm = u"An error occurred in communicating with the eBay computers... ("_s;
    const QString unrecognised = u"My eBay page not recognised - saved to "_s;
    const Case cases[] = {
        { "normal", "sandboxpass", "last sync: ", 7 },
        { "signin:error500", "sandboxpass", comm + "sign-in page: the site answered HTTP 500)", 7 },
        { "signin:drop", "sandboxpass", comm + "sign-in page: 35753: ", 7 },
        { "signin:stall", "sandboxpass", comm + "sign-in page: 35752: ", 7 },
        { "normal", "wrong", "Login failed, check userid and password", 7 },
        { "myebay:error500", "sandboxpass",
            "500: The site answered with an error page (My eBay page)", 0 },
        { "myebay:reset", "sandboxpass", "35753: ", 0 },
        { "myebay:stall", "sandboxpass", "35752: ", 0 },
        { "unrecognised", "sandboxpass", unrecognised, 0 },
        { "normal", "sandboxpass", "last sync: ", 7, "" },
        { "normal", "sandboxpass", unrecognised, 0, "<html>a saved page of something else</html>" },
        { "bigpage", "sandboxpass", "last sync: ", 7 },
    };
    RefreshMain w;
    useSite(site, "United States", "Today");
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.scenario << " " << c.password << " " << (c.debugBox ? c.debugBox : "(no debug)"));
        ASSERT_TRUE(site.setScenario(c.scenario));
        mSettings::current.password = c.password;
        mStartup::debugFlag = c.debugBox != nullptr;
        if (c.debugBox)
            frmDebug::instance()->txtdebug()->setPlainText(QString::fromUtf8(c.debugBox));
        w.stopRefreshTimer();
        ASSERT_TRUE(refresh(w));
        EXPECT_TRUE(w.statusText().startsWith(c.status)) << w.statusText().toStdString();
        EXPECT_FALSE(w.statusBusy());
        EXPECT_TRUE(w.tmRefresh.isActive());
        EXPECT_EQ(w.refreshMinuteCounter(), 0);
        EXPECT_EQ(itemCount(w), c.items);
        if (QByteArray(c.scenario) == "unrecognised") {
            const QString file = w.statusText().section(" - saved to ", 1);
            EXPECT_TRUE(file.startsWith(mRefreshText::UnrecognisedPageFolder()));
            QFile saved(file);
            ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
            EXPECT_TRUE(saved.readAll().contains("My eBay has a new look"));
        }
    }
    frmDebug::destroyInstance();
    mStartup::debugFlag = false;
}

// While the My eBay page hangs, a tick, a menu choice and the toolbar start nothing new; the main
// window going away then ends the chain without touching it.
TEST_F(RefreshTest, NoSecondChainWhileOneRunsAndClosingTheWindowEndsIt)
{
    testsupport::SandboxSite site({ "--stall-seconds", "1", "--scenario", "myebay:stall" });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    qputenv("BIDLARK_NET_TIMEOUT_MS", "5000");
    useSite(site, "United States", "Today");
    auto w = std::make_unique<RefreshMain>();
    bool pokedDuringRead = false;
    QTimer poke;
    poke.setInterval(100);
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (!frmConnection::instance())
            return;
        pokedDuringRead = true;
        w->setRefreshMinuteCounter(14);
        w->tmRefreshTick();
        w->mnuRefresh(0)->trigger();
        w->toolbar1ButtonClick(1);
    });
    poke.start();
    ASSERT_TRUE(refresh(*w));
    poke.stop();
    EXPECT_TRUE(pokedDuringRead);
    int signInPages = 0;
    for (const auto &r : site.requests())
        signInPages += r.target.contains("SIgnIn");
    EXPECT_EQ(signInPages, 1);

    QTimer close;
    close.setInterval(50);
    QObject::connect(&close, &QTimer::timeout, [&] {
        if (frmConnection::instance())
            w.reset();
    });
    close.start();
    w->Connect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([] { return !frmMain::refreshRunning(); }, 10000));
}

} // namespace
