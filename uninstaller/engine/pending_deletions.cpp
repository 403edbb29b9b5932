#include "uninstaller/engine/pending_deletions.h"

#include <cerrno>

namespace uninstaller::engine {

bool SchedulePendingDeletion(RegistryAccess &registry, const std::string &path)
{
    return registry.writeString(HKEY_LOCAL_MACHINE, kPendingDeletionsKey, path, path) ==
        ERROR_SUCCESS;
}

PendingDeletionResult RunPendingDeletions(RegistryAccess &registry, FileSystem &files)
{
    PendingDeletionResult result;
    for (const auto &[name, path] :
        registry.stringValues(HKEY_LOCAL_MACHINE, kPendingDeletionsKey)) {
        int error = files.removeFile(path);
        if (error == EISDIR)
            error = files.removeFolder(path);
        if (error == 0 || error == ENOENT || error == ENOTDIR) {
            registry.deleteValue(HKEY_LOCAL_MACHINE, kPendingDeletionsKey, name);
            ++result.removed;
        } else {
            ++result.remaining;
        }
    }
    return result;
}

} // namespace uninstaller::engine
