// The window hook: registration rules, the filter's life, and what the hosted-window callback
// makes of resizes, moves and activation inside an adopted window.
#include "tests/arbor/model_test_support.h"

#include "arbor/hosting/windownodes.h"
#include "arbor/hosting/xwindowshook.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>

#include <memory>

namespace arbor {
namespace {

struct Seen {
    std::vector<HookMessage::Kind> kinds;
    QRect forced; // when valid, every move or resize is put here
    bool consume = false;
    HWND removeOnCall = 0;
};

bool record(HWND, void *context, HookMessage &m, LRESULT *)
{
    auto *seen = static_cast<Seen *>(context);
    seen->kinds.push_back(m.kind);
    if (seen->forced.isValid() && m.kind != HookMessage::Activate)
        m.geometry = seen->forced;
    if (seen->removeOnCall)
        XWindowsHook::instance().RemoveWindow(seen->removeOnCall);
    return seen->consume;
}

TEST(WindowHook, RegistrationAndTheFilterLife)
{
    XWindowsHook &hook = XWindowsHook::instance();
    ASSERT_EQ(hook.windowCount(), 0u);
    Seen seen;
    QWidget a;
    auto b = std::make_unique<QWidget>();
    const HWND ha = platform::ui::windowHandle(&a);
    const HWND hb = platform::ui::windowHandle(b.get());
    EXPECT_FALSE(hook.AddWindow(ha, nullptr, &seen));
    EXPECT_FALSE(hook.AddWindow(0x7fff0001, &record, &seen));
    EXPECT_FALSE(hook.hookInstalled());
    EXPECT_TRUE(hook.AddWindow(ha, &record, &seen));
    EXPECT_TRUE(hook.AddWindow(hb, &record, &seen));
    EXPECT_TRUE(hook.AddWindow(ha, &record, &seen)); // again: still one entry
    EXPECT_EQ(hook.windowCount(), 2u);
    EXPECT_TRUE(hook.hookInstalled());

    // Qt sends a hidden widget its resize and move events only when it is shown.
    a.show();
    seen.kinds.clear();
    a.resize(40, 30);
    a.move(5, 6);
    EXPECT_EQ(seen.kinds, (std::vector { HookMessage::Resize, HookMessage::Move }));

    // A destroyed window leaves the map by itself; the last removal takes the filter away.
    b.reset();
    EXPECT_EQ(hook.windowCount(), 1u);
    hook.RemoveWindow(hb); // already gone: nothing
    hook.RemoveWindow(ha);
    EXPECT_EQ(hook.windowCount(), 0u);
    EXPECT_FALSE(hook.hookInstalled());
    seen.kinds.clear();
    a.resize(50, 30);
    EXPECT_TRUE(seen.kinds.empty());
}

TEST(WindowHook, CallbackChangesTheRectangleAndMayRemoveItself)
{
    XWindowsHook &hook = XWindowsHook::instance();
    QWidget parent;
    auto *child = new QWidget(&parent);
    auto *inner = new QLineEdit(child);
    child->setGeometry(10, 10, 50, 50);
    parent.show();
    Seen seen;
    seen.forced = QRect(10, 10, 80, 20);
    ASSERT_TRUE(hook.AddWindow(platform::ui::windowHandle(child), &record, &seen));
    child->setGeometry(0, 0, 60, 60);
    EXPECT_EQ(child->geometry(), QRect(10, 10, 80, 20));

    // A press on a window inside the watched one counts as its activation.
    seen.forced = QRect();
    seen.kinds.clear();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(inner, &press);
    EXPECT_EQ(seen.kinds, (std::vector { HookMessage::Activate }));

    seen.removeOnCall = platform::ui::windowHandle(child);
    child->resize(30, 30);
    EXPECT_EQ(hook.windowCount(), 0u);
    child->resize(31, 31);
    EXPECT_EQ(seen.kinds.size(), 2u);
}

TEST(WindowHook, HostedWindowKeepsItsCornerAndFocusInsideSelects)
{
    QWidget itemWindow;
    itemWindow.resize(300, 200);
    XTreeModel model;
    RecordingEvents events(&model);
    model.setItemWindow(&itemWindow);
    auto client = std::make_unique<QWidget>();
    client->resize(60, 40);
    auto *edit = new QLineEdit(client.get());
    const LONG h = AddItemWindow(model, platform::ui::windowHandle(client.get()));
    ASSERT_GT(h, 0);
    auto *node = static_cast<XTreeNode_Window *>(model.item(h)->GetNode());
    itemWindow.show();
    node->PlaceWindow(QRect(14, 0, 66, 46));
    ASSERT_EQ(client->pos(), QPoint(17, 3));

    // Sizing at the left or top edge, or moving, is undone; the right and bottom edges move.
    client->move(40, 40);
    EXPECT_EQ(client->pos(), QPoint(17, 3));
    client->setGeometry(7, 3, 90, 40);
    EXPECT_EQ(client->geometry(), QRect(17, 3, 90, 40));
    EXPECT_EQ(model.measure(h), QSize(96, 46));

    // Focus on a child of the hosted window activates the item.
    itemWindow.activateWindow();
    edit->setFocus();
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(edit, &focus);
    EXPECT_EQ(events.events, (std::vector<Event> { { "ItemSelect", h } }));
    EXPECT_EQ(model.focusItem(), h);

    // Removing the item stops the watching.
    EXPECT_TRUE(model.RemoveItem(h));
    EXPECT_EQ(XWindowsHook::instance().windowCount(), 0u);
}

} // namespace
} // namespace arbor
