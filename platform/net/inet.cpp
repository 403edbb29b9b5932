#include "platform/net/inet.h"

#include "platform/net/page_charset.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

#include <memory>

Q_LOGGING_CATEGORY(lcNet, "bidlark.net", QtInfoMsg)

namespace platform::net {

namespace {

struct ErrorEntry {
    int number;
    const char *description;
};

constexpr ErrorEntry kErrors[] = {
    { kErrConnectionRefused, "Cannot connect to the server: the connection was refused" },
    { kErrHostNotFound, "The server name could not be resolved" },
    { kErrTimedOut, "The server did not answer in time" },
    { kErrConnectionLost, "The connection was closed before the whole response arrived" },
    { kErrSecureChannel, "The secure connection failed: the server's certificate is not trusted" },
    { kErrProxyLogin, "The proxy refused the login" },
    { kErrProxyUnreachable, "Cannot connect to the proxy" },
    { kErrBodyTooLarge, "The response is larger than 32 MiB" },
    { kErrBusy, "Still executing last request" },
    { kErrBadAddress, "The address is not a valid http or https address" },
    { kErrTransfer, "The transfer failed" },
};

// Every control's manager gets one of these; they all keep their cookies in one process-wide jar,
// so cookies set on one control are sent by every other.
class SharedCookieJar : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;

    QList<QNetworkCookie> cookiesForUrl(const QUrl &url) const override
    {
        return store().cookiesForUrl(url);
    }
    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookies, const QUrl &url) override
    {
        return store().setCookiesFromUrl(cookies, url);
    }

private:
    static QNetworkCookieJar &store()
    {
        static QNetworkCookieJar jar;
        return jar;
    }
};

int timeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("BIDLARK_NET_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultTimeoutMs;
}

// The system's authorities plus those of BIDLARK_NET_CA_FILE, read per request so a test can change
// the variable; the file is a few kilobytes.
QSslConfiguration sslConfiguration()
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    const QString file = qEnvironmentVariable("BIDLARK_NET_CA_FILE");
    if (!file.isEmpty()) {
        const auto extra = QSslCertificate::fromPath(file, QSsl::Pem);
        if (extra.isEmpty())
            qCDebug(lcNet) << "no certificate read from BIDLARK_NET_CA_FILE" << file;
        conf.addCaCertificates(extra);
    }
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    return conf;
}

int numberOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return kErrConnectionRefused;
    case QNetworkReply::HostNotFoundError:
        return kErrHostNotFound;
    case QNetworkReply::TimeoutError:
        return kErrTimedOut;
    case QNetworkReply::RemoteHostClosedError:
        return kErrConnectionLost;
    case QNetworkReply::SslHandshakeFailedError:
        return kErrSecureChannel;
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return kErrProxyLogin;
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return kErrProxyUnreachable;
    case QNetworkReply::ProtocolUnknownError:
        return kErrBadAddress;
    default:
        return kErrTransfer;
    }
}

// The errors the network layer gives for an HTTP status of 400 and up.
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

// What may be logged of an address: no query (it can carry IDs) and no user info.
QString loggable(const QUrl &url)
{
    return url.toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo | QUrl::RemoveFragment);
}

} // namespace

QString transferErrorDescription(int number)
{
    for (const auto &e : kErrors) {
        if (e.number == number)
            return QString::fromLatin1(e.description);
    }
    return {};
}

