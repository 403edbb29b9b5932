// The built program run as processes: a second copy refuses to start, a killed copy does not block
// the next one, and a bad setting is reported through the message-box log. Each process inherits
// the test's sandbox (HOME, XDG folders, registry folder, offscreen platform).
#include "arbor/ids.h"
#include "platform/com/creation.h"
#include "platform/ui/instancelock.h"
#include "platform/ui/messagebox.h"
#include "tests/app/shell_test_support.h"
#include "tests/support/sandbox_site.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>
#include <sys/stat.h>

#include <memory>

namespace {

class StartupProcessTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        // The program is built next to the tests.
        QString bin = qEnvironmentVariable("BIDLARK_BIN_DIR");
        if (bin.isEmpty())
            bin = QCoreApplication::applicationDirPath();
        m_program = bin + QStringLiteral("/bidlark");
        ASSERT_TRUE(QFile::exists(m_program)) << m_program.toStdString();
    }

    // Starts the program with its own message-box log; quitAfterMs < 0 lets it run until killed.
    std::unique_ptr<QProcess> start(const QString &logName, int quitAfterMs,
        const QList<std::pair<QString, QString>> &extraEnv = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : extraEnv)
            env.insert(name, value);
        env.insert(QStringLiteral("BIDLARK_MESSAGEBOX_LOG"), logPath(logName));
        // The start-up update check must not reach the real product site: a closed loopback port.
        if (!env.contains(QStringLiteral("BIDLARK_SITES"))) {
            QFile sitesFile(logPath(QStringLiteral("sites")));
            EXPECT_TRUE(sitesFile.open(QIODevice::WriteOnly));
            sitesFile.write("product=http://127.0.0.1:" +
                QByteArray::number(testsupport::FreeLoopbackPort()) + '\n');
            env.insert(QStringLiteral("BIDLARK_SITES"), sitesFile.fileName());
        }
        env.remove(QStringLiteral("BIDLARK_MESSAGEBOX_ANSWERS"));
        if (quitAfterMs >= 0)
            env.insert(QStringLiteral("BIDLARK_QUIT_AFTER_MS"), QString::number(quitAfterMs));
        else
            env.remove(QStringLiteral("BIDLARK_QUIT_AFTER_MS"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(m_program, {});
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }

    QString logPath(const QString &name) const { return m_dir.filePath(name); }

    // Waits until `pid` holds the program's lock, watching /proc/locks rather than probing the
    // lock, since a probe could itself make the program believe another copy runs.
    static bool waitForLockHeldBy(qint64 pid)
    {
        const QString lockFile =
            platform::ui::defaultLockDirectory() + QStringLiteral("/bidlark.lock");
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            struct stat st { };
            if (::stat(QFile::encodeName(lockFile).constData(), &st) == 0) {
                QFile locks(QStringLiteral("/proc/locks"));
                if (locks.open(QIODevice::ReadOnly)) {
                    const QString inodeSuffix = u':' + QString::number(st.st_ino);
                    for (const QByteArray &line : locks.readAll().split('\n')) {
                        const QStringList f = QString::fromLatin1(line).simplified().split(u' ');
                        if (f.size() >= 6 && f[1] == QLatin1String("FLOCK") &&
                            f[4] == QString::number(pid) && f[5].endsWith(inodeSuffix))
                            return true;
                    }
                }
            }
            QThread::msleep(20);
        }
        return false;
    }

    QTemporaryDir m_dir;
    QString m_program;
};

TEST_F(StartupProcessTest, SecondCopyShowsTheMessageAndEndsWhileTheFirstRunsOn)
{
    std::unique_ptr<QProcess> first = start(QStringLiteral("first.log"), 3000);
    ASSERT_TRUE(waitForLockHeldBy(first->processId()));

    std::unique_ptr<QProcess> second = start(QStringLiteral("second.log"), 8000);
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);

    const QList<platform::ui::LoggedMessageBox> boxes =
        platform::ui::readMessageBoxLog(logPath(QStringLiteral("second.log")));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Bidlark"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("This program is already running!"));
    EXPECT_EQ(boxes[0].icon, QStringLiteral("Exclamation"));
    EXPECT_EQ(boxes[0].buttons, QStringLiteral("OK"));

    // The first copy is untouched: still running, then ends normally on its own.
    EXPECT_EQ(first->state(), QProcess::Running);
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_TRUE(platform::ui::readMessageBoxLog(logPath(QStringLiteral("first.log"))).isEmpty());
}

