// The store's inter-process lock: flock on one lock file in the store folder. flock (not fcntl)
// because its locks belong to the open file, so closing some other descriptor of the file elsewhere
// in the process never drops them; and the descriptor is reopened after a fork, since a child
// sharing the parent's open file would share its lock too. The lock file is never deleted, which is
// what makes "open, then lock" safe against a concurrent unlink.
#pragma once

#include <string>

namespace platform::registry::internal {

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Points the lock at `path`, closing any descriptor for a previous path.
    void setPath(std::string path);

    // Blocks until the lock is held, shared or exclusive. `create` makes the lock file when missing
    // (writers do; readers, who must not create anything, go unlocked when there is none, which is
    // safe because files are only ever replaced by rename). Returns 0 or an errno value.
    int lock(bool exclusive, bool create);
    void unlock();

private:
    int open(bool create);
    void close();

    std::string m_path;
    int m_fd = -1;
    int m_pid = 0; // the process that opened m_fd
    bool m_held = false;
};

// Holds a FileLock for one scope; `error()` is the errno of a failed lock, 0 when held or skipped.
class LockScope {
public:
    LockScope(FileLock &lock, bool exclusive, bool create)
        : m_lock(lock)
        , m_error(lock.lock(exclusive, create))
    {
    }
    ~LockScope() { m_lock.unlock(); }
    LockScope(const LockScope &) = delete;
    LockScope &operator=(const LockScope &) = delete;
    int error() const { return m_error; }

private:
    FileLock &m_lock;
    int m_error;
};

} // namespace platform::registry::internal
