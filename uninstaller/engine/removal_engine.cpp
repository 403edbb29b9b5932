// Construction, the pre-uninstall command, unregistration and the restart decision.
#include "uninstaller/engine/removal_engine.h"

#include "uninstaller/engine/pending_deletions.h"
#include "uninstaller/log/codepage.h"
#include "uninstaller/log/logging.h"

namespace uninstaller::engine {

Q_LOGGING_CATEGORY(lcEngine, "uninstaller.engine", QtInfoMsg)

RemovalEngine::RemovalEngine(const log::UninstallLog &log, std::string ownFilePath,
    EngineOptions options, EngineServices services)
    : m_log(log)
    , m_ownFilePath(std::move(ownFilePath))
    , m_options(options)
    , m_services(std::move(services))
{
}

bool RemovalEngine::preUninstallSucceeded(const std::string &command, int exitCode)
{
    const std::size_t bat = command.find(".BAT");
    const std::size_t cmd = command.find(".CMD");
    const std::size_t exe = command.find(".EXE");
    const std::size_t script = std::min(bat, cmd); // npos when neither is there
    // A script run by a program named before it ("X.EXE Y.BAT") is judged as that program.
    const bool isScript =
        script != std::string::npos && !(exe != std::string::npos && exe < script);
    return isScript ? exitCode == 0 : exitCode != 0;
}

bool RemovalEngine::RunPreUninstallCommand()
{
    const log::FirstLine &first = m_log.firstLine;
    if (first.code.empty() || log::equalsNoCase(first.code, "100") ||
        log::equalsNoCase(first.code, "101") || first.command.empty())
        return true;
    const auto exitCode = m_services.processes.runAndWait(log::cp1252ToUtf8(first.command));
    if (!exitCode) {
        qCDebug(lcEngine) << "pre-uninstall command could not start; going on";
        return true; // a command that cannot be started does not hold the uninstall up
    }
    const bool succeeded = preUninstallSucceeded(first.command, *exitCode);
    qCDebug(lcEngine) << "pre-uninstall command exit code" << *exitCode
                      << (succeeded ? "succeeded" : "failed: stop");
    return succeeded;
}

void RemovalEngine::Unregister(const std::string &path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return;
    const std::string_view extension = std::string_view(path).substr(dot);
    const std::string file = log::cp1252ToUtf8(path);
    const std::size_t slash = file.rfind('/');
    const std::string saved = m_services.files.currentFolder();
    // Libraries and servers look for their neighbours relative to the current folder.
    if (slash != std::string::npos)
        m_services.files.setCurrentFolder(slash == 0 ? "/" : file.substr(0, slash));
    qCDebug(lcEngine) << "unregister" << file.c_str();
    if (log::equalsNoCase(extension, ".tlb"))
        m_services.components.unregisterTypeLibrary(file);
    else if (log::equalsNoCase(extension, ".exe"))
        m_services.processes.startDetached(file, { "/unregserver" });
    else
        m_services.components.unregisterServer(file);
    if (slash != std::string::npos)
        m_services.files.setCurrentFolder(saved);
}

bool RemovalEngine::DeleteAtRestart(const std::string &path)
{
    const bool recorded = schedulePendingDeletion(m_services.registry, path);
    qCDebug(lcEngine) << "delete at restart" << path.c_str() << (recorded ? "recorded" : "refused");
    return recorded;
}

void RemovalEngine::ScheduleDeletes()
{
    // An installer may list the uninstaller among its files: this system lets a running program's
    // file go, so it is gone by now and nothing is left for a restart to do.
    if (!m_options.keepSelf && m_services.files.inspect(m_ownFilePath).exists)
        DeleteAtRestart(m_ownFilePath);
    // A file whose record the store refused is still listed among the failed ones; a restart would
    // not remove it, so only a recorded one asks for a restart.
    m_restartNeeded = false;
    for (const std::string &file : m_inUseFiles) {
        if (file.size() > 3 && DeleteAtRestart(log::cp1252ToUtf8(file)))
            m_restartNeeded = true;
    }
}

bool RemovalEngine::takeRestartNeeded()
{
    const bool needed = m_restartNeeded;
    m_restartNeeded = false;
    return needed;
}

} // namespace uninstaller::engine
