// The transfer control against the running sandbox site (and tinyproxy): whole bodies and chunks,
// the state sequence, shared cookies, proxy login, and each way a transfer can go wrong.
#include "platform/net/inet.h"
#include "tests/support/sandbox_site.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QTimer>

#include <optional>

using platform::net::Inet;
using platform::net::TransferError;
using testsupport::SandboxSite;

namespace {

// The states of one asynchronous request and what GetChunk handed out after state 12.
struct Outcome {
    QList<int> states;
    QStringList chunks; // without the final empty one
    int emptyChunks = 0;
    QString text() const { return chunks.join(QString()); }
};

Outcome runAsync(Inet &inet, const QString &url, const QString &method = QStringLiteral("GET"),
    const QByteArray &body = {}, const QString &headers = {})
{
    Outcome out;
    QEventLoop loop;
    const auto connection = QObject::connect(&inet, &Inet::StateChanged, &loop, [&](int state) {
        out.states << state;
        if (state == 12) {
            for (QString c = inet.GetChunk(1024);; c = inet.GetChunk(1024)) {
                if (c.isEmpty()) {
                    ++out.emptyChunks;
                    break;
                }
                out.chunks << c;
            }
        }
        if (state == 11 || state == 12)
            loop.quit();
    });
    inet.Execute(url, method, body, headers);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit); // a hung test fails instead of hanging
    loop.exec();
    QObject::disconnect(connection);
    return out;
}

QString expectedPage(qsizetype chars, bool utf8)
{
    QString s;
    for (qsizetype i = 0; i < chars; ++i)
        s += (utf8 && i % 50 == 49) ? QChar(0xA3) : QChar(char16_t('a' + (i % 50) % 26));
    return s;
}

class NetTransfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("BIDLARK_NET_CA_FILE", QByteArray());
        qputenv("BIDLARK_NET_TIMEOUT_MS", "1500");
    }
};

TEST_F(NetTransfer, ReadsWholeBodiesAtOnceAndInChunksOfAtMost1024Characters)
{
    SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    struct Case {
        qsizetype chars;
        bool utf8;
    };
    const Case cases[] = { { 10, false }, { 1024, false }, { 2048, false }, { 2048, true },
        { 5'000'000, false } };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.chars << (c.utf8 ? " utf-8" : ""));
        const QString url = site.httpOrigin() +
            QStringLiteral("/__sandbox/page?chars=%1%2")
                .arg(c.chars)
                .arg(c.utf8 ? "&charset=utf-8" : "");
        const QString expected = expectedPage(c.chars, c.utf8);
        Inet inet;
        EXPECT_TRUE(inet.OpenURL(url) == expected);
        EXPECT_EQ(inet.GetChunk(1024), QString()) << "an OpenURL body is not handed out again";

        const Outcome out = runAsync(inet, url);
        EXPECT_EQ(out.states, (QList<int> { 3, 5, 12 }));
        EXPECT_EQ(out.chunks.size(), (c.chars + 1023) / 1024);
        EXPECT_EQ(out.emptyChunks, 1);
        EXPECT_TRUE(std::all_of(out.chunks.begin(), out.chunks.end(),
            [](const QString &s) { return s.size() <= 1024; }));
        EXPECT_TRUE(out.text() == expected);
        EXPECT_EQ(inet.ResponseCode(), 200);
    }
}

