// XWindowsHook watches the windows of hosted controls and adopted windows for what their items
// must react to: resizing, moving, activation. One application-wide Qt event filter serves every
// registered window of the UI thread, so a window is watched without replacing anything of its
// own, and the filter exists only while at least one window is registered.
#pragma once

#include "platform/ui/handles.h"

#include <QObject>
#include <QRect>

#include <unordered_map>

class QEvent;
class QThread;
class QWidget;

namespace arbor {

// One message on its way to a watched window.
struct HookMessage {
    enum Kind {
        Resize, // the window got a new size; geometry is its new rectangle
        Move, // the window moved; geometry is its new rectangle
        Activate, // it, or a window inside it, was activated, focused or clicked
    };
    Kind kind;
    QEvent *event;
    // In the parent's coordinates. A callback that changes it has the window put there.
    QRect geometry;
};

// Returns true when it handled the message (the window then does not see it); *result is the
// answer for messages that have one. It may remove windows, its own included.
using HookCallback = bool (*)(HWND hwnd, void *context, HookMessage &message, LRESULT *result);

class XWindowsHook : public QObject {
public:
    // The process's hook (the UI thread's).
    static XWindowsHook &instance();
    Q_DISABLE_COPY_MOVE(XWindowsHook)

    // The window leaves the map; the filter goes with the last one. Unknown windows: nothing.
    virtual void RemoveWindow(HWND hwnd);
    // Installs the filter for the thread, which must be the UI thread; false otherwise.
    virtual bool InstallHook(QThread *thread);
    virtual void RemoveHook();
    // Refused (false) for a null callback or a handle that is not a window. A window added again
    // gets the new callback and context. The first registration installs the filter.
    virtual bool AddWindow(HWND hwnd, HookCallback callback, void *context);
    // Takes the filter away.
    ~XWindowsHook() override;

    std::size_t windowCount() const noexcept { return m_windows.size(); }
    bool hookInstalled() const noexcept { return m_installed; }

protected:
    XWindowsHook() = default;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry {
        HWND hwnd;
        HookCallback callback;
        void *context;
        QMetaObject::Connection destroyed;
    };
    // The registered window at or above w, for activation inside a hosted window.
    QWidget *registeredAncestor(QWidget *w) const;
    bool deliver(QWidget *widget, HookMessage::Kind kind, QEvent *event);

    std::unordered_map<const QObject *, Entry> m_windows;
    bool m_installed = false;
    // Putting a window back where a callback wants it sends it a move of its own.
    int m_applying = 0;
};

} // namespace arbor
