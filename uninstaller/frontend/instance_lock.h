// One uninstaller per product and user at a time. The lock is an flock on a file in the user's
// runtime folder; the kernel drops it when the process ends, however it ends, so a crashed
// uninstaller never blocks the next one. The file name is a hash of "swun_" + product + "_mutex",
// so no product name ("/", "..", control characters) can point it outside that folder.
#pragma once

#include <QString>

#include <memory>
#include <string>

namespace uninstaller::frontend {

class InstanceLock {
public:
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // The held lock, or null when another process holds it (*heldElsewhere true) or no folder
    // can hold the lock file (*heldElsewhere false). `productName` is the log's text.
    static std::unique_ptr<InstanceLock> TryAcquire(
        const std::string &productName, bool *heldElsewhere = nullptr);

    // The lock file for a product, in `folder`.
    static QString LockFilePath(const QString &folder, const std::string &productName);

private:
    explicit InstanceLock(int fd)
        : m_fd(fd)
    {
    }
    int m_fd;
};

} // namespace uninstaller::frontend
