#include "uninstaller/engine/pending_deletions.h"

#include "platform/registry/registry.h"

#include <cerrno>

namespace uninstaller::engine {

bool schedulePendingDeletion(RegistryAccess &registry, const std::string &path)
{
    // Value names compare without regard to case but paths do not: a path differing only in case
    // from one already recorded gets a name of its own ("path|2", ...), so neither record is lost.
    const auto records = registry.stringValues(HKEY_LOCAL_MACHINE, kPendingDeletionsKey);
    const auto taken = [&](const std::string &name) -> const std::string * {
        for (const auto &[existing, recorded] : records)
            if (platform::registry::namesEqual(existing, name))
                return &recorded;
        return nullptr;
    };
    std::string name = path;
    for (int n = 2; n < 10000; ++n) {
        const std::string *recorded = taken(name);
        if (!recorded || *recorded == path)
            return registry.writeString(HKEY_LOCAL_MACHINE, kPendingDeletionsKey, name, path) ==
                ERROR_SUCCESS;
        name = path + "|" + std::to_string(n);
    }
    return false;
}

PendingDeletionResult runPendingDeletions(RegistryAccess &registry, FileSystem &files)
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
