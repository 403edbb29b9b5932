#include "platform/com/ole/dragdrop.h"

#include "platform/com/boundary.h"
#include "platform/ui/input.h"
#include "platform/ui/wincalls.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <unordered_map>
#include <utility>

using platform::com::guarded;
using platform::ui::widgetFromHandle;

namespace {

struct Registration {
    QPointer<QWidget> window; // a handle is only ours while this widget lives
    ComPtr<IDropTarget> target;
};

std::unordered_map<HWND, Registration> &registrations()
{
    static std::unordered_map<HWND, Registration> table;
    return table;
}

// Holds mouse and key input back from every window while the gesture runs, notes Escape, and
// wakes the loop for a round at each input event.
class InputHold : public QObject {
public:
    explicit InputHold(std::function<void()> wake)
        : m_wake(std::move(wake))
    {
    }
    bool escape = false;

protected:
    bool eventFilter(QObject *target, QEvent *e) override
    {
        // Windows still see their input, so Qt's own button and grab bookkeeping stays right;
        // only the widgets are kept from acting on it.
        if (!target->isWidgetType())
            return false;
        switch (e->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
                escape = true;
            [[fallthrough]];
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
            m_wake();
            return true;
        default:
            return false;
        }
    }

private:
    std::function<void()> m_wake;
};

Qt::CursorShape cursorFor(DWORD effect)
{
    if (effect & DROPEFFECT_MOVE)
        return Qt::DragMoveCursor;
    if (effect & DROPEFFECT_COPY)
        return Qt::DragCopyCursor;
    if (effect & DROPEFFECT_LINK)
        return Qt::DragLinkCursor;
    return Qt::ForbiddenCursor;
}

// The target for a screen point: the window there, or its nearest ancestor that has one.
IDropTarget *targetAt(QPoint pos)
{
    for (HWND h = WindowFromPoint(POINT { pos.x(), pos.y() }); h != 0; h = GetParent(h)) {
        if (IDropTarget *t = registeredDropTarget(h))
            return t;
    }
    return nullptr;
}

class DragLoop {
public:
    DragLoop(IDataObject *data, IDropSource *source, DWORD okEffects)
        : m_data(data)
        , m_source(source)
        , m_ok(okEffects & ~DROPEFFECT_SCROLL)
        , m_hold([this] { wake(); })
    {
    }

    HRESULT run(DWORD *effect)
    {
        QTimer poll;
        poll.setInterval(kDragPollMs);
        QObject::connect(&poll, &QTimer::timeout, [this] { round(); });
        qApp->installEventFilter(&m_hold);
        QPointer<QWidget> grabber = QApplication::focusWidget();
        // The offscreen platform has no pointer to grab.
        if (grabber && grabber->isVisible() &&
            QGuiApplication::platformName() != QLatin1String("offscreen"))
            grabber->grabMouse();
        else
            grabber = nullptr;
        QGuiApplication::setOverrideCursor(cursorFor(DROPEFFECT_NONE));
        poll.start();
        round();
        if (!m_done)
            m_loop.exec();
        poll.stop();
        QGuiApplication::restoreOverrideCursor();
        if (grabber)
            grabber->releaseMouse();
        qApp->removeEventFilter(&m_hold);
        *effect = m_effect;
        return m_result;
    }

private:
    // One round soon after an input event, however many events arrive meanwhile; the call is
    // dropped with m_hold if the loop ends first.
    void wake()
    {
        if (m_pending)
            return;
        m_pending = true;
        QMetaObject::invokeMethod(
            &m_hold, [this] { round(); }, Qt::QueuedConnection);
    }

    void round()
    {
        if (m_done || m_inRound)
            return;
        m_inRound = true;
        m_pending = false;
        platform::ui::InputState &in = platform::ui::input();
        in.poll();
        const QPoint pos = in.cursorPos();
        const DWORD keys = platform::ui::currentKeyState();
        const bool escape = in.takeEscape() || std::exchange(m_hold.escape, false);
        const POINTL pt { pos.x(), pos.y() };
        const HRESULT hr = m_source->QueryContinueDrag(escape ? TRUE : FALSE, keys);
        if (hr == S_OK) {
            hover(pos, pt, keys);
        } else {
            finish(hr, pt, keys);
        }
        m_inRound = false;
    }

