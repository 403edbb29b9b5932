// The uninstaller program: reads the log appended to its own file and removes what it records.
// This entry wires the real file system, registry store, processes, components, dialogs and
// restart to the run.
#include "uninstaller/engine/file_system.h"
#include "uninstaller/engine/pending_deletions.h"
#include "uninstaller/engine/registry_access.h"
#include "uninstaller/engine/system_services.h"
#include "uninstaller/frontend/command_line.h"
#include "uninstaller/frontend/uninstall_run.h"
#include "uninstaller/frontend/window_interaction.h"

#include <QApplication>
#include <QFile>

#include <memory>

namespace {

// Exit code of "/DELETEPENDING" when some recorded paths could not be removed yet.
constexpr int kExitPendingLeft = 2;

QStringList arguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) // the program's own path never carries options
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char **argv)
{
    const auto options = uninstaller::frontend::parseCommandLine(arguments(argc, argv));
    // A silent run never opens a window, so it must not need a display either.
    // Without any display to show it on, a run that is not silent keeps to the safe side: it ends
    // at the confirmation without removing anything, as it would if the user said "No".
    const bool display = qEnvironmentVariableIsSet("DISPLAY") ||
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
        qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    std::unique_ptr<QCoreApplication> app;
    if (options.silent || options.deletePending || !display)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    const auto files = uninstaller::engine::makePosixFileSystem();
    uninstaller::engine::StoreRegistryAccess registry;
    if (options.deletePending) {
        const auto result = uninstaller::engine::runPendingDeletions(registry, *files);
        return result.remaining == 0 ? 0 : kExitPendingLeft;
    }

    const auto processes = uninstaller::engine::makeQtProcessLauncher();
    const auto components = uninstaller::engine::makeComponentUnregistrar();
    const std::string ownFile =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    const uninstaller::frontend::RunServices services { *files, registry, *processes, *components,
        [] { QCoreApplication::processEvents(); } };
    if (options.silent || !display)
        return uninstaller::frontend::runUninstall(ownFile, options, services, nullptr);

    const auto dialogs = uninstaller::frontend::makeQtDialogs();
    const auto restart = uninstaller::engine::makeLoginManagerRestart();
    uninstaller::frontend::WindowInteraction window(
        *dialogs, *restart, uninstaller::frontend::screenContext());
    return uninstaller::frontend::runUninstall(ownFile, options, services, &window);
}
