#include "uninstaller/frontend/uninstall_run.h"

#include "uninstaller/frontend/instance_lock.h"
#include "uninstaller/frontend/window_text.h"
#include "uninstaller/log/codepage.h"
#include "uninstaller/log/log_file.h"
#include "uninstaller/log/uninstall_log.h"

#include <cstdio>
#include <vector>

namespace uninstaller::frontend {

namespace {

// Progress window controls 61 to 65: the first is shown before the shared files, each of the
// others after one phase.
constexpr int kFirstMark = 61;

constexpr std::uint32_t kMessageCaption = 0;
constexpr std::uint32_t kMessageRegistryRefused = 2;

// A run without a window still says why it stopped early: the message the window would have
// shown, as one line on standard error, so a script that runs the uninstaller can tell a damaged
// log from a user's "No". The exit code stays as it is.
void reportWithoutWindow(const QString &caption, const QString &text)
{
    QString line = caption + QStringLiteral(": ") + text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' '; // one line, and nothing a terminal would act on
    }
    const QByteArray utf8 = line.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
    std::fflush(stderr);
}

// Message 2, or a fixed text when the log carries none (a log without a user-interface part).
QString registryRefusedText(const log::UninstallLog &log)
{
    const std::string text = applyLanguageVariant(
        log.messages.LookUpMessage(kMessageRegistryRefused), log.messages.language);
    if (text.empty())
        return QStringLiteral("Access to the registry was refused. Aborting.");
    return log::cp1252ToQString(text);
}

} // namespace

std::string insertProductName(const std::string &text, const std::string &productName)
{
    std::string result = text;
    const std::size_t at = result.find("%s");
    if (at != std::string::npos)
        result.replace(at, 2, productName);
    return result;
}

int runUninstall(const std::string &ownFilePath, const CommandLineOptions &options,
    const RunServices &services, Interaction *interaction)
{
    bool silent = options.silent;
    QString caption = QString::fromLatin1(kFirstCaption);

    std::vector<std::uint8_t> plain;
    log::ReadStatus status = log::ReadLog(ownFilePath, plain);
    log::UninstallLog log;
    if (status == log::ReadStatus::Ok && !log::SplitLog(plain, log))
        status = log::ReadStatus::Corrupt;
    if (status != log::ReadStatus::Ok) {
        const QString message = QString::fromLatin1(log::readStatusMessage(status));
        if (!silent && interaction)
            interaction->showError(caption, message);
        else
            reportWithoutWindow(caption, message);
        return kExitEndedEarly;
    }
    plain.clear();
    plain.shrink_to_fit();
    if (!log.hasUserInterface)
        silent = true;

    const std::string &product = log.firstLine.productName;
    if (log.hasUserInterface) {
        caption = log::cp1252ToQString(
            insertProductName(applyLanguageVariant(log.messages.LookUpMessage(kMessageCaption),
                                  log.messages.language),
                product));
    }

    // Only another uninstaller of the product ends this one; a lock that cannot be made at all
    // (no usable runtime or temporary folder) does not stop the uninstallation.
    bool heldElsewhere = false;
    const auto lock = tryLockProduct(product, &heldElsewhere);
    if (!lock && heldElsewhere) {
        // The window says nothing here; a run without one names the reason.
        if (silent || !interaction)
            reportWithoutWindow(caption,
                QStringLiteral("Another uninstaller of %1 is running. Aborting.")
                    .arg(log::cp1252ToQString(product)));
        return kExitEndedEarly;
    }

    if (!silent) {
        if (!interaction)
            return kExitEndedEarly;
        interaction->logLoaded(log, caption);
        if (!interaction->confirm())
            return kExitEndedEarly;
    }

    engine::EngineOptions engineOptions;
    engineOptions.silent = silent;
    engineOptions.keepSelf = options.keepSelf;
    engine::RemovalEngine engine(log, ownFilePath, engineOptions,
        { services.files, services.registry, services.processes, services.components,
            silent ? nullptr : &interaction->sharedFileQuestion(), services.pumpEvents });

    if (!engine.RunPreUninstallCommand())
        return kExitEndedEarly;
    if (!silent)
        interaction->showProgress();
    if (!engine.CheckRegistryAccess()) {
        if (!silent)
            interaction->registryRefused();
        else
            reportWithoutWindow(caption, registryRefusedText(log));
        return kExitEndedEarly;
    }

    auto mark = [&](int control) {
        if (!silent)
            interaction->progressMark(control);
    };
    mark(kFirstMark);
    engine.ReleaseSharedFiles();
    mark(kFirstMark + 1);
    const bool restore = !silent && log.backups.size() > 2 && interaction->askRestoreBackups();
    engine.RestoreBackups(restore);
    mark(kFirstMark + 2);
    engine.DeleteFiles();
    mark(kFirstMark + 3);
    engine.RemoveFolders();
    mark(kFirstMark + 4);
    engine.RemoveRegistry();
    engine.ScheduleDeletes();

    if (!silent)
        interaction->finish(engine);
    return kExitRemoved;
}

} // namespace uninstaller::frontend
