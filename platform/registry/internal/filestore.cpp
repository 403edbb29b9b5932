#include "platform/registry/internal/filestore.h"

#include "platform/registry/internal/regfile.h"
#include "platform/registry/registry.h"

#include <QLoggingCategory>

#include <cerrno>
#include <optional>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::registry::internal {
namespace {

// QT_LOGGING_RULES="bidlark.registry.debug=true" shows when a root file is read and why one is
// refused; a corrupt file is a warning, shown unless switched off.
Q_LOGGING_CATEGORY(lcRegistry, "bidlark.registry", QtInfoMsg)

constexpr const char *kRootNames[kRootCount] = { "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
    "HKEY_LOCAL_MACHINE", "HKEY_USERS" };
constexpr const char *kLockName = "registry.lock";
// Temporary files are "<root file>.tmp-XXXXXX"; one left behind by a killed writer is removed by
// the next writer, who holds the exclusive lock and so knows nobody is still writing it.
constexpr const char *kTempMarker = ".reg.tmp-";

LONG fromErrno(int error)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// mkdir -p, new folders private to the user.
int makeDirectories(const std::string &path)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string prefix = path.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

int writeAll(int fd, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Reads the whole file, at most kMaxFileBytes + 1 bytes (enough to tell that it is too big).
int readAll(int fd, std::string &text)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxFileBytes)
            return 0;
    }
}

} // namespace

const char *rootName(int root)
{
    return kRootNames[root];
}

FileStore &FileStore::instance()
{
    static FileStore store;
    return store;
}

std::string FileStore::rootPath(int root) const
{
    return m_directory + "/" + kRootNames[root] + ".reg";
}

void FileStore::forget(int root)
{
    Cached &cached = m_cache[root];
    if (cached.fd >= 0)
        ::close(cached.fd);
    cached = Cached {};
}

void FileStore::followDirectory()
{
    // Tests point BIDLARK_REGISTRY_DIR elsewhere between cases; a new folder is a new store.
    std::string directory = storeDirectory();
    if (directory == m_directory)
        return;
    for (int root = 0; root < kRootCount; ++root)
        forget(root);
    m_directory = std::move(directory);
    m_directoryPrepared = false;
    m_lock.setPath(m_directory + "/" + kLockName);
}

LONG FileStore::load(int root)
{
    if (m_denyRead[root])
        return ERROR_ACCESS_DENIED;
    Cached &cached = m_cache[root];
    const std::string path = rootPath(root);

    struct stat st { };
    int fd = -1;
    if (::stat(path.c_str(), &st) == 0) {
        if (cached.valid && !cached.missing && cached.dev == st.st_dev && cached.ino == st.st_ino &&
            cached.size == st.st_size && sameTime(cached.mtime, st.st_mtim) &&
            sameTime(cached.ctime, st.st_ctim))
            return cached.status;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno != ENOENT) {
            const int error = errno;
            qCDebug(lcRegistry) << "refused" << path.c_str() << std::strerror(error);
            return fromErrno(error);
        }
    } else if (errno != ENOENT && errno != ENOTDIR) {
        const int error = errno;
        qCDebug(lcRegistry) << "refused" << path.c_str() << std::strerror(error);
        return fromErrno(error);
    }

    if (fd < 0) {
        if (!(cached.valid && cached.missing)) {
            forget(root);
            cached.valid = true;
            cached.missing = true;
            cached.status = ERROR_SUCCESS;
            cached.tree = std::make_unique<Key>();
        }
        return ERROR_SUCCESS;
    }

    int statError = ::fstat(fd, &st) != 0 ? errno : 0;
    if (!statError && !S_ISREG(st.st_mode))
        statError = EISDIR; // a folder or device where the file should be: not ours to read
    if (statError) {
        ::close(fd);
        qCDebug(lcRegistry) << "refused" << path.c_str() << std::strerror(statError);
        return fromErrno(statError);
    }
    std::string text;
    if (const int error = readAll(fd, text)) {
        ::close(fd);
        qCDebug(lcRegistry) << "refused" << path.c_str() << std::strerror(error);
        return fromErrno(error);
    }
    auto tree = std::make_unique<Key>();
    ParseError parseError;
    LONG status = ERROR_SUCCESS;
    if (!parseRegFile(text, kRootNames[root], *tree, &parseError)) {
        status = ERROR_REGISTRY_CORRUPT;
        tree = std::make_unique<Key>();
        // Said once per version of the file, since the verdict is cached with it.
        qCWarning(lcRegistry).nospace()
            << path.c_str() << " line " << parseError.line << ": " << parseError.message.c_str()
            << "; the file is left as it is";
    } else {
        qCDebug(lcRegistry) << "read" << path.c_str() << text.size() << "bytes";
    }
    forget(root);
    cached.valid = true;
    cached.fd = fd;
    cached.dev = st.st_dev;
    cached.ino = st.st_ino;
    cached.size = st.st_size;
    cached.mtime = st.st_mtim;
    cached.ctime = st.st_ctim;
    cached.status = status;
    cached.tree = std::move(tree);
    return status;
}

