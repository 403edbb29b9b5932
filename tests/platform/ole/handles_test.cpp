#include "platform/ui/handles.h"
#include "platform/ui/handles_testing.h"
#include "platform/ui/wincalls.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

using namespace platform::ui;

QPixmap filled(QColor colour, int size = 8)
{
    QPixmap p(size, size);
    p.fill(colour);
    return p;
}

TEST(Handles, DestroyedWidgetIsInvalidAtOnceAndItsChildrenToo)
{
    auto *parent = new QWidget;
    auto *child = new QWidget(parent);
    auto *grandchild = new QWidget(child);
    const HWND p = windowHandle(parent);
    const HWND c = windowHandle(child);
    const HWND g = windowHandle(grandchild);
    // While the parent is being destroyed its children are still alive; its own handle is not.
    BOOL parentValidWhileChildDies = TRUE;
    QObject::connect(child, &QObject::destroyed, [&] { parentValidWhileChildDies = IsWindow(p); });
    delete parent;
    EXPECT_FALSE(parentValidWhileChildDies);
    for (HWND h : { p, c, g }) {
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(widgetFromHandle(h), nullptr);
    }
    // A new widget, possibly at the same address, gets a handle of its own.
    QWidget again;
    const HWND fresh = windowHandle(&again);
    EXPECT_NE(fresh, p);
    EXPECT_NE(fresh, c);
    EXPECT_NE(fresh, g);
}

// Windows and graphics draw from one counter, so no handle names two things.
TEST(Handles, OneCounterForEveryKindWrapsPastZeroAndSkipsHandlesInUse)
{
    setNextHandleForTesting(1);
    const HBITMAP low = registerBitmap(filled(Qt::blue)); // takes 1 (or the next free one)
    QWidget w;
    setNextHandleForTesting(0x7ffffffeu);
    const HBITMAP a = registerBitmap(filled(Qt::blue));
    const HWND h = windowHandle(&w);
    const HBITMAP wrapped = registerBitmap(filled(Qt::blue));
    EXPECT_EQ(a, 0x7ffffffeu);
    EXPECT_EQ(h, 0x7fffffff); // still a positive long
    EXPECT_EQ(windowHandle(&w), h) << "asking again gives the same handle";
    EXPECT_NE(wrapped, 0u);
    EXPECT_NE(wrapped, low);
    EXPECT_LT(wrapped, 0x7ffffffeu);
    // A handle of one kind is refused as the other.
    EXPECT_EQ(widgetFromHandle(static_cast<HWND>(a)), nullptr);
    EXPECT_EQ(graphicsKind(static_cast<OLE_HANDLE>(h)), GraphicsKind::None);
    EXPECT_FALSE(DeleteObject(static_cast<HGDIOBJ>(h)));
    for (HBITMAP b : { low, a, wrapped })
        EXPECT_TRUE(DeleteObject(b));
}

TEST(Handles, GraphicsHandleKeepsItsOwnCopyUntilDeleted)
{
    QPixmap original = filled(Qt::green);
    const HBITMAP b = registerBitmap(original);
    original.fill(Qt::black);
    original = QPixmap();
    const auto held = pixmapFromHandle(b);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->toImage().pixelColor(3, 3), QColor(Qt::green));
    EXPECT_EQ(graphicsKind(b), GraphicsKind::Bitmap);

    const HICON i = registerIcon(QIcon(filled(Qt::red, 16)));
    EXPECT_EQ(graphicsKind(i), GraphicsKind::Icon);
    EXPECT_FALSE(DeleteObject(i)) << "an icon is freed with DestroyIcon";
    EXPECT_FALSE(DestroyIcon(b)) << "a bitmap is freed with DeleteObject";
    ASSERT_TRUE(iconFromHandle(i));
    EXPECT_EQ(pixmapFromHandle(i)->size(), QSize(16, 16));

    const std::size_t before = liveHandleCount();
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DestroyIcon(i));
    EXPECT_EQ(liveHandleCount(), before - 2);
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_FALSE(pixmapFromHandle(b));
    EXPECT_FALSE(iconFromHandle(i));
    EXPECT_EQ(graphicsKind(b), GraphicsKind::None);
    EXPECT_FALSE(DeleteObject(0));
}

} // namespace
