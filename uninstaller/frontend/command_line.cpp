#include "uninstaller/frontend/command_line.h"

namespace uninstaller::frontend {

CommandLineOptions parseCommandLine(const QStringList &arguments)
{
    // The arguments as one command line folded to capitals, searched anywhere.
    const QString line = arguments.join(QLatin1Char(' ')).toUpper();
    CommandLineOptions options;
    options.silent = line.contains(QLatin1String("/SILENT"));
    options.keepSelf = line.contains(QLatin1String("/NOREMOVE"));
    options.deletePending = line.contains(QLatin1String("/DELETEPENDING"));
    return options;
}

} // namespace uninstaller::frontend