TransferError::TransferError(int number, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_number(number)
    , m_description(description)
{
}

QString TransferError::text() const
{
    return QString::number(m_number) + QStringLiteral(": ") + m_description;
}

Inet::Inet(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_timeout(new QTimer(this))
{
    m_manager->setCookieJar(new SharedCookieJar(m_manager));
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, [this] {
        if (!m_reply)
            return;
        qCDebug(lcNet) << "time-out after" << m_timeout->interval() << "ms";
        m_pendingError = kErrTimedOut;
        m_reply->abort();
    });
    // Answered from the stored login once per request, never with a dialog; when the proxy asks
    // again for the same request the login was refused, and leaving it unanswered fails the
    // transfer.
    connect(m_manager, &QNetworkAccessManager::proxyAuthenticationRequired, this,
        [this](const QNetworkProxy &, QAuthenticator *auth) {
            if (m_proxyLoginOffered || m_proxyUser.isEmpty()) {
                qCDebug(lcNet) << "proxy login refused or missing";
                return;
            }
            m_proxyLoginOffered = true;
            auth->setUser(m_proxyUser);
            auth->setPassword(m_proxyPassword);
        });
}

Inet::~Inet()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void Inet::applyProxy()
{
    if (m_proxyHost.isEmpty()) {
        m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        return;
    }
    // The login is not put into the proxy object: Qt would then send it unasked and never report a
    // refusal to us. It is given when the proxy asks (above).
    m_manager->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, m_proxyHost,
        quint16(m_proxyPort > 0 && m_proxyPort <= 65535 ? m_proxyPort : 8080)));
}

void Inet::restartTimeout()
{
    m_timeout->start(timeoutMs());
}

void Inet::start(const QString &url, const QByteArray &method, const QByteArray &body,
    const QList<QPair<QByteArray, QByteArray>> &headers, bool synchronous)
{
    if (m_reply)
        throw TransferError(kErrBusy, transferErrorDescription(kErrBusy));
    const QUrl target(url, QUrl::TolerantMode);
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        throw TransferError(kErrBadAddress, transferErrorDescription(kErrBadAddress));

    m_body.clear();
    m_charset.clear();
    m_text.clear();
    m_chunkPos = 0;
    m_responseCode = 0;
    m_errorNumber = 0;
    m_errorDescription.clear();
    m_pendingError = 0;
    m_requestSent = false;
    m_connectingRaised = false;
    m_proxyLoginOffered = false;
    m_synchronous = synchronous;
    ++m_serial;

    QNetworkRequest request(target);
    request.setSslConfiguration(sslConfiguration());
    // Bodies come uncompressed, so the size cap counts what arrives and no decompression limit
    // of the network layer can cut a page short without telling.
    request.setRawHeader("Accept-Encoding", "identity");
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    applyProxy();
    qCDebug(lcNet) << method << loggable(target) << "body" << body.size() << "bytes"
                   << (m_proxyHost.isEmpty() ? QStringLiteral("direct")
                                             : QStringLiteral("via proxy ") + m_proxyHost);

    if (method == "GET" || method == "get")
        m_reply = m_manager->get(request);
    else
        m_reply = m_manager->sendCustomRequest(request, method.toUpper(), body);

    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::requestSent, this, [this] {
        restartTimeout();
        if (!m_requestSent)
            raise(icRequesting);
    });
    connect(reply, &QNetworkReply::uploadProgress, this, [this] { restartTimeout(); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        restartTimeout();
        // A body announced too large is refused before any of it is read.
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > kMaxBodyBytes) {
            m_pendingError = kErrBodyTooLarge;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, &Inet::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &Inet::onFinished);
    restartTimeout();
}

void Inet::onReadyRead()
{
    if (!m_reply)
        return;
    restartTimeout();
    m_body += m_reply->read(kMaxBodyBytes + 1 - m_body.size());
    if (m_body.size() > kMaxBodyBytes) {
        m_pendingError = kErrBodyTooLarge;
        m_reply->abort();
    }
}

void Inet::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_timeout->stop();
    m_reply = nullptr;
    reply->deleteLater();
    reply->disconnect(this);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto error = reply->error();
    // An HTTP error status is no failure of the transfer: the site's page still arrives.
    const bool transportFailure = m_pendingError != 0 ||
        (error != QNetworkReply::NoError && !(status.toInt() >= 400 && isHttpStatusError(error)));
    // Some proxies answer a refused login with 401 instead of 407; right after our login was
    // offered to the proxy, that is what it means.
    if (!transportFailure && m_proxyLoginOffered && status.toInt() == 401) {
        fail(kErrProxyLogin);
        return;
    }
    if (transportFailure) {
        const int number = m_pendingError ? m_pendingError : numberOf(error);
        fail(number, m_pendingError || number != kErrTransfer ? QString() : reply->errorString());
        return;
    }
    if (m_pendingError == 0 && reply->bytesAvailable() > 0) {
        m_body += reply->read(kMaxBodyBytes + 1 - m_body.size());
        if (m_body.size() > kMaxBodyBytes) {
            fail(kErrBodyTooLarge);
            return;
        }
    }
    m_responseCode = status.toInt();
    m_charset = ContentTypeCharset(reply->rawHeader("Content-Type"));
    m_text = DecodePage(m_body, m_charset);
    m_body.clear();
    qCDebug(lcNet) << "status" << m_responseCode << "characters" << m_text.size();
    raise(icResponseCompleted);
}

