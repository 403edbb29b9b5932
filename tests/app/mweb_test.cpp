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

#include <functional>

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

TEST_F(DebugLog, WritesTheExactEntriesOnlyWhileTheFlagIsOn)
{
    struct Case {
        const char *name;
        std::function<void()> write;
        QString ebay, payPal; // what the entry appends
    };
    const QString page = u"<html>\r\npage</html>"_s;
    // One entry of each kind: an address, a page written twice, and a PayPal one.
    const Case cases[] = {
        { "my ebay request", [] { mWeb::LogMyEbayRequest(u"http://x/ws?MyeBay"_s); },
            QStringLiteral("\r\n\r\nSending MyEbay Post Post\r\n\r\nhttp://x/ws?MyeBay\r\n\r\n"
                           "\r\n\r\nBEFORE GET STATEMENT\r\n\r\n"),
            {} },
        { "page", [&] { mWeb::LogMyEbayPage(page); },
            QStringLiteral("\r\n\r\nBEFORE RESPONSE BODY\r\n\r\n\r\n\r\nRETURN DATA from myEbay "
                           "Page\r\n\r\n") +
                page + u"\r\n\r\n\r\nRetreive ALL Data: \r\n\r\nResponse Text: "_s + page +
                u"\r\n\r\n"_s,
            {} },
        { "paypal data", [] { mWeb::LogPayPalReturnData(u"pp"_s); }, {},
            u"PayPal Return Data:\r\n\r\npp\r\n\r\n"_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        frmDebug::destroyInstance();
        mStartup::debugFlag = false;
        c.write();
        EXPECT_EQ(frmDebug::instance()->ebayLog(), kEbayStart);
        EXPECT_EQ(frmDebug::instance()->payPalLog(), kPayPalStart);
        mStartup::debugFlag = true;
        c.write();
        EXPECT_EQ(frmDebug::instance()->ebayLog(), kEbayStart + c.ebay);
        EXPECT_EQ(frmDebug::instance()->payPalLog(), kPayPalStart + c.payPal);
    }
}

TEST_F(DebugLog, CapKeepsTheNewestTextAndClosingTurnsTheFlagOff)
{
    QWidget main;
    main.setGeometry(50, 60, 300, 200);
    frmDebug *form = frmDebug::instance();
    form->showFor(&main);
    EXPECT_TRUE(mStartup::debugFlag);
    EXPECT_EQ(form->frameGeometry().left(),
        main.frameGeometry().left() + main.frameGeometry().width() + 100);

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

TEST(Firewall, PortIsAWholeNumberFrom1To65535)
{
    const std::pair<const char *, int> cases[] = { { "65535", 65535 }, { "1", 1 },
        { " 3128 ", 3128 }, { "0", 0 }, { "65536", 0 }, { "-1", 0 }, { "8.0", 0 }, { "", 0 } };
    for (const auto &[text, port] : cases)
        EXPECT_EQ(mWeb::FirewallPortNumber(QString::fromLatin1(text)), port) << text;
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
        { Role::SignIn, u"United Kingdom"_s, "https://127.0.0.1:1/signin.uk" },
        { Role::SignIn, u"Ireland"_s, "https://127.0.0.1:1/signin.uk" },
        { Role::SignIn, u"United States"_s, "https://signin.ebay.com" },
        { Role::MyEbay, u"New Zealand"_s, "http://127.0.0.1:2/my" },
        { Role::MyEbay, u"Canada"_s, "http://127.0.0.1:3/ca" },
        { Role::PayPal, u"Canada"_s, "https://www.paypal.com" },
        { Role::Motors, u"United Kingdom"_s, "http://www.motors.ebay.com" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(sites::siteUrl(c.role, c.country), QString::fromLatin1(c.url)) << c.url;
    qunsetenv("BIDLARK_SITES");
    EXPECT_TRUE(sites::reloadSites().isEmpty());
    EXPECT_EQ(sites::siteUrl(Role::SignIn, Country::UK), u"https://signin.ebay.co.uk"_s);
}

} // namespace
