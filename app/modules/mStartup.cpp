#include "app/modules/mStartup.h"

#include "app/forms/frmMain.h"
#include "app/modules/mSettings.h"
#include "app/modules/sites.h"
#include "platform/ui/instancelock.h"
#include "platform/ui/messagebox.h"

#include <QApplication>
#include <QTimer>

namespace mStartup {

QString versionText;
QString bannerLink;
bool debugFlag = false;
QString signInToken;

QString productHomePage()
{
    return sites::siteUrl(sites::Role::Product) + u'/';
}

QString makeVersionText(int major, int minor, int revision)
{
    const QString mm = QString::number(major) + u'.' + QString::number(minor);
    return QStringLiteral("Version: ") + mm + QStringLiteral("  (") + mm + u'.' +
        QString::number(revision) + u')';
}

int run(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(kProgramTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(BIDLARK_VERSION_MAJOR)
                                            .arg(BIDLARK_VERSION_MINOR)
                                            .arg(BIDLARK_VERSION_REVISION));

    versionText =
        makeVersionText(BIDLARK_VERSION_MAJOR, BIDLARK_VERSION_MINOR, BIDLARK_VERSION_REVISION);
    bannerLink = productHomePage();

    // Held until the process ends; the kernel drops it even when the process is killed.
    platform::ui::SingleInstanceLock instance(QStringLiteral("bidlark"));
    if (!instance.acquired()) {
        platform::ui::messageBox(QStringLiteral("This program is already running!"),
            platform::ui::MsgButtons::OK, platform::ui::MsgIcon::Exclamation,
            QLatin1String(kProgramTitle));
        return 0;
    }

    mSettings::loadSettings();

    frmMain window;
    window.show();

    // The state is dumped once, while the window still holds its tree: before the timed close,
    // or when the program ends some other way.
    const QString dumpPath = qEnvironmentVariable("BIDLARK_DUMP_TREE");
    bool dumped = false;
    const auto dump = [&] {
        if (!dumpPath.isEmpty() && !dumped)
            dumped = window.dumpState(dumpPath);
    };
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, dump);

    bool quitAfterOk = false;
    const int quitAfter = qEnvironmentVariableIntValue("BIDLARK_QUIT_AFTER_MS", &quitAfterOk);
    if (quitAfterOk && quitAfter >= 0) {
        QTimer::singleShot(quitAfter, &window, [&window, &dump] {
            dump();
            window.close();
            QCoreApplication::quit();
        });
    }
    return app.exec();
}

} // namespace mStartup
