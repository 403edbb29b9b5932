// The program's entry routine and the values it sets up for the rest of the program.
#pragma once

#include <QString>

namespace mStartup {

inline constexpr const char *kProgramTitle = "Bidlark";
// The product web site's name as menus and the banner show it; its address is the site table's
// Role::Product entry.
inline constexpr const char *kProductSiteName = "www.bidlark.com";

// The product web site's home page ("<product site>/"): the first banner link.
QString productHomePage();

// "Version: 4.5  (4.5.3)": major.minor, two blanks, then major.minor.revision in parentheses.
QString makeVersionText(int major, int minor, int revision);

// Set by the entry routine, read by the About box, the banner and the debug window.
extern QString versionText;
extern QString bannerLink;
extern bool debugFlag;
// The sign-in's token for this run: empty until a sign-in succeeds (Toolbar1's My eBay then opens
// the My eBay page instead of the home page).
extern QString signInToken;

// The whole program: refuses a second copy (message "This program is already running!"), loads the
// settings, shows the main window and runs the event loop. Returns the process exit code.
//
// For process tests only: BIDLARK_QUIT_AFTER_MS=<n> closes the main window with its close button's
// path (so the window size is saved) n milliseconds after start, which ends the program.
// BIDLARK_DUMP_TREE=<file> writes the window's state and tree there (frmMain::dumpState) just
// before that close, or when the program ends otherwise.
int run(int argc, char **argv);

} // namespace mStartup
