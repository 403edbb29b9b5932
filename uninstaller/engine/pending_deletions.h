// Delete-at-restart on Linux. Windows keeps such requests in PendingFileRenameOperations and
// carries them out while booting; here each request is one REG_SZ value (name and data: the UTF-8
// path) under HKEY_LOCAL_MACHINE\Software\Bidlark\Uninstaller\pendingDeletions in the registry
// store, and `uninstaller /DELETEPENDING` carries them out. Nothing runs that at boot by itself.
#pragma once

#include "uninstaller/engine/file_system.h"
#include "uninstaller/engine/registry_access.h"

#include <string>

namespace uninstaller::engine {

inline constexpr const char *kPendingDeletionsKey =
    "Software\\Bidlark\\Uninstaller\\PendingDeletions";

// Records `path` (UTF-8); false when the store refuses the write.
bool schedulePendingDeletion(RegistryAccess &registry, const std::string &path);

struct PendingDeletionResult {
    int removed = 0; // deleted now, or already gone
    int remaining = 0; // still there (in use, not empty, ...); kept for the next run
};

// Deletes every recorded path (unlink, or rmdir for a folder) and forgets those that are gone.
PendingDeletionResult runPendingDeletions(RegistryAccess &registry, FileSystem &files);

} // namespace uninstaller::engine
