// The pieces of the update check that do not need the window: what is compared, what is shown and
// which updater address may be handed to the browser.
#pragma once

#include <QString>

namespace frmMainUpdate {

// Longest version text the status bar shows after "Latest version is: ".
inline constexpr int kShownVersionChars = 64;

// "4.5.3": the running program's major.minor.revision.
QString runningVersion();

// "<product site>/version.txt" and "<product site>/bidlarkupdate.exe".
QString versionFileAddress();
QString updaterAddress();

// What the status bar shows of a downloaded version text: its first line (up to the first CR or
// LF), cut to kShownVersionChars characters, so a page that is not a version file cannot fill the
// bar.
QString shownVersion(const QString &downloaded);

// Whether `address` may be opened as the updater: an https address on the product site's host and
// port, below its path. Anything else (plain http, another host) is refused.
bool isProductHttpsAddress(const QString &address);

} // namespace frmMainUpdate
