// The program's settings: the in-memory copies every other part reads, the one load at start, the
// save from the Options dialog, the menu check routines, and single-key reads and writes.
//
// Stored in the registry store under HKEY_CURRENT_USER\Software\VB and VBA Program
// Settings\LotkeeperManager\Program Settings, where the program has always kept them; every value
// is REG_SZ text: booleans "True"/"False", integers plain decimal, passwords in clear.
#pragma once

#include "platform/wintypes.h"

#include <QString>

#include <array>

class MenuArray;

namespace mSettings {

inline constexpr const char *kAppName = "LotkeeperManager";
inline constexpr const char *kSection = "Program Settings";
// The registry path below HKEY_CURRENT_USER that GetSetting/SaveSetting use for the two above.
QString registryPath();

inline constexpr int kProfileCount = 5;

// The in-memory copies. Before the load they hold the zero values ("", False, 0), and a setting
// whose text cannot be converted keeps that value: the load reports it and moves on.
struct Settings {
    QString refresh; // "5 Minutes" ... "60 Minutes"
    QString dataView; // "Today" ... "30 Days"
    QString eBayCountry; // "United States", ...
    bool autoStart = false;
    bool showMinimized = false;
    bool adBannerDisplay = false; // True: banner rotation stopped
    std::array<QString, kProfileCount> profileUserName; // [0] is profile 1
    std::array<QString, kProfileCount> profilePassword;
    QString payPalUserID;
    QString payPalPassword;
    SHORT payPalCheck = 0; // 1 checked, 0 unchecked
    SHORT alertTime = 0; // minutes: 5, 10 or 15
    QString firewallHost;
    QString firewallPort;
    QString firewallLogin;
    QString firewallPassword;
};

// The credentials in use: profile 1's at start, the chosen profile's after a switch.
struct Credentials {
    QString userId;
    QString password;
};

extern Settings settings;
extern Credentials current;

// Back to the state before any load (zero values). For tests and a fresh start.
void resetInMemory();

// GetSetting: the stored text, or `defaultValue` when the key is missing or cannot be read.
QString getSetting(const QString &key, const QString &defaultValue = QString());
// SaveSetting: writes one REG_SZ value at once; returns the store's Win32 error code.
LONG saveSetting(const QString &key, const QString &value);

// Fills every copy from the store, in the fixed order the program always used. A setting that
// cannot be converted shows one box titled "Lotkeeper" (exclamation, OK) with the error number and
// description, keeps its previous value, and the load continues with the next key.
void loadSettings();

// The fields of the Options dialog, as the user left them (nothing trimmed yet).
struct OptionsFields {
    QString userId; // "eBay ID (user name):"
    QString password; // "Password:"
    QString refresh; // refresh-rate drop-down text
    QString dataView; // view-days-back drop-down text
    QString country; // country drop-down text
    std::array<QString, kProfileCount - 1> profileUserName; // profiles 2 to 5
    std::array<QString, kProfileCount - 1> profilePassword;
    QString payPalUserID;
    QString payPalPassword;
    int payPalCheck = 1; // the save-password check box: 1 checked, 0 unchecked
    QString firewallHost;
    QString firewallPort;
    QString firewallLogin;
    QString firewallPassword;
};

// What the settings module needs from the main window.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    virtual const MenuArray &refreshMenu() const = 0; // "5 Minutes" .. "60 Minutes", from 0
    virtual const MenuArray &historyMenu() const = 0; // "Today" .. "30 Days", from 0
    // Adds the "PayPal" branch to the item tree, when a PayPal password first appears.
    virtual void addPayPalBranch() = 0;
};

// Takes the dialog's fields into memory (trimming credentials and profiles, not the firewall
// fields), writes every key in order, then puts the Refresh and History check marks in line.
void saveFromOptions(const OptionsFields &fields, SettingsHost &host);

// Checks the Refresh entry whose caption is settings.refresh; any other text checks "60 Minutes".
void checkRefreshMenu(const MenuArray &mnuRefresh);
// Checks the History entry whose caption is settings.dataView; any other text checks none.
void checkHistoryMenu(const MenuArray &mnuHistory);

// The box text for a setting that failed to load, lines joined by line feeds.
QString badSettingMessage(int errorNumber, const QString &description);

} // namespace mSettings
