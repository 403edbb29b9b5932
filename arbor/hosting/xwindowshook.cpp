#include "arbor/hosting/xwindowshook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>

namespace arbor {

XWindowsHook &XWindowsHook::instance()
{
    static XWindowsHook hook;
    return hook;
}

XWindowsHook::~XWindowsHook()
{
    RemoveHook();
}

bool XWindowsHook::AddWindow(HWND hwnd, HookCallback callback, void *context)
{
    QWidget *widget = platform::ui::widgetFromHandle(hwnd);
    if (!callback || !widget)
        return false;
    auto it = m_windows.find(widget);
    if (it != m_windows.end()) {
        it->second.callback = callback;
        it->second.context = context;
    } else {
        // A window destroyed without RemoveWindow must not leave its address behind for a new
        // widget to inherit.
        const auto connection = connect(widget, &QObject::destroyed, this, [this](QObject *gone) {
            m_windows.erase(gone);
            if (m_windows.empty())
                RemoveHook();
        });
        m_windows.emplace(widget, Entry { hwnd, callback, context, connection });
    }
    if (!m_installed)
        InstallHook(QThread::currentThread());
    return true;
}

void XWindowsHook::RemoveWindow(HWND hwnd)
{
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it) {
        if (it->second.hwnd == hwnd) {
            disconnect(it->second.destroyed);
            m_windows.erase(it);
            break;
        }
    }
    if (m_windows.empty())
        RemoveHook();
}

bool XWindowsHook::InstallHook(QThread *thread)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || thread != app->thread())
        return false;
    if (!m_installed) {
        app->installEventFilter(this);
        m_installed = true;
    }
    return true;
}

void XWindowsHook::RemoveHook()
{
    if (!m_installed)
        return;
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
    m_installed = false;
}

QWidget *XWindowsHook::registeredAncestor(QWidget *w) const
{
    for (; w; w = w->parentWidget())
        if (m_windows.count(w))
            return w;
    return nullptr;
}

bool XWindowsHook::deliver(QWidget *widget, HookMessage::Kind kind, QEvent *event)
{
    const auto it = m_windows.find(widget);
    if (it == m_windows.end())
        return false;
    // Copied: the callback may remove the entry.
    const Entry entry = it->second;
    HookMessage message { kind, event, widget->geometry() };
    const QRect before = message.geometry;
    LRESULT result = 0;
    const bool handled = entry.callback(entry.hwnd, entry.context, message, &result);
    if (message.geometry != before && platform::ui::widgetFromHandle(entry.hwnd) == widget) {
        ++m_applying;
        widget->setGeometry(message.geometry);
        --m_applying;
    }
    return handled;
}

bool XWindowsHook::eventFilter(QObject *watched, QEvent *event)
{
    // Every event of the thread passes here: only a type check and a map lookup for most.
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
        if (m_applying == 0 && watched->isWidgetType() && m_windows.count(watched))
            return deliver(static_cast<QWidget *>(watched),
                event->type() == QEvent::Resize ? HookMessage::Resize : HookMessage::Move, event);
        return false;
    case QEvent::WindowActivate:
        // Qt hands a window's activation to every widget inside it; of those only a hosted
        // window that is a window of its own is activated by it.
        if (!watched->isWidgetType() || !static_cast<QWidget *>(watched)->isWindow())
            return false;
        [[fallthrough]];
    case QEvent::FocusIn:
    case QEvent::MouseButtonPress:
        if (watched->isWidgetType() && !m_windows.empty()) {
            if (QWidget *w = registeredAncestor(static_cast<QWidget *>(watched)))
                return deliver(w, HookMessage::Activate, event);
        }
        return false;
    default:
        return false;
    }
}

} // namespace arbor
