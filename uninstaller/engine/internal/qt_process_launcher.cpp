// Starting programs with QProcess. Command lines are split the way a Windows command line is
// quoted (QProcess::splitCommand) and started without a shell, so no text of the log is ever
// interpreted by one.
#include "uninstaller/engine/system_services.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

namespace uninstaller::engine {

namespace {

// How long to give a program after it ends, or after it starts when nobody waits for it, before
// going on: the time its own file handles take to close.
constexpr unsigned long kSettleMilliseconds = 50;
// How often pending events run while a command is waited for.
constexpr int kPumpIntervalMilliseconds = 50;

class QtProcessLauncher final : public ProcessLauncher {
public:
    std::optional<int> runAndWait(const std::string &commandLine) override
    {
        QStringList parts = QProcess::splitCommand(QString::fromStdString(commandLine));
        if (parts.isEmpty())
            return std::nullopt;
        QProcess process;
        process.setProgram(parts.takeFirst());
        process.setArguments(parts);
        process.start();
        if (!process.waitForStarted(-1))
            return std::nullopt;
        while (process.state() != QProcess::NotRunning) {
            if (process.waitForFinished(kPumpIntervalMilliseconds))
                break;
            QCoreApplication::processEvents();
        }
        QThread::msleep(kSettleMilliseconds);
        if (process.exitStatus() != QProcess::NormalExit)
            return 1;
        return process.exitCode();
    }

    void startDetached(const std::string &program, const std::vector<std::string> &args) override
    {
        QStringList arguments;
        for (const std::string &arg : args)
            arguments << QString::fromStdString(arg);
        QProcess::startDetached(QString::fromStdString(program), arguments);
        QThread::msleep(kSettleMilliseconds);
    }
};

} // namespace

std::unique_ptr<ProcessLauncher> makeQtProcessLauncher()
{
    return std::make_unique<QtProcessLauncher>();
}

} // namespace uninstaller::engine
