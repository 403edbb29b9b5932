#include "platform/ui/instancelock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::ui::SingleInstanceLock;

TEST(InstanceLock, OneHolderAtATimeWithinAProcess)
{
    QTemporaryDir dir;
    {
        SingleInstanceLock first(QStringLiteral("app"), dir.path());
        ASSERT_TRUE(first.acquired());
        EXPECT_FALSE(first.lockFailed());
        SingleInstanceLock second(QStringLiteral("app"), dir.path());
        EXPECT_FALSE(second.acquired());
        EXPECT_FALSE(second.lockFailed());
        SingleInstanceLock other(QStringLiteral("other"), dir.path());
        EXPECT_TRUE(other.acquired());
    }
    SingleInstanceLock again(QStringLiteral("app"), dir.path());
    EXPECT_TRUE(again.acquired());
}

// A program started by the holder (a browser, say) outlives it; the lock must not.
TEST(InstanceLock, ChildProcessesDoNotInheritTheLock)
{
    QTemporaryDir dir;
    QProcess helper;
    {
        SingleInstanceLock lock(QStringLiteral("app"), dir.path());
        ASSERT_TRUE(lock.acquired());
        helper.start(QStringLiteral("sleep"), { QStringLiteral("30") });
        ASSERT_TRUE(helper.waitForStarted());
    }
    SingleInstanceLock next(QStringLiteral("app"), dir.path());
    EXPECT_TRUE(next.acquired());
    helper.kill();
    helper.waitForFinished();
}

TEST(InstanceLock, NoUsableFolderMeansStartAnyway)
{
    QTemporaryDir dir;
    SingleInstanceLock lock(QStringLiteral("app"), dir.filePath(QStringLiteral("missing")));
    EXPECT_TRUE(lock.acquired());
    EXPECT_TRUE(lock.lockFailed());
    SingleInstanceLock none(QStringLiteral("app"), QString());
    EXPECT_TRUE(none.acquired());
    EXPECT_TRUE(none.lockFailed());
}

TEST(InstanceLock, PrivateFolderIsCreatedClosedAndForeignOnesAreRefused)
{
    QTemporaryDir base;
    const QString expected =
        base.filePath(QStringLiteral("bidlark-") + QString::number(::getuid()));
    const QByteArray path = QFile::encodeName(expected);

    EXPECT_EQ(platform::ui::privateFolderUnder(base.path()), expected);
    struct stat st { };
    ASSERT_EQ(::stat(path.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::ui::privateFolderUnder(base.path()), expected); // reused

    ASSERT_EQ(::chmod(path.constData(), 0755), 0); // opened to others: not ours to trust
    EXPECT_EQ(platform::ui::privateFolderUnder(base.path()), QString());

    ASSERT_EQ(::rmdir(path.constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(base.path()).constData(), path.constData()), 0);
    EXPECT_EQ(platform::ui::privateFolderUnder(base.path()), QString());

    ASSERT_EQ(::unlink(path.constData()), 0);
    QFile plain(expected);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(platform::ui::privateFolderUnder(base.path()), QString());
}

TEST(InstanceLock, RuntimeFolderIsPreferred)
{
    QTemporaryDir runtime;
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    EXPECT_EQ(platform::ui::defaultLockDirectory(), runtime.path());
    SingleInstanceLock lock(QStringLiteral("app"));
    EXPECT_EQ(lock.path(), runtime.filePath(QStringLiteral("app.lock")));
    qputenv("XDG_RUNTIME_DIR", old);
}

} // namespace
