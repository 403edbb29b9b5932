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
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>
#include <sys/stat.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

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
        m_program = bin + u"/bidlark"_s;
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
        env.insert(u"BIDLARK_MESSAGEBOX_LOG"_s, logPath(logName));
        // The start-up update check must not reach the real product site: a closed loopback port.
        if (!env.contains(u"BIDLARK_SITES"_s)) {
            QFile sitesFile(logPath(u"sites"_s));
            EXPECT_TRUE(sitesFile.open(QIODevice::WriteOnly));
            sitesFile.write("product=http://127.0.0.1:" +
                QByteArray::number(testsupport::FreeLoopbackPort()) + '\n');
            env.insert(u"BIDLARK_SITES"_s, sitesFile.fileName());
        }
        env.remove(u"BIDLARK_MESSAGEBOX_ANSWERS"_s);
        if (quitAfterMs >= 0)
            env.insert(u"BIDLARK_QUIT_AFTER_MS"_s, QString::number(quitAfterMs));
        else
            env.remove(u"BIDLARK_QUIT_AFTER_MS"_s);
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
        const QString lockFile = platform::ui::defaultLockDirectory() + u"/bidlark.lock"_s;
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            struct stat st { };
            if (::stat(QFile::encodeName(lockFile).constData(), &st) == 0) {
                QFile locks(u"/proc/locks"_s);
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
    std::unique_ptr<QProcess> first = start(u"first.log"_s, 3000);
    ASSERT_TRUE(waitForLockHeldBy(first->processId()));

    std::unique_ptr<QProcess> second = start(u"second.log"_s, 8000);
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);

    const QList<platform::ui::LoggedMessageBox> boxes =
        platform::ui::readMessageBoxLog(logPath(u"second.log"_s));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, u"This program is already running!"_s);

    // The first copy is untouched: still running, then ends normally on its own.
    EXPECT_EQ(first->state(), QProcess::Running);
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_TRUE(platform::ui::readMessageBoxLog(logPath(u"first.log"_s)).isEmpty());
}

// A copy killed on a fresh store leaves no lock behind. The next start registers the tree control
// itself, reports a bad setting, shows the window with its branches (read from outside through the
// state dump) and ends cleanly on its timer.
TEST_F(StartupProcessTest, KilledCopyDoesNotBlockTheNextStartWhichReportsABadSetting)
{
    ASSERT_EQ(platform::com::inprocServerPath(CLSID_Arbor), "");
    std::unique_ptr<QProcess> first = start(u"first.log"_s, -1);
    ASSERT_TRUE(waitForLockHeldBy(first->processId()));
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGKILL), 0);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(stored("FormWidth"), u"<missing>"_s); // no unload on that path

    store({ { "AutoStart", "yes" }, { "FormWidth", "6000" } });
    const QString dump = logPath(u"state.txt"_s);
    std::unique_ptr<QProcess> next =
        start(u"next.log"_s, 1500, { { u"BIDLARK_DUMP_TREE"_s, dump } });
    ASSERT_TRUE(next->waitForFinished(20000));
    EXPECT_EQ(next->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next->exitCode(), 0);
    EXPECT_NE(platform::com::inprocServerPath(CLSID_Arbor), "");
    const QList<platform::ui::LoggedMessageBox> boxes =
        platform::ui::readMessageBoxLog(logPath(u"next.log"_s));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].text.contains(u"\n\nError # 13 Type mismatch\n\n"_s));
    // It ran its window and closed it normally, which stores the size; loading never rewrites a
    // setting.
    EXPECT_EQ(stored("FormWidth"), u"6000"_s);
    EXPECT_EQ(stored("FormHeight"), u"7680"_s);
    EXPECT_EQ(stored("AutoStart"), u"yes"_s);

    const QString state = shelltest::readText(dump);
    for (const char *fact : { "size=400x512", "visible=yes", "control=yes",
             "controlWindowInMainWindow=yes", "toolbar1= Refresh | Search |My eBay|Help" })
        EXPECT_TRUE(state.contains(u'\n' + QLatin1String(fact) + u'\n')) << fact;
    QStringList branches;
    for (const QString &line : shelltest::treeOf(state))
        branches << line.section(u'\t', 0, 1);
    EXPECT_EQ(branches,
        (QStringList { "Items I am Selling\tsellicon", "Items I have Sold\tsoldicon",
            "Bids I have Placed\tbidicon", "Auctions I have Won\twonicon",
            "Items I am Watching\twatchicon", "Auctions I did not Win\tdidntwinicon",
            "Items I did not Sell\tunsoldicon" }));
}

} // namespace
