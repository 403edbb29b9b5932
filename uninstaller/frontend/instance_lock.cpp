#include "uninstaller/frontend/instance_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace uninstaller::frontend {

InstanceLock::~InstanceLock()
{
    ::close(m_fd); // releases the flock; the file stays so no other process races on its removal
}

QString InstanceLock::LockFilePath(const QString &folder, const std::string &productName)
{
    const std::string mutexName = "swun_" + productName + "_mutex";
    const QByteArray hash = QCryptographicHash::hash(
        QByteArray(mutexName.data(), static_cast<qsizetype>(mutexName.size())),
        QCryptographicHash::Sha256);
    return QDir(folder).filePath(
        QStringLiteral("swun-%1.lock").arg(QString::fromLatin1(hash.toHex().left(32))));
}

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(
    const std::string &productName, bool *heldElsewhere)
{
    if (heldElsewhere)
        *heldElsewhere = false;
    // The runtime folder first; the temporary folder when there is none or it cannot be used.
    QStringList folders;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        folders << runtime;
    folders << QDir::tempPath();
    for (const QString &folder : folders) {
        const QByteArray path = QFile::encodeName(LockFilePath(folder, productName));
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            ::close(fd);
            if (heldElsewhere)
                *heldElsewhere = busy;
            return nullptr;
        }
        return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
    }
    return nullptr;
}

} // namespace uninstaller::frontend
