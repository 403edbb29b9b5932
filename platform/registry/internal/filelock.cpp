#include "platform/registry/internal/filelock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::registry::internal {

FileLock::~FileLock()
{
    close();
}

void FileLock::setPath(std::string path)
{
    if (path == m_path)
        return;
    close();
    m_path = std::move(path);
}

void FileLock::close()
{
    // In a forked child the descriptor is the parent's open file: closing our copy leaves the
    // parent's lock alone.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_held = false;
}

int FileLock::open(bool create)
{
    if (m_fd >= 0 && m_pid == ::getpid())
        return 0;
    close();
    int fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    if (fd < 0 && errno == EACCES) {
        fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC); // flock works on read-only files too
        // No lock file, and no right to make one in the folder: the refusal is what counts.
        if (fd < 0 && errno == ENOENT)
            return EACCES;
    }
    if (fd < 0)
        return errno;
    m_fd = fd;
    m_pid = ::getpid();
    return 0;
}

int FileLock::lock(bool exclusive, bool create)
{
    m_held = false;
    // A lock file replaced behind our back (someone removed the folder's contents) would leave two
    // processes locking different files; compare what we locked with what the path names now.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (const int error = open(create)) {
            if (!create && (error == ENOENT || error == ENOTDIR || error == EACCES))
                return 0;
            return error;
        }
        int rc;
        do {
            rc = ::flock(m_fd, exclusive ? LOCK_EX : LOCK_SH);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0)
            return errno;
        struct stat held { };
        struct stat named { };
        if (::fstat(m_fd, &held) == 0 && ::stat(m_path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            m_held = true;
            return 0;
        }
        close();
    }
    return create ? EAGAIN : 0;
}

void FileLock::unlock()
{
    if (m_held && m_fd >= 0)
        ::flock(m_fd, LOCK_UN);
    m_held = false;
}

} // namespace platform::registry::internal
