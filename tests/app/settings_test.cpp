#include "app/forms/frmMainMenus.h"
#include "app/modules/mSettings.h"
#include "platform/registry/testing.h"
#include "platform/ui/messagebox.h"
#include "tests/app/shell_test_support.h"

#include <QMenuBar>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using mSettings::current;
using mSettings::settings;
using platform::ui::MessageBoxRecorder;

class SettingsTest : public ShellTest { };

// Each setting with nothing stored and with a text stored; profile one becomes the current user.
TEST_F(SettingsTest, LoadGivesTheDefaultsOrTheStoredTexts)
{
    const auto number = [](auto value) { return QString::number(value); };
    struct Case {
        const char *key, *text;
        std::function<QString()> read;
        QString byDefault, loaded;
    } const cases[] = {
        { "Profile1UserName", "bob", [] { return current.userId; }, "", "bob" },
        { "Refresh", "5 Minutes", [] { return settings.refresh; }, "60 Minutes", "5 Minutes" },
        { "ShowMinimized", "true", [&] { return number(settings.showMinimized); }, "0", "1" },
        // True: the rotation is stopped.
        { "AdBannerDisplay", "False", [&] { return number(settings.adBannerDisplay); }, "1", "0" },
        { "Profile3UserName", "", [] { return settings.profileUserName[2]; }, "empty", "" },
        { "AlertTime", "15", [&] { return number(settings.alertTime); }, "10", "15" },
        { "FirewallPort", " 8080 ", [] { return settings.firewallPort; }, "", " 8080 " },
    };
    for (const bool withTexts : { false, true }) {
        SCOPED_TRACE(withTexts ? "stored" : "nothing stored");
        for (const Case &c : cases) {
            if (withTexts)
                store({ { c.key, c.text } });
        }
        MessageBoxRecorder boxes;
        mSettings::resetInMemory();
        mSettings::loadSettings();
        EXPECT_TRUE(boxes.boxes().isEmpty());
        for (const Case &c : cases)
            EXPECT_EQ(c.read(), withTexts ? c.loaded : c.byDefault) << c.key;
        EXPECT_EQ(settings.profileUserName[4], u"empty"_s);
    }
    // Loading writes nothing back.
    EXPECT_EQ(stored("Profile2UserName"), u"<missing>"_s);
}

TEST_F(SettingsTest, EachBadSettingGetsItsOwnBoxInLoadOrderAndTheLoadGoesOn)
{
    // Stored in a different order from the load, to show the boxes follow the load.
    store({ { "AlertTime", "99999" }, { "PayPalCheck", "checked" }, { "AdBannerDisplay", "" },
        { "AutoStart", "maybe" }, { "ShowMinimized", "True" }, { "FirewallHost", "proxy" } });
    MessageBoxRecorder boxes;
    mSettings::loadSettings();

    const char *expected[] = { "Error # 13 Type mismatch", "Error # 13 Type mismatch",
        "Error # 13 Type mismatch", "Error # 6 Overflow" };
    ASSERT_EQ(boxes.boxes().size(), 4);
    for (int i = 0; i < 4; ++i) {
        const platform::ui::MessageBoxRequest &box = boxes.boxes()[i];
        EXPECT_TRUE(box.text.contains(u"\n\n"_s + QLatin1String(expected[i]) + u"\n\n"_s))
            << i << ": " << box.text.toStdString();
    }
    // Each failing setting keeps its initial value, not its default; the ones after it still load.
    EXPECT_FALSE(settings.autoStart);
    EXPECT_FALSE(settings.adBannerDisplay);
    EXPECT_EQ(settings.payPalCheck, 0);
    EXPECT_EQ(settings.alertTime, 0);
    EXPECT_TRUE(settings.showMinimized);
    EXPECT_EQ(settings.firewallHost, u"proxy"_s);
}

// A stand-in main window: the two check menus a save marks, and a count of PayPal branches.
class FakeHost : public mSettings::SettingsHost {
public:
    FakeHost() { m_menus.build(&m_bar, u"example"_s); }
    const MenuArray &refreshMenu() const override { return m_menus.mnuRefresh; }
    const MenuArray &historyMenu() const override { return m_menus.mnuHistory; }
    void addPayPalBranch() override { ++branches; }

    int branches = 0;

private:
    QMenuBar m_bar;
    frmMainMenuBar m_menus;
};

