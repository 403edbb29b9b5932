// The hidden sign-in window of one refresh: fetches the eBay sign-in page (for its cookies), posts
// the active profile's ID and password, decides from the answer whether the sign-in worked and, if
// so, creates the retrieval window. It exists from the start of a refresh until that decision and
// is never shown; the user sees only the main window's status bar.
#pragma once

#include "app/forms/internal/unloadguard.h"

#include <QString>
#include <QWidget>

class frmMain;

namespace platform::net {
class Inet;
}

class frmLogin : public QWidget {
    Q_OBJECT

public:
    // The live sign-in window, or null (a closed one no longer counts, even before it is deleted).
    static frmLogin *instance();
    // Creates the window and runs its load, which requests the sign-in page. `main` outlives it.
    static frmLogin *Load(frmMain &main);

    ~frmLogin() override;
    Q_DISABLE_COPY(frmLogin)

    // Posts the credentials on Inet2.
    void SendSignIn();
    // Decides from the post's whole answer.
    void CheckSignIn(const QString &answer);
    // Ends this sign-in: the transfers are abandoned and the window deleted once control returns
    // to the event loop, so a handler of its own may call this.
    void Unload();

    platform::net::Inet *Inet1 = nullptr; // the sign-in page
    platform::net::Inet *Inet2 = nullptr; // the sign-in post

private:
    explicit frmLogin(frmMain &main);
    void formLoad();
    void inet1StateChanged(int state);
    void inet2StateChanged(int state);
    // State 11 or an error page on either request; `step` names it in the status text.
    void transferFailed(const QString &step, const QString &why);
    // The states both transfers show alike (connecting, sending, a transport error); true when
    // `state` was one of them.
    bool showTransferState(int state, const QString &step, const platform::net::Inet &inet);
    // Every exit without a retrieval: the busy picture goes and the schedule is started again.
    void endWithoutRetrieval();

    frmMain &m_main;
    bool m_unloaded = false;
    UnloadGuard m_guard;
};