    void hover(QPoint pos, POINTL pt, DWORD keys)
    {
        ComPtr<IDropTarget> now(targetAt(pos));
        DWORD effect = m_ok;
        if (now.Get() != m_target.Get()) {
            if (m_target)
                (void)m_target->DragLeave();
            m_target = now;
            if (m_target && FAILED(m_target->DragEnter(m_data, keys, pt, &effect)))
                m_target = nullptr;
            m_lastEffect = m_target ? effect : DROPEFFECT_NONE;
        } else if (m_target && (pos != m_lastPos || keys != m_lastKeys)) {
            if (SUCCEEDED(m_target->DragOver(keys, pt, &effect)))
                m_lastEffect = effect;
        }
        m_lastPos = pos;
        m_lastKeys = keys;
        if (m_source->GiveFeedback(m_lastEffect) == DRAGDROP_S_USEDEFAULTCURSORS)
            QGuiApplication::changeOverrideCursor(cursorFor(m_lastEffect));
    }

    void finish(HRESULT hr, POINTL pt, DWORD keys)
    {
        m_done = true;
        m_effect = DROPEFFECT_NONE;
        m_result = hr;
        if (hr == DRAGDROP_S_DROP && m_target) {
            DWORD effect = m_ok;
            if (SUCCEEDED(m_target->Drop(m_data, keys, pt, &effect)))
                m_effect = effect;
        } else {
            if (m_target)
                (void)m_target->DragLeave();
            if (hr == DRAGDROP_S_DROP)
                m_result = DRAGDROP_S_CANCEL; // dropped where nothing takes it
        }
        m_target = nullptr;
        m_loop.quit();
    }

    IDataObject *m_data;
    ComPtr<IDropSource> m_source;
    DWORD m_ok;
    QEventLoop m_loop;
    InputHold m_hold;
    ComPtr<IDropTarget> m_target;
    QPoint m_lastPos { -1, -1 };
    DWORD m_lastKeys = 0;
    DWORD m_lastEffect = DROPEFFECT_NONE;
    DWORD m_effect = DROPEFFECT_NONE;
    HRESULT m_result = DRAGDROP_S_CANCEL;
    bool m_done = false;
    bool m_inRound = false;
    bool m_pending = false;
};

} // namespace

namespace platform::ui {

DWORD currentKeyState() noexcept
{
    const InputState &in = input();
    const Qt::MouseButtons b = in.mouseButtons();
    const Qt::KeyboardModifiers m = in.keyboardModifiers();
    DWORD keys = 0;
    if (b & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (b & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (b & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (m & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (m & Qt::ControlModifier)
        keys |= MK_CONTROL;
    if (m & Qt::AltModifier)
        keys |= MK_ALT;
    return keys;
}

} // namespace platform::ui

IDropTarget *registeredDropTarget(HWND hwnd) noexcept
{
    auto &table = registrations();
    const auto it = table.find(hwnd);
    if (it == table.end())
        return nullptr;
    if (!it->second.window || widgetFromHandle(hwnd) != it->second.window) {
        table.erase(it); // the window died without revoking
        return nullptr;
    }
    return it->second.target.Get();
}

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget *target) noexcept
{
    if (!target)
        return E_INVALIDARG;
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return DRAGDROP_E_INVALIDHWND;
    if (registeredDropTarget(hwnd))
        return DRAGDROP_E_ALREADYREGISTERED;
    return guarded([&] {
        registrations()[hwnd] = Registration { w, ComPtr<IDropTarget>(target) };
        return S_OK;
    });
}

HRESULT RevokeDragDrop(HWND hwnd) noexcept
{
    const bool live = registeredDropTarget(hwnd) != nullptr;
    if (!live)
        return widgetFromHandle(hwnd) ? DRAGDROP_E_NOTREGISTERED : DRAGDROP_E_INVALIDHWND;
    // The target may hold the last reference to something that revokes again: erase first.
    const Registration gone = std::move(registrations()[hwnd]);
    registrations().erase(hwnd);
    return S_OK;
}

HRESULT DoDragDrop(
    IDataObject *pDataObj, IDropSource *pDropSource, DWORD dwOKEffects, DWORD *pdwEffect) noexcept
{
    if (!pDropSource || !pdwEffect)
        return E_INVALIDARG;
    *pdwEffect = DROPEFFECT_NONE;
    return guarded([&] {
        DragLoop loop(pDataObj, pDropSource, dwOKEffects);
        return loop.run(pdwEffect);
    });
}