LONG FileStore::save(int root)
{
    if (m_denyWrite[root])
        return ERROR_ACCESS_DENIED;
    const std::string path = rootPath(root);
    // Replacing by rename needs only the folder's permission; honour the file's own as well.
    if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT)
        return fromErrno(errno);

    Cached &cached = m_cache[root];
    const std::string text = writeRegFile(*cached.tree, kRootNames[root]);
    // A file the reader would refuse must never be written: it would cost the whole root.
    if (text.size() > kMaxFileBytes)
        return ERROR_REGISTRY_IO_FAILED;
    // A root file that is a symbolic link (kept with a user's other settings, say) is written
    // where it points, so the link stays and its target gets the change.
    std::string target = path;
    struct stat link { };
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char *resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    std::string temp = target + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // mode 0600: the files hold passwords
    if (fd < 0)
        return fromErrno(errno);
    int error = writeAll(fd, text);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fromErrno(error);
    }
    // The rename is durable only once the folder is flushed too.
    const std::string folder =
        target == path ? m_directory : target.substr(0, target.rfind('/') + 1);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }

    struct stat st { };
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        forget(root);
        return ERROR_SUCCESS;
    }
    if (cached.fd >= 0)
        ::close(cached.fd);
    cached.fd = fd;
    cached.missing = false;
    cached.dev = st.st_dev;
    cached.ino = st.st_ino;
    cached.size = st.st_size;
    cached.mtime = st.st_mtim;
    cached.ctime = st.st_ctim;
    cached.status = ERROR_SUCCESS;
    return ERROR_SUCCESS;
}

LONG FileStore::prepareDirectory()
{
    if (m_directoryPrepared)
        return ERROR_SUCCESS;
    struct stat st { };
    if (::stat(m_directory.c_str(), &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077))
        ::chmod(m_directory.c_str(), st.st_mode & 0700);
    if (DIR *dir = ::opendir(m_directory.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strstr(entry->d_name, kTempMarker))
                ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::closedir(dir);
    }
    m_directoryPrepared = true;
    return ERROR_SUCCESS;
}

LONG FileStore::read(int root, const std::function<LONG(const Key &)> &reader)
{
    std::lock_guard guard(m_mutex);
    followDirectory();
    // A reader that cannot lock still sees a whole file, old or new, because writers rename.
    // Inside a batch this process holds the exclusive lock already (flock would wait for itself).
    std::optional<LockScope> lock;
    if (!m_batchLocked)
        lock.emplace(m_lock, false, false);
    if (const LONG status = load(root))
        return status;
    return reader(*m_cache[root].tree);
}

LONG FileStore::modify(int root, const std::function<LONG(Key &, bool &changed)> &change)
{
    std::lock_guard guard(m_mutex);
    followDirectory();
    if (const int error = makeDirectories(m_directory))
        return fromErrno(error);
    std::optional<LockScope> lock;
    if (!m_batchLocked) {
        lock.emplace(m_lock, true, true);
        if (lock->error())
            return fromErrno(lock->error());
    }
    prepareDirectory();
    if (const LONG status = load(root))
        return status;
    if (m_batchLocked && m_denyWrite[root])
        return ERROR_ACCESS_DENIED; // refused now, not only when the batch writes
    bool changed = false;
    const LONG status = change(*m_cache[root].tree, changed);
    if (status != ERROR_SUCCESS || !changed)
        return status;
    if (m_batchLocked) {
        // The parsed copy stays valid: nobody else can replace the file while the lock is held.
        m_dirty[root] = true;
        return ERROR_SUCCESS;
    }
    const LONG saved = save(root);
    if (saved != ERROR_SUCCESS)
        forget(root); // the copy holds a change that never reached the file
    return saved;
}

void FileStore::beginBatch()
{
    std::lock_guard guard(m_mutex);
    if (m_batchDepth++ > 0)
        return;
    followDirectory();
    m_batchError = ERROR_SUCCESS;
    if (const int error = makeDirectories(m_directory)) {
        m_batchError = fromErrno(error); // each change then takes its own lock and reports
        return;
    }
    if (const int error = m_lock.lock(true, true)) {
        m_batchError = fromErrno(error);
        return;
    }
    m_batchLocked = true;
}

LONG FileStore::endBatch()
{
    std::lock_guard guard(m_mutex);
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return ERROR_SUCCESS;
    LONG result = m_batchError;
    if (m_batchLocked) {
        for (int root = 0; root < kRootCount; ++root) {
            if (!m_dirty[root])
                continue;
            m_dirty[root] = false;
            const LONG saved = save(root);
            if (saved != ERROR_SUCCESS) {
                forget(root); // the copy holds changes that never reached the file
                if (result == ERROR_SUCCESS)
                    result = saved;
            }
        }
        m_lock.unlock();
        m_batchLocked = false;
    }
    return result;
}

void FileStore::setDenied(int root, bool read, bool write)
{
    std::lock_guard guard(m_mutex);
    m_denyRead[root] = read;
    m_denyWrite[root] = write;
}

void FileStore::clearDenied()
{
    std::lock_guard guard(m_mutex);
    for (int root = 0; root < kRootCount; ++root)
        m_denyRead[root] = m_denyWrite[root] = false;
}

void FileStore::dropCache()
{
    std::lock_guard guard(m_mutex);
    for (int root = 0; root < kRootCount; ++root)
        forget(root);
}

} // namespace platform::registry::internal
