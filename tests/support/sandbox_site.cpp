#include "tests/support/sandbox_site.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

namespace testsupport {

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kIdleExitSeconds = 300;

QString scratchDir(const QString &prefix)
{
    QString root = qEnvironmentVariable("BIDLARK_TEST_SANDBOX");
    if (root.isEmpty())
        root = QDir::tempPath();
    static int counter = 0;
    const QString dir = QStringLiteral("%1/%2-%3-%4")
                            .arg(root, prefix)
                            .arg(QCoreApplication::applicationPid())
                            .arg(++counter);
    QDir().mkpath(dir);
    return dir;
}

QString binary(const QString &name)
{
    const QString bin = qEnvironmentVariable("BIDLARK_BIN_DIR");
    return bin.isEmpty() ? name : bin + u'/' + name;
}

QByteArray unescape(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            const char next = field[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += field[i];
        }
    }
    return out;
}

// A raw HTTP/1.0 GET on 127.0.0.1 (no transfer control involved): the whole answer, or empty.
QByteArray RawGet(int port, const QString &target)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET " + target.toLatin1() + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray all;
    while (socket.waitForReadyRead(5000) || socket.bytesAvailable())
        all += socket.readAll();
    return all;
}

} // namespace

QString LoggedRequest::header(const QString &name) const
{
    for (const QString &h : headers) {
        if (h.startsWith(name + QStringLiteral(": "), Qt::CaseInsensitive))
            return h.mid(name.size() + 2);
    }
    return {};
}

int FreeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

SandboxSite::SandboxSite(const QStringList &arguments)
{
    m_dir = scratchDir(QStringLiteral("sandbox-site"));
    m_process.setProgram(binary(QStringLiteral("sandbox-site")));
    m_process.setArguments(QStringList { QStringLiteral("--dir"), m_dir,
                               QStringLiteral("--idle-exit"), QString::number(kIdleExitSeconds) } +
        arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("sandbox-site did not start: ") + m_process.errorString();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(sitesFile())) {
        if (m_process.state() == QProcess::NotRunning || clock.elapsed() > kStartTimeoutMs) {
            m_error = QStringLiteral("sandbox-site wrote no sites file");
            return;
        }
        QThread::msleep(20);
    }
    QFile file(sitesFile());
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("sites file unreadable");
        return;
    }
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !line.startsWith('#'))
            m_sites.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    m_ok = !m_sites.isEmpty();
}

SandboxSite::~SandboxSite()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

int SandboxSite::httpPort() const
{
    return QUrl(base(QStringLiteral("product"))).port();
}

QString SandboxSite::httpOrigin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(httpPort());
}

bool SandboxSite::setScenario(const QString &name)
{
    const QByteArray answer = RawGet(httpPort(),
        QStringLiteral("/__sandbox/scenario?name=") +
            QString::fromLatin1(QUrl::toPercentEncoding(name)));
    return answer.startsWith("HTTP/1.1 200") || answer.startsWith("HTTP/1.0 200");
}

QList<LoggedRequest> SandboxSite::requests() const
{
    QList<LoggedRequest> out;
    QFile file(m_dir + QStringLiteral("/requests.log"));
    if (!file.open(QIODevice::ReadOnly))
        return out;
    LoggedRequest current;
    bool open = false;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line == "[request]") {
            current = {};
            open = true;
        } else if (open && line.isEmpty()) {
            out << current;
            open = false;
        } else if (open) {
            const qsizetype eq = line.indexOf('=');
            const QByteArray name = line.left(eq), value = unescape(line.mid(eq + 1));
            if (name == "scheme")
                current.scheme = QString::fromUtf8(value);
            else if (name == "method")
                current.method = QString::fromUtf8(value);
            else if (name == "target")
                current.target = QString::fromUtf8(value);
            else if (name == "header")
                current.headers << QString::fromUtf8(value);
            else if (name == "body")
                current.body = value;
        }
    }
    return out;
}

TinyProxy::TinyProxy(const QString &user, const QString &password)
{
    const QString dir = scratchDir(QStringLiteral("tinyproxy"));
    m_port = FreeLoopbackPort();
    QString config =
        QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                       "Allow 127.0.0.1\nLogLevel Info\nLogFile \"%2/tinyproxy.log\"\n")
            .arg(m_port)
            .arg(dir);
    if (!user.isEmpty())
        config += QStringLiteral("BasicAuth %1 %2\n").arg(user, password);
    QFile file(dir + QStringLiteral("/tinyproxy.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the tinyproxy configuration");
        return;
    }
    file.close();
    m_process.setProgram(QStringLiteral("tinyproxy"));
    m_process.setArguments({ QStringLiteral("-d"), QStringLiteral("-c"), file.fileName() });
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("tinyproxy did not start (is it installed?)");
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartTimeoutMs && m_process.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (probe.waitForConnected(200)) {
            m_ok = true;
            return;
        }
        QThread::msleep(20);
    }
    m_error =
        QStringLiteral("tinyproxy is not listening: ") + QString::fromUtf8(m_process.readAll());
}

TinyProxy::~TinyProxy()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

} // namespace testsupport
