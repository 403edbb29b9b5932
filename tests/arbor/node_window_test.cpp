// Window and hosted-control nodes over plain widgets: adoption, placement, sizes, activation, and
// what happens to the widget when the item or the item window goes; the window hook beneath them.
#include "tests/arbor/model_test_support.h"

#include "arbor/hosting/windownodes.h"
#include "arbor/hosting/xwindowshook.h"
#include "platform/ui/wincalls.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace arbor {
namespace {

struct Sink : XTreeLayoutSink {
    int layouts = 0;
    void layoutInvalidated() override { ++layouts; }
};

class WindowNodeTest : public ::testing::Test {
protected:
    WindowNodeTest()
    {
        m_itemWindow->resize(300, 200);
        m_model->setItemWindow(m_itemWindow.get());
        m_model->setEvents(&m_events);
        m_model->setLayoutSink(&m_sink);
    }
    XTreeNode_Window *node(LONG h)
    {
        return static_cast<XTreeNode_Window *>(m_model->item(h)->GetNode());
    }
    QImage paint(LONG h)
    {
        QImage img(100, 60, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        node(h)->Paint(p, QRect(14, 0, 86, 60), *m_model);
        return img;
    }

    // Declared so that the model goes first, then the item window, while the sinks still live.
    RecordingEvents m_events;
    Sink m_sink;
    std::unique_ptr<QWidget> m_itemWindow = std::make_unique<QWidget>();
    std::unique_ptr<XTreeModel> m_model = std::make_unique<XTreeModel>();
};

TEST_F(WindowNodeTest, AdoptedWindowIsHiddenChildWithoutBoxStylesPlacedByPaintNamedByItsCaption)
{
    auto client = std::make_unique<QLabel>(QString(200, QLatin1Char('c')));
    client->resize(50, 30);
    client->show();
    const HWND hwnd = platform::ui::windowHandle(client.get());
    (void)SetWindowLongW(
        hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | 0x00080000 | 0x00030000);
    const LONG h = AddItemWindow(*m_model, hwnd);
    ASSERT_GT(h, 0);
    EXPECT_EQ(m_model->ItemType(h), kTypeWindow);
    EXPECT_EQ(client->parentWidget(), m_itemWindow.get());
    EXPECT_TRUE(client->isHidden());
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & 0x000B0000, 0);
    EXPECT_EQ(m_model->measure(h), QSize(56, 36));

    m_itemWindow->show();
    m_model->MarkSelected(h);
    m_model->appearance().hasFocus = true;
    const QImage img = paint(h);
    EXPECT_EQ(client->pos(), QPoint(17, 3));
    EXPECT_TRUE(client->isVisible());
    EXPECT_EQ(img.pixel(0, 30), qRgb(0, 0, 128)); // frame from the button column on
    node(h)->ShowHosted(false);
    EXPECT_TRUE(client->isHidden());
    // The window's text (a label's own) is the item's text only while it has a caption bar.
    EXPECT_EQ(m_model->item(h)->GetText(), "");
    (void)SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | 0x00C00000);
    EXPECT_EQ(m_model->item(h)->GetText(), std::string(127, 'c'));
}

TEST_F(WindowNodeTest, ItemWindowChildrenAreRefusedAndItemsWithoutAWindowMeasureThree)
{
    auto *child = new QWidget(m_itemWindow.get());
    for (QWidget *w : { child, new QWidget(child), m_itemWindow.get() })
        EXPECT_EQ(AddItemWindow(*m_model, platform::ui::windowHandle(w)), 0);
    EXPECT_EQ(m_model->itemCount(), 0u);
    // A handle that names no window, or a window its owner destroyed: an item that holds none,
    // measures 3 x 3 and paints nothing.
    const LONG none = AddItemWindow(*m_model, 0x7ffffff0);
    auto *client = new QWidget;
    client->resize(40, 40);
    const LONG gone = AddItemWindow(*m_model, platform::ui::windowHandle(client));
    delete client;
    for (const LONG h : { none, gone }) {
        ASSERT_GT(h, 0);
        EXPECT_FALSE(node(h)->HasWindow());
        EXPECT_EQ(m_model->measure(h), QSize(3, 3));
        m_model->MarkSelected(h);
        EXPECT_EQ(paint(h).pixel(0, 30), qRgb(255, 255, 255));
        EXPECT_TRUE(m_model->RemoveItem(h));
    }
}

TEST_F(WindowNodeTest, RemovingTheItemOrTheItemWindowDetachesTheWidget)
{
    QPointer<QWidget> a = new QLabel("a");
    QPointer<QWidget> b = new QLabel("b");
    const LONG ha = AddItemWindow(*m_model, platform::ui::windowHandle(a));
    AddItemWindow(*m_model, platform::ui::windowHandle(b));
    ASSERT_EQ(a->parentWidget(), m_itemWindow.get());
    EXPECT_TRUE(m_model->RemoveItem(ha));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->parentWidget(), nullptr);
    EXPECT_TRUE(a->isHidden());
    // Qt would delete b with its parent; the model detaches it first.
    m_itemWindow.reset();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->parentWidget(), nullptr);
    delete a;
    delete b;
}

