#include "app/forms/frmPayPal.h"

#include "app/forms/frmMain.h"
#include "app/modules/mParsePayPal.h"
#include "app/modules/mSettings.h"
#include "app/modules/mWeb.h"
#include "app/modules/sites.h"
#include "platform/net/inet.h"
#include "platform/ui/inputbox.h"

#include <QDateTime>
#include <QLocale>
#include <QUrl>

namespace {

QPointer<frmPayPal> g_instance;

const QString kLoggingOn = QStringLiteral("Logging onto PayPal...");
const QString kTransferError =
    QStringLiteral("An error occurred in communicating with the eBay computers...");
const QString kRefused = QStringLiteral("PayPal username (email) or password was invalid");

} // namespace

void frmPayPal::start(frmMain &main)
{
    if (mSettings::settings.payPalUserID.isEmpty() || g_instance) {
        main.tmAlert.start();
        return;
    }
    // Owned by the main window; it deletes itself when done.
    auto *window = new frmPayPal(main);
    g_instance = window;
    window->load();
}

frmPayPal *frmPayPal::instance()
{
    return g_instance;
}

QString frmPayPal::signInAddress()
{
    return sites::siteUrl(sites::Role::PayPal) + QStringLiteral("/cgi-bin/webscr");
}

QString frmPayPal::accountAddress()
{
    return signInAddress() + QStringLiteral("?cmd=_account");
}

QByteArray frmPayPal::signInBody(const QString &payPalId, const QString &password)
{
    return QByteArrayLiteral("__track=_login-run:p/gen/login:_login-submit&cmd=_login-submit&"
                             "login_cmd=&login_params&login_email=") +
        QUrl::toPercentEncoding(payPalId) + QByteArrayLiteral("&login_password=") +
        QUrl::toPercentEncoding(password);
}

frmPayPal::frmPayPal(frmMain &main)
    : QWidget(&main, Qt::Window)
    , m_main(main)
{
    setObjectName(QStringLiteral("frmPayPal"));
    setAttribute(Qt::WA_DontShowOnScreen);
    Inet1 = new platform::net::Inet(this);
    Inet2 = new platform::net::Inet(this);
    Timer1.setInterval(kTimerInterval);
    Timer2.setInterval(kTimerInterval);
    connect(Inet1, &platform::net::Inet::StateChanged, this, &frmPayPal::Inet1StateChanged);
    connect(&Timer1, &QTimer::timeout, this, &frmPayPal::Timer1Tick);
    connect(&Timer2, &QTimer::timeout, this, &frmPayPal::Timer2Tick);
}

frmPayPal::~frmPayPal() = default;

void frmPayPal::load()
{
    using mSettings::settings;
    m_main.setStatusBusy(true);
    m_main.setStatusText(kLoggingOn);
    if (!settings.firewallHost.isEmpty())
        mWeb::ApplyFirewallSettings(this);

    QString password = settings.payPalPassword;
    if (password.isEmpty()) {
        password = platform::ui::inputBox(
            { QStringLiteral("Please enter your PayPal Password.  "
                             "Note this will only be transfered "
                             "between you and PayPal.  You can auto "
                             "login to PayPal by setting your "
                             "preferences in Bidlark."),
                QStringLiteral("PayPal Prompt"), platform::ui::InputEcho::Password },
            &m_main);
    }
    if (password.isEmpty()) {
        unload();
        return;
    }
    try {
        Inet1->Execute(signInAddress(), QStringLiteral("post"),
            signInBody(settings.payPalUserID, password),
            QStringLiteral("Content-Type: application/x-www-form-urlencoded"));
    } catch (const platform::net::TransferError &) {
        m_main.setStatusText(kTransferError);
        mWeb::LogPayPalState(m_main.statusText());
        unload();
    }
}

void frmPayPal::Inet1StateChanged(int state)
{
    if (m_unloaded)
        return;
    switch (state) {
    case platform::net::icConnecting:
        m_main.setStatusText(QStringLiteral("Connecting to the PayPal..."));
        break;
    case platform::net::icRequesting:
        m_main.setStatusText(QStringLiteral("Sending userid and password..."));
        break;
    case platform::net::icError:
        m_main.setStatusText(kTransferError);
        unload();
        break;
    case platform::net::icResponseCompleted: {
        m_main.setStatusText(QStringLiteral("Receiving data stream..."));
        const QString response = mWeb::ReadWholeResponse(*Inet1);
        mWeb::LogPayPalReturnData(response);
        if (response.contains(QLatin1String("Processing Login"))) {
            Timer1.start();
        } else {
            m_main.setStatusText(kRefused);
            unload();
        }
        break;
    }
    default:
        break;
    }
    mWeb::LogPayPalState(m_main.statusText());
}

void frmPayPal::Timer1Tick()
{
    Timer1.stop();
    // A page that cannot be read adds what can be cut from nothing: no lines.
    try {
        m_accountPage = Inet2->OpenURL(accountAddress());
    } catch (const platform::net::TransferError &) {
        m_accountPage.clear();
    }
    const mParse::MarkedPage page(m_accountPage);
    mParse::AddBalanceLine(page, m_main.treeList());
    mParse::AddActivityLines(page, m_main.treeList());
    m_main.setStatusBusy(false);
    m_main.setStatusText(QStringLiteral("last sync: ") +
        QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    m_main.tmAlert.start();
    Timer2.start();
}

void frmPayPal::Timer2Tick()
{
    Timer2.stop();
    unload();
}

void frmPayPal::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1.stop();
    Timer2.stop();
    Inet1->Cancel();
    Inet2->Cancel();
    m_main.setStatusBusy(false);
    m_main.tmAlert.start();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
