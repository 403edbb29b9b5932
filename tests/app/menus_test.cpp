// Menu pages, quick search, the About box and the Options dialog. Pages are read back from the
// shell; the site table is pointed at a distinct test host per role and country, so an address
// made from the wrong role or country cannot pass.
#include "app/forms/frmAbout.h"
#include "app/forms/frmDebug.h"
#include "app/forms/frmMain.h"
#include "app/forms/frmOptions.h"
#include "app/modules/mShortcuts.h"
#include "app/modules/mStartup.h"
#include "app/modules/sites.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

using mSettings::current;
using mSettings::settings;
using platform::ui::MsgResult;

class CountingMain : public frmMain {
public:
    int connects = 0;
    void Connect() override { ++connects; }
};

class MenusTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        const QString path = m_dir.filePath(u"sites"_s);
        ASSERT_TRUE(shelltest::writeFile(path,
            "pages=http://pages.test\npages.uk=http://pages-uk.test\npages.ca=http://pages-ca.test\n"
            "search=http://search.test\nsearch.uk=http://search-uk.test\n"
            "listings=http://listings.test\nlistings.uk=http://listings-uk.test\n"
            "stores=http://stores.test\nstores.uk=http://stores-uk.test\nmedia=http://media.test\n"
            "premier=http://premier.test\nliveauctions=http://live.test\n"
            "paypal=https://paypal.test\nproduct=http://product.test\nsupportmail=help@product.test\n"));
        m_sites.emplace(path);
        ASSERT_TRUE(m_sites->errors.isEmpty());
    }
    void TearDown() override
    {
        m_sites.reset();
        ShellTest::TearDown();
    }

    // Every page opened since the last call.
    QStringList opened()
    {
        const QStringList pages = m_shell.opened().mid(m_seen);
        m_seen = m_shell.opened().size();
        return pages;
    }

    platform::ui::ShellRecorder m_shell;
    qsizetype m_seen = 0;
    QTemporaryDir m_dir;
    std::optional<shelltest::SitesFile> m_sites;
};

// Each page entry against its address; of the category and shop lists the ends, where an entry
// would be paired with its neighbour's page number.
TEST_F(MenusTest, EveryPageEntryOpensItsAddressWhateverTheCountry)
{
    using Menu = QAction *(frmMain::*)(int) const;
    const QString category = u"http://listings.test/aw/plistings/list/category%1/index.html"_s;
    const QString shop = u"https://paypal.test/cgi-bin/webscr?cmd=_shop-cat-ext&loc=%1"_s;
    const QString paypal = u"https://paypal.test/cgi-bin/webscr?cmd="_s;
    const std::tuple<Menu, int, QString> rows[] = { { &frmMain::mnuEbay, 0,
                                                        u"http://pages.test/sell/index.html"_s },
        { &frmMain::mnuEbay, 4, u"http://pages.test/sitemap.html"_s },
        { &frmMain::mnuEbay, 6, u"http://media.test/"_s },
        { &frmMain::mnuEbay, 7, u"http://stores.test/"_s },
        { &frmMain::mnuEbay, 8, u"http://pages.test/ebaymotors/index.html"_s },
        { &frmMain::mnuEbay, 9, u"http://premier.test/"_s },
        { &frmMain::mnuEbay, 10, u"http://live.test/index.html"_s },
        { &frmMain::mnuBrowse, 0, category.arg(353) },
        { &frmMain::mnuBrowse, 21, category.arg(2038) },
        { &frmMain::mnuPayPal, 1, paypal + u"_login-run"_s },
        { &frmMain::mnuPayPal, 3, paypal + u"_shop-ext"_s },
        { &frmMain::mnuPayPal, 5, shop.arg(7) }, { &frmMain::mnuPayPal, 34, shop.arg(43084) },
        { &frmMain::mnuHelp, 0, u"http://product.test/"_s },
        { &frmMain::mnuHelp, 1,
            u"http://product.test/support.asp?version=%1.%2.%3"_s.arg(BIDLARK_VERSION_MAJOR)
                .arg(BIDLARK_VERSION_MINOR)
                .arg(BIDLARK_VERSION_REVISION) } };
    for (const char *country : { "United States", "United Kingdom" }) {
        settings.eBayCountry = QLatin1String(country);
        CountingMain w;
        for (const auto &[menu, index, page] : rows) {
            (w.*menu)(index)->trigger();
            EXPECT_EQ(opened(), QStringList { page }) << country << ' ' << index;
        }
        // Separators, the submenu and the About entry open no page.
        for (QAction *a : { w.mnuEbay(5), w.mnuEbay(12), w.mnuPayPal(4), w.mnuHelp(3) })
            a->trigger();
        EXPECT_EQ(opened(), QStringList {}) << country;
        delete frmAbout::instance();
    }
}

