// For test programs: runs the sandbox web site (tools/sandbox-site) and, when asked, tinyproxy in
// front of it, as real processes on 127.0.0.1, inside the test's own sandbox folder. Each object
// starts its process in the constructor and ends it in the destructor; the site also ends itself
// after its idle time, so a crashed test leaves nothing running for long.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace testsupport {

// One request as the site logged it.
struct LoggedRequest {
    QString scheme; // "http" or "https"
    QString method;
    QString target; // path and query as sent
    QStringList headers; // "Name: value"
    QByteArray body;
    QString header(const QString &name) const; // value of the first such header, or empty
};

class SandboxSite {
public:
    // Starts the site with extra command-line arguments (say {"--scenario", "stall"}). On failure
    // ok() is false and error() tells why.
    explicit SandboxSite(const QStringList &arguments = {});
    ~SandboxSite();
    SandboxSite(const SandboxSite &) = delete;
    SandboxSite &operator=(const SandboxSite &) = delete;

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

    QString dir() const { return m_dir; }
    QString sitesFile() const { return m_dir + QStringLiteral("/sites"); }
    QString caFile() const { return m_dir + QStringLiteral("/ca.pem"); }
    // The base url of a site entry ("signin.uk", "product"), from the sites file; empty if none.
    QString base(const QString &key) const { return m_sites.value(key); }
    QString url(const QString &key, const QString &path) const { return base(key) + path; }
    // "http://127.0.0.1:PORT" of the plain port, for the /__sandbox/ requests.
    QString httpOrigin() const;
    int httpPort() const;

    // Switches the scenario through the site's own control request; true when accepted.
    bool setScenario(const QString &name);
    // Every request logged so far, oldest first.
    QList<LoggedRequest> requests() const;

private:
    QProcess m_process;
    QString m_dir;
    QMap<QString, QString> m_sites;
    bool m_ok = false;
    QString m_error;
};

// tinyproxy on a free loopback port, with Basic authentication when a user is given.
class TinyProxy {
public:
    TinyProxy(const QString &user, const QString &password);
    ~TinyProxy();
    TinyProxy(const TinyProxy &) = delete;
    TinyProxy &operator=(const TinyProxy &) = delete;

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
    bool m_ok = false;
    QString m_error;
};

// A loopback port nothing listens on right now.
int FreeLoopbackPort();

} // namespace testsupport
