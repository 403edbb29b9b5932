// The "is another copy already running?" test. A per-user lock that the kernel releases when its
// holder dies, however it dies, so a crashed copy never blocks the next start: flock() on a file in
// the user's runtime folder ($XDG_RUNTIME_DIR), or, when that is unset or unusable, in a private
// folder /tmp/bidlark-<uid> that only the user can enter.
#pragma once

#include <QString>

namespace platform::ui {

class SingleInstanceLock {
public:
    // Takes the lock named `name` ("bidlark") in defaultLockDirectory().
    explicit SingleInstanceLock(const QString &name);
    // Same in a given folder (tests use their sandbox).
    SingleInstanceLock(const QString &name, const QString &directory);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    // True when this object holds the lock: no other live holder in any process. Also true when no
    // lock file can be made at all (no usable folder): a program that cannot tell should start
    // rather than refuse; lockFailed() tells the two apart.
    bool acquired() const { return m_acquired; }
    bool lockFailed() const { return m_failed; }
    QString path() const { return m_path; }

private:
    void acquire(const QString &directory);

    QString m_name;
    QString m_path;
    int m_fd = -1;
    bool m_acquired = false;
    bool m_failed = false;
};

// $XDG_RUNTIME_DIR when it names an existing folder we can write to, else
// privateFolderUnder("/tmp").
QString defaultLockDirectory();

// `base`/bidlark-<uid>, created with mode 0700 when missing. An existing entry is used only when it
// is a real folder (not a link) owned by this user and closed to others; otherwise the result is
// empty, so another user cannot plant a folder and hold our lock.
QString privateFolderUnder(const QString &base);

} // namespace platform::ui
