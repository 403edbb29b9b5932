#include "app/modules/mSettings.h"

#include "app/forms/frmMainMenus.h"
#include "app/modules/vb_convert.h"
#include "platform/registry/registry.h"
#include "platform/ui/messagebox.h"

#include <QAction>

#include <functional>

namespace mSettings {

Settings settings;
Credentials current;

QString registryPath()
{
    return QStringLiteral("Software\\VB and VBA Program Settings\\") + QLatin1String(kAppName) +
        u'\\' + QLatin1String(kSection);
}

namespace {
bool s_saveFailureShown = false; // the notice of a store refusing writes is shown once
}

void resetInMemory()
{
    settings = Settings {};
    current = Credentials {};
    s_saveFailureShown = false;
}

QString getSetting(const QString &key, const QString &defaultValue)
{
    std::string value;
    const LONG rc = platform::registry::readString(
        HKEY_CURRENT_USER, registryPath().toStdString(), key.toStdString(), value);
    // Like GetSetting, any failure to read (missing, unreadable store) yields the default.
    if (rc != ERROR_SUCCESS)
        return defaultValue;
    return QString::fromStdString(value);
}

LONG saveSetting(const QString &key, const QString &value)
{
    const LONG rc = platform::registry::writeString(
        HKEY_CURRENT_USER, registryPath().toStdString(), key.toStdString(), value.toStdString());
    // A store that refuses writes would lose every change of the session without a word: say so
    // once, with what the store answered.
    if (rc != ERROR_SUCCESS && !s_saveFailureShown) {
        s_saveFailureShown = true;
        const QString reason = rc == ERROR_REGISTRY_CORRUPT ? QStringLiteral("the file is damaged")
            : rc == ERROR_ACCESS_DENIED                     ? QStringLiteral("access was denied")
                                                            : QStringLiteral("error %1").arg(rc);
        platform::ui::messageBox(
            QStringLiteral("Your settings could not be saved (%1).\n"
                           "Changes you make now will be lost when the program closes.\n"
                           "\n"
                           "The settings are kept in %2")
                .arg(reason, QString::fromStdString(platform::registry::storeDirectory())),
            platform::ui::MsgButtons::OK, platform::ui::MsgIcon::Exclamation,
            QStringLiteral("Bidlark"));
    }
    return rc;
}

QString badSettingMessage(int errorNumber, const QString &description)
{
    return QStringLiteral(
               "An error occured while loading settings from registry.\n"
               "This is most likely some bad setting or data being loaded for a setting.\n"
               "\n"
               "Error # ") +
        QString::number(errorNumber) + u' ' + description +
        QStringLiteral("\n"
                       "\n"
                       "We will continue to load the program anyway.\n"
                       "Try exiting the program immediately and a good default setting will be "
                       "written.");
}

namespace {

// One step of the load: the conversion runs, and a failure is reported and skipped so the steps
// after it still run.
void loadStep(const std::function<void()> &step)
{
    try {
        step();
    } catch (const vb::Error &e) {
        platform::ui::messageBox(badSettingMessage(e.number(), e.description()),
            platform::ui::MsgButtons::OK, platform::ui::MsgIcon::Exclamation,
            QStringLiteral("Lotkeeper"));
    }
}

QString profileKey(int profile, const char *kind)
{
    return QStringLiteral("Profile") + QString::number(profile) + QLatin1String(kind);
}

void checkByCaption(const MenuArray &menu, const QString &text, int fallback)
{
    menu.uncheckAll();
    for (int i = menu.lBound(); i <= menu.uBound(); ++i) {
        if (menu(i)->text() == text) {
            menu(i)->setChecked(true);
            return;
        }
    }
    if (QAction *entry = menu(fallback))
        entry->setChecked(true);
}

} // namespace

void loadSettings()
{
    Settings &s = settings;
    loadStep([] { current.userId = getSetting(QStringLiteral("Profile1UserName")); });
    loadStep([] { current.password = getSetting(QStringLiteral("Profile1Password")); });
    loadStep(
        [&] { s.refresh = getSetting(QStringLiteral("Refresh"), QStringLiteral("60 Minutes")); });
    loadStep([&] { s.dataView = getSetting(QStringLiteral("DataView"), QStringLiteral("Today")); });
    loadStep([&] {
        s.eBayCountry = getSetting(QStringLiteral("eBayCountry"), QStringLiteral("United States"));
    });
    loadStep([&] {
        s.autoStart =
            vb::toBoolean(getSetting(QStringLiteral("AutoStart"), QStringLiteral("False")));
    });
    loadStep([&] {
        s.showMinimized =
            vb::toBoolean(getSetting(QStringLiteral("ShowMinimized"), QStringLiteral("False")));
    });
    loadStep([&] {
        s.adBannerDisplay =
            vb::toBoolean(getSetting(QStringLiteral("AdBannerDisplay"), QStringLiteral("True")));
    });
    for (int p = 1; p <= kProfileCount; ++p) {
        loadStep([&] {
            s.profileUserName[p - 1] =
                getSetting(profileKey(p, "UserName"), p == 1 ? QString() : QStringLiteral("empty"));
        });
    }
    for (int p = 1; p <= kProfileCount; ++p)
        loadStep([&] { s.profilePassword[p - 1] = getSetting(profileKey(p, "Password")); });
    loadStep([&] { s.payPalUserID = getSetting(QStringLiteral("PayPalUserID")); });
    loadStep([&] { s.payPalPassword = getSetting(QStringLiteral("PayPalPassword")); });
    loadStep([&] {
        s.payPalCheck =
            vb::toInteger(getSetting(QStringLiteral("PayPalCheck"), QStringLiteral("1")));
    });
    loadStep([&] {
        s.alertTime = vb::toInteger(getSetting(QStringLiteral("AlertTime"), QStringLiteral("10")));
    });
    loadStep([&] { s.firewallHost = getSetting(QStringLiteral("FirewallHost")); });
    loadStep([&] { s.firewallPort = getSetting(QStringLiteral("FirewallPort")); });
    loadStep([&] { s.firewallLogin = getSetting(QStringLiteral("FirewallLogin")); });
    loadStep([&] { s.firewallPassword = getSetting(QStringLiteral("FirewallPassword")); });
}

void saveFromOptions(const OptionsFields &f, SettingsHost &host)
{
    Settings &s = settings;
    current.userId = vb::trim(f.userId);
    current.password = vb::trim(f.password);

    s.refresh = f.refresh;
    s.dataView = f.dataView;
    s.eBayCountry = f.country;

    s.profileUserName[0] = vb::trim(f.userId);
    for (int p = 1; p < kProfileCount; ++p)
        s.profileUserName[p] = vb::trim(f.profileUserName[p - 1]);
    s.profilePassword[0] = vb::trim(f.password);
    for (int p = 1; p < kProfileCount; ++p)
        s.profilePassword[p] = vb::trim(f.profilePassword[p - 1]);

    // Compared with the password held before this save: the branch appears once, when PayPal is
    // first set up, not at every save.
    if (!vb::trim(f.payPalPassword).isEmpty() && s.payPalPassword.isEmpty())
        host.addPayPalBranch();

    s.payPalUserID = vb::trim(f.payPalUserID);
    s.payPalCheck = SHORT(f.payPalCheck);
    s.payPalPassword = s.payPalCheck == 1 ? vb::trim(f.payPalPassword) : QString();

    s.firewallHost = f.firewallHost;
    s.firewallPort = f.firewallPort;
    s.firewallLogin = f.firewallLogin;
    s.firewallPassword = f.firewallPassword;

    saveSetting(QStringLiteral("UserID"), current.userId);
    saveSetting(QStringLiteral("Password"), current.password);
    saveSetting(QStringLiteral("Refresh"), s.refresh);
    saveSetting(QStringLiteral("DataView"), s.dataView);
    saveSetting(QStringLiteral("eBayCountry"), s.eBayCountry);
    for (int p = 1; p <= kProfileCount; ++p)
        saveSetting(profileKey(p, "UserName"), s.profileUserName[p - 1]);
    for (int p = 1; p <= kProfileCount; ++p)
        saveSetting(profileKey(p, "Password"), s.profilePassword[p - 1]);
    saveSetting(QStringLiteral("PayPalUserID"), s.payPalUserID);
    saveSetting(QStringLiteral("PayPalPassword"), s.payPalPassword);
    saveSetting(QStringLiteral("PayPalCheck"), QString::number(s.payPalCheck));
    saveSetting(QStringLiteral("FirewallType"), QString());
    saveSetting(QStringLiteral("FirewallHost"), s.firewallHost);
    saveSetting(QStringLiteral("FirewallPort"), s.firewallPort);
    saveSetting(QStringLiteral("FirewallLogin"), s.firewallLogin);
    saveSetting(QStringLiteral("FirewallPassword"), s.firewallPassword);

    checkRefreshMenu(host.refreshMenu());
    checkHistoryMenu(host.historyMenu());
}

void checkRefreshMenu(const MenuArray &mnuRefresh)
{
    checkByCaption(mnuRefresh, settings.refresh, 3);
}

void checkHistoryMenu(const MenuArray &mnuHistory)
{
    checkByCaption(mnuHistory, settings.dataView, mnuHistory.lBound() - 1);
}

} // namespace mSettings
