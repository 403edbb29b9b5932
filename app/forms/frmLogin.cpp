#include "app/forms/frmLogin.h"

#include "app/forms/frmConnection.h"
#include "app/forms/frmMain.h"
#include "app/modules/mRefreshText.h"
#include "app/modules/mSettings.h"
#include "app/modules/mStartup.h"
#include "app/modules/mWeb.h"
#include "platform/net/inet.h"

#include <QPointer>

namespace {

QPointer<frmLogin> g_login;

const QString kCommError =
    QStringLiteral("An error occurred in communicating with the eBay computers...");

// An HTTP error page is no sign-in page and no answer to the post.
constexpr int kFirstErrorStatus = 400;

} // namespace

frmLogin *frmLogin::instance()
{
    return g_login.data();
}

frmLogin *frmLogin::Load(frmMain &main)
{
    auto *form = new frmLogin(main); // owned by itself: Unload deletes it
    g_login = form;
    form->formLoad();
    return form;
}

frmLogin::frmLogin(frmMain &main)
    : m_main(main)
    , m_guard(*this)
{
    setObjectName(QStringLiteral("frmLogin"));
    setAttribute(Qt::WA_DontShowOnScreen);
    Inet1 = new platform::net::Inet(this);
    Inet2 = new platform::net::Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
    Inet2->setObjectName(QStringLiteral("Inet2"));
    QObject::connect(Inet1, &platform::net::Inet::StateChanged, this, &frmLogin::inet1StateChanged);
    QObject::connect(Inet2, &platform::net::Inet::StateChanged, this, &frmLogin::inet2StateChanged);
}

frmLogin::~frmLogin()
{
    if (g_login == this)
        g_login = nullptr;
}

void frmLogin::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (g_login == this)
        g_login = nullptr;
    Inet1->disconnect(this);
    Inet2->disconnect(this);
    Inet1->Cancel();
    Inet2->Cancel();
    m_guard.deleteWhenIdle();
}

void frmLogin::formLoad()
{
    const UnloadGuard::Scope running(m_guard);
    if (!mSettings::settings.firewallHost.isEmpty()) {
        mWeb::ApplyFirewallSettings(*Inet1);
        mWeb::ApplyFirewallSettings(*Inet2);
    }
    try {
        Inet1->Execute(mRefreshText::SignInPageAddress(mSettings::settings.eBayCountry));
    } catch (const platform::net::TransferError &error) {
        transferFailed(QStringLiteral("sign-in page"), error.text());
    }
}

void frmLogin::transferFailed(const QString &step, const QString &why)
{
    m_main.setStatusText(kCommError + u" ("_qs + step + u": "_qs + why + u')');
    endWithoutRetrieval();
}

void frmLogin::endWithoutRetrieval()
{
    m_main.setStatusBusy(false);
    // A failed refresh must not end the schedule: the next automatic one comes after the interval.
    m_main.startRefreshTimer();
    Unload();
}

static QString errorOf(const platform::net::Inet &inet)
{
    return QString::number(inet.lastErrorNumber()) + u": "_qs + inet.lastErrorDescription();
}

static QString httpErrorOf(const platform::net::Inet &inet)
{
    return u"the site answered HTTP "_qs + QString::number(inet.ResponseCode());
}

bool frmLogin::showTransferState(int state, const QString &step, const platform::net::Inet &inet)
{
    using namespace platform::net;
    switch (state) {
    case icConnecting:
        m_main.setStatusText(QStringLiteral("Connecting..."));
        return true;
    case icRequesting:
        m_main.setStatusText(QStringLiteral("Sending..."));
        return true;
    case icError:
        transferFailed(step, errorOf(inet));
        return true;
    default:
        return false;
    }
}

void frmLogin::inet1StateChanged(int state)
{
    const UnloadGuard::Scope running(m_guard);
    if (m_unloaded)
        return;
    m_main.setStatusBusy(true);
    if (showTransferState(state, QStringLiteral("sign-in page"), *Inet1)
        || state != platform::net::icResponseCompleted)
        return;
    m_main.setStatusText(QStringLiteral("Receiving client side cookie data stream..."));
    mWeb::ReadWholeResponse(*Inet1);
    if (m_unloaded)
        return;
    if (Inet1->ResponseCode() >= kFirstErrorStatus) {
        transferFailed(QStringLiteral("sign-in page"), httpErrorOf(*Inet1));
        return;
    }
    SendSignIn();
}

void frmLogin::SendSignIn()
{
    const UnloadGuard::Scope running(m_guard);
    try {
        m_main.setStatusBusy(true);
        m_main.setStatusText(QStringLiteral("Logging onto eBay..."));
        const QString address = mRefreshText::SignInPostAddress(mSettings::settings.eBayCountry);
        const QByteArray body =
            mRefreshText::SignInBody(mSettings::current.userId, mSettings::current.password);
        mWeb::LogSignInPost(address);
        Inet2->Execute(address, QStringLiteral("POST"), body,
            QStringLiteral("Content-Type: application/x-www-form-urlencoded"));
    } catch (const platform::net::TransferError &error) {
        m_main.setStatusText(error.text() + u" (sign-in post)"_qs);
        endWithoutRetrieval();
    }
}

void frmLogin::inet2StateChanged(int state)
{
    const UnloadGuard::Scope running(m_guard);
    if (m_unloaded)
        return;
    m_main.setStatusBusy(true);
    if (showTransferState(state, QStringLiteral("sign-in post"), *Inet2)
        || state != platform::net::icResponseCompleted)
        return;
    m_main.setStatusText(QStringLiteral("Receiving my ebay data stream..."));
    const QString answer = mWeb::ReadWholeResponse(*Inet2);
    if (m_unloaded)
        return;
    if (Inet2->ResponseCode() >= kFirstErrorStatus) {
        transferFailed(QStringLiteral("sign-in post"), httpErrorOf(*Inet2));
        return;
    }
    CheckSignIn(answer);
}

void frmLogin::CheckSignIn(const QString &answer)
{
    const UnloadGuard::Scope running(m_guard);
    if (answer.contains(u"password is not valid"_qs)) {
        m_main.setStatusBusy(false);
        m_main.setStatusText(QStringLiteral("Login failed, check userid and password"));
        endWithoutRetrieval();
        return;
    }
    if (answer.contains(u"rejecting cookies"_qs)) {
        endWithoutRetrieval();
        return;
    }
    const std::optional<QString> token = mRefreshText::CutSignInToken(answer);
    if (!token) {
        m_main.setStatusText(
            QStringLiteral("Error occurred retrieving password.  Please Refresh."));
        endWithoutRetrieval();
        return;
    }
    mStartup::signInToken = *token;
    mWeb::LogSignInSuccess(*token, answer);
    frmConnection::Load(m_main);
    Unload();
}
