#include "app/forms/frmMainUpdate.h"

#include "app/forms/frmMain.h"
#include "app/modules/sites.h"
#include "platform/net/inet.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"

#include <QUrl>

namespace frmMainUpdate {

QString runningVersion()
{
    return QStringLiteral("%1.%2.%3")
        .arg(BIDLARK_VERSION_MAJOR)
        .arg(BIDLARK_VERSION_MINOR)
        .arg(BIDLARK_VERSION_REVISION);
}

QString versionFileAddress()
{
    return sites::siteUrl(sites::Role::Product) + QStringLiteral("/version.txt");
}

QString updaterAddress()
{
    return sites::siteUrl(sites::Role::Product) + QStringLiteral("/bidlarkupdate.exe");
}

QString shownVersion(const QString &downloaded)
{
    qsizetype end = downloaded.size();
    for (const QChar stop : { QChar(u'\r'), QChar(u'\n') }) {
        const qsizetype at = downloaded.indexOf(stop);
        if (at >= 0 && at < end)
            end = at;
    }
    return downloaded.left(std::min<qsizetype>(end, kShownVersionChars));
}

bool isProductHttpsAddress(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    const QUrl product(sites::siteUrl(sites::Role::Product), QUrl::StrictMode);
    if (!url.isValid() || !product.isValid() || url.scheme() != QLatin1String("https") ||
        product.scheme() != QLatin1String("https"))
        return false;
    QString prefix = product.path();
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    return url.host().compare(product.host(), Qt::CaseInsensitive) == 0 &&
        url.port(443) == product.port(443) && url.userInfo().isEmpty() &&
        url.path().startsWith(prefix);
}

} // namespace frmMainUpdate

void frmMain::checkForUpdate()
{
    using namespace platform::ui;
    tmCheckVersion.stop();
    setStatusBusy(true);
    setStatusText(QStringLiteral("Checking for Bidlark Updates..."));

    // A failed read or an error page (404, 500) says nothing about a newer version.
    QString downloaded;
    try {
        const QString text = Inet1->OpenURL(frmMainUpdate::versionFileAddress());
        if (Inet1->ResponseCode() < 400)
            downloaded = text;
    } catch (const platform::net::TransferError &) {
    }

    // Exact comparison: a trailing line break on the server asks at every start.
    if (!downloaded.isEmpty() && downloaded != frmMainUpdate::runningVersion()) {
        const MsgResult answer = messageBox(QStringLiteral("A newer version of Bidlark has been "
                                                           "found.  Would you like to download it "
                                                           "now?"),
            MsgButtons::YesNo, MsgIcon::None, QStringLiteral("New Version"), this);
        if (answer == MsgResult::Yes) {
            messageBox(QStringLiteral("When the download begins, you will receive a dialog box on "
                                      "whether to OPEN/RUN or SAVE the program.  Choose the "
                                      "OPEN/RUN button to automatically install the update.  "
                                      "Bidlark will close when the download begins."),
                MsgButtons::OK, MsgIcon::Information, QStringLiteral("New Version"), this);
            // The browser fetches the updater; the program itself never downloads or runs it.
            const QString updater = frmMainUpdate::updaterAddress();
            if (frmMainUpdate::isProductHttpsAddress(updater))
                shellOpenDocument(updater);
            m_ending = true; // the start-up chain stops here
            endProgram();
            return;
        }
    }
    setStatusBusy(false);
    setStatusText(QStringLiteral("Latest version is: ") + frmMainUpdate::shownVersion(downloaded));
}
