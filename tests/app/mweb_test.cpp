// The program's side of web transfer: the debug logs, the firewall settings reaching the controls
// (through a real tinyproxy), the chunk loop, and the site table's sites file.
#include "app/forms/frmDebug.h"
#include "app/modules/mSettings.h"
#include "app/modules/mStartup.h"
#include "app/modules/mWeb.h"
#include "app/modules/sites.h"
#include "platform/net/inet.h"
#include "tests/app/shell_test_support.h"
#include "tests/support/sandbox_site.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kEbayStart = u"eBay:\r\nEnter body text here, if needed"_s;
const QString kPayPalStart = u"PayPal:\r\nEnter body text here, if needed"_s;

class DebugLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        frmDebug::destroyInstance();
        mStartup::debugFlag = false;
    }
    void TearDown() override
    {
        frmDebug::destroyInstance();
        mStartup::debugFlag = false;
    }
};

// Each entry goes to its own log, holding what it was given, and only while the flag is on.
TEST_F(DebugLog, EntriesGoToTheirOwnLogOnlyWhileTheFlagIsOn)
{
    const struct {
        void (*write)(const QString &);
        bool payPal;
    } cases[] = { { mWeb::LogMyEbayRequest, false }, { mWeb::LogMyEbayPage, false },
        { mWeb::LogPayPalReturnData, true } };
    const QString text = u"<html>\r\npage</html>"_s;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.payPal ? "PayPal" : "eBay");
        frmDebug::destroyInstance();
        mStartup::debugFlag = false;
        c.write(text);
        EXPECT_EQ(frmDebug::instance()->ebayLog(), kEbayStart);
        EXPECT_EQ(frmDebug::instance()->payPalLog(), kPayPalStart);
        mStartup::debugFlag = true;
        c.write(text);
        const QString ebay = frmDebug::instance()->ebayLog();
        const QString payPal = frmDebug::instance()->payPalLog();
        EXPECT_EQ(c.payPal ? ebay : payPal, c.payPal ? kEbayStart : kPayPalStart);
        const QString &grown = c.payPal ? payPal : ebay;
        EXPECT_TRUE(grown.startsWith(c.payPal ? kPayPalStart : kEbayStart));
        EXPECT_TRUE(grown.contains(text + u"\r\n"_s)) << grown.toStdString();
    }
}

TEST_F(DebugLog, CapKeepsTheNewestTextAndClosingTurnsTheFlagOff)
{
    QWidget main;
    frmDebug *form = frmDebug::instance();
    form->showFor(&main);
    EXPECT_TRUE(mStartup::debugFlag);

    const QString piece(64 * 1024, QLatin1Char('x'));
    for (int i = 0; i < 100; ++i) { // 6.4 M characters
        mWeb::LogDebug(piece);
        ASSERT_LE(form->ebayLog().size(), frmDebug::kLogCap);
    }
    mWeb::LogDebug(u"last entry"_s);
    EXPECT_TRUE(form->ebayLog().endsWith(u"last entry\r\n"_s));
    EXPECT_GE(form->ebayLog().size(), frmDebug::kLogCap / 2);
    EXPECT_EQ(form->payPalLog(), kPayPalStart);

    form->close();
    EXPECT_FALSE(mStartup::debugFlag);
    mWeb::LogDebug(u"after close"_s);
    EXPECT_FALSE(form->ebayLog().contains(u"after close"_s));
}

// Through a real proxy: the four settings take every control of a window there; an empty host
// sends direct again, though port, login and password are still set.
TEST(Firewall, SettingsRouteEveryControlOfAWindowAndAnEmptyHostGoesDirect)
{
    qputenv("BIDLARK_NET_TIMEOUT_MS", "5000");
    testsupport::SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    testsupport::TinyProxy proxy(u"fwuser"_s, u"fwpass"_s);
    ASSERT_TRUE(proxy.ok()) << proxy.error().toStdString();
    const QString url = site.url(u"product"_s, u"/"_s);

    QObject window;
    auto *inet1 = new platform::net::Inet(&window);
    auto *inet2 = new platform::net::Inet(&window);
    auto &s = mSettings::settings;
    s.firewallHost = u"127.0.0.1"_s;
    s.firewallPort = QString::number(proxy.port());
    s.firewallLogin = u"fwuser"_s;
    s.firewallPassword = u"fwpass"_s;
    mWeb::ApplyFirewallSettings(&window);
    for (auto *inet : { inet1, inet2 }) {
        EXPECT_TRUE(inet->OpenURL(url).contains(u"Sandbox product site"_s));
        EXPECT_TRUE(site.requests().last().header(u"Via"_s).contains(u"tinyproxy"_s));
    }

    s.firewallHost.clear();
    mWeb::ApplyFirewallSettings(&window);
    for (auto *inet : { inet1, inet2 }) {
        EXPECT_TRUE(inet->OpenURL(url).contains(u"Sandbox product site"_s));
        EXPECT_EQ(site.requests().last().header(u"Via"_s), QString());
    }
    mSettings::resetInMemory();
}

TEST(ReadWholeResponse, JoinsAllChunksAndRunsPendingEventsBetweenThem)
{
    testsupport::SandboxSite site;
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    platform::net::Inet inet;
    QString text;
    int posted = 0;
    QEventLoop loop;
    QObject::connect(&inet, &platform::net::Inet::StateChanged, [&](int state) {
        if (state == 12) {
            QTimer::singleShot(0, [&] { ++posted; });
            text = mWeb::ReadWholeResponse(inet);
        }
        if (state >= 11)
            loop.quit();
    });
    inet.Execute(site.httpOrigin() + u"/__sandbox/page?chars=3000"_s);
    loop.exec();
    EXPECT_EQ(text.size(), 3000);
    EXPECT_EQ(posted, 1) << "a timer due during the read ran before it ended";
}

TEST(Sites, SitesFileReplacesEntriesByRoleAndCountry)
{
    const QString path = qEnvironmentVariable("BIDLARK_TEST_SANDBOX") + u"/sites"_s;
    ASSERT_TRUE(shelltest::writeFile(path,
        "# comment\n"
        "signin.uk=https://127.0.0.1:1/signin.uk\n"
        "myebay=http://127.0.0.1:2/my/\n"
        "myebay.ca=http://127.0.0.1:3/ca\n"
        "nosuchrole=http://127.0.0.1:4\n"
        "item.fr=http://127.0.0.1:5\n"
        "paypal=ftp://127.0.0.1:6\n"
        "product\n"));
    qputenv("BIDLARK_SITES", path.toUtf8());
    EXPECT_EQ(sites::reloadSites().size(), 4);
    using sites::Country;
    using sites::Role;
    const struct {
        Role role;
        QString country;
        const char *url;
    } cases[] = {
        { Role::SignIn, u"Ireland"_s, "https://127.0.0.1:1/signin.uk" },
        { Role::SignIn, u"United States"_s, "https://signin.ebay.com" },
        { Role::MyEbay, u"New Zealand"_s, "http://127.0.0.1:2/my" },
        { Role::MyEbay, u"Canada"_s, "http://127.0.0.1:3/ca" },
        { Role::PayPal, u"Canada"_s, "https://www.paypal.com" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(sites::siteUrl(c.role, c.country), QString::fromLatin1(c.url)) << c.url;
    qunsetenv("BIDLARK_SITES");
    EXPECT_TRUE(sites::reloadSites().isEmpty());
    EXPECT_EQ(sites::siteUrl(Role::SignIn, Country::UK), u"https://signin.ebay.co.uk"_s);
}

} // namespace