mSettings::OptionsFields typicalFields()
{
    mSettings::OptionsFields f;
    f.userId = u"  alice "_s;
    f.password = u" pw1  "_s;
    f.refresh = u"15 Minutes"_s;
    f.dataView = u"5 Days"_s;
    f.country = u"Canada"_s;
    f.profileUserName = { u" p2 "_s, u"p3  "_s, u"\tp4"_s, u""_s };
    f.profilePassword = { u" x2"_s, QString(), u"x4 "_s, u"   "_s };
    f.payPalUserID = u" me@example.com "_s;
    f.payPalPassword = u" pp "_s;
    f.payPalCheck = 1;
    f.firewallHost = u" proxy.local "_s;
    f.firewallPort = u"8080 "_s;
    f.firewallLogin = u" me"_s;
    f.firewallPassword = u" fw pw "_s;
    return f;
}

TEST_F(SettingsTest, SaveTrimsCredentialsAndProfilesButNotTheFirewallFields)
{
    FakeHost host;
    mSettings::saveFromOptions(typicalFields(), host);

    // Trimmed of blanks but not of tabs; the firewall fields as typed.
    const std::pair<const char *, const char *> expected[] = { { "UserID", "alice" },
        { "Profile1UserName", "alice" }, { "Profile3UserName", "p3" },
        { "Profile4UserName", "\tp4" }, { "Profile5UserName", "" }, { "Profile1Password", "pw1" },
        { "PayPalUserID", "me@example.com" }, { "FirewallHost", " proxy.local " },
        { "FirewallPassword", " fw pw " } };
    for (const auto &[key, value] : expected)
        EXPECT_EQ(stored(key), QString::fromUtf8(value)) << key;
    EXPECT_EQ(current.password, u"pw1"_s);

    // What was saved is what the next start loads.
    const mSettings::Settings saved = settings;
    mSettings::resetInMemory();
    mSettings::loadSettings();
    EXPECT_EQ(settings.profileUserName, saved.profileUserName);
    EXPECT_EQ(settings.profilePassword, saved.profilePassword);
    EXPECT_EQ(settings.firewallPassword, saved.firewallPassword);
    EXPECT_EQ(settings.payPalCheck, 1);
}

struct BranchCase {
    const char *name;
    const char *heldBefore;
    const char *typed;
    int check;
    int branches;
};

// An unchecked save-password box stores an empty PayPal password.
TEST_F(SettingsTest, PayPalBranchIsAddedOnlyWhenAPasswordFirstAppears)
{
    const BranchCase cases[] = {
        { "first password", "", "pp", 1, 1 },
        { "password already held", "old", "new", 1, 0 },
        { "blanks only", "", "   ", 1, 0 },
        // The branch is decided before the check box empties the password.
        { "typed but not saved", "", "pp", 0, 1 },
    };
    for (const BranchCase &c : cases) {
        FakeHost host;
        settings.payPalPassword = QString::fromUtf8(c.heldBefore);
        mSettings::OptionsFields f = typicalFields();
        f.payPalPassword = QString::fromUtf8(c.typed);
        f.payPalCheck = c.check;
        mSettings::saveFromOptions(f, host);
        EXPECT_EQ(host.branches, c.branches) << c.name;
        EXPECT_EQ(stored("PayPalPassword"), c.check ? QString::fromUtf8(c.typed).trimmed() : "");
        EXPECT_EQ(settings.payPalPassword, stored("PayPalPassword"));
        EXPECT_EQ(stored("PayPalCheck"), QString::number(c.check));
    }
}

// A store that refuses writes is reported once, with its reason; the program goes on.
TEST_F(SettingsTest, ASaveTheStoreRefusesIsReportedOnce)
{
    MessageBoxRecorder boxes;
    platform::registry::testing::denyAccess(HKEY_CURRENT_USER, false, true);
    EXPECT_EQ(mSettings::saveSetting(u"AutoStart"_s, u"True"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(mSettings::saveSetting(u"SysTray"_s, u"True"_s), ERROR_ACCESS_DENIED);
    platform::registry::testing::allowAllAccess();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].title, u"Bidlark");
    EXPECT_TRUE(boxes.boxes()[0].text.startsWith(
        u"Your settings could not be saved (access was denied).\n"));
    EXPECT_EQ(mSettings::saveSetting(u"SysTray"_s, u"True"_s), ERROR_SUCCESS);
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

} // namespace
