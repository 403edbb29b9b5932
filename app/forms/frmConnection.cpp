#include "app/forms/frmConnection.h"
#include "app/forms/frmPayPal.h"

#include "app/forms/frmDebug.h"
#include "app/forms/frmMain.h"
#include "app/modules/mParse.h"
#include "app/modules/mRefreshText.h"
#include "app/modules/mSettings.h"
#include "app/modules/mStartup.h"
#include "app/modules/mWeb.h"
#include "platform/net/inet.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QPointer>

namespace {

QPointer<frmConnection> g_connection;

constexpr int kFirstErrorStatus = 400;

} // namespace

frmConnection *frmConnection::instance()
{
    return g_connection.data();
}

frmConnection *frmConnection::Load(frmMain &main)
{
    auto *form = new frmConnection(main); // owned by itself: Unload deletes it
    g_connection = form;
    form->formLoad();
    return form;
}

frmConnection *frmConnection::Create(frmMain &main)
{
    auto *form = new frmConnection(main); // owned by itself: Unload deletes it
    g_connection = form;
    return form;
}

frmConnection::frmConnection(frmMain &main)
    : m_main(main)
    , m_guard(*this)
{
    setObjectName(QStringLiteral("frmConnection"));
    setAttribute(Qt::WA_DontShowOnScreen);
    Inet1 = new platform::net::Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
    Timer1.setInterval(kCloseDelay);
    Timer1.setSingleShot(true);
    QObject::connect(&Timer1, &QTimer::timeout, this, &frmConnection::Unload);
}

frmConnection::~frmConnection()
{
    if (g_connection == this)
        g_connection = nullptr;
}

void frmConnection::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (g_connection == this)
        g_connection = nullptr;
    Timer1.stop();
    Inet1->Cancel();
    m_guard.deleteWhenIdle();
}

void frmConnection::formLoad()
{
    const UnloadGuard::Scope running(m_guard);
    // Each step may fail on its own without keeping the next from running.
    auto step = [](auto &&f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([&] { m_main.tmAlert.stop(); });
    step([&] {
        m_main.setStatusBusy(true);
        m_main.setStatusText(QStringLiteral("Retrieving your My eBay page..."));
        QCoreApplication::processEvents();
    });
    step([] { mWeb::LogConnectionFormLoad(); });
    step([&] { m_main.stopRefreshTimer(); });
    step([&] { m_main.treeList().clearBranches(); });
    step([&] { m_main.alerts().ClearAlerts(); });
    step([&] {
        if (!mSettings::settings.firewallHost.isEmpty())
            mWeb::ApplyFirewallSettings(*Inet1);
    });
    step([&] { RetrieveAll(); });
}

QString frmConnection::RetrieveAll()
{
    const UnloadGuard::Scope running(m_guard);
    QString failure;
    try {
        const QString address = mRefreshText::MyEbayAddress(
            mSettings::settings.eBayCountry, mSettings::settings.dataView);
        mWeb::LogMyEbayRequest(address);
        const QString page = Inet1->OpenURL(address);
        if (m_unloaded)
            return {};
        if (Inet1->ResponseCode() >= kFirstErrorStatus) {
            failure = QString::number(Inet1->ResponseCode()) +
                u": The site answered with an error page (My eBay page)"_qs;
        } else {
            HandlePage(page);
            mWeb::LogAfterGetStatement();
        }
    } catch (const platform::net::TransferError &error) {
        failure = error.text() + u" (My eBay page)"_qs;
    }
    // Unloaded while the page was read (the main window went): nothing here may be touched.
    if (!failure.isEmpty() && !m_unloaded) {
        m_main.setStatusBusy(false);
        m_main.setStatusText(failure);
        // The tree stays emptied, but the schedule goes on: the next refresh may succeed.
        m_main.startRefreshTimer();
        Unload();
    }
    return {};
}

void frmConnection::HandlePage(QString page)
{
    const UnloadGuard::Scope running(m_guard);
    using mSettings::settings;
    mWeb::LogMyEbayPage(page);
    m_main.setStatusBusy(true);
    m_main.setStatusText(QStringLiteral("Parsing returned data..."));
    // A saved page pasted into the debug window is parsed instead; an empty box changes nothing.
    if (mStartup::debugFlag && frmDebug::instance() &&
        !frmDebug::instance()->txtdebug()->toPlainText().isEmpty())
        page = frmDebug::instance()->txtdebug()->toPlainText();

    const bool recognised = mRefreshText::LooksLikeMyEbay(page);
    if (recognised) {
        mParse::MyEbayParser parser(m_main.treeList(), m_main.alerts(), settings.eBayCountry);
        parser.ParsePage(page);
    }
    m_main.startRefreshTimer();
    m_main.setStatusBusy(false);
    if (recognised) {
        m_main.setStatusText(mRefreshText::LastSyncText(QDateTime::currentDateTime()));
    } else {
        const QString saved =
            mRefreshText::SaveUnrecognisedPage(page, mRefreshText::UnrecognisedPageFolder());
        m_main.setStatusText(saved.isEmpty()
                ? QStringLiteral("My eBay page not recognised - it could not be saved")
                : u"My eBay page not recognised - saved to "_qs + saved);
    }
    // Process tests read every refresh's result, not only the last one's at the end.
    static int s_refreshes = 0;
    if (const QString dump = qEnvironmentVariable("BIDLARK_DUMP_TREE"); !dump.isEmpty())
        m_main.dumpState(dump + u".refresh"_qs + QString::number(++s_refreshes));

    if (settings.payPalUserID.isEmpty())
        m_main.tmAlert.start();
    else
        startPayPal();
    Timer1.start();
}

void frmConnection::startPayPal()
{
    frmPayPal::start(m_main);
}
