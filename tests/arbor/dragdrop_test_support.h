// Drags scripted offscreen: a scripted input state that the drag loop reads one step per round,
// and trees made as the control object, shown as top-level windows side by side, with a sink on
// their events.
#pragma once

#include "arbor/dragdrop/idragdrop.h"
#include "arbor/dragdrop/xtreedraghost.h"
#include "arbor/dragdrop/xtreeviewdragdrop.h"
#include "platform/ui/input.h"
#include "tests/arbor/control_inside_test_support.h"

#include <QApplication>
#include <QMouseEvent>

#include <deque>
#include <functional>

namespace dragtest {

using namespace arbortest;
using arbor::CXTreeView;
using arbor::XTreeViewDragDrop;

// One round of the drag loop: where the pointer is, what is held, and what happens meanwhile.
struct Step {
    QPoint pos;
    Qt::MouseButtons buttons = Qt::LeftButton;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    bool escape = false;
    std::function<void()> action = {}; // runs as the round starts, like a host's timer
};

class ScriptedInput : public platform::ui::InputState {
public:
    ScriptedInput() { platform::ui::setInput(this); }
    ~ScriptedInput() override { platform::ui::setInput(nullptr); }
    std::deque<Step> steps;
    int rounds = 0;

    QPoint cursorPos() const override { return m_now.pos; }
    Qt::MouseButtons mouseButtons() const override { return m_now.buttons; }
    Qt::KeyboardModifiers keyboardModifiers() const override { return m_now.mods; }
    bool takeEscape() override { return std::exchange(m_now.escape, false); }
    void poll() override
    {
        ++rounds;
        if (steps.empty()) {
            m_now.buttons = Qt::NoButton; // a script that runs out lets go
            // A loop that ignores the release would never end: fail, and Escape it.
            if (++m_idle == kMaxIdleRounds) {
                ADD_FAILURE() << "the drag went on after the button came up";
                m_now.escape = true;
            }
            return;
        }
        m_idle = 0;
        m_now = std::move(steps.front());
        steps.pop_front();
        if (m_now.action)
            m_now.action();
    }

private:
    static constexpr int kMaxIdleRounds = 100;
    Step m_now;
    int m_idle = 0;
};

struct Tree : InsideControl {
    QPointer<QWidget> frame;

    void make(QPoint at, QSize size = QSize(200, 200))
    {
        ASSERT_NO_FATAL_FAILURE(InsideControl::make());
        frame = &control->frame();
        frame->setGeometry(QRect(at, size));
        frame->show();
    }
    XTreeViewDragDrop &view() { return control->dragView(); }
    HWND hwnd() { return platform::ui::windowHandle(&view()); }
    arbor::IDragDrop &dd() { return *view().dragHost()->dragDrop(); }
    LONG link(HRESULT (IArbor::*get)(LONG, LONG *), LONG h)
    {
        LONG out = -1;
        EXPECT_EQ((control.Get()->*get)(h, &out), S_OK);
        return out;
    }
    LONG parent(LONG h) { return link(&IArbor::get_ItemParent, h); }
    LONG child(LONG h) { return link(&IArbor::get_ItemChild, h); }
    LONG next(LONG h) { return link(&IArbor::get_ItemNext, h); }
    std::string text(LONG h)
    {
        BSTR s = nullptr;
        EXPECT_EQ(control->get_ItemText(h, &s), S_OK);
        const BStr owned = BStr::attach(s);
        return s ? utf16ToUtf8(std::u16string_view(s, SysStringLen(s))) : std::string();
    }
    // Screen point on the body of an item (it must be in sight).
    QPoint at(LONG h)
    {
        const auto origin = view().itemOrigin(view().model().item(h));
        EXPECT_TRUE(origin.has_value());
        return view().mapToGlobal(origin.value_or(QPoint()) + QPoint(arbor::kButtonColumn + 6, 6));
    }
    // Screen point of a client point.
    QPoint client(QPoint p) { return view().mapToGlobal(p); }
    const SeenEvent *find(DISPID id)
    {
        for (const auto &e : sink->events)
            if (e.id == id)
                return &e;
        return nullptr;
    }
};

// Presses the left button on the item and pulls the pointer out of the tree: the drag starts and
// its loop runs the script to the end before this returns.
inline void dragFrom(Tree &tree, LONG item, ScriptedInput &input, std::deque<Step> steps)
{
    input.steps = std::move(steps);
    XTreeViewDragDrop &v = tree.view();
    const QPoint p = v.mapFromGlobal(tree.at(item));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), QPointF(v.mapToGlobal(p)),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &press);
    const QPoint out(-3, -3);
    QMouseEvent move(QEvent::MouseMove, QPointF(out), QPointF(v.mapToGlobal(out)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &move);
}

// No window holds a drop target, no tree a drag source, no picture is left on the screen.
inline void expectNoDragLeft(std::initializer_list<Tree *> trees)
{
    for (Tree *t : trees) {
        if (!t->control)
            continue;
        EXPECT_EQ(registeredDropTarget(t->hwnd()), nullptr);
        EXPECT_EQ(t->view().dragSource(), 0);
        for (int id = XTreeViewDragDrop::kDragWatchTimer;
             id <= XTreeViewDragDrop::kScrollRightTimer; ++id)
            EXPECT_FALSE(t->view().timerActive(id)) << id;
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->objectName() == QStringLiteral("ArborDragPicture") && w->isVisible());
    EXPECT_EQ(arbor::IDragDrop::active(), nullptr);
}

} // namespace dragtest
