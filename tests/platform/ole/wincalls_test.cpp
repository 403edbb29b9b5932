#include "platform/ui/wincalls.h"
#include "platform/ui/wincommand.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using namespace platform::ui;

TEST(WindowCalls, IsChildFollowsChildWindowsAtAnyDepthOnly)
{
    QWidget top;
    auto *mid = new QWidget(&top);
    auto *leaf = new QWidget(mid);
    auto *sibling = new QWidget(&top);
    auto *owned = new QWidget(&top, Qt::Tool); // an owned top-level window, not a child
    const HWND t = windowHandle(&top), m = windowHandle(mid), l = windowHandle(leaf);
    const HWND s = windowHandle(sibling), o = windowHandle(owned);
    struct Case {
        const char *name;
        HWND parent, child;
        BOOL expected;
    } cases[] = {
        { "grandchild", t, l, TRUE },
        { "reversed", l, t, FALSE },
        { "itself", t, t, FALSE },
        { "sibling", m, s, FALSE },
        { "owned window", t, o, FALSE },
        { "unknown child", t, 0x7ffffff0, FALSE },
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsChild(c.parent, c.child), c.expected) << c.name;
    EXPECT_EQ(GetParent(l), m);
    EXPECT_EQ(GetParent(t), 0);
    EXPECT_EQ(SetParent(m, l), 0) << "a window cannot move under its own descendant";
    EXPECT_EQ(SetParent(l, s), m);
    EXPECT_TRUE(IsChild(s, l));
    EXPECT_FALSE(IsChild(m, l));
}

TEST(WindowCalls, StyleBitsReflectAndDriveTheWidget)
{
    QWidget top;
    auto *child = new QWidget(&top);
    const HWND h = windowHandle(child);
    const DWORD initial = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    EXPECT_EQ(
        initial & (WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_THICKFRAME), WS_CHILD | WS_VISIBLE)
        << "a child of a hidden parent still has its own visible bit";

    const DWORD custom = 0x00000004u; // a bit without a Qt meaning is kept as written
    EXPECT_EQ(SetWindowLongW(
                  h, GWL_STYLE, static_cast<LONG>(initial | WS_DISABLED | WS_THICKFRAME | custom)),
        static_cast<LONG>(initial));
    EXPECT_FALSE(child->isEnabled());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)),
        initial | WS_DISABLED | WS_THICKFRAME | custom);

    SetWindowLongW(h, GWL_STYLE, static_cast<LONG>((initial & ~WS_VISIBLE & ~WS_CHILD) | custom));
    EXPECT_TRUE(child->isHidden());
    EXPECT_TRUE(child->isEnabled());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)), (initial & ~WS_VISIBLE) | custom)
        << "WS_CHILD cannot be cleared: the widget stays a child";

    // Disabling the parent does not set the child's own disabled bit.
    top.setEnabled(false);
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & static_cast<LONG>(WS_DISABLED), 0);
}

TEST(WindowCalls, SizingBorderLetsTheUserDragTheBottomRightCorner)
{
    QWidget top;
    top.resize(300, 300);
    auto *child = new QWidget(&top);
    child->setGeometry(10, 10, 100, 60);
    top.show();
    const HWND h = windowHandle(child);
    auto drag = [&](QPoint from, QPoint to) {
        QMouseEvent press(QEvent::MouseButtonPress, from, child->mapToGlobal(from), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(child, &press);
        QMouseEvent move(QEvent::MouseMove, to, child->mapToGlobal(to), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(child, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, child->mapToGlobal(to), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(child, &release);
    };
    drag({ 98, 58 }, { 128, 78 });
    EXPECT_EQ(child->size(), QSize(100, 60)) << "no border, no resizing";
    SetWindowLongW(h, GWL_STYLE, GetWindowLongW(h, GWL_STYLE) | static_cast<LONG>(WS_THICKFRAME));
    drag({ 98, 58 }, { 128, 78 });
    EXPECT_EQ(child->size(), QSize(130, 80));
    drag({ 50, 30 }, { 80, 50 });
    EXPECT_EQ(child->size(), QSize(130, 80)) << "the inside of the window does not resize";
    EXPECT_EQ(child->pos(), QPoint(10, 10)) << "resizing never moves the window";
}

TEST(WindowCalls, WindowTextReachesTheWidgetsOwnText)
{
    QWidget top;
    auto *button = new QPushButton(&top);
    auto *edit = new QLineEdit(&top);
    auto *label = new QLabel(&top);
    auto *group = new QGroupBox(&top);
    QWidget *plain = &top;
    for (QWidget *w : std::initializer_list<QWidget *> { button, edit, label, group, plain }) {
        const HWND h = windowHandle(w);
        ASSERT_TRUE(SetWindowTextA(h, "Grüße"));
        OLECHAR wide[16] = {};
        EXPECT_EQ(GetWindowTextW(h, wide, 16), 5) << w->metaObject()->className();
        EXPECT_EQ(std::u16string(wide), u"Grüße");
    }
    EXPECT_EQ(button->text(), "Grüße");
    EXPECT_EQ(edit->text(), "Grüße");
    EXPECT_EQ(group->title(), "Grüße");
    EXPECT_EQ(top.windowTitle(), "Grüße");

    // Truncation keeps a terminator and never splits a UTF-8 sequence ("ü" is two bytes).
    char narrow[5] = { 'x', 'x', 'x', 'x', 'x' };
    EXPECT_EQ(GetWindowTextA(windowHandle(edit), narrow, 5), 4);
    EXPECT_STREQ(narrow, "Gr\xc3\xbc");
    EXPECT_EQ(GetWindowTextA(windowHandle(edit), narrow, 4), 2);
    EXPECT_STREQ(narrow, "Gr");
    OLECHAR sentinel[2] = { u'z', u'z' };
    EXPECT_EQ(GetWindowTextW(0x7ffffff0, sentinel, 2), 0);
    EXPECT_EQ(sentinel[0], u'\0');
    EXPECT_EQ(GetWindowTextW(windowHandle(edit), sentinel, 0), 0);
}

// A window that hands the messages sent to it to the test; those it does not take go on to Qt.
class MessageWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::function<bool(WindowMessageEvent &)> take;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == WindowMessageEvent::eventType() && take &&
            take(*static_cast<WindowMessageEvent *>(e)))
            return true;
        return QWidget::event(e);
    }
};

