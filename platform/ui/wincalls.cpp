#include "platform/ui/wincalls.h"

#include "platform/ui/sizeborder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <map>
#include <mutex>

using platform::ui::widgetFromHandle;
using platform::ui::windowHandle;

namespace {

// Style bits with no Qt meaning, kept so that SetWindowLong/GetWindowLong round-trip them.
constexpr const char *kStyleProperty = "_bidlark_style";
constexpr const char *kIdProperty = "_bidlark_ctrl_id";
constexpr DWORD kDerivedStyles = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_THICKFRAME;

QString textOf(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->toPlainText();
    if (auto *t = qobject_cast<QTextEdit *>(w))
        return t->toPlainText();
    return w->windowTitle();
}

void setTextOf(QWidget *w, const QString &text)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(text);
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(text);
    else if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(text);
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        g->setTitle(text);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->isEditable() ? c->setEditText(text) : c->setCurrentText(text);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        p->setPlainText(text);
    else if (auto *t = qobject_cast<QTextEdit *>(w))
        t->setPlainText(text);
    else
        w->setWindowTitle(text);
}

// Own visibility and enabled state, as the window's own style bits: a child of a hidden parent
// still has WS_VISIBLE when it would show with its parent.
bool ownVisible(const QWidget *w)
{
    return w->isWindow() ? w->isVisible() : w->isVisibleTo(w->parentWidget());
}
bool ownEnabled(const QWidget *w)
{
    return w->isWindow() ? w->isEnabled() : w->isEnabledTo(w->parentWidget());
}

bool hasThickFrame(const QWidget *w)
{
    if (w->isWindow())
        return w->minimumSize() != w->maximumSize();
    return platform::ui::hasSizeBorder(w);
}

void setThickFrame(QWidget *w, bool on)
{
    if (hasThickFrame(w) == on)
        return;
    if (w->isWindow()) {
        if (on) {
            w->setMinimumSize(0, 0);
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else {
            w->setFixedSize(w->size());
        }
        return;
    }
    platform::ui::setSizeBorder(w, on);
}

template <class Char>
int copyOut(const std::basic_string<Char> &text, Char *buffer, int max) noexcept
{
    if (!buffer || max < 1)
        return 0;
    const int n = std::min<int>(static_cast<int>(text.size()), max - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = Char(0);
    return n;
}

QRect screenRect(const QWidget *w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

BOOL IsWindow(HWND hwnd) noexcept
{
    return widgetFromHandle(hwnd) != nullptr;
}

BOOL IsChild(HWND parent, HWND child) noexcept
{
    QWidget *p = widgetFromHandle(parent);
    QWidget *c = widgetFromHandle(child);
    if (!p || !c || p == c)
        return FALSE;
    for (QWidget *w = c; w && !w->isWindow(); w = w->parentWidget())
        if (w->parentWidget() == p)
            return TRUE;
    return FALSE;
}

HWND GetParent(HWND hwnd) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    return (w && w->parentWidget()) ? windowHandle(w->parentWidget()) : 0;
}

HWND SetParent(HWND hwnd, HWND newParent) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    QWidget *p = newParent ? widgetFromHandle(newParent) : nullptr;
    if (!w || (newParent && !p) || p == w)
        return 0;
    for (QWidget *a = p; a; a = a->parentWidget())
        if (a == w)
            return 0;
    QWidget *old = w->parentWidget();
    const HWND previous = old ? windowHandle(old) : 0;
    const bool visible = ownVisible(w);
    w->setParent(p);
    // QWidget::setParent hides the widget; a reparented window keeps its own visibility.
    if (visible)
        w->show();
    return previous;
}

int GetWindowTextW(HWND hwnd, LPOLESTR buffer, int max) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return copyOut(std::u16string(), buffer, max);
    return copyOut(textOf(w).toStdU16String(), buffer, max);
}

int GetWindowTextA(HWND hwnd, char *buffer, int max) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return copyOut(std::string(), buffer, max);
    std::string text = textOf(w).toStdString();
    // Never cut a UTF-8 sequence in half.
    if (max >= 1 && static_cast<int>(text.size()) > max - 1) {
        std::size_t n = static_cast<std::size_t>(max - 1);
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
        text.resize(n);
    }
    return copyOut(text, buffer, max);
}

int GetWindowTextLengthW(HWND hwnd) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    return w ? static_cast<int>(textOf(w).size()) : 0;
}

BOOL SetWindowTextW(HWND hwnd, LPCOLESTR text) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return FALSE;
    setTextOf(w, text ? QString::fromUtf16(text) : QString());
    return TRUE;
}

BOOL SetWindowTextA(HWND hwnd, const char *text) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return FALSE;
    setTextOf(w, text ? QString::fromUtf8(text) : QString());
    return TRUE;
}

