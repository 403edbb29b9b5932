#include "app/modules/mWeb.h"

#include "app/forms/frmDebug.h"
#include "app/modules/mSettings.h"
#include "app/modules/mStartup.h"
#include "platform/net/inet.h"

#include <QCoreApplication>

namespace mWeb {

namespace {
constexpr int kChunkSize = 1024;
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

void LogDebug(const QString &text)
{
    if (mStartup::debugFlag)
        frmDebug::instance()->appendEbay(text + kCrLf);
}

void LogPayPalDebug(const QString &text)
{
    if (mStartup::debugFlag)
        frmDebug::instance()->appendPayPal(text + kCrLf);
}

void LogConnectionFormLoad()
{
    LogDebug(QStringLiteral("Connection Form Load") + kCrLf);
}

void LogMyEbayRequest(const QString &address)
{
    LogDebug(kCrLf + kCrLf + QStringLiteral("Sending MyEbay Post Post") + kCrLf);
    LogDebug(address + kCrLf);
    LogDebug(kCrLf + kCrLf + QStringLiteral("BEFORE GET STATEMENT") + kCrLf);
}

void LogAfterGetStatement()
{
    LogDebug(kCrLf + kCrLf + QStringLiteral("AFTER GET STATEMENT") + kCrLf);
}

void LogMyEbayPage(const QString &page)
{
    if (!mStartup::debugFlag)
        return; // spares building copies of a page nobody logs
    LogDebug(kCrLf + kCrLf + QStringLiteral("BEFORE RESPONSE BODY") + kCrLf);
    LogDebug(kCrLf + kCrLf + QStringLiteral("RETURN DATA from myEbay Page") + kCrLf);
    LogDebug(page + kCrLf);
    LogDebug(kCrLf + QStringLiteral("Retreive ALL Data: ") + kCrLf);
    LogDebug(QStringLiteral("Response Text: ") + page + kCrLf);
}

void LogSignInPost(const QString &address)
{
    LogDebug(QStringLiteral("Sending Login Post") + kCrLf);
    LogDebug(address + kCrLf);
}

void LogSignInSuccess(const QString &token, const QString &response)
{
    LogDebug(kCrLf + QStringLiteral("eBay Password: ") + token + kCrLf);
    LogDebug(QStringLiteral("Response Text: ") + response + kCrLf);
}

void LogPayPalReturnData(const QString &response)
{
    LogPayPalDebug(QStringLiteral("PayPal Return Data:") + kCrLf);
    LogPayPalDebug(response + kCrLf);
}

void LogPayPalState(const QString &statusText)
{
    LogPayPalDebug(QStringLiteral("PayPal:") + kCrLf);
    LogPayPalDebug(statusText + kCrLf);
}

int FirewallPortNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 5)
        return 0;
    for (const QChar c : t) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int port = t.toInt();
    return port >= 1 && port <= 65535 ? port : 0;
}

void ApplyFirewallSettings(platform::net::Inet &control)
{
    const auto &s = mSettings::settings;
    if (s.firewallHost.isEmpty()) {
        control.setProxyHost(QString());
        return;
    }
    control.setProxyHost(s.firewallHost);
    if (const int port = FirewallPortNumber(s.firewallPort))
        control.setProxyPort(port);
    if (!s.firewallLogin.isEmpty())
        control.setProxyUserName(s.firewallLogin);
    if (!s.firewallPassword.isEmpty())
        control.setProxyPassword(s.firewallPassword);
}

void ApplyFirewallSettings(QObject *window)
{
    if (!window)
        return;
    for (platform::net::Inet *control : window->findChildren<platform::net::Inet *>())
        ApplyFirewallSettings(*control);
}

QString ReadWholeResponse(platform::net::Inet &control)
{
    QString all;
    all.reserve(control.PendingCharacters());
    QString chunk = control.GetChunk(kChunkSize);
    QCoreApplication::processEvents();
    while (!chunk.isEmpty()) {
        all += chunk;
        QCoreApplication::processEvents();
        chunk = control.GetChunk(kChunkSize);
    }
    return all;
}

} // namespace mWeb