TEST_F(MenusTest, QuickSearchEncodesTheTextAndPicksTheCountrysHost)
{
    const QString query =
        u"/search/search.dll?MfcISAPICommand=GetResult&ht=1&ebaytag1=ebayreg&query="_s;
    const struct {
        const char *text;
        const char *country;
        const char *host;
        const char *end; // null: the advanced-search page instead of a query
    } cases[] = {
        { "red wool socks", "United States", "http://search.test", "red+wool+socks" },
        { "a&b #1 50% c++", "United States", "http://search.test", "a%26b+%231+50%25+c%2B%2B" },
        { "caf\xc3\xa9 \xe2\x82\xac", "United Kingdom", "http://search-uk.test",
            "caf%C3%A9+%E2%82%AC" },
        { "lamp", "Ireland", "http://search-uk.test", "lamp" },
        { "lamp", "Canada", "http://search.test", "lamp" },
        { "   ", "Ireland", "http://pages-uk.test", nullptr },
        { "", "Canada", "http://pages-ca.test", nullptr },
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const QString expected = QLatin1String(c.host) +
            (c.end ? query + QLatin1String(c.end) : u"/search/items/search.html"_s);
        mShortcuts::QuickSearch(text, QLatin1String(c.country));
        EXPECT_EQ(opened(), QStringList { expected }) << c.text << ' ' << c.country;
        // The desktop gets the address through QUrl: it must not decode or re-encode the query.
        EXPECT_EQ(QUrl(expected, QUrl::TolerantMode).toString(QUrl::FullyEncoded), expected);
    }
}

// One dialog through its life: it shows profile one whatever profile is current, Apply saves
// (menus, profile captions, the PayPal password only when it is to be kept), Cancel keeps what
// Apply saved, and File > Preferences runs it modally.
TEST_F(MenusTest, OptionsApplySavesMenusAndProfilesAndSurvivesCancel)
{
    settings.profileUserName = { u"alice"_s, u"bob"_s, u"carol"_s, u"empty"_s, u"empty"_s };
    settings.profilePassword = { u"pa"_s, QString(), QString(), QString(), QString() };
    settings.eBayCountry = u"Ireland"_s; // not in the list, kept unless changed
    CountingMain w;
    w.mnuProfiles(3)->trigger();
    ASSERT_EQ(current.userId, u"carol"_s);
    QAction *payPal = w.menus().mnuPayPalTop->menuAction();
    EXPECT_FALSE(payPal->isVisible());

    frmOptions d(&w);
    EXPECT_EQ(d.txtUserName()->text(), u"alice"_s);
    EXPECT_EQ(d.txtPassword()->text(), u"pa"_s);
    EXPECT_EQ(d.cmbCountry()->currentText(), u"Ireland"_s);
    d.txtUserName()->setText(u" dora "_s);
    d.txtProfileUserName(2)->clear();
    d.txtPayPalPassword()->setText(u"pp"_s);
    d.chkPayPal()->setChecked(true);
    d.cmbRefresh()->setCurrentText(u"15 Minutes"_s);
    ASSERT_TRUE(d.apply());
    EXPECT_TRUE(payPal->isVisible());
    EXPECT_EQ(stored("eBayCountry"), u"Ireland"_s);
    EXPECT_EQ(w.mnuProfiles(1)->text(), u"dora"_s);
    EXPECT_EQ(w.mnuProfiles(2)->text(), u"User Profile 2"_s);
    EXPECT_TRUE(w.mnuRefresh(1)->isChecked());

    d.chkPayPal()->setChecked(false);
    ASSERT_TRUE(d.apply());
    EXPECT_FALSE(payPal->isVisible());
    EXPECT_EQ(stored("PayPalPassword"), QString());
    d.cmbRefresh()->setCurrentText(u"30 Minutes"_s);
    d.cmdCancel()->click();
    EXPECT_EQ(stored("Refresh"), u"15 Minutes"_s);
    EXPECT_EQ(d.result(), QDialog::Rejected);

    bool wasModal = false;
    const frmOptions::Driver previous = frmOptions::setModalDriver([&](frmOptions &modal) {
        wasModal = modal.isModal();
        modal.txtUserName()->setText(u"erin"_s);
        modal.cmdOK()->click();
    });
    w.mnuFile(4)->trigger();
    frmOptions::setModalDriver(previous);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(stored("UserID"), u"erin"_s);
}

