// The file operations of the removal engine, behind an interface so that tests can make a deletion
// fail the way a file in use or a protected folder would (tests run as root, where permission bits
// stop nothing). Paths are UTF-8. No operation ever follows a symbolic link to its target.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace uninstaller::engine {

struct FileState {
    bool exists = false;
    // False when the file exists but cannot be opened for reading; such a file counts as changed.
    bool readable = false;
    // Modification time as a FILETIME: 100-nanosecond units since 1601-01-01 UTC.
    std::uint64_t lastWriteTime = 0;
    // Four 16-bit parts, most significant first. Linux files carry no version resource: always 0.
    std::uint64_t version = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Each returns 0 or an errno value.
    virtual int removeFile(const std::string &path) = 0; // unlink only
    virtual int removeFolder(const std::string &path) = 0; // rmdir only: an empty folder
    // Sets the owner's write bit; a symbolic link is left alone. Failures are ignored by callers.
    virtual void clearReadOnly(const std::string &path) = 0;
    // lstat-based: a symbolic link is inspected as itself.
    virtual FileState inspect(const std::string &path) = 0;
    // Copies `source` to a new file beside `target` and renames it over `target`, so `target` is
    // replaced whole or not at all and a link at `target` is replaced rather than written through.
    virtual int replaceWithCopy(const std::string &source, const std::string &target) = 0;
    virtual std::string currentFolder() = 0;
    virtual void setCurrentFolder(const std::string &path) = 0;
};

// The real file system.
std::unique_ptr<FileSystem> makePosixFileSystem();

// FILETIME of a POSIX time: (seconds + 11644473600) x 10^7 + nanoseconds / 100.
constexpr std::uint64_t fileTimeFromPosix(std::int64_t seconds, std::int64_t nanoseconds) noexcept
{
    return static_cast<std::uint64_t>(seconds + 11644473600LL) * 10000000ULL +
        static_cast<std::uint64_t>(nanoseconds / 100);
}

} // namespace uninstaller::engine
