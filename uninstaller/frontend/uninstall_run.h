// The uninstaller's start-to-end sequence, shared by the silent path and the window front end:
// options, log, first line, the per-product lock, confirmation, pre-uninstall command, registry
// access check, the phases with their progress marks, and the end. Everything that would show a
// window goes through Interaction; a silent run has none.
#pragma once

#include "uninstaller/engine/file_system.h"
#include "uninstaller/engine/registry_access.h"
#include "uninstaller/engine/removal_engine.h"
#include "uninstaller/engine/system_services.h"
#include "uninstaller/frontend/command_line.h"

#include <QString>

#include <functional>
#include <string>

namespace uninstaller::frontend {

// The caption used until the log has been read.
inline constexpr const char *kFirstCaption = "Sweepwright Uninstaller";

// Exit codes: 0 when the uninstaller ends early (a failure, another instance, "No" to the
// confirmation, a failed pre-uninstall command, refused registry access), 1 when the removal ran
// to its end.
inline constexpr int kExitEndedEarly = 0;
inline constexpr int kExitRemoved = 1;

// What the window front end provides. Only called when the run is not silent.
class Interaction {
public:
    virtual ~Interaction() = default;
    // An error box with the error icon.
    virtual void showError(const QString &caption, const QString &text) = 0;
    // The log has been read: message table, first line, caption (message 0) are known.
    virtual void logLoaded(const log::UninstallLog &log, const QString &caption) = 0;
    // The confirmation (message 1); false ends the run.
    virtual bool confirm() = 0;
    // Builds and shows the progress window.
    virtual void showProgress() = 0;
    // Registry access refused (message 2).
    virtual void registryRefused() = 0;
    virtual void progressMark(int control) = 0;
    // Whether to restore the backed-up files (message 3).
    virtual bool askRestoreBackups() = 0;
    virtual engine::SharedFileQuestion &sharedFileQuestion() = 0;
    // The end state and the message loop; returns when the window is closed. The restart question
    // belongs to closing the window.
    virtual void finish(engine::RemovalEngine &engine) = 0;
};

struct RunServices {
    engine::FileSystem &files;
    engine::RegistryAccess &registry;
    engine::ProcessLauncher &processes;
    engine::ComponentUnregistrar &components;
    std::function<void()> pumpEvents;
};

// Runs an uninstall of the log appended to `ownFilePath` (UTF-8). `interaction` may be null: a
// run that is not silent then ends at the confirmation as if the user had said "No", so nothing is
// ever removed without someone having agreed. Returns the exit code. A run that ends early
// without a window to say why (a damaged log, another instance, refused registry access) writes
// the reason to standard error as one line.
int runUninstall(const std::string &ownFilePath, const CommandLineOptions &options,
    const RunServices &services, Interaction *interaction);

// Message 0 or 1 with its first "%s" replaced as plain text by the product name.
std::string insertProductName(const std::string &text, const std::string &productName);

} // namespace uninstaller::frontend
