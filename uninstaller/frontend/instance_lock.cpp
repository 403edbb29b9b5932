#include "uninstaller/frontend/instance_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

namespace uninstaller::frontend {

QString productLockName(const std::string &productName)
{
    const std::string mutexName = "swun_" + productName + "_mutex";
    const QByteArray hash = QCryptographicHash::hash(
        QByteArray(mutexName.data(), static_cast<qsizetype>(mutexName.size())),
        QCryptographicHash::Sha256);
    return QStringLiteral("swun-%1").arg(QString::fromLatin1(hash.toHex().left(32)));
}

std::unique_ptr<platform::ui::SingleInstanceLock> tryLockProduct(
    const std::string &productName, bool *heldElsewhere)
{
    if (heldElsewhere)
        *heldElsewhere = false;
    const QString name = productLockName(productName);
    const QString folders[] = { QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
        platform::ui::privateFolderUnder(QDir::tempPath()) };
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        auto lock = std::make_unique<platform::ui::SingleInstanceLock>(name, folder);
        if (lock->lockFailed())
            continue; // no lock file here: the next folder
        if (lock->acquired())
            return lock;
        if (heldElsewhere)
            *heldElsewhere = true;
        return nullptr;
    }
    return nullptr;
}

} // namespace uninstaller::frontend
