// The uninstaller program: reads the log appended to its own file and removes what it records.
// This entry wires the real file system, registry store, processes and components to the run.
#include "uninstaller/engine/file_system.h"
#include "uninstaller/engine/pending_deletions.h"
#include "uninstaller/engine/registry_access.h"
#include "uninstaller/engine/system_services.h"
#include "uninstaller/frontend/command_line.h"
#include "uninstaller/frontend/uninstall_run.h"

#include <QCoreApplication>
#include <QFile>

namespace {

// Exit code of "/DELETEPENDING" when some recorded paths could not be removed yet.
constexpr int kExitPendingLeft = 2;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst(); // the program's own path never carries options
    const auto options = uninstaller::frontend::ParseCommandLine(arguments);

    const auto files = uninstaller::engine::MakePosixFileSystem();
    uninstaller::engine::StoreRegistryAccess registry;
    if (options.deletePending) {
        const auto result = uninstaller::engine::RunPendingDeletions(registry, *files);
        return result.remaining == 0 ? 0 : kExitPendingLeft;
    }

    const auto processes = uninstaller::engine::MakeQtProcessLauncher();
    const auto components = uninstaller::engine::MakeComponentUnregistrar();
    const std::string ownFile =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    // The window front end plugs in here as the Interaction; until then a run that is not silent
    // stops at the confirmation without removing anything.
    return uninstaller::frontend::RunUninstall(ownFile, options,
        { *files, registry, *processes, *components, [] { QCoreApplication::processEvents(); } },
        nullptr);
}
