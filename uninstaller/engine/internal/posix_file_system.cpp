// The engine's file system on Linux. This is the one place of the uninstaller that speaks POSIX
// directly: unlink and rmdir give exactly the "file only" and "empty folder only" semantics the
// engine needs, and lstat/O_NOFOLLOW keep every step off symbolic links.
#include "uninstaller/engine/file_system.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace uninstaller::engine {

namespace {

class FdCloser {
public:
    explicit FdCloser(int fd)
        : m_fd(fd)
    {
    }
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;

private:
    int m_fd;
};

int copyAll(int from, int to)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += put;
        }
    }
}

class PosixFileSystem final : public FileSystem {
public:
    int removeFile(const std::string &path) override
    {
        return ::unlink(path.c_str()) == 0 ? 0 : errno;
    }

    int removeFolder(const std::string &path) override
    {
        return ::rmdir(path.c_str()) == 0 ? 0 : errno;
    }

    void clearReadOnly(const std::string &path) override
    {
        struct stat st { };
        if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode) || (st.st_mode & S_IWUSR))
            return;
        const mode_t mode = (st.st_mode & 07777) | S_IWUSR;
        if (::fchmodat(AT_FDCWD, path.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0)
            return;
        // Without /proc the C library cannot chmod "no-follow"; the path was just seen not to be a
        // link, so a plain chmod is the closest we can get.
        if (errno == EOPNOTSUPP || errno == ENOSYS)
            ::chmod(path.c_str(), mode);
    }

    FileState inspect(const std::string &path) override
    {
        FileState state;
        struct stat st { };
        if (::lstat(path.c_str(), &st) != 0) {
            state.exists = !(errno == ENOENT || errno == ENOTDIR);
            return state;
        }
        state.exists = true;
        state.lastWriteTime = fileTimeFromPosix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            state.readable = true;
            ::close(fd);
        }
        return state;
    }

    int replaceWithCopy(const std::string &source, const std::string &target) override
    {
        FdCloser in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (in.get() < 0)
            return errno;
        struct stat st { };
        if (::fstat(in.get(), &st) != 0)
            return errno;
        // A short name beside the target, so a target whose own name is near the limit still has
        // room for it.
        const std::size_t slash = target.rfind('/');
        std::string temp =
            (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
            ".swr-XXXXXX";
        FdCloser out(::mkostemp(temp.data(), O_CLOEXEC));
        if (out.get() < 0)
            return errno;
        int error = copyAll(in.get(), out.get());
        if (error == 0 && ::fchmod(out.get(), st.st_mode & 07777) != 0)
            error = errno;
        // A copied file keeps the time it was last written, as the backup has it.
        const struct timespec times[2] = { st.st_atim, st.st_mtim };
        if (error == 0 && ::futimens(out.get(), times) != 0)
            error = errno;
        if (error == 0 && ::fsync(out.get()) != 0)
            error = errno;
        if (::close(out.release()) != 0 && error == 0)
            error = errno;
        if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
            error = errno;
        if (error != 0)
            ::unlink(temp.c_str());
        return error;
    }

    std::string currentFolder() override
    {
        std::vector<char> buffer(PATH_MAX);
        for (;;) {
            if (::getcwd(buffer.data(), buffer.size()))
                return buffer.data();
            if (errno != ERANGE)
                return {};
            buffer.resize(buffer.size() * 2);
        }
    }

    void setCurrentFolder(const std::string &path) override
    {
        if (!path.empty())
            (void)::chdir(path.c_str());
    }
};

} // namespace

std::unique_ptr<FileSystem> makePosixFileSystem()
{
    return std::make_unique<PosixFileSystem>();
}

} // namespace uninstaller::engine
