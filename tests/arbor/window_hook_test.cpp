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
    HWND removeOnCall = 0;
};

bool record(HWND, void *context, HookMessage &m, LRESULT *)
{
    auto *seen = static_cast<Seen *>(context);
    seen->kinds.push_back(m.kind);
    if (seen->removeOnCall)
        XWindowsHook::instance().RemoveWindow(seen->removeOnCall);
    return false;
}

// A callback changing the rectangle: WindowNodeTest.HostedWindowKeepsItsCornerAndFocusInsideSelects.
TEST(WindowHook, RegistrationCallbacksAndTheFilterLife)
{
    XWindowsHook &hook = XWindowsHook::instance();
    ASSERT_EQ(hook.windowCount(), 0u);
    Seen seen;
    QWidget a;
    auto *inner = new QLineEdit(&a);
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
    // A press on a window inside the watched one counts as its activation.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(inner, &press);
    EXPECT_EQ(seen.kinds,
        (std::vector { HookMessage::Resize, HookMessage::Move, HookMessage::Activate }));

    // A destroyed window leaves the map by itself; one removed inside its own callback gets no
    // further call, and the last removal takes the filter away.
    b.reset();
    EXPECT_EQ(hook.windowCount(), 1u);
    hook.RemoveWindow(hb); // already gone: nothing
    seen.kinds.clear();
    seen.removeOnCall = ha;
    a.resize(50, 30);
    EXPECT_EQ(hook.windowCount(), 0u);
    EXPECT_FALSE(hook.hookInstalled());
    a.resize(60, 30);
    EXPECT_EQ(seen.kinds.size(), 1u);
}

} // namespace
} // namespace arbor
