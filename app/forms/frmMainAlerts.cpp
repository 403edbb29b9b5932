// The main window's side of the alerts: the tick's show handler and the desktop notification.
#include "app/forms/frmMain.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace {
// How long the desktop shows the notification, in milliseconds (the desktop may cap it).
constexpr int kNotificationShowTime = 15000;
} // namespace

void frmMain::wireAlerts()
{
    AlertList().setShowWindowHandler([this] { showAlertWindow(); });
    QObject::connect(
        Tray, &QSystemTrayIcon::messageClicked, this, [] { frmAlert::instance()->bringForward(); });
}

void frmMain::showAlertWindow()
{
    // Asked before the alert window shows: showing it may make this program the active one.
    const bool unseen = alertMayGoUnseen();
    const QList<AlertLine> lines =
        frmAlert::instance()->ShowAlerts(AlertList(), mSettings::settings.alertTime);
    if (unseen && !lines.isEmpty())
        showDesktopNotification(frmAlert::instance()->windowTitle(), alertNotificationText(lines));
}

bool frmMain::alertMayGoUnseen() const
{
    // A window manager keeps a window of an inactive program from stealing the front.
    return isHidden() || isMinimized() ||
        QGuiApplication::applicationState() != Qt::ApplicationActive;
}

void frmMain::showDesktopNotification(const QString &title, const QString &text)
{
    Tray->showMessage(title, text, QSystemTrayIcon::Information, kNotificationShowTime);
}

QString frmMain::alertNotificationText(const QList<AlertLine> &lines)
{
    QStringList out;
    for (const AlertLine &line : lines) {
        out << line.itemName.trimmed() + QStringLiteral(" (") + line.price +
                QStringLiteral(", %1 min left)").arg(line.minutesLeft);
    }
    return out.join(u'\n');
}
