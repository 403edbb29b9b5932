// The hidden retrieval window of one refresh: created by a good sign-in, it stops the schedule and
// the alerts, empties the tree and the alert list, reads the My eBay page, hands it to the parser
// and restarts the schedule. The whole retrieval runs while the window is created; it then lives
// on for Timer1's half second and closes itself.
#pragma once

#include "app/forms/internal/unloadguard.h"

#include <QString>
#include <QTimer>
#include <QWidget>

class frmMain;

namespace platform::net {
class Inet;
}

class frmConnection : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCloseDelay = 500; // Timer1, milliseconds

    // The live retrieval window, or null (a closed one no longer counts).
    static frmConnection *instance();
    // Creates the window and runs the whole retrieval before returning. `main` outlives it.
    static frmConnection *Load(frmMain &main);
    // Creates the window without loading it, to hand it a page directly (benchmarks); it closes
    // itself after HandlePage like a loaded one.
    static frmConnection *Create(frmMain &main);

    ~frmConnection() override;
    Q_DISABLE_COPY(frmConnection)

    // Builds the address, reads the page and hands it on. Always returns an empty text.
    QString RetrieveAll();
    // Parses `page` into the tree and the alert list and finishes the refresh.
    void HandlePage(QString page);
    // The PayPal step after a retrieval when a PayPal ID is stored. Until the PayPal window takes
    // over this only starts the alert timer, as the PayPal step does when it has finished.
    void startPayPal();
    // Abandons the transfer and deletes the window once control is back in the event loop.
    void Unload();

    platform::net::Inet *Inet1 = nullptr;
    QTimer Timer1;

private:
    explicit frmConnection(frmMain &main);
    void formLoad();

    frmMain &m_main;
    bool m_unloaded = false;
    UnloadGuard m_guard;
};