TEST_F(MenusTest, CtrlTabCyclesFourPagesAndOnlyTheSelectedOneIsLive)
{
    CountingMain w;
    frmOptions d(&w);
    d.show();
    for (int step = 1; step <= 4; ++step) {
        QTest::keyClick(d.cmdOK(), Qt::Key_Tab, Qt::ControlModifier);
        const int tab = step % 4;
        ASSERT_EQ(d.tbsOptions()->currentIndex(), tab) << step;
        for (int i = 0; i < frmOptions::kPageCount; ++i) {
            EXPECT_EQ(d.picOptions(i)->isVisible(), i == tab) << step << ' ' << i;
            EXPECT_EQ(d.picOptions(i)->isEnabled(), i == tab) << step << ' ' << i;
        }
    }
    // A plain Tab still moves the focus, not the tab.
    QTest::keyClick(d.cmdOK(), Qt::Key_Tab);
    EXPECT_EQ(d.tbsOptions()->currentIndex(), 0);
}

TEST_F(MenusTest, FirewallPortOutsideOneTo65535IsRefusedNamingTheField)
{
    CountingMain w;
    const struct {
        const char *port;
        bool accepted;
    } cases[] = { { "", true }, { " 1 ", true }, { "65535", true }, { "0", false },
        { "65536", false }, { "-1", false }, { "8.0", false } };
    for (const auto &c : cases) {
        RegDeleteKey(HKEY_CURRENT_USER, mSettings::registryPath().toStdString().c_str());
        platform::ui::MessageBoxRecorder boxes;
        frmOptions d(&w);
        d.txtFirewallHost()->setText(u"proxy.test"_s);
        d.txtFirewallPort()->setText(QLatin1String(c.port));
        d.cmdOK()->click();
        EXPECT_EQ(d.result(), c.accepted ? QDialog::Accepted : QDialog::Rejected) << c.port;
        EXPECT_EQ(stored("FirewallHost"), c.accepted ? u"proxy.test"_s : u"<missing>"_s) << c.port;
        ASSERT_EQ(boxes.boxes().size(), c.accepted ? 0 : 1) << c.port;
        if (!c.accepted) {
            EXPECT_TRUE(boxes.boxes()[0].text.startsWith(u"Firewall Port:"_s));
            EXPECT_EQ(d.tbsOptions()->currentIndex(), 1);
        }
    }
}

TEST_F(MenusTest, OkAsksToResyncOnlyWithBothCredentials)
{
    const struct {
        const char *user;
        const char *password;
        MsgResult answer;
        int questions;
        int connects;
        bool refreshTimer;
    } cases[] = { { "alice", "", MsgResult::Yes, 0, 0, false },
        { "alice", "pw", MsgResult::Yes, 1, 1, false },
        { "alice", "pw", MsgResult::No, 1, 0, true } };
    for (const auto &c : cases) {
        CountingMain w;
        w.stopRefreshTimer();
        platform::ui::MessageBoxRecorder boxes;
        boxes.queueAnswer(c.answer);
        frmOptions d(&w);
        d.txtUserName()->setText(QLatin1String(c.user));
        d.txtPassword()->setText(QLatin1String(c.password));
        d.cmdOK()->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        ASSERT_EQ(boxes.boxes().size(), c.questions) << c.user << c.password;
        if (c.questions) {
            EXPECT_EQ(boxes.boxes()[0].text, u"Connect Now to Resync Data?"_s);
        }
        EXPECT_EQ(w.connects, c.connects);
        EXPECT_EQ(w.tmRefresh.isActive(), c.refreshTimer);
    }
}

TEST_F(MenusTest, AboutIsSingleAndItsLabelsAct)
{
    mStartup::versionText = mStartup::makeVersionText(4, 5, 3);
    CountingMain w;
    w.mnuHelp(3)->trigger();
    frmAbout *about = frmAbout::instance();
    ASSERT_NE(about, nullptr);
    w.mnuHelp(3)->trigger();
    EXPECT_EQ(frmAbout::instance(), about);
    EXPECT_EQ(about->lblVersion()->text(), mStartup::versionText);

    QTest::mouseClick(about->lblWeb(), Qt::LeftButton);
    QTest::mouseClick(about->lblEMail(), Qt::LeftButton);
    EXPECT_EQ(opened(), (QStringList { "http://product.test/", "mailto:help@product.test" }));
    mStartup::debugFlag = false;
    QTest::mouseClick(about->lblDebug(), Qt::LeftButton);
    EXPECT_TRUE(mStartup::debugFlag);
    EXPECT_TRUE(frmDebug::instance()->isVisible());
    frmDebug::destroyInstance();

    about->cmdClose()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmAbout::instance(), nullptr);
}

} // namespace
