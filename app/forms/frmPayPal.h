// The hidden PayPal window: after a My eBay retrieval it signs in to PayPal with the stored PayPal
// ID (asking for the password when none is stored), reads the account overview, adds the balance
// and activity lines under the tree's PayPal branch and restarts the main window's alert timer.
// Every way out of it (cancelled prompt, refused sign-in, transfer error, success) clears the busy
// picture and starts the alert timer, so PayPal can never silence auction alerts.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

class frmMain;

namespace platform::net {
class Inet;
}

class frmPayPal : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTimerInterval = 500; // Timer1 and Timer2, milliseconds

    // The refresh chain calls this at the end of every My eBay retrieval, in place of starting the
    // alert timer itself. Without a PayPal ID it only starts `main`'s alert timer (no PayPal
    // traffic at all); while a PayPal window still runs it does the same, so prompts never stack;
    // otherwise it creates the window, whose load signs in.
    static void start(frmMain &main);
    // The running PayPal window, or null.
    static frmPayPal *instance();

    // "https://<paypal>/cgi-bin/webscr" and the account page "...?cmd=_account".
    static QString signInAddress();
    static QString accountAddress();
    // The sign-in form; ID and password percent-encoded.
    static QByteArray signInBody(const QString &payPalId, const QString &password);

    ~frmPayPal() override;
    Q_DISABLE_COPY(frmPayPal)

    platform::net::Inet *Inet1 = nullptr; // the sign-in post
    platform::net::Inet *Inet2 = nullptr; // the account page
    QTimer Timer1;
    QTimer Timer2;

    // Event handlers, callable directly.
    void Inet1StateChanged(int state);
    void Timer1Tick();
    void Timer2Tick();

    // The account page as last read.
    const QString &accountPage() const { return m_accountPage; }

private:
    explicit frmPayPal(frmMain &main);
    void load();
    // The one way out: busy picture cleared, alert timer started, window gone.
    void unload();

    frmMain &m_main;
    QString m_accountPage;
    bool m_unloaded = false;
};