// The whole sign-in exchange on three controls: the session cookie of the sign-in page (control
// 1) goes with the post (control 2), whose auth cookie opens My eBay (control 3).
TEST_F(NetTransfer, CookiesSetOnOneControlAreSentByEveryOther)
{
    SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    qputenv("BIDLARK_NET_CA_FILE", site.caFile().toUtf8());
    const QByteArray form =
        "MfcISAPICommand=SignInWelcome&siteid=0&co_partnerId=2&UsingSSL=0&ru=&pp=&pa1=&pa2=&pa3=&"
        "pa4=&pa5=&pa6=&pa7=&pa8=&pa9=&pa10=&i1=-1&i2=-1&i3=-1&i4=-1&i5=-1&i6=-1&i7=-1&i8=-1&i9=-1&"
        "i10=-1&i11=-1&pNextPage=&pageType=174&userid=sandboxuser&pass=";
    const QString header = QStringLiteral("Content-Type: application/x-www-form-urlencoded");
    const QString post =
        site.url(QStringLiteral("signin.uk"), QStringLiteral("/aw-cgi/eBayISAPI.dll"));
    const QString myEbay = site.url(QStringLiteral("myebay.uk"),
        QStringLiteral(
            "/ws/ebayISAPI.dll?MyeBay&first=N&sellerSort=3&bidderSort=3&watchSort=3&dayssince=2"));

    Inet signInPage, signInPost, page;
    // Without the session cookie the site refuses, as a browser rejecting cookies would see.
    EXPECT_TRUE(runAsync(signInPost, post, QStringLiteral("POST"), form + "sandboxpass", header)
                    .text()
                    .contains(QStringLiteral("rejecting cookies")));
    ASSERT_EQ(
        runAsync(signInPage,
            site.url(QStringLiteral("signin.uk"), QStringLiteral("/aw-cgi/eBayISAPI.dll?SignIn")))
            .states.last(),
        12);
    EXPECT_TRUE(runAsync(signInPost, post, QStringLiteral("POST"), form + "wrong", header)
                    .text()
                    .contains(QStringLiteral("password is not valid")));
    EXPECT_FALSE(page.OpenURL(myEbay).contains(QStringLiteral("Items I'm Watching")))
        << "My eBay needs the auth cookie";
    const QString welcome =
        runAsync(signInPost, post, QStringLiteral("POST"), form + "sandboxpass", header).text();
    EXPECT_TRUE(welcome.contains(QStringLiteral("pass=t")));
    EXPECT_TRUE(page.OpenURL(myEbay).contains(QStringLiteral("Items I'm Watching")));

    const auto log = site.requests();
    ASSERT_GE(log.size(), 6);
    EXPECT_EQ(log[0].header(QStringLiteral("Cookie")), QString());
    EXPECT_TRUE(
        log[2].header(QStringLiteral("Cookie")).contains(QStringLiteral("sandbox_session=")));
    EXPECT_EQ(log[2].body, form + "wrong");
    EXPECT_TRUE(
        log.last().header(QStringLiteral("Cookie")).contains(QStringLiteral("sandbox_auth=")));
}

TEST_F(NetTransfer, ProxyLoginIsAnsweredFromTheStoredLoginAndARefusalIsAnError)
{
    SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    testsupport::TinyProxy proxy(QStringLiteral("proxyuser"), QStringLiteral("proxy-pass"));
    ASSERT_TRUE(proxy.ok()) << proxy.error().toStdString();
    const QString url = site.url(QStringLiteral("product"), QStringLiteral("/version.txt"));
    struct Case {
        const char *user, *password;
        bool reaches;
    };
    for (const Case &c : { Case { "proxyuser", "proxy-pass", true },
             Case { "proxyuser", "wrong", false }, Case { "", "", false } }) {
        SCOPED_TRACE(c.password);
        const qsizetype before = site.requests().size();
        Inet inet;
        inet.setProxyHost(QStringLiteral("127.0.0.1"));
        inet.setProxyPort(proxy.port());
        inet.setProxyUserName(QString::fromLatin1(c.user));
        inet.setProxyPassword(QString::fromLatin1(c.password));
        const Outcome out = runAsync(inet, url);
        const auto log = site.requests();
        if (c.reaches) {
            EXPECT_EQ(out.states, (QList<int> { 3, 5, 12 }));
            EXPECT_EQ(out.text(), QStringLiteral(BIDLARK_TEST_VERSION));
            ASSERT_EQ(log.size(), before + 1);
            EXPECT_TRUE(
                log.last().header(QStringLiteral("Via")).contains(QStringLiteral("tinyproxy")));
        } else {
            EXPECT_EQ(out.states.last(), 11);
            EXPECT_EQ(inet.lastErrorNumber(), platform::net::kErrProxyLogin);
            EXPECT_EQ(inet.lastErrorDescription(), QStringLiteral("The proxy refused the login"));
            EXPECT_EQ(log.size(), before);
        }
    }
}

