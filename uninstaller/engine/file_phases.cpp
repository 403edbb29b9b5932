// The phases that act on files: shared files, backups, listed files and folders.
#include "uninstaller/engine/removal_engine.h"

#include "uninstaller/log/codepage.h"
#include "uninstaller/log/logging.h"

#include <algorithm>
#include <cerrno>

namespace uninstaller::engine {

namespace {

bool IsNotFound(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

// The errors Windows reports as access denied or a sharing violation: the file is held by
// something that a restart releases.
bool IsInUse(int error)
{
    return error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY;
}

} // namespace

void RemovalEngine::RecordFileFailure(const std::string &path, int error)
{
    if (error == 0 || IsNotFound(error))
        return;
    m_failedFiles.push_back(path);
    if (IsInUse(error))
        m_inUseFiles.push_back(path);
}

void RemovalEngine::KeepShared(const std::string &valueName)
{
    qCDebug(lcEngine) << "shared file kept" << valueName.c_str();
    m_services.registry.writeDword(HKEY_LOCAL_MACHINE, kSharedDllsKey, valueName, 0);
}

void RemovalEngine::RemoveShared(
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
    const auto lines = log::SectionLines(m_log.shared);
    if (lines.empty())
        return;
    if (m_services.registry.openForChange(HKEY_LOCAL_MACHINE, kSharedDllsKey) != KeyAccess::Granted)
        return;

    for (std::string_view line : lines) {
        bool unregister = false;
        std::string_view pathView = line;
        if (const std::size_t bar = line.find('|'); bar != std::string_view::npos) {
            unregister = log::EqualsNoCase(line.substr(bar), "|CTRL");
            pathView = line.substr(0, bar);
        }
        if (pathView.empty())
            continue; // an empty name would address the key's default value
        const std::string path(pathView);
        const std::string valueName = log::Cp1252ToUtf8(path); // the path on this file system

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
                KeepShared(valueName);
            else
                RemoveShared(path, valueName, unregister);
            continue;
        }
        if (m_noToAll) {
            KeepShared(valueName);
            continue;
        }
        if (m_yesToAll || m_options.silent) {
            RemoveShared(path, valueName, unregister);
            continue;
        }
        // Without a question to ask, keeping the file is the answer that loses nothing.
        const SharedFileAnswer answer =
            m_services.sharedQuestion ? m_services.sharedQuestion->ask(path) : SharedFileAnswer::No;
        switch (answer) {
        case SharedFileAnswer::No:
            KeepShared(valueName);
            m_decisions.push_back({ path, true });
            break;
        case SharedFileAnswer::NoToAll:
            KeepShared(valueName);
            m_noToAll = true;
            break;
        case SharedFileAnswer::YesToAll:
            m_yesToAll = true;
            RemoveShared(path, valueName, unregister);
            break;
        case SharedFileAnswer::Yes:
            m_decisions.push_back({ path, false });
            RemoveShared(path, valueName, unregister);
            break;
        }
    }
}

void RemovalEngine::RestoreBackups(bool restore)
{
    if (m_log.backups.size() <= 2)
        return;
    log::BackupEntry entry;
    for (std::string_view line : log::SectionLines(m_log.backups)) {
        if (!log::ParseBackupLine(line, entry))
            continue; // SplitLog refuses such logs; never guess at a broken line
        const std::string backup = log::Cp1252ToUtf8(entry.backupPath);
        if (restore) {
            const std::string installed = log::Cp1252ToUtf8(entry.installedPath);
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
    for (std::string_view line : log::SectionLines(m_log.files)) {
        const std::string file = log::Cp1252ToUtf8(line);
        m_services.files.clearReadOnly(file);
        const int error = m_services.files.removeFile(file);
        qCDebug(lcEngine) << "file" << file.c_str() << "error" << error;
        RecordFileFailure(std::string(line), error);
    }
}

void RemovalEngine::RemoveFolders()
{
    // Never stand inside a folder that is about to go.
    m_services.files.setCurrentFolder("/");
    for (std::string_view line : log::SectionLines(m_log.directories)) {
        const std::string folder = log::Cp1252ToUtf8(line);
        m_services.files.clearReadOnly(folder);
        const int error = m_services.files.removeFolder(folder);
        qCDebug(lcEngine) << "folder" << folder.c_str() << "error" << error;
        if (error != 0 && !IsNotFound(error))
            m_failedFolders.emplace_back(line);
    }
}

} // namespace uninstaller::engine