LONG GetWindowLongW(HWND hwnd, int index) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return 0;
    if (index == GWL_ID)
        return static_cast<LONG>(w->property(kIdProperty).toInt());
    if (index != GWL_STYLE)
        return 0;
    DWORD style = w->property(kStyleProperty).toUInt() & ~kDerivedStyles;
    if (!w->isWindow())
        style |= WS_CHILD;
    if (ownVisible(w))
        style |= WS_VISIBLE;
    if (!ownEnabled(w))
        style |= WS_DISABLED;
    if (hasThickFrame(w))
        style |= WS_THICKFRAME;
    return static_cast<LONG>(style);
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w || (index != GWL_STYLE && index != GWL_ID))
        return 0;
    const LONG previous = GetWindowLongW(hwnd, index);
    if (index == GWL_ID) {
        w->setProperty(kIdProperty, static_cast<int>(value));
        return previous;
    }
    const DWORD style = static_cast<DWORD>(value);
    w->setProperty(kStyleProperty, static_cast<uint>(style & ~kDerivedStyles));
    setThickFrame(w, (style & WS_THICKFRAME) != 0);
    if (((style & WS_DISABLED) != 0) == ownEnabled(w))
        w->setEnabled((style & WS_DISABLED) == 0);
    if (((style & WS_VISIBLE) != 0) != ownVisible(w))
        w->setVisible((style & WS_VISIBLE) != 0);
    return previous;
}

BOOL IsWindowVisible(HWND hwnd) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    return w && w->isVisible();
}

BOOL IsWindowEnabled(HWND hwnd) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    return w && w->isEnabled();
}

BOOL ShowWindow(HWND hwnd, int command) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return FALSE;
    const BOOL was = ownVisible(w);
    w->setVisible(command != SW_HIDE);
    return was;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = !ownEnabled(w);
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return FALSE;
    w->setGeometry(x, y, std::max(0, width), std::max(0, height));
    if (repaint)
        w->update();
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT *rect) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    const QRect r = screenRect(w);
    *rect = { r.left(), r.top(), r.left() + r.width(), r.top() + r.height() };
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT *rect) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = { 0, 0, w->width(), w->height() };
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT *point) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w || !point)
        return FALSE;
    const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
    *point = { p.x(), p.y() };
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT *point) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w || !point)
        return FALSE;
    const QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
    *point = { p.x(), p.y() };
    return TRUE;
}

HWND WindowFromPoint(POINT point) noexcept
{
    const QPoint p(point.x, point.y);
    const QWidget *top = QApplication::topLevelAt(p);
    if (!top || !top->windowFlags().testFlag(Qt::WindowTransparentForInput))
        return windowHandle(QApplication::widgetAt(p));
    // A window that lets input through (a picture following the pointer) is not "at" the point:
    // the topmost other window there is, as Qt lists them from the top down.
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        const QWindow *win = *it;
        if (!win->isVisible() || win->flags().testFlag(Qt::WindowTransparentForInput)
            || !win->geometry().contains(p))
            continue;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() != win)
                continue;
            QWidget *child = top->childAt(top->mapFromGlobal(p));
            return windowHandle(child ? child : top);
        }
    }
    return 0;
}

HWND GetFocus() noexcept
{
    return windowHandle(QApplication::focusWidget());
}

HWND SetFocus(HWND hwnd) noexcept
{
    const HWND previous = GetFocus();
    if (QWidget *w = widgetFromHandle(hwnd))
        w->setFocus(Qt::OtherFocusReason);
    return previous;
}

UINT RegisterWindowMessageW(LPCOLESTR name) noexcept
{
    if (!name || !*name)
        return 0;
    static std::mutex mutex;
    static std::map<QString, UINT> registered;
    static UINT next = kFirstRegisteredMessage;
    const QString key = QString::fromUtf16(name).toCaseFolded();
    std::lock_guard lock(mutex);
    if (const auto it = registered.find(key); it != registered.end())
        return it->second;
    if (next > kLastRegisteredMessage)
        return 0;
    registered.emplace(key, next);
    return next++;
}

UINT RegisterWindowMessageA(const char *name) noexcept
{
    if (!name)
        return 0;
    return RegisterWindowMessageW(platform::com::utf8ToUtf16(name).c_str());
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w)
        return 0;
    platform::ui::WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(w, &event);
    return event.result();
}

namespace platform::ui {

WindowMessageEvent::WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam) noexcept
    : QEvent(eventType())
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{
    setAccepted(false);
}

QEvent::Type WindowMessageEvent::eventType() noexcept
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace {

class ProcFilter final : public QObject {
public:
    ProcFilter(QWidget *owner, WindowProc proc)
        : QObject(owner)
        , m_proc(std::move(proc))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != WindowMessageEvent::eventType())
            return QObject::eventFilter(watched, event);
        auto *message = static_cast<WindowMessageEvent *>(event);
        LRESULT result = 0;
        if (!m_proc(message->message(), message->wParam(), message->lParam(), &result))
            return false;
        message->setResult(result);
        return true;
    }

private:
    WindowProc m_proc;
};

} // namespace

QObject *subclassWindow(HWND hwnd, WindowProc proc)
{
    QWidget *w = widgetFromHandle(hwnd);
    if (!w || !proc)
        return nullptr;
    auto *filter = new ProcFilter(w, std::move(proc));
    w->installEventFilter(filter);
    return filter;
}

} // namespace platform::ui
