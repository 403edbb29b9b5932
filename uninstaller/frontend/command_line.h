// The uninstaller's options. They are looked for, in any case and anywhere, in the arguments only:
// the program's own path never counts, so a folder named like "silentnight" changes nothing.
#pragma once

#include <QStringList>

namespace uninstaller::frontend {

struct CommandLineOptions {
    bool silent = false; // "/SILENT": no window, no question, no message
    bool keepSelf = false; // "/NOREMOVE": the uninstaller's own file is not scheduled for deletion
    bool deletePending = false; // "/DELETEPENDING": carry out the recorded deletions, then end
};

// `arguments` excludes the program path (argv[0]).
CommandLineOptions parseCommandLine(const QStringList &arguments);

} // namespace uninstaller::frontend
