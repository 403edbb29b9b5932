// The restart goes to the system's login manager (logind's Reboot over the system bus), which
// decides whether this user may restart the machine; the uninstaller itself needs no privilege.
#include "uninstaller/engine/system_services.h"

#include <QDBusConnection>
#include <QDBusInterface>

namespace uninstaller::engine {

namespace {

class LoginManagerRestart final : public RestartRequester {
public:
    void requestRestart() override
    {
        QDBusInterface manager(QStringLiteral("org.freedesktop.login1"),
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
        if (manager.isValid())
            manager.call(QStringLiteral("Reboot"), true); // true: ask interactively if needed
    }
};

} // namespace

std::unique_ptr<RestartRequester> makeLoginManagerRestart()
{
    return std::make_unique<LoginManagerRestart>();
}

} // namespace uninstaller::engine