// Hiding a focused hosted window passes the focus to the next one, in the middle of removing or
// collapsing their items: no item is selected by that, and no event runs while the model walks
// its items; the application's own activation selects nothing either.
TEST_F(WindowNodeTest, FocusPassedOnWhileWindowsGoOrHideSelectsNothing)
{
    m_itemWindow->show();
    struct Hosted {
        std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
        QLineEdit *edit = new QLineEdit(window.get());
    };
    for (const bool remove : { true, false }) {
        Hosted a, b;
        const LONG root = AddItem(*m_model, "root");
        const LONG ha = AddItemWindow(*m_model, platform::ui::windowHandle(a.window.get()), root);
        const LONG hb = AddItemWindow(*m_model, platform::ui::windowHandle(b.window.get()), root);
        ASSERT_NE(ha, 0);
        ASSERT_NE(hb, 0);
        m_model->Expand(root, true);
        for (LONG h : { ha, hb })
            paint(h); // placed and shown
        m_model->clearSelection();
        QApplication::setActiveWindow(m_itemWindow.get());
        b.edit->setFocus();
        ASSERT_TRUE(b.edit->hasFocus());
        m_events.events.clear();
        // A handler that removes everything it is told about would free what the walk holds.
        m_events.onEvent = [&](const Event &e) {
            if (e.name == "ItemSelect")
                m_model->RemoveItemRec(root);
        };
        if (remove)
            m_model->RemoveItemRec(root);
        else
            m_model->Expand(root, false);
        m_events.onEvent = nullptr;
        for (const Event &e : m_events.events)
            EXPECT_NE(e.name, "ItemSelect") << (remove ? "removing" : "collapsing");
        m_model->RemoveAllItems();
    }

    // The window holding the tree becomes active again: hosted windows inside it are not.
    Hosted c;
    const LONG hc = AddItemWindow(*m_model, platform::ui::windowHandle(c.window.get()));
    paint(hc);
    m_events.events.clear();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(c.edit, &activate);
    QCoreApplication::sendEvent(c.window.get(), &activate);
    EXPECT_TRUE(m_events.events.empty());
    EXPECT_FALSE(m_model->item(hc)->IsSelected());
}

TEST_F(WindowNodeTest, HostedWindowKeepsItsCornerAsksForLayoutAndAPressOrFocusInsideSelects)
{
    auto client = std::make_unique<QWidget>();
    client->resize(60, 40);
    auto *edit = new QLineEdit(client.get());
    const LONG h = AddItemWindow(*m_model, platform::ui::windowHandle(client.get()));
    ASSERT_GT(h, 0);
    m_itemWindow->show();
    node(h)->PlaceWindow(QRect(14, 0, 66, 46));
    ASSERT_EQ(client->pos(), QPoint(17, 3));
    m_model->layoutDone();
    m_sink.layouts = 0;
    client->resize(80, 50);
    EXPECT_EQ(m_sink.layouts, 1);
    EXPECT_EQ(m_model->measure(h), QSize(86, 56));

    // Sizing at the left or top edge, or moving, is undone; the right and bottom edges move.
    client->move(40, 40);
    EXPECT_EQ(client->pos(), QPoint(17, 3));
    client->setGeometry(7, 3, 90, 40);
    EXPECT_EQ(client->geometry(), QRect(17, 3, 90, 40));
    EXPECT_EQ(m_model->measure(h), QSize(96, 46));

    // In a single-selection tree (the default) a press makes the item the only selected one,
    // once; several selected items: the control's hosting tests select through the same step.
    const LONG other = AddItem(*m_model, "other");
    m_model->MarkSelected(other);
    m_events.events.clear();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(client.get(), &press);
    QCoreApplication::sendEvent(client.get(), &press); // already selected: nothing more
    EXPECT_EQ(m_events.events, (std::vector<Event> { { "ItemSelect", h } }));
    EXPECT_FALSE(m_model->item(other)->IsSelected());

    // Focus on a child of the hosted window activates the item.
    m_model->clearSelection();
    m_events.events.clear();
    m_itemWindow->activateWindow();
    edit->setFocus();
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(edit, &focus);
    EXPECT_EQ(m_events.events, (std::vector<Event> { { "ItemSelect", h } }));
    EXPECT_EQ(m_model->focusItem(), h);

    // Removing the item stops the watching.
    EXPECT_TRUE(m_model->RemoveItem(h));
    EXPECT_EQ(XWindowsHook::instance().windowCount(), 0u);
}

struct Seen {
    int calls = 0;
    HWND removeOnCall = 0;
};

bool record(HWND, void *context, HookMessage &, LRESULT *)
{
    auto *seen = static_cast<Seen *>(context);
    ++seen->calls;
    if (seen->removeOnCall)
        XWindowsHook::instance().RemoveWindow(seen->removeOnCall);
    return false;
}

// The messages a callback sees and what it may change (moves, sizes, presses and focus inside):
// WindowNodeTest.HostedWindowKeepsItsCornerAsksForLayoutAndAPressOrFocusInsideSelects.
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

    // A destroyed window leaves the map by itself; one removed inside its own callback gets no
    // further call, and the last removal takes the filter away.
    b.reset();
    EXPECT_EQ(hook.windowCount(), 1u);
    hook.RemoveWindow(hb); // already gone: nothing
    seen.removeOnCall = ha;
    a.show(); // Qt sends a hidden widget its resize and move events only when it is shown
    a.resize(50, 30);
    EXPECT_EQ(hook.windowCount(), 0u);
    EXPECT_FALSE(hook.hookInstalled());
    a.resize(60, 30);
    EXPECT_EQ(seen.calls, 1);
}

} // namespace
} // namespace arbor
