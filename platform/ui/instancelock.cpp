#include "platform/ui/instancelock.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::ui {

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool isWritableFolder(const QString &path)
{
    struct stat st { };
    const QByteArray p = native(path);
    return !path.isEmpty() && path.startsWith(u'/') && ::stat(p.constData(), &st) == 0 &&
        S_ISDIR(st.st_mode) && ::access(p.constData(), W_OK | X_OK) == 0;
}

} // namespace

QString privateFolderUnder(const QString &base)
{
    const QString folder = base + QStringLiteral("/bidlark-") + QString::number(::getuid());
    const QByteArray p = native(folder);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    struct stat st { };
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0)
        return QString();
    return folder;
}

QString defaultLockDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isWritableFolder(runtime))
        return runtime;
    return privateFolderUnder(QStringLiteral("/tmp"));
}

SingleInstanceLock::SingleInstanceLock(const QString &name)
    : m_name(name)
{
    acquire(defaultLockDirectory());
}

SingleInstanceLock::SingleInstanceLock(const QString &name, const QString &directory)
    : m_name(name)
{
    acquire(directory);
}

SingleInstanceLock::~SingleInstanceLock()
{
    // Closing the descriptor drops the lock; the file stays so that a later copy reuses it
    // (removing it here would race with a copy that has just opened it).
    if (m_fd >= 0)
        ::close(m_fd);
}

void SingleInstanceLock::acquire(const QString &directory)
{
    m_acquired = true; // unless a live holder is proven below
    m_failed = true;
    if (directory.isEmpty())
        return;
    m_path = directory + u'/' + m_name + QStringLiteral(".lock");
    // O_CLOEXEC: a browser or helper started by us must not inherit the lock and keep it alive
    // after we are gone.
    m_fd = ::open(native(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_failed = false;
        return;
    }
    if (errno == EWOULDBLOCK) {
        m_failed = false;
        m_acquired = false;
    }
    ::close(m_fd);
    m_fd = -1;
}

} // namespace platform::ui
