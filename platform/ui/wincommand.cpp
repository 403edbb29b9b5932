#include "platform/ui/wincommand.h"

#include "platform/ui/wincalls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace platform::ui {
namespace {

constexpr const char *kNotifierName = "_bidlark_command_notifier";

// Lives as a child of the widget; sends to whatever the parent is when the signal fires, since
// adopting a window reparents it after the mapping was set up.
class CommandNotifier final : public QObject {
public:
    CommandNotifier(QWidget *owner, WORD setFocus, WORD killFocus)
        : QObject(owner)
        , m_owner(owner)
        , m_setFocus(setFocus)
        , m_killFocus(killFocus)
    {
        setObjectName(QLatin1String(kNotifierName));
        if (m_setFocus || m_killFocus)
            owner->installEventFilter(this);
    }

    void notify(WORD code) const
    {
        QWidget *parent = m_owner->parentWidget();
        if (!parent)
            return;
        const HWND self = windowHandle(m_owner);
        const WORD id = static_cast<WORD>(GetWindowLongW(self, GWL_ID));
        SendMessageW(
            windowHandle(parent), WM_COMMAND, MAKEWPARAM(id, code), static_cast<LPARAM>(self));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn && m_setFocus)
            notify(m_setFocus);
        else if (event->type() == QEvent::FocusOut && m_killFocus)
            notify(m_killFocus);
        return false;
    }

private:
    QWidget *m_owner;
    WORD m_setFocus;
    WORD m_killFocus;
};

} // namespace

BOOL enableCommandNotifications(HWND child)
{
    QWidget *w = widgetFromHandle(child);
    if (!w)
        return FALSE;
    if (w->findChild<QObject *>(QLatin1String(kNotifierName), Qt::FindDirectChildrenOnly))
        return TRUE;

    if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        auto *n = new CommandNotifier(w, 0, 0);
        QObject::connect(b, &QAbstractButton::clicked, n, [n] { n->notify(BN_CLICKED); });
    } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        auto *n = new CommandNotifier(w, EN_SETFOCUS, EN_KILLFOCUS);
        QObject::connect(e, &QLineEdit::textChanged, n, [n] { n->notify(EN_CHANGE); });
    } else if (auto *t = qobject_cast<QTextEdit *>(w)) {
        auto *n = new CommandNotifier(w, EN_SETFOCUS, EN_KILLFOCUS);
        QObject::connect(t, &QTextEdit::textChanged, n, [n] { n->notify(EN_CHANGE); });
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(w)) {
        auto *n = new CommandNotifier(w, EN_SETFOCUS, EN_KILLFOCUS);
        QObject::connect(p, &QPlainTextEdit::textChanged, n, [n] { n->notify(EN_CHANGE); });
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        auto *n = new CommandNotifier(w, CBN_SETFOCUS, CBN_KILLFOCUS);
        QObject::connect(c, &QComboBox::activated, n, [n] { n->notify(CBN_SELCHANGE); });
        QObject::connect(c, &QComboBox::editTextChanged, n, [n] { n->notify(CBN_EDITCHANGE); });
    } else if (auto *l = qobject_cast<QListView *>(w)) {
        auto *n = new CommandNotifier(w, LBN_SETFOCUS, LBN_KILLFOCUS);
        QObject::connect(l, &QAbstractItemView::doubleClicked, n, [n] { n->notify(LBN_DBLCLK); });
        if (QItemSelectionModel *s = l->selectionModel())
            QObject::connect(
                s, &QItemSelectionModel::currentChanged, n, [n] { n->notify(LBN_SELCHANGE); });
    } else {
        return FALSE;
    }
    return TRUE;
}

} // namespace platform::ui