TEST_F(StartupProcessTest, KilledCopyDoesNotBlockTheNextStart)
{
    std::unique_ptr<QProcess> first = start(QStringLiteral("first.log"), -1);
    ASSERT_TRUE(waitForLockHeldBy(first->processId()));
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGKILL), 0);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(stored("FormWidth"), QStringLiteral("<missing>")); // no unload on that path

    std::unique_ptr<QProcess> next = start(QStringLiteral("next.log"), 300);
    ASSERT_TRUE(next->waitForFinished(20000));
    EXPECT_EQ(next->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next->exitCode(), 0);
    EXPECT_TRUE(platform::ui::readMessageBoxLog(logPath(QStringLiteral("next.log"))).isEmpty());
    // It ran its window and closed it normally, which stores the size.
    EXPECT_EQ(stored("FormWidth"), QStringLiteral("4320"));
    EXPECT_EQ(stored("FormHeight"), QStringLiteral("7680"));
}

TEST_F(StartupProcessTest, BadSettingIsReportedAndTheProgramStillStarts)
{
    store({ { "AutoStart", "yes" }, { "FormWidth", "6000" } });
    std::unique_ptr<QProcess> run = start(QStringLiteral("run.log"), 300);
    ASSERT_TRUE(run->waitForFinished(20000));
    EXPECT_EQ(run->exitCode(), 0);
    const QList<platform::ui::LoggedMessageBox> boxes =
        platform::ui::readMessageBoxLog(logPath(QStringLiteral("run.log")));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Lotkeeper"));
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("\n\nError # 13 Type mismatch\n\n")));
    EXPECT_EQ(stored("FormWidth"), QStringLiteral("6000"));
    EXPECT_EQ(stored("AutoStart"), QStringLiteral("yes")); // loading never rewrites a setting
}

// A first start on a fresh store: the program registers the tree control itself, shows the
// window with its branches (read from outside through the state dump) and ends on its timer.
TEST_F(StartupProcessTest, FreshStoreShowsTheTreeAndEndsCleanly)
{
    ASSERT_EQ(platform::com::inprocServerPath(CLSID_Arbor), "");
    const QString dump = logPath(QStringLiteral("state.txt"));
    std::unique_ptr<QProcess> run =
        start(QStringLiteral("run.log"), 1500, { { QStringLiteral("BIDLARK_DUMP_TREE"), dump } });
    ASSERT_TRUE(run->waitForFinished(20000));
    EXPECT_EQ(run->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run->exitCode(), 0);
    EXPECT_TRUE(platform::ui::readMessageBoxLog(logPath(QStringLiteral("run.log"))).isEmpty());
    EXPECT_NE(platform::com::inprocServerPath(CLSID_Arbor), "");

    QFile file(dump);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const char *fact : { "size=288x512", "visible=yes", "control=yes",
             "controlWindowInMainWindow=yes", "toolbar1= Refresh | Search |My eBay|Help" })
        EXPECT_TRUE(lines.contains(QLatin1String(fact))) << fact;
    const qsizetype treeAt = lines.indexOf(QStringLiteral("[tree]"));
    ASSERT_GE(treeAt, 0);
    QStringList branches;
    for (const QString &line : lines.mid(treeAt + 1))
        branches << line.section(u'\t', 0, 1);
    EXPECT_EQ(branches,
        (QStringList { "Items I am Selling\tsellicon", "Items I have Sold\tsoldicon",
            "Bids I have Placed\tbidicon", "Auctions I have Won\twonicon",
            "Items I am Watching\twatchicon", "Auctions I did not Win\tdidntwinicon",
            "Items I did not Sell\tunsoldicon" }));
}

} // namespace