// What each failure gives: the error path (states 3 then 11) with its number, also for a
// synchronous read, or, for an HTTP error status, state 12 with the site's own page.
TEST_F(NetTransfer, FaultsTakeTheErrorPathAndErrorPagesReachTheCaller)
{
    SandboxSite site({ QStringLiteral("--stall-seconds"), QStringLiteral("20") });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    const QString page = site.url(QStringLiteral("product"), QStringLiteral("/"));
    struct Case {
        const char *name;
        QString scenario;
        QString url;
        int error; // 0: state 12 expected
        int status;
        const char *bodyHas;
    };
    const Case cases[] = {
        { "stall", QStringLiteral("stall"), page, platform::net::kErrTimedOut, 0, "" },
        { "reset mid-body", QStringLiteral("reset"), page, platform::net::kErrConnectionLost, 0,
            "" },
        { "dropped", QStringLiteral("drop"), page, platform::net::kErrConnectionLost, 0, "" },
        { "33 MB body", QStringLiteral("normal"),
            site.httpOrigin() + QStringLiteral("/__sandbox/page?chars=34603008"),
            platform::net::kErrBodyTooLarge, 0, "" },
        { "untrusted certificate", QStringLiteral("normal"),
            site.url(QStringLiteral("paypal"), QStringLiteral("/cgi-bin/webscr?cmd=_account")),
            platform::net::kErrSecureChannel, 0, "" },
        { "unknown host", QStringLiteral("normal"), QStringLiteral("http://no-such-host.invalid/"),
            platform::net::kErrHostNotFound, 0, "" },
        { "refused", QStringLiteral("normal"),
            QStringLiteral("http://127.0.0.1:%1/").arg(testsupport::FreeLoopbackPort()),
            platform::net::kErrConnectionRefused, 0, "" },
        { "500", QStringLiteral("error500"), page, 0, 500, "failed on purpose (500)" },
        { "404", QStringLiteral("normal"), site.httpOrigin() + QStringLiteral("/nothing/here"), 0,
            404, "No site here" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(site.setScenario(c.scenario));
        Inet inet;
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        const Outcome out = runAsync(inet, c.url);
        ASSERT_FALSE(out.states.isEmpty());
        EXPECT_EQ(out.states.first(), 3);
        if (c.error) {
            EXPECT_EQ(out.states.last(), 11);
            EXPECT_EQ(inet.lastErrorNumber(), c.error) << inet.lastErrorDescription().toStdString();
            // The synchronous read fails the same way, and timers run while it waits.
            const int before = ticks;
            try {
                inet.OpenURL(c.url);
                ADD_FAILURE() << "OpenURL did not fail";
            } catch (const TransferError &e) {
                EXPECT_EQ(e.number(), c.error);
            }
            if (c.error == platform::net::kErrTimedOut) {
                EXPECT_GE(ticks - before, 5) << "the event loop stood still while waiting";
            }
        } else {
            EXPECT_EQ(out.states, (QList<int> { 3, 5, 12 }));
            EXPECT_EQ(inet.ResponseCode(), c.status);
            EXPECT_TRUE(out.text().contains(QString::fromLatin1(c.bodyHas)));
        }
    }
}

TEST_F(NetTransfer, BusyControlRefusesASecondRequestInsteadOfNesting)
{
    SandboxSite site({ QStringLiteral("--scenario"), QStringLiteral("stall"),
        QStringLiteral("--stall-seconds"), QStringLiteral("20") });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    const QString url = site.url(QStringLiteral("product"), QStringLiteral("/"));
    Inet inet;
    std::optional<int> nested;
    // A timer firing inside the synchronous read tries the same control again.
    QTimer::singleShot(100, [&] {
        try {
            inet.OpenURL(url);
        } catch (const TransferError &e) {
            nested = e.number();
        }
    });
    EXPECT_THROW(inet.OpenURL(url), TransferError); // the stall times out
    EXPECT_EQ(nested, platform::net::kErrBusy);

    inet.Execute(url);
    EXPECT_TRUE(inet.StillExecuting());
    try {
        inet.Execute(url);
        ADD_FAILURE() << "second Execute accepted";
    } catch (const TransferError &e) {
        EXPECT_EQ(e.text(), QStringLiteral("35758: Still executing last request"));
    }
    inet.Cancel();
    EXPECT_FALSE(inet.StillExecuting());
}

// A program that quits while a synchronous read waits (its window closed by a timer) gets the read
// failed at once, instead of a wait that spins because every event loop now returns at once.
TEST_F(NetTransfer, ReadWaitingWhenTheProgramQuitsFailsInsteadOfSpinning)
{
    SandboxSite site({ QStringLiteral("--scenario"), QStringLiteral("stall"),
        QStringLiteral("--stall-seconds"), QStringLiteral("20") });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    Inet inet;
    QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(inet.OpenURL(site.url(QStringLiteral("product"), QStringLiteral("/"))),
        TransferError);
    EXPECT_LT(clock.elapsed(), 1000); // well before the 1.5 s time-out
    EXPECT_FALSE(inet.StillExecuting());
}

} // namespace
