// The window calls that code written against window handles makes, over QWidgets found through
// the handle table. Every call validates its handle first and does nothing (returns 0/FALSE) for a
// handle that is not a live window. Messages are delivered as a WindowMessageEvent sent to the
// widget, so a widget answers them in event() and "subclassing" a window is an event filter.
// UI thread only.
#pragma once

#include "platform/com/bstr.h"
#include "platform/ui/handles.h"

#include <QEvent>

#include <functional>

class QObject;

inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_ID = -12;

// Style bits the widgets carry. WS_CHILD is read-only (whether the widget is a child widget);
// bits without a Qt meaning are kept per window and read back as written.
inline constexpr DWORD WS_CHILD = 0x40000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_DISABLED = 0x08000000u;
inline constexpr DWORD WS_THICKFRAME = 0x00040000u;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_COMMAND = 0x0111;
// RegisterWindowMessage hands out values from this range.
inline constexpr UINT kFirstRegisteredMessage = 0xC000;
inline constexpr UINT kLastRegisteredMessage = 0xFFFF;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

constexpr WORD LOWORD(ULONG_PTR v) noexcept
{
    return static_cast<WORD>(v & 0xffff);
}
constexpr WORD HIWORD(ULONG_PTR v) noexcept
{
    return static_cast<WORD>((v >> 16) & 0xffff);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) noexcept
{
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}

BOOL IsWindow(HWND hwnd) noexcept;
// TRUE when child is a descendant of parent at any depth, through child windows only (a
// top-level window owned by another is not its child). FALSE when either handle is invalid or
// they are the same window.
BOOL IsChild(HWND parent, HWND child) noexcept;
// The parent widget's handle, 0 for a top-level window or an invalid handle.
HWND GetParent(HWND hwnd) noexcept;
// Reparents, keeping the window's own visibility; returns the previous parent's handle (0 when it
// had none). Refused, with 0, when either handle is invalid or the new parent is the window itself
// or one of its descendants. newParent 0 makes it a top-level window.
HWND SetParent(HWND hwnd, HWND newParent) noexcept;

// Text of the window: a button's or label's caption, an edit's or combo box's text, a group box's
// title, otherwise the window title. The W forms are UTF-16, the A forms UTF-8. GetWindowText
// copies at most max - 1 characters plus a NUL and returns the characters copied; 0 for an
// invalid handle, a null buffer or max < 1.
int GetWindowTextW(HWND hwnd, LPOLESTR buffer, int max) noexcept;
int GetWindowTextA(HWND hwnd, char *buffer, int max) noexcept;
int GetWindowTextLengthW(HWND hwnd) noexcept;
BOOL SetWindowTextW(HWND hwnd, LPCOLESTR text) noexcept;
BOOL SetWindowTextA(HWND hwnd, const char *text) noexcept;

// GWL_STYLE and GWL_ID; 0 for other indexes or an invalid handle. SetWindowLong returns the
// previous value and applies WS_VISIBLE (show/hide) and WS_DISABLED (enable/disable).
LONG GetWindowLongW(HWND hwnd, int index) noexcept;
LONG SetWindowLongW(HWND hwnd, int index, LONG value) noexcept;

BOOL IsWindowVisible(HWND hwnd) noexcept;
BOOL IsWindowEnabled(HWND hwnd) noexcept;
// Returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int command) noexcept;
// Returns whether the window was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable) noexcept;
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) noexcept;
// The window's rectangle in screen coordinates; client rectangles start at (0, 0).
BOOL GetWindowRect(HWND hwnd, RECT *rect) noexcept;
BOOL GetClientRect(HWND hwnd, RECT *rect) noexcept;
BOOL ScreenToClient(HWND hwnd, POINT *point) noexcept;
BOOL ClientToScreen(HWND hwnd, POINT *point) noexcept;
// The deepest visible window at a screen point, 0 when none. Windows that let input through
// (Qt::WindowTransparentForInput) are never found: the window below them is.
HWND WindowFromPoint(POINT point) noexcept;
HWND GetFocus() noexcept;
// Returns the window that had the focus before.
HWND SetFocus(HWND hwnd) noexcept;

// The same number for the same name (compared case-insensitively) for the life of the process,
// from 0xC000 to 0xFFFF; 0 for a null or empty name or when the range is used up.
UINT RegisterWindowMessageW(LPCOLESTR name) noexcept;
UINT RegisterWindowMessageA(const char *name) noexcept;

// Delivers the message to the window's event filters and then the widget, synchronously, and
// returns the result a handler set (0 when nobody answered or the handle is invalid).
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

namespace platform::ui {

// A message on its way to a window. A handler that answers it calls setResult, which also
// accepts the event.
class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static QEvent::Type eventType() noexcept;

    UINT message() const noexcept { return m_message; }
    WPARAM wParam() const noexcept { return m_wParam; }
    LPARAM lParam() const noexcept { return m_lParam; }
    LRESULT result() const noexcept { return m_result; }
    void setResult(LRESULT result) noexcept
    {
        m_result = result;
        setAccepted(true);
    }

private:
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    LRESULT m_result = 0;
};

// A message handler that sees the window's messages before the widget does: return true to
// consume the message (its *result is what SendMessage returns), false to pass it on.
using WindowProc = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result)>;

// Subclasses a window: installs proc as an event filter owned by the widget. Delete the returned
// object to remove it again; it dies with the widget otherwise. Null for an invalid handle.
QObject *subclassWindow(HWND hwnd, WindowProc proc);

} // namespace platform::ui