void Inet::raise(int state)
{
    if (m_synchronous)
        return;
    // Every transfer reports connecting first and, when it got an answer, requesting before it.
    if (!m_connectingRaised && state != icConnecting) {
        m_connectingRaised = true;
        emit StateChanged(icConnecting);
    }
    if (state == icResponseCompleted && !m_requestSent) {
        m_requestSent = true;
        emit StateChanged(icRequesting);
    }
    if (state == icConnecting)
        m_connectingRaised = true;
    if (state == icRequesting)
        m_requestSent = true;
    emit StateChanged(state);
}

void Inet::fail(int number, const QString &detail)
{
    m_errorNumber = number;
    m_errorDescription = transferErrorDescription(number);
    if (!detail.isEmpty())
        m_errorDescription += QStringLiteral(" (") + detail + QLatin1Char(')');
    m_body.clear();
    qCDebug(lcNet) << "failed:" << m_errorNumber << m_errorDescription;
    raise(icError);
}

void Inet::Execute(const QString &url)
{
    Execute(url, QStringLiteral("GET"), {}, {});
}

void Inet::Execute(
    const QString &url, const QString &method, const QByteArray &body, const QString &headers)
{
    QList<QPair<QByteArray, QByteArray>> parsed;
    for (QString line : headers.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        line = line.trimmed(); // CR LF or a bare LF between lines
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            parsed.append({ line.left(colon).trimmed().toLatin1(),
                line.mid(colon + 1).trimmed().toLatin1() });
    }
    start(url, method.toLatin1(), body, parsed, false);
    // Raised from the event loop, as every later state is, so the caller has returned first.
    QTimer::singleShot(0, this, [this, serial = m_serial] {
        if (serial == m_serial && !m_connectingRaised)
            raise(icConnecting);
    });
}

QString Inet::OpenURL(const QString &url)
{
    start(url, "GET", {}, {}, true);
    QEventLoop loop;
    bool woken = false;
    const auto wake = [&woken, &loop] {
        woken = true;
        loop.quit();
    };
    connect(m_reply, &QNetworkReply::finished, &loop, wake, Qt::QueuedConnection);
    // The control may be destroyed by something that runs while we wait (its window closing).
    const QPointer<Inet> alive(this);
    connect(this, &QObject::destroyed, &loop, wake);
    while (alive && m_reply) {
        woken = false;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!woken && alive && m_reply) {
            // Nothing of ours ended the wait: the application is quitting, and every event loop
            // now returns at once, so waiting on would spin forever. The read fails instead.
            Cancel();
            m_synchronous = false;
            throw TransferError(kErrTransfer, transferErrorDescription(kErrTransfer));
        }
    }
    if (!alive)
        throw TransferError(kErrTransfer, transferErrorDescription(kErrTransfer));
    m_synchronous = false;
    if (m_errorNumber != 0)
        throw TransferError(m_errorNumber, m_errorDescription);
    QString all = m_text;
    m_chunkPos = m_text.size();
    return all;
}

QString Inet::GetChunk(int size)
{
    if (size <= 0 || m_chunkPos >= m_text.size())
        return {};
    const QString chunk = m_text.mid(m_chunkPos, size);
    m_chunkPos += chunk.size();
    if (m_chunkPos >= m_text.size())
        m_text.clear(); // the whole body is handed out; free it
    return chunk;
}

void Inet::Cancel()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    m_timeout->stop();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

} // namespace platform::net
