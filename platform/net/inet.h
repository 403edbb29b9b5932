// The Internet transfer control every web step of the program drives: a synchronous page read, an
// asynchronous request reported through StateChanged, the body read back in chunks, and an HTTP
// proxy with its login. One object per control on a window; all of them share one cookie jar, so a
// sign-in on one control is seen by the My eBay read on another. Runs on the UI thread only.
//
// Transfer error numbers (TransferError::number(), and lastErrorNumber() after state 11); the
// program shows them as "number: description":
//
//   35750  kErrConnectionRefused  "Cannot connect to the server: the connection was refused"
//   35751  kErrHostNotFound       "The server name could not be resolved"
//   35752  kErrTimedOut           "The server did not answer in time"
//   35753  kErrConnectionLost     "The connection was closed before the whole response arrived"
//   35754  kErrSecureChannel      "The secure connection failed: the server's certificate is not
//                                  trusted"
//   35755  kErrProxyLogin         "The proxy refused the login"
//   35756  kErrProxyUnreachable   "Cannot connect to the proxy"
//   35757  kErrBodyTooLarge       "The response is larger than 32 MiB"
//   35758  kErrBusy               "Still executing last request"
//   35759  kErrBadAddress         "The address is not a valid http or https address"
//   35760  kErrTransfer           "The transfer failed" (+ the network layer's own text)
//
// An HTTP status (404, 500, ...) is no transfer error: the site's page reaches the caller with
// state 12 and responseCode() tells the status.
//
// Environment:
//   BIDLARK_NET_TIMEOUT_MS   time a transfer may go without receiving anything before it fails
//                            with kErrTimedOut; default 60000.
//   BIDLARK_NET_CA_FILE      a PEM file of extra certificate authorities trusted besides the
//                            system's (the sandbox site's test authority). Certificates are always
//                            verified; nothing turns that off.
#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <stdexcept>

class QNetworkAccessManager;

class QTimer;

namespace platform::net {

enum TransferErrorNumber : int {
    kErrConnectionRefused = 35750,
    kErrHostNotFound = 35751,
    kErrTimedOut = 35752,
    kErrConnectionLost = 35753,
    kErrSecureChannel = 35754,
    kErrProxyLogin = 35755,
    kErrProxyUnreachable = 35756,
    kErrBodyTooLarge = 35757,
    kErrBusy = 35758,
    kErrBadAddress = 35759,
    kErrTransfer = 35760,
};

// The description of one number of the table above; empty for a number not in it.
QString transferErrorDescription(int number);

// A failed synchronous read or a refused request: the run-time error of the calling routine.
class TransferError : public std::runtime_error {
public:
    TransferError(int number, const QString &description);
    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    // "number: description", as the status bar shows it.
    QString text() const;

private:
    int m_number;
    QString m_description;
};

// The states StateChanged reports. Only these four are ever raised.
enum InetState : int {
    icConnecting = 3,
    icRequesting = 5,
    icError = 11,
    icResponseCompleted = 12,
};

// Most bytes of a body that are read; a longer body fails with kErrBodyTooLarge.
inline constexpr qint64 kMaxBodyBytes = 32ll * 1024 * 1024;
// Default of BIDLARK_NET_TIMEOUT_MS.
inline constexpr int kDefaultTimeoutMs = 60000;

class Inet : public QObject {
    Q_OBJECT
public:
    explicit Inet(QObject *parent = nullptr);
    ~Inet() override;
    Q_DISABLE_COPY(Inet)

    // Reads `url` and returns the whole body decoded as text (HTTP error pages included). The
    // caller waits in a nested event loop that runs timers and sockets but no user input. Throws
    // TransferError on a transport failure, and with kErrBusy (without waiting) while this
    // control is executing. StateChanged is not raised.
    QString OpenURL(const QString &url);

    // Starts an asynchronous request; progress arrives through StateChanged: 3, 5, then 12 once
    // the whole body has arrived, or 11 on a transport failure (from 3 or 5). `headers` holds
    // "Name: value" lines separated by CR LF. Throws TransferError with kErrBusy while a request
    // runs and kErrBadAddress for an address that is not http(s) (no state is raised then).
    void Execute(const QString &url);
    void Execute(const QString &url, const QString &method, const QByteArray &body,
        const QString &headers);

    // The next at most `size` characters of the last completed response; empty when exhausted or
    // when no response is there. Each call costs O(size).
    QString GetChunk(int size);

    // Characters GetChunk has still to hand out (so a reader can reserve room). O(1).
    qsizetype PendingCharacters() const { return m_text.size() - m_chunkPos; }

    bool StillExecuting() const { return m_reply != nullptr; }
    // Abandons a running request without raising a state.
    void Cancel();

    // HTTP status of the last response, 0 when none arrived.
    int ResponseCode() const { return m_responseCode; }
    // After state 11: what failed, from the table above.
    int lastErrorNumber() const { return m_errorNumber; }
    QString lastErrorDescription() const { return m_errorDescription; }

    // The HTTP proxy. An empty host means direct connections; port 0 means 8080. The login answers
    // the proxy's authentication request; a refused login fails with kErrProxyLogin.
    void setProxyHost(const QString &host) { m_proxyHost = host; }
    void setProxyPort(int port) { m_proxyPort = port; }
    void setProxyUserName(const QString &name) { m_proxyUser = name; }
    void setProxyPassword(const QString &password) { m_proxyPassword = password; }
    QString proxyHost() const { return m_proxyHost; }
    int proxyPort() const { return m_proxyPort; }
    QString proxyUserName() const { return m_proxyUser; }
    QString proxyPassword() const { return m_proxyPassword; }

signals:
    void StateChanged(int state);

private:
    void start(const QString &url, const QByteArray &method, const QByteArray &body,
        const QList<QPair<QByteArray, QByteArray>> &headers, bool synchronous);
    void raise(int state);
    void onReadyRead();
    void onFinished();
    void fail(int number, const QString &detail = QString());
    void restartTimeout();
    void applyProxy();

    QNetworkAccessManager *m_manager;
    QTimer *m_timeout;
    QPointer<QNetworkReply> m_reply;
    bool m_synchronous = false;
    bool m_requestSent = false;
    bool m_connectingRaised = false;
    quint64 m_serial = 0; // which request a queued state belongs to
    bool m_proxyLoginOffered = false;
    int m_pendingError = 0; // set when we abort the reply ourselves (time-out, size)
    QByteArray m_body;
    QByteArray m_charset;
    QString m_text; // the decoded body, cut by GetChunk
    qsizetype m_chunkPos = 0;
    int m_responseCode = 0;
    int m_errorNumber = 0;
    QString m_errorDescription;
    QString m_proxyHost;
    int m_proxyPort = 0;
    QString m_proxyUser;
    QString m_proxyPassword;
};

} // namespace platform::net
