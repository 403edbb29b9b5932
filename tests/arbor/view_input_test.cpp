// Input of the item window through real Qt events: the windows are shown and made active, mouse
// and key events go through Qt's delivery (double clicks through the window handle, so that the
// widget sees press, release, double-click, release as from a real mouse), and the recorded
// event sequences are compared whole.
#include "tests/arbor/model_test_support.h"
#include "tests/arbor/view_test_support.h"

#include "arbor/view/xtreecursor.h"
#include "arbor/view/xtreekeys.h"
#include "arbor/view/xtreeselection.h"
#include "platform/com/ole/stdpicture.h"
#include "platform/ui/wincalls.h"

#include <QBuffer>
#include <QTest>

namespace arbor {
namespace {

using Seq = std::vector<std::string>;

// One event as text: "MouseDown(1,0,20,5)", "ItemSelect(3)", "Click".
std::string ev(const char *name, std::initializer_list<LONG> args = {})
{
    std::string s = name;
    const char *sep = "(";
    for (LONG a : args) {
        s += sep + std::to_string(a);
        sep = ",";
    }
    return args.size() ? s + ")" : s;
}

Seq cat(Seq a, const Seq &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A left click at p as the events it raises, with the events of the item between press and release.
Seq clickEvents(QPoint p, const Seq &between = {}, LONG shift = 0)
{
    return cat(cat({ ev("MouseDown", { 1, shift, p.x(), p.y() }) }, between),
        { ev("MouseUp", { 1, shift, p.x(), p.y() }), ev("Click") });
}

// The second half of a double click: what the item raises, then DblClick and the release.
Seq dblEvents(QPoint p, const Seq &item = {})
{
    return cat(item, { ev("DblClick"), ev("MouseUp", { 1, 0, p.x(), p.y() }), ev("Click") });
}

class ViewRecorder : public XTreeViewEvents {
public:
    Seq events;
    bool withMoves = false;
    // Runs inside each event, after it was recorded.
    std::function<void(const std::string &)> onEvent;

    void ItemSelect(LONG h) override { add("ItemSelect", { h }); }
    void ValueChanged(LONG h) override { add("ValueChanged", { h }); }
    void ItemExpanding(LONG h) override { add("ItemExpanding", { h }); }
    void ItemExpanded(LONG h, bool e) override { add("ItemExpanded", { h, e ? 1 : 0 }); }
    void MouseDown(SHORT b, SHORT s, LONG x, LONG y) override { add("MouseDown", { b, s, x, y }); }
    void MouseUp(SHORT b, SHORT s, LONG x, LONG y) override { add("MouseUp", { b, s, x, y }); }
    void MouseMove(SHORT b, SHORT s, LONG x, LONG y) override
    {
        if (withMoves)
            add("MouseMove", { b, s, x, y });
    }
    void Click() override { add("Click", {}); }
    void DblClick() override { add("DblClick", {}); }
    void ItemDblClk(LONG h) override { add("ItemDblClk", { h }); }
    void RightClick(LONG x, LONG y) override { add("RightClick", { x, y }); }
    void KeyDown(SHORT k, SHORT s) override { add("KeyDown", { k, s }); }
    void KeyUp(SHORT k, SHORT s) override { add("KeyUp", { k, s }); }
    void KeyPress(SHORT k) override { add("KeyPress", { k }); }

private:
    void add(const char *name, std::initializer_list<LONG> args)
    {
        events.push_back(ev(name, args));
        if (onEvent)
            onEvent(events.back());
    }
};

// A shown, active tree window with the focus and a recorder attached.
struct Window {
    std::unique_ptr<XTreeView> view;
    ViewRecorder rec;
    XTreeModel &m() { return view->model(); }

    explicit Window(
        QSize size = { 300, 200 }, DWORD style = 31, std::unique_ptr<XTreeView> custom = nullptr)
        : view(testing::makeView(size, style, std::move(custom)))
    {
        view->setEvents(&rec);
    }
    void show()
    {
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->setFocus();
        view->ensureLayout();
        rec.events.clear();
    }
    QPoint at(LONG h, QPoint offset) { return view->itemOrigin(m().item(h)).value() + offset; }
    // Client point inside the body of a text item (right of its button column).
    QPoint body(LONG h) { return at(h, { kButtonColumn + 6, 5 }); }
    QPoint button(LONG h) { return at(h, { 6, 8 }); }
    QPoint box(LONG h) { return at(h, { kButtonColumn + 4, 6 }); }
    // The events recorded since the last take.
    Seq take() { return std::exchange(rec.events, {}); }
    void select(LONG h)
    {
        SelectItem(*view, h);
        rec.events.clear();
    }
    void click(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(view.get(), Qt::LeftButton, mods, p);
    }
    void dblClick(QPoint p) { QTest::mouseDClick(view->windowHandle(), Qt::LeftButton, {}, p); }
};

TEST(ViewMouse, ClickOnBodyButtonAndBoxAndHandlersThatRemoveTheItemMidGesture)
{
    Window w;
    const LONG a = AddItem(w.m(), "Alpha");
    AddItem(w.m(), "Alpha child", a);
    const LONG c = AddItemCheck(w.m(), "Check", 0);
    const LONG b = AddItem(w.m(), "Beta");
    AddItem(w.m(), "Beta child", b);
    w.show();
    // The box is found after the button moved it down a row.
    const struct {
        QPoint (Window::*part)(LONG);
        LONG h;
        Seq between;
    } clicks[] = {
        { &Window::body, a, { ev("ItemSelect", { a }) } },
        { &Window::button, a, { ev("ItemExpanding", { a }), ev("ItemExpanded", { a, 1 }) } },
        { &Window::box, c, { ev("ValueChanged", { c }), ev("ItemSelect", { c }) } },
    };
    for (const auto &k : clicks) {
        const QPoint p = (w.*k.part)(k.h);
        w.click(p);
        EXPECT_EQ(w.take(), clickEvents(p, k.between)) << k.between[0];
    }

    // Handlers removing the item the click or the key is about.
    w.rec.onEvent = [&](const std::string &e) {
        if (e == ev("ItemSelect", { a }) || e == ev("ItemExpanding", { b }))
            w.m().RemoveItemRec(e == ev("ItemSelect", { a }) ? a : b);
    };
    w.click(w.body(a));
    EXPECT_FALSE(w.m().isValid(a));
    EXPECT_EQ(w.rec.events.back(), ev("Click"));
    w.m().setFocusItem(b);
    QTest::keyClick(w.view.get(), Qt::Key_Right);
    EXPECT_FALSE(w.m().isValid(b));
    EXPECT_EQ(w.m().focusItem(), 0);
    EXPECT_EQ(w.rec.events.back(), ev("KeyPress", { VK_RIGHT }));
    EXPECT_TRUE(ModelInspector::check(w.m()));
}

TEST(ViewMouse, CtrlClicksAddAndRemoveCollapsingDeselectsHiddenPlainClickReplaces)
{
    Window w({ 300, 200 }, 31 & ~DWORD(ARBORSTYLE_SINGLESEL));
    const LONG a = AddItem(w.m(), "Alpha");
    const LONG a1 = AddItem(w.m(), "Alpha one", a);
    const LONG b = AddItem(w.m(), "Beta");
    const LONG c = AddItem(w.m(), "Gamma");
    w.m().Expand(a, true);
    w.show();
    for (LONG h : { b, a1, c })
        w.click(w.body(h), Qt::ControlModifier);
    EXPECT_EQ(selectedHandles(w.m()), (std::vector<LONG> { b, a1, c }));
    // Ctrl + click on a selected item deselects it without an event; the focus moves there.
    const QPoint pc = w.body(c);
    w.take();
    w.click(pc, Qt::ControlModifier);
    EXPECT_EQ(w.take(), clickEvents(pc, {}, 2));
    EXPECT_EQ(selectedHandles(w.m()), (std::vector<LONG> { b, a1 }));
    EXPECT_EQ(w.m().focusItem(), c);
    w.click(w.button(a));
    EXPECT_EQ(selectedHandles(w.m()), std::vector<LONG> { b });
    w.click(w.body(c));
    EXPECT_EQ(selectedHandles(w.m()), std::vector<LONG> { c });
}

TEST(ViewMouse, RightAndDoubleClicksMovesAndNothingSelectedAtDesignTime)
{
    Window w;
    const LONG a = AddItem(w.m(), "Alpha");
    w.show();
    const QPoint p = w.body(a);
    QTest::mousePress(w.view.get(), Qt::RightButton, {}, p);
    QTest::mouseRelease(w.view.get(), Qt::RightButton, Qt::ShiftModifier, p);
    EXPECT_EQ(w.take(),
        (Seq { ev("MouseDown", { 2, 0, p.x(), p.y() }), ev("MouseUp", { 2, 1, p.x(), p.y() }),
            ev("RightClick", { p.x(), p.y() }) }));
    EXPECT_TRUE(w.m().selection().empty());
    EXPECT_EQ(w.m().focusItem(), 0);

    // Moves are reported without a press (tracking is on), with the buttons held as the state.
    w.rec.withMoves = true;
    EXPECT_TRUE(w.view->hasMouseTracking());
    QMouseEvent move(QEvent::MouseMove, QPointF(41, 31), w.view->mapToGlobal(QPointF(41, 31)),
        Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
    QApplication::sendEvent(w.view.get(), &move);
    EXPECT_EQ(w.take(), (Seq { ev("MouseMove", { 1, 4, 41, 31 }) }));
    w.rec.withMoves = false;

    w.dblClick(p);
    EXPECT_EQ(w.take(),
        cat(clickEvents(p, { ev("ItemSelect", { a }) }),
            dblEvents(p, { ev("ItemDblClk", { a }) })));
    EXPECT_FALSE(w.m().item(a)->IsExpanded());
    ASSERT_EQ(w.m().focusItem(), a);
    // On empty space only DblClick: there is no item to name. The press there clears the focus
    // item but not the selection.
    const QPoint empty(150, 150);
    w.dblClick(empty);
    EXPECT_EQ(w.rec.events, cat(clickEvents(empty), dblEvents(empty)));
    EXPECT_EQ(w.m().focusItem(), 0);
    EXPECT_EQ(w.m().selection().size(), 1u);

    // At design time clicks and double clicks are reported but select nothing.
    w.m().clearSelection();
    w.view->setDesignMode(true);
    w.take();
    w.click(p);
    w.dblClick(p);
    EXPECT_EQ(w.rec.events, cat(cat(clickEvents(p), clickEvents(p)), dblEvents(p)));
    EXPECT_TRUE(w.m().selection().empty());
    EXPECT_EQ(w.m().focusItem(), 0);
}

// Keys pressed one after the other on one tree: what each does to the items (the events between
// the press and KeyDown, KeyUp, KeyPress), the focus item and the selection after it.
struct KeyStep {
    const char *name;
    LONG select; // selected alone first (0: nothing)
    int key;
    Qt::KeyboardModifiers mods;
    Seq items;
    LONG focus;
    std::vector<LONG> selection;
};

void runKeys(Window &w, std::initializer_list<KeyStep> steps)
{
    for (const KeyStep &s : steps) {
        SCOPED_TRACE(s.name);
        if (s.select)
            w.select(s.select);
        QTest::keyClick(w.view.get(), Qt::Key(s.key), s.mods);
        Seq got = w.take();
        const LONG vk = virtualKeyFromQt(s.key, s.mods);
        Seq expected = cat(
            s.items, { ev("KeyDown", { vk, 0 }), ev("KeyUp", { vk, 0 }), ev("KeyPress", { vk }) });
        if (s.mods & Qt::ControlModifier) {
            // The Ctrl key's own events come around the key's; the item events are what counts.
            std::erase_if(got, [](const std::string &e) { return e.starts_with("Key"); });
            expected = s.items;
        }
        EXPECT_EQ(got, expected);
        EXPECT_EQ(w.m().focusItem(), s.focus);
        EXPECT_EQ(selectedHandles(w.m()), s.selection);
    }
}

TEST(ViewKeys, ExpandCollapseAndMoveInASingleSelectionTree)
{
    // a (a1), b (b1), then the row A | B; A is the last root.
    Window w;
    const LONG a = AddItem(w.m(), "Alpha");
    AddItem(w.m(), "Alpha child", a);
    const LONG b = AddItem(w.m(), "Beta");
    AddItem(w.m(), "Beta child", b);
    const LONG A = AddItem(w.m(), "A");
    const LONG B = AddItem(w.m(), "B", A, false);
    w.show();
    w.m().setFocusItem(a);
    const auto expand = [](LONG h, LONG on) {
        return Seq { ev("ItemExpanding", { h }), ev("ItemExpanded", { h, on }) };
    };
    const Qt::KeyboardModifiers none, pad = Qt::KeypadModifier, ctrl = Qt::ControlModifier;
    runKeys(w,
        {
            { "keypad plus expands the focus item", 0, Qt::Key_Plus, pad, expand(a, 1), a, {} },
            // Then the selection is cleared and the focus item selected again.
            { "right expands", b, Qt::Key_Right, none,
                cat(expand(b, 1), { ev("ItemSelect", { b }) }), b, { b } },
            { "plain minus is another key", 0, Qt::Key_Minus, none, {}, b, { b } },
            { "keypad minus collapses", 0, Qt::Key_Minus, pad, expand(b, 0), b, { b } },
            { "right on a childless item stays", A, Qt::Key_Right, none,
                { ev("ItemSelect", { A }) }, A, { A } },
            { "ctrl + right moves to the cell", 0, Qt::Key_Right, ctrl, {}, B, { A } },
            { "left moves back", 0, Qt::Key_Left, none, { ev("ItemSelect", { A }) }, A, { A } },
            { "down past the last item", 0, Qt::Key_Down, none, {}, 0, {} },
            { "up from nothing", 0, Qt::Key_Up, none, { ev("ItemSelect", { a }) }, a, { a } },
        });
}

TEST(ViewKeys, SpaceCtrlArrowsAndMultiplyInAMultipleSelectionTree)
{
    Window w({ 300, 200 }, 31 & ~DWORD(ARBORSTYLE_SINGLESEL));
    const LONG c = AddItemCheck(w.m(), "Check", 0);
    const LONG t = AddItem(w.m(), "Text");
    const LONG t1 = AddItem(w.m(), "Text one", t);
    const LONG t11 = AddItem(w.m(), "Text one one", t1);
    w.show();
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    runKeys(w,
        {
            { "space clicks the box", c, Qt::Key_Space, {},
                { ev("ValueChanged", { c }), ev("ItemSelect", { c }) }, c, { c } },
            { "ctrl + down moves the focus only", 0, Qt::Key_Down, ctrl, {}, t, { c } },
            { "ctrl + space adds", 0, Qt::Key_Space, ctrl, { ev("ItemSelect", { t }) }, t,
                { c, t } },
            { "ctrl + space again removes", 0, Qt::Key_Space, ctrl, {}, t, { c } },
            { "keypad * expands everything below", 0, Qt::Key_Asterisk, Qt::KeypadModifier,
                { ev("ItemExpanding", { t }), ev("ItemExpanded", { t, 1 }),
                    ev("ItemExpanding", { t1 }), ev("ItemExpanded", { t1, 1 }) },
                t, { c } },
        });
    EXPECT_TRUE(w.view->itemOrigin(w.m().item(t11)).has_value());
}

TEST(ViewKeys, VirtualKeyCodes)
{
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        SHORT vk;
    } cases[] = {
        { Qt::Key_A, {}, 0x41 },
        { Qt::Key_5, Qt::KeypadModifier, 0x65 },
        { Qt::Key_Plus, Qt::KeypadModifier, VK_ADD },
        // Num Lock off: the keypad's arrows are the arrows.
        { Qt::Key_Up, Qt::KeypadModifier, VK_UP },
        { Qt::Key_unknown, {}, 0 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(virtualKeyFromQt(c.key, c.mods), c.vk) << std::hex << c.key;
}

TEST(ViewKeys, FocusMovesAcrossCellsAndFamilies)
{
    // Rows: A | B | C with A: a1, a2; B: b1; C has none. Then root R with r1.
    XTreeModel m;
    const LONG A = AddItem(m, "A");
    const LONG a1 = AddItem(m, "a1", A);
    const LONG a2 = AddItem(m, "a2", A);
    const LONG B = AddItem(m, "B", A, false);
    const LONG b1 = AddItem(m, "b1", B);
    const LONG C = AddItem(m, "C", B, false);
    const LONG R = AddItem(m, "R");
    const LONG r1 = AddItem(m, "r1", R);
    const auto below = [&](LONG h) {
        XTreeItem *x = focusBelow(m.item(h));
        return x ? x->handle() : 0;
    };
    EXPECT_EQ(below(A), R); // collapsed: the next root
    EXPECT_EQ(below(R), 0); // collapsed last root: past the end
    for (LONG h : { A, B, R })
        m.Expand(h, true);
    // Last child: the parent's next sibling; a right cell's child: next of the row's top ancestor.
    const std::pair<LONG, LONG> downs[] = { { A, a1 }, { a1, a2 }, { a2, R }, { b1, R }, { C, R },
        { R, r1 }, { r1, 0 } };
    for (const auto &[from, to] : downs)
        EXPECT_EQ(below(from), to) << "down from " << from;
    // Into the previous root's last expanded child; a root-row cell searches from its left
    // neighbours; the first root keeps the focus.
    const std::pair<LONG, LONG> ups[] = { { R, a2 }, { a1, A }, { b1, B }, { C, A }, { A, A } };
    for (const auto &[from, to] : ups)
        EXPECT_EQ(focusAbove(m.item(from))->handle(), to) << "up from " << from;
}

// Drag detection (leaving the window, the delay, a click without a drag, Escape ending a drag) is
// driven through the drag-and-drop tree's own tests.

TEST(ViewCursor, SystemCursorsAndTheMouseIcon)
{
    // Pointers 1 to 11 are the system's cursors, up to the forbidden sign.
    EXPECT_EQ(systemCursor(11)->shape(), Qt::ForbiddenCursor);
    EXPECT_FALSE(systemCursor(12));

    // An icon file becomes a cursor with its hot spot in the centre; the same image as a cursor
    // file keeps the hot spot it names.
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "ICO"));
    auto fromIcon = cursorFromFileBytes(std::string_view(ico.constData(), ico.size()));
    ASSERT_TRUE(fromIcon);
    EXPECT_EQ(fromIcon->hotSpot(), QPoint(16, 16));
    QByteArray cur = ico;
    cur[2] = 2; // type: cursor
    cur[6 + 4] = 3; // hot spot x
    cur[6 + 6] = 7; // hot spot y
    cur[6 + 5] = cur[6 + 7] = 0;
    const std::string_view curBytes(cur.constData(), cur.size());
    EXPECT_FALSE(cursorFromFileBytes("not a picture"));

    // A picture object (here of the cursor file) writes itself into memory and comes back as the
    // cursor.
    ComPtr<IPicture> picture;
    ASSERT_EQ(platform::com::loadPictureFromBytes(curBytes, IID_IPicture, picture.voidOut()), S_OK);
    const auto fromPicture = cursorFromPicture(picture.Get());
    ASSERT_TRUE(fromPicture);
    EXPECT_EQ(fromPicture->hotSpot(), QPoint(3, 7));

    // MousePointer 99 shows the icon; without one, the default cursor.
    auto v = testing::makeView({ 100, 100 });
    v->setMousePointer(99);
    EXPECT_EQ(v->cursor().shape(), Qt::ArrowCursor);
    v->setMouseIcon(fromIcon);
    EXPECT_EQ(v->cursor().shape(), Qt::BitmapCursor);
    v->setMousePointer(0);
    EXPECT_EQ(v->cursor().shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace arbor
