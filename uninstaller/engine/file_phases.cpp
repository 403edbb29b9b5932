// The phases that act on files: shared files, backups, listed files and folders.
#include "uninstaller/engine/removal_engine.h"

#include "uninstaller/log/codepage.h"
#include "uninstaller/log/logging.h"

#include <algorithm>
#include <cerrno>

namespace uninstaller::engine {

namespace {

bool isNotFound(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

// The errors Windows reports as access denied or a sharing violation: the file is held by
// something that a restart releases.
bool isInUse(int error)
{
    return error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY;
}

} // namespace

void RemovalEngine::recordFileFailure(const std::string &path, int error)
{
    if (error == 0 || isNotFound(error))
        return;
    m_failedFiles.push_back(path);
    if (isInUse(error))
        m_inUseFiles.push_back(path);
}

void RemovalEngine::keepShared(const std::string &valueName)
{
    qCDebug(lcEngine) << "shared file kept" << valueName.c_str();
    m_services.registry.writeDword(HKEY_LOCAL_MACHINE, kSharedDllsKey, valueName, 0);
}

void RemovalEngine::removeShared(
    const std::string &path, const std::string &valueName, bool unregister)
{
    qCDebug(lcEngine) << "shared file removed" << valueName.c_str();
    m_services.registry.deleteValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, valueName);
    m_services.files.clearReadOnly(valueName);
    if (unregister)
        Unregister(path);
    (void)m_services.files.removeFile(valueName); // a shared file that stays is not a failure
}

void RemovalEngine::ReleaseSharedFiles()
{
    const auto lines = log::sectionLines(m_log.shared);
    if (lines.empty())
        return;
    if (m_services.registry.openForChange(HKEY_LOCAL_MACHINE, kSharedDllsKey) != KeyAccess::Granted)
        return;

    for (std::string_view line : lines) {
        bool unregister = false;
        std::string_view pathView = line;
        if (const std::size_t bar = line.find('|'); bar != std::string_view::npos) {
            unregister = log::equalsNoCase(line.substr(bar), "|CTRL");
            pathView = line.substr(0, bar);
        }
        if (pathView.empty())
            continue; // an empty name would address the key's default value
        const std::string path(pathView);
        const std::string valueName = log::cp1252ToUtf8(path); // the path on this file system

        DWORD count = 0;
        if (m_services.registry.readDword(HKEY_LOCAL_MACHINE, kSharedDllsKey, valueName, count) !=
            ERROR_SUCCESS)
            count = 0;
        if (count >= 2) {
            qCDebug(lcEngine) << "shared file" << valueName.c_str() << "still used" << count - 1;
            m_services.registry.writeDword(
                HKEY_LOCAL_MACHINE, kSharedDllsKey, valueName, count - 1);
            continue;
        }

        // The last user of the file is going away.
        const auto decided = std::find_if(m_decisions.begin(), m_decisions.end(),
            [&](const Decision &d) { return d.path == path; });
        if (decided != m_decisions.end()) {
            if (decided->keep)
                keepShared(valueName);
            else
                removeShared(path, valueName, unregister);
            continue;
        }
        if (m_noToAll) {
            keepShared(valueName);
            continue;
        }
        if (m_yesToAll || m_options.silent) {
            removeShared(path, valueName, unregister);
            continue;
        }
        // Without a question to ask, keeping the file is the answer that loses nothing.
        const SharedFileAnswer answer =
            m_services.sharedQuestion ? m_services.sharedQuestion->ask(path) : SharedFileAnswer::No;
        switch (answer) {
        case SharedFileAnswer::No:
            keepShared(valueName);
            m_decisions.push_back({ path, true });
            break;
        case SharedFileAnswer::NoToAll:
            keepShared(valueName);
            m_noToAll = true;
            break;
        case SharedFileAnswer::YesToAll:
            m_yesToAll = true;
            removeShared(path, valueName, unregister);
            break;
        case SharedFileAnswer::Yes:
            m_decisions.push_back({ path, false });
            removeShared(path, valueName, unregister);
            break;
        }
    }
}

void RemovalEngine::RestoreBackups(bool restore)
{
    if (m_log.backups.size() <= 2)
        return;
    log::BackupEntry entry;
    for (std::string_view line : log::sectionLines(m_log.backups)) {
        if (!log::parseBackupLine(line, entry))
            continue; // SplitLog refuses such logs; never guess at a broken line
        const std::string backup = log::cp1252ToUtf8(entry.backupPath);
        if (restore) {
            const std::string installed = log::cp1252ToUtf8(entry.installedPath);
            const FileState state = m_services.files.inspect(installed);
            const std::uint64_t time = (std::uint64_t(entry.timeHigh) << 32) | entry.timeLow;
            const std::uint64_t version =
                (std::uint64_t(entry.versionHigh) << 32) | entry.versionLow;
            const bool unchanged =
                state.readable && state.lastWriteTime == time && state.version == version;
            if (!state.exists || unchanged) {
                const int error = m_services.files.replaceWithCopy(backup, installed);
                qCDebug(lcEngine) << "backup restored to" << installed.c_str() << "error" << error;
                if (error != 0) {
                    // Keep the only good copy; the user sees the file among the failures.
                    m_failedFiles.push_back(entry.installedPath);
                    continue;
                }
            }
        }
        (void)m_services.files.removeFile(backup);
    }
}

void RemovalEngine::DeleteFiles()
{
    for (std::string_view line : log::sectionLines(m_log.files)) {
        const std::string file = log::cp1252ToUtf8(line);
        m_services.files.clearReadOnly(file);
        const int error = m_services.files.removeFile(file);
        qCDebug(lcEngine) << "file" << file.c_str() << "error" << error;
        recordFileFailure(std::string(line), error);
    }
}

void RemovalEngine::RemoveFolders()
{
    // Never stand inside a folder that is about to go.
    m_services.files.setCurrentFolder("/");
    for (std::string_view line : log::sectionLines(m_log.directories)) {
        const std::string folder = log::cp1252ToUtf8(line);
        m_services.files.clearReadOnly(folder);
        const int error = m_services.files.removeFolder(folder);
        qCDebug(lcEngine) << "folder" << folder.c_str() << "error" << error;
        if (error != 0 && !isNotFound(error))
            m_failedFolders.emplace_back(line);
    }
}

} // namespace uninstaller::engine
