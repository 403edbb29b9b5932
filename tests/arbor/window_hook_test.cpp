// The window hook: registration rules, the filter's life, and what a callback may do with the
// messages of a watched window.
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
    return false;
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
    // Removed from inside its own callback: no further call.
    seen.removeOnCall = platform::ui::windowHandle(child);
    child->resize(30, 30);
    EXPECT_EQ(hook.windowCount(), 0u);
    child->resize(31, 31);
    EXPECT_EQ(seen.kinds.size(), 2u);
}

} // namespace
} // namespace arbor