TEST(WindowCalls, SendMessageReachesTheWidgetAndItsSubclassFirst)
{
    const UINT ask = RegisterWindowMessageA("WM_XTREEVIEW");
    const UINT other = RegisterWindowMessageA("WM_RESETDROPSOURCE");
    EXPECT_EQ(RegisterWindowMessageW(u"wm_xtreeview"), ask) << "names are case-insensitive";
    EXPECT_NE(ask, other);
    EXPECT_GE(std::min(ask, other), kFirstRegisteredMessage);
    EXPECT_LE(std::max(ask, other), kLastRegisteredMessage);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    MessageWidget tree; // answers with its address, as trees find each other
    tree.take = [&](WindowMessageEvent &m) {
        if (m.message() == ask)
            m.setResult(reinterpret_cast<LRESULT>(&tree));
        return m.message() == ask;
    };
    const HWND t = windowHandle(&tree);
    EXPECT_EQ(SendMessageW(t, ask, 0, 0), reinterpret_cast<LRESULT>(&tree));
    EXPECT_EQ(SendMessageW(t, other, 0, 0), 0) << "not taken: Qt's default answer";
    EXPECT_EQ(SendMessageW(0x7ffffff0, ask, 0, 0), 0);

    std::vector<UINT> seen;
    QObject *hook = subclassWindow(t, [&](UINT msg, WPARAM w, LPARAM l, LRESULT *result) {
        seen.push_back(msg);
        if (msg != other)
            return false;
        *result = static_cast<LRESULT>(w + static_cast<WPARAM>(l));
        return true;
    });
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(SendMessageW(t, other, 40, 2), 42);
    EXPECT_EQ(SendMessageW(t, ask, 0, 0), reinterpret_cast<LRESULT>(&tree)) << "passed on";
    EXPECT_EQ(seen, (std::vector<UINT> { other, ask }));
    delete hook;
    EXPECT_EQ(SendMessageW(t, other, 40, 2), 0) << "unsubclassed";
    EXPECT_EQ(
        subclassWindow(0x7ffffff0, [](UINT, WPARAM, LPARAM, LRESULT *) { return true; }), nullptr);
}

TEST(WindowCalls, WindowFromPointFindsTheDeepestVisibleWindow)
{
    QWidget top;
    top.setGeometry(100, 100, 200, 200);
    auto *child = new QWidget(&top);
    child->setGeometry(50, 50, 40, 40);
    auto *hidden = new QWidget(&top);
    hidden->setGeometry(120, 120, 40, 40);
    top.show();
    hidden->hide();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    EXPECT_EQ(WindowFromPoint(POINT { 160, 160 }), windowHandle(child));
    EXPECT_EQ(WindowFromPoint(POINT { 230, 230 }), windowHandle(&top)) << "under a hidden child";
    EXPECT_EQ(WindowFromPoint(POINT { 5000, 5000 }), 0);
}

struct Note {
    HWND from;
    WORD id;
    WORD code;
    bool operator==(const Note &) const = default;
};

// Makes a window record the WM_COMMAND notifications it receives.
void recordCommands(MessageWidget &window, std::vector<Note> &notes)
{
    window.take = [&notes](WindowMessageEvent &m) {
        if (m.message() != WM_COMMAND)
            return false;
        notes.push_back({ static_cast<HWND>(m.lParam()), LOWORD(m.wParam()), HIWORD(m.wParam()) });
        m.setResult(0);
        return true;
    };
}

TEST(WindowCalls, ChildSignalsBecomeCommandNotificationsToTheCurrentParent)
{
    MessageWidget first, second;
    std::vector<Note> firstNotes, secondNotes;
    recordCommands(first, firstNotes);
    recordCommands(second, secondNotes);
    auto *button = new QPushButton(QStringLiteral("Go"), &first);
    auto *edit = new QLineEdit(&first);
    auto *combo = new QComboBox(&first);
    combo->addItems({ "a", "b" });
    const HWND b = windowHandle(button), e = windowHandle(edit), c = windowHandle(combo);
    SetWindowLongW(b, GWL_ID, 7);
    for (HWND h : { b, e, c, b })
        EXPECT_TRUE(enableCommandNotifications(h));

    button->click();
    edit->setText(QStringLiteral("x"));
    emit combo->activated(1);
    EXPECT_EQ(firstNotes,
        (std::vector<Note> { { b, 7, BN_CLICKED }, { e, 0, EN_CHANGE }, { c, 0, CBN_SELCHANGE } }))
        << "enabling twice must not notify twice";

    // Adopted by another window: notifications follow the new parent.
    SetParent(b, windowHandle(&second));
    button->click();
    EXPECT_EQ(firstNotes.size(), 3u);
    EXPECT_EQ(secondNotes, (std::vector<Note> { { b, 7, BN_CLICKED } }));
    SetParent(b, 0);
    button->click(); // no parent: nobody to tell, and no crash
    EXPECT_EQ(secondNotes.size(), 1u);
    delete button;
}

} // namespace
