// The four root files and their parsed copies. Every call runs under the store's lock: reads under
// the shared lock, changes under the exclusive one, and each re-reads a root's file only when it is
// no longer the file that was parsed last. A parsed copy keeps its file open, so the file's inode
// number cannot be reused by a later replacement while the copy is cached; equal device and inode
// (with size and times, for edits made in place by hand) therefore mean an unchanged file.
#pragma once

#include "platform/registry/internal/filelock.h"
#include "platform/registry/internal/regtree.h"
#include "platform/wintypes.h"

#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace platform::registry::internal {

inline constexpr int kRootCount = 4;
// "HKEY_CLASSES_ROOT", ... by root index (0 to 3 in the order of the predefined handles).
const char *rootName(int root);

class FileStore {
public:
    static FileStore &instance();

    // Calls `reader` with the root's tree under the shared lock and returns its result, or the
    // error that kept the root from being read (ERROR_ACCESS_DENIED, ERROR_REGISTRY_CORRUPT, ...).
    LONG read(int root, const std::function<LONG(const Key &)> &reader);

    // Calls `change` with the root's tree under the exclusive lock. When it returns ERROR_SUCCESS
    // and sets `changed`, the tree is written to a temporary file, flushed and renamed over the
    // root's file before the lock is released. `change` must leave the tree alone when it fails.
    LONG modify(int root, const std::function<LONG(Key &, bool &changed)> &change);

    // Change batches (ChangeBatch in registry.h): while one is open the exclusive lock stays held
    // and changed roots are written once, when the outermost batch ends. endBatch returns the first
    // error of those writes or of taking the lock.
    void beginBatch();
    LONG endBatch();

    // The failure-injection seam behind testing.h.
    void setDenied(int root, bool read, bool write);
    void clearDenied();
    void dropCache();

private:
    struct Cached {
        bool valid = false;
        bool missing = false; // no file: an empty root
        int fd = -1; // the parsed file, held open (see above)
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        timespec mtime {};
        timespec ctime {};
        LONG status = 0; // ERROR_SUCCESS or ERROR_REGISTRY_CORRUPT
        std::unique_ptr<Key> tree;
    };

    FileStore() = default;
    void followDirectory();
    LONG load(int root);
    LONG save(int root);
    LONG prepareDirectory();
    std::string rootPath(int root) const;
    void forget(int root);

    std::mutex m_mutex;
    std::string m_directory;
    bool m_directoryPrepared = false;
    FileLock m_lock;
    Cached m_cache[kRootCount];
    int m_batchDepth = 0;
    bool m_batchLocked = false; // the lock is held for the open batch
    LONG m_batchError = 0; // why the batch could not take the lock
    bool m_dirty[kRootCount] = {}; // changed in the open batch, not yet written
    bool m_denyRead[kRootCount] = {};
    bool m_denyWrite[kRootCount] = {};
};

} // namespace platform::registry::internal
