// Drags scripted through the input state, offscreen: inside one tree, between two trees, and
// the ways a drag can be cut short (handlers and timers taking the tree or its items away).
#include "arbor/dragdrop/copyitems.h"
#include "arbor/model/textnodes.h"
#include "platform/registry/registry.h"
#include "tests/arbor/dragdrop_test_support.h"

#include <QPainter>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <filesystem>

namespace {

using namespace dragtest;
namespace e = arbor::eventid;

// Tree A: alpha (expanded, with "alpha child" and its "grandchild"), beta, gamma.
class InsideTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(a.make(QPoint(0, 0)));
        alpha = a.add(u"alpha");
        child = a.add(u"alpha child", alpha);
        grandchild = a.add(u"grandchild", child);
        beta = a.add(u"beta");
        gamma = a.add(u"gamma");
        ASSERT_EQ(a.control->put_ExpandItem(alpha, VARIANT_TRUE), S_OK);
        ASSERT_EQ(a.control->put_ExpandItem(child, VARIANT_TRUE), S_OK);
        a.view().ensureLayout();
    }
    void TearDown() override { expectNoDragLeft({ &a }); }

    ScriptedInput input;
    Tree a;
    LONG alpha = 0, child = 0, grandchild = 0, beta = 0, gamma = 0;
};

struct InsideCase {
    const char *name;
    int source; // 0 alpha, 1 alpha child
    int target; // 0 alpha, 1 alpha child, 2 grandchild, 3 beta
    Qt::KeyboardModifiers mods;
    LONG effect; // of ItemDragged; 0: no ItemDragged
    bool moved;
    bool cancel = false;
    bool escape = false;
    bool upAtFirst = false;
};

TEST_F(InsideTree, DropsFollowModifiersAndRefuseTheSourcesOwnSubtree)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier,
                                shift = Qt::ShiftModifier;
    const InsideCase cases[] = {
        { "plain drop moves", 0, 3, none, 2, true },
        { "ctrl copies and changes nothing", 0, 3, ctrl, 1, false },
        { "ctrl shift links: not within one tree", 0, 3, ctrl | shift, 0, false },
        { "cancelled move keeps everything", 0, 3, none, 2, false, true },
        { "onto itself refused", 0, 0, none, 0, false },
        { "onto its child refused", 0, 1, ctrl, 0, false },
        { "first child onto its parent as move refused", 1, 0, none, 0, false },
        { "first child onto its parent as copy", 1, 0, ctrl, 1, false },
        { "escape cancels", 0, 3, none, 0, false, false, true },
        { "button already up at the first query", 0, 3, none, 0, false, false, false, true },
    };
    for (const InsideCase &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const LONG items[] = { alpha, child, grandchild, beta };
        const LONG source = items[c.source];
        const LONG target = items[c.target];
        const LONG oldParent = a.parent(source);
        a.sink->events.clear();
        a.sink->onEvent = [&](const SeenEvent &seen) {
            if (seen.id == e::ItemDragged && c.cancel)
                *seen.args[3].pboolVal = VARIANT_TRUE;
        };
        const QPoint over = a.at(target);
        std::deque<Step> steps { { a.at(source), c.upAtFirst ? Qt::NoButton : Qt::LeftButton },
            { over, Qt::LeftButton, c.mods },
            { over + QPoint(1, 0), Qt::LeftButton, c.mods, c.escape },
            { over + QPoint(1, 0), Qt::NoButton, c.mods } };
        dragFrom(a, source, input, steps);

        ASSERT_NE(a.find(e::ItemDragging), nullptr);
        EXPECT_EQ(a.find(e::ItemDragging)->arg(0), source);
        const SeenEvent *dragged = a.find(e::ItemDragged);
        if (c.effect == 0) {
            EXPECT_EQ(dragged, nullptr);
        } else {
            ASSERT_NE(dragged, nullptr);
            EXPECT_EQ(dragged->arg(0), source);
            EXPECT_EQ(dragged->arg(1), target);
            EXPECT_EQ(dragged->arg(2), c.effect);
            // The effect the loop hears back is the one the drop used.
            EXPECT_EQ(a.dd().resultEffect(), static_cast<DWORD>(c.effect));
        }
        EXPECT_EQ(a.parent(source), c.moved ? target : oldParent);
        // The subtree travels with its item, whatever happened.
        EXPECT_EQ(a.parent(child), alpha);
        EXPECT_EQ(a.parent(grandchild), child);
        EXPECT_EQ(a.view().model().itemCount(), 5u);
    }
}

TEST_F(InsideTree, DropEffectGovernsDraggingAndTheEffectWithoutModifiers)
{
    ASSERT_EQ(a.control->ModifyDropEffect(Variant::i4(7), Variant::i4(0)), S_OK);
    dragFrom(a, alpha, input, { { a.at(alpha) }, { a.at(beta) }, { a.at(beta), Qt::NoButton } });
    EXPECT_EQ(a.find(e::ItemDragging), nullptr);
    expectNoDragLeft({ &a });
    EXPECT_EQ(input.rounds, 0);

    // Copy only: a plain drop copies.
    ASSERT_EQ(a.control->ModifyDropEffect(Variant::i4(0), Variant::i4(1)), S_OK);
    dragFrom(a, alpha, input, { { a.at(alpha) }, { a.at(beta) }, { a.at(beta), Qt::NoButton } });
    ASSERT_NE(a.find(e::ItemDragged), nullptr);
    EXPECT_EQ(a.find(e::ItemDragged)->arg(2), 1);
    EXPECT_EQ(a.parent(alpha), 0);
}

TEST_F(InsideTree, ClickWithoutDragAndTheDragDelay)
{
    // The delay comes from the registry store, read when the control is made.
    namespace reg = platform::registry;
    const std::string key = XTreeViewDragDrop::kDragDelayKey;
    EXPECT_EQ(a.view().dragDelay(), 200);
    const struct {
        const char *text;
        int delay;
    } delays[] = { { "35", 35 }, { "0", 0 }, { "junk", 200 }, { "-4", 200 } };
    for (const auto &d : delays) {
        ASSERT_EQ(
            reg::writeString(HKEY_CURRENT_USER, key, XTreeViewDragDrop::kDragDelayValue, d.text),
            ERROR_SUCCESS);
        EXPECT_EQ(arbor::readDragDelay(), d.delay) << d.text;
    }
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, key, XTreeViewDragDrop::kDragDelayValue, "40"),
        ERROR_SUCCESS);
    Tree b;
    ASSERT_NO_FATAL_FAILURE(b.make(QPoint(0, 250)));
    const LONG one = b.add(u"one");
    const LONG two = b.add(u"two");
    b.view().ensureLayout();
    ASSERT_EQ(b.view().dragDelay(), 40);

    // A short press, a move inside the window and a release: a click, and nothing left armed.
    XTreeViewDragDrop &v = b.view();
    const QPoint p = v.mapFromGlobal(b.at(one));
    QTest::mousePress(&v, Qt::LeftButton, {}, p);
    EXPECT_EQ(v.dragSource(), one);
    EXPECT_NE(registeredDropTarget(b.hwnd()), nullptr);
    QTest::mouseMove(&v, p + QPoint(3, 1));
    QTest::mouseRelease(&v, Qt::LeftButton, {}, p + QPoint(3, 1));
    QTest::qWait(60);
    EXPECT_EQ(b.find(e::ItemDragging), nullptr);
    EXPECT_NE(b.find(e::Click), nullptr);
    expectNoDragLeft({ &b });

    // Holding the button past the delay starts the drag without leaving the window.
    input.steps = { { b.at(one) }, { b.at(two) }, { b.at(two), Qt::NoButton } };
    QTest::mousePress(&v, Qt::LeftButton, {}, p);
    QTest::qWait(120);
    ASSERT_NE(b.find(e::ItemDragged), nullptr);
    EXPECT_EQ(b.parent(one), two);
    expectNoDragLeft({ &b });
    QTest::mouseRelease(&v, Qt::LeftButton, {}, p); // QTest's own button state
}

// Two trees side by side; A lists B as a drop target.
class BetweenTrees : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(a.make(QPoint(0, 0)));
        ASSERT_NO_FATAL_FAILURE(b.make(QPoint(300, 0)));
        ASSERT_EQ(a.control->AddDropTarget(b.hwnd()), S_OK);
        dest = b.add(u"destination");
        b.view().ensureLayout();
    }
    void TearDown() override { expectNoDragLeft({ &a, &b }); }

    // A subtree of every copyable kind under "parent", with a cell right of it.
    LONG fill(bool withWindow)
    {
        IArbor &t = *a.control.Get();
        const LONG parent = a.add(u"parent");
        (void)a.add(u"cell", parent, false);
        const auto kind = [&](auto member, const char16_t *text, Variant value) {
            Variant h;
            EXPECT_EQ(
                (t.*member)(BStr(text).get(), value, Variant::i4(parent), Variant::missing(), &h),
                S_OK);
            return h.lVal;
        };
        kind(&IArbor::AddItemCheck, u"check", Variant::i4(1));
        kind(&IArbor::AddItemCheck3, u"three", Variant::i4(-1));
        kind(&IArbor::AddItemRadio, u"radio", Variant::i4(1));
        const LONG image = kind(&IArbor::AddItemImage, u"image", Variant::str(u"pic"));
        Variant h;
        EXPECT_EQ(t.AddItemIcon(BStr(u"icon").get(), Variant::i4(3), Variant::i4(4),
                      Variant::i4(image), Variant::missing(), &h),
            S_OK);
        const LONG red = a.add(u"red", parent);
        EXPECT_EQ(t.put_ItemForeColor(red, 0x0000FF), S_OK);
        EXPECT_EQ(t.put_ItemBackColor(red, 0x00FF00), S_OK);
        if (withWindow) {
            window = std::make_unique<QWidget>();
            EXPECT_EQ(t.AddItemWindow(platform::ui::windowHandle(window.get()), Variant::i4(red),
                          Variant::missing(), &h),
                S_OK);
            (void)a.add(u"under the window", h.lVal);
        }
        a.view().ensureLayout();
        return parent;
    }

    // What a tree holds below and right of an item, in breadth-first order, as one line each.
    static std::vector<std::string> describe(Tree &t, LONG h)
    {
        std::vector<std::string> out;
        std::deque<LONG> queue { h };
        IArbor &arbor = *t.control.Get();
        while (!queue.empty()) {
            const LONG x = queue.front();
            queue.pop_front();
            LONG type = 0;
            OLE_COLOR fore = 0, back = 0;
            Variant value, img0, img1;
            EXPECT_EQ(arbor.get_ItemType(x, &type), S_OK);
            EXPECT_EQ(arbor.get_ItemForeColor(x, &fore), S_OK);
            EXPECT_EQ(arbor.get_ItemBackColor(x, &back), S_OK);
            EXPECT_EQ(arbor.get_ItemValue(x, &value), S_OK);
            EXPECT_EQ(arbor.get_ItemImage(x, 0, &img0), S_OK);
            EXPECT_EQ(arbor.get_ItemImage(x, 1, &img1), S_OK);
            Variant v4;
            (void)VariantChangeType(&v4, &value, 0, VT_I4);
            out.push_back(t.text(x) + "|" + std::to_string(type) + "|" + std::to_string(v4.lVal) +
                "|" + std::to_string(fore) + "|" + std::to_string(back) + "|" +
                std::to_string(img0.lVal) + "|" + std::to_string(img1.lVal));
            LONG right = 0;
            EXPECT_EQ(arbor.get_ItemRight(x, &right), S_OK);
            if (right)
                queue.push_back(right);
            for (LONG c = t.child(x); c; c = t.next(c))
                queue.push_back(c);
        }
        return out;
    }

    ScriptedInput input;
    Tree a, b;
    LONG dest = 0;
    std::unique_ptr<QWidget> window;
};

TEST_F(BetweenTrees, MoveAndCopyRaiseItemDraggedToAndCopyTheWholeSubtree)
{
    const struct {
        const char *name;
        Qt::KeyboardModifiers mods;
        bool withWindow;
        LONG effect;
        bool sourceStays;
    } cases[] = {
        { "move", Qt::NoModifier, false, 2, false },
        { "copy", Qt::ControlModifier, false, 1, true },
        { "link copies too", Qt::ControlModifier | Qt::ShiftModifier, false, 4, true },
        { "move with a window item keeps the source", Qt::NoModifier, true, 2, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        a = Tree();
        b = Tree();
        SetUp();
        const LONG parent = fill(c.withWindow);
        std::vector<std::string> expected = describe(a, parent);
        if (c.withWindow) // the window item and what lies below it stay behind
            expected.erase(std::remove_if(expected.begin(), expected.end(),
                               [](const std::string &s) {
                                   return s.rfind("|9|") != std::string::npos ||
                                       s.rfind("under the window", 0) == 0;
                               }),
                expected.end());
        LONG rootsSeen = -1;
        a.sink->onEvent = [&](const SeenEvent &seen) {
            if (seen.id != e::ItemDraggedTo)
                return;
            // The target tree is usable from inside the handler.
            ComPtr<IArbor> tree;
            ASSERT_EQ(seen.args[1].vt, VT_DISPATCH);
            ASSERT_EQ(seen.args[1].pdispVal->QueryInterface(IArbor::iid, tree.voidOut()), S_OK);
            ASSERT_EQ(tree->get_RootCount(&rootsSeen), S_OK);
        };
        dragFrom(a, parent, input,
            { { a.at(parent) }, { b.at(dest), Qt::LeftButton, c.mods },
                { b.at(dest), Qt::NoButton, c.mods } });
        const SeenEvent *to = a.find(e::ItemDraggedTo);
        ASSERT_NE(to, nullptr);
        EXPECT_EQ(to->arg(0), parent);
        EXPECT_EQ(to->arg(2), dest);
        EXPECT_EQ(to->arg(3), c.effect);
        EXPECT_EQ(rootsSeen, 1);
        EXPECT_EQ(b.find(e::ItemDraggedTo), nullptr);
        EXPECT_EQ(a.find(e::ItemDragged), nullptr);

        const LONG copy = b.child(dest);
        ASSERT_NE(copy, 0);
        EXPECT_EQ(describe(b, copy), expected);
        VARIANT_BOOL expanded = VARIANT_FALSE;
        EXPECT_EQ(b.control->get_ExpandItem(dest, &expanded), S_OK);
        EXPECT_EQ(expanded, VARIANT_TRUE);
        EXPECT_EQ(a.view().model().isValid(parent), c.sourceStays);
    }
}

// A drop the handler cancels copies nothing. At the top edge of tree A only its up timer runs and
// a tick scrolls one line; leaving A stops it. Over B the picture of the drag shows at the pointer
// (the screen is written to the build tree for a look) and the item under it is highlighted until
// the drag ends.
TEST_F(BetweenTrees, CancelledDropCopiesNothingWhileScrollingAndPictureFollowThePointer)
{
    const LONG item = a.add(u"dragged item");
    for (int i = 0; i < 40; ++i)
        (void)a.add(u"filler");
    a.view().ensureLayout();
    (void)b.add(u"another item");
    b.view().ensureLayout();
    a.sink->onEvent = [](const SeenEvent &seen) {
        if (seen.id == e::ItemDraggedTo)
            *seen.args[4].pboolVal = VARIANT_TRUE;
    };
    const QPoint top = a.client(QPoint(a.view().clientRect().center().x(), 1));
    const QPoint over = b.at(dest) + QPoint(40, 0);
    bool sawScroll = false, sawStop = false;
    QImage shot;
    QRect picture;
    dragFrom(a, item, input,
        { { a.at(item), Qt::LeftButton, {}, false, [&] { a.view().ScrollTo(0, 200); } }, { top },
            { over, Qt::LeftButton, {}, false,
                [&] {
                    XTreeViewDragDrop &v = a.view();
                    std::vector<bool> running; // up, down, left, right
                    for (int id = v.kScrollUpTimer; id <= v.kScrollRightTimer; ++id)
                        running.push_back(v.timerActive(id));
                    sawScroll = running == std::vector<bool> { true, false, false, false };
                    const QPoint before = v.scrollPosition();
                    v.onScrollUpTick();
                    EXPECT_EQ(v.scrollPosition() - before, QPoint(0, -4));
                } },
            { over, Qt::LeftButton, {}, false,
                [&] {
                    sawStop = !a.view().timerActive(XTreeViewDragDrop::kScrollUpTimer);
                    EXPECT_EQ(b.view().hoverItem(), dest);
                    const arbor::CDCArea *area = a.dd().dragArea().area();
                    ASSERT_NE(area, nullptr);
                    ASSERT_NE(area->window(), nullptr);
                    EXPECT_TRUE(area->window()->isVisible());
                    picture = area->rect();
                    // What the screen shows: the target window with the picture over it.
                    shot = b.frame->grab().toImage().convertToFormat(QImage::Format_ARGB32);
                    QPainter p(&shot);
                    p.drawPixmap(picture.topLeft() - b.frame->mapToGlobal(QPoint(0, 0)),
                        area->window()->grab());
                } },
            { over, Qt::NoButton } });
    EXPECT_TRUE(sawScroll);
    EXPECT_TRUE(sawStop);
    ASSERT_NE(a.find(e::ItemDraggedTo), nullptr);
    EXPECT_EQ(b.child(dest), 0);
    EXPECT_TRUE(a.view().model().isValid(item));
    EXPECT_EQ(b.view().hoverItem(), 0); // the highlight went with the drag
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(picture.center(), over);
    // The picture shows over the tree: the shot differs from the tree alone where it lies.
    const QImage tree = b.frame->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect inShot = picture.translated(-b.frame->mapToGlobal(QPoint(0, 0)));
    EXPECT_NE(shot.copy(inShot), tree.copy(inShot));
    std::filesystem::create_directories(ARBOR_SCREENSHOT_DIR);
    EXPECT_TRUE(shot.save(QStringLiteral(ARBOR_SCREENSHOT_DIR "/drag_in_progress.png")));
}

TEST_F(BetweenTrees, DropTargetListTakesLiveForeignWindowsAndRemovesTheFirstDuplicate)
{
    QWidget plain;
    auto gone = std::make_unique<QWidget>();
    const HWND dead = platform::ui::windowHandle(gone.get());
    gone.reset();
    IArbor &t = *a.control.Get();
    const HWND plainH = platform::ui::windowHandle(&plain);
    EXPECT_EQ(t.AddDropTarget(a.hwnd()), S_OK);
    EXPECT_EQ(t.AddDropTarget(dead), S_OK);
    EXPECT_EQ(t.AddDropTarget(0), S_OK);
    EXPECT_EQ(t.AddDropTarget(plainH), S_OK);
    EXPECT_EQ(t.AddDropTarget(b.hwnd()), S_OK);
    EXPECT_EQ(a.dd().dropTargets(), (std::vector<HWND> { b.hwnd(), plainH, b.hwnd() }));
    EXPECT_EQ(t.RemoveDropTarget(b.hwnd()), S_OK);
    EXPECT_EQ(t.RemoveDropTarget(dead), S_OK);
    EXPECT_EQ(a.dd().dropTargets(), (std::vector<HWND> { plainH, b.hwnd() }));

    // Still listed once: drops land. Removed again: B takes nothing from A.
    const LONG item = a.add(u"item");
    a.view().ensureLayout();
    for (const bool listed : { true, false }) {
        a.sink->events.clear();
        dragFrom(a, item, input,
            { { a.at(item), Qt::LeftButton, {}, false,
                  [&] { EXPECT_NE(registeredDropTarget(plainH), nullptr); } },
                { b.at(dest), Qt::LeftButton, Qt::ControlModifier },
                { b.at(dest), Qt::NoButton, Qt::ControlModifier } });
        EXPECT_EQ(a.find(e::ItemDraggedTo) != nullptr, listed);
        EXPECT_EQ(registeredDropTarget(plainH), nullptr);
        EXPECT_EQ(t.RemoveDropTarget(b.hwnd()), S_OK);
    }
}

// The ways a drag can lose its tree or its items while it runs.
class DragFaults : public BetweenTrees { };

// The source control let go, or emptied, while its drag runs: the drag ends with nothing dropped
// and nothing registered; a control let go keeps its window until the event loop deletes it.
TEST_F(DragFaults, SourceTreeReleasedOrEmptiedDuringTheDrag)
{
    enum Fault { ReleasedByATimer, ReleasedByTheHandler, EmptiedByATimer };
    const struct {
        const char *name;
        Fault fault;
    } cases[] = { { "released by a host timer", ReleasedByATimer },
        { "released by the ItemDragging handler", ReleasedByTheHandler },
        { "RemoveAllItems from a timer", EmptiedByATimer } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        a = Tree();
        b = Tree();
        SetUp();
        const LONG item = a.add(u"item");
        (void)a.add(u"child", item);
        a.view().ensureLayout();
        const HWND ah = a.hwnd();
        QPointer<XTreeViewDragDrop> view(&a.view());
        input.rounds = 0;
        a.sink->onEvent = [&](const SeenEvent &seen) {
            if (seen.id == e::ItemDragging && c.fault == ReleasedByTheHandler)
                a.control = nullptr;
            if (seen.id == e::ItemDragging && c.fault == EmptiedByATimer)
                QTimer::singleShot(0, [&] { EXPECT_EQ(a.control->RemoveAllItems(), S_OK); });
        };
        const QPoint over = b.at(dest);
        const auto hostTimer = [&] {
            if (c.fault == ReleasedByATimer)
                a.control = nullptr;
        };
        std::deque<Step> steps { { a.at(item) }, { over, Qt::LeftButton, {}, false, hostTimer } };
        for (int i = 1; i < 6; ++i)
            steps.push_back({ over + QPoint(i, 0) });
        steps.push_back({ over, Qt::NoButton });
        dragFrom(a, item, input, steps);
        EXPECT_NE(a.find(e::ItemDragging), nullptr);
        EXPECT_EQ(a.find(e::ItemDraggedTo), nullptr);
        EXPECT_EQ(b.child(dest), 0);
        EXPECT_EQ(registeredDropTarget(b.hwnd()), nullptr);
        EXPECT_EQ(registeredDropTarget(ah), nullptr);
        EXPECT_EQ(arbor::IDragDrop::active(), nullptr);
        if (c.fault == EmptiedByATimer) {
            EXPECT_EQ(a.view().model().itemCount(), 0u);
            EXPECT_LT(input.rounds, 8); // cancelled before the script ran out
            continue;
        }
        EXPECT_EQ(a.control, nullptr);
        EXPECT_FALSE(view.isNull());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(view.isNull());
    }
}

TEST_F(DragFaults, AClickLeavesNoSourceForADragFromTheOtherTree)
{
    ASSERT_EQ(b.control->AddDropTarget(a.hwnd()), S_OK);
    const LONG mine = a.add(u"mine");
    a.view().ensureLayout();
    XTreeViewDragDrop &av = a.view();
    const QPoint p = av.mapFromGlobal(a.at(mine));
    QTest::mouseClick(&av, Qt::LeftButton, {}, p);
    EXPECT_EQ(av.dragSource(), 0);
    EXPECT_EQ(registeredDropTarget(a.hwnd()), nullptr);

    dragFrom(b, dest, input,
        { { b.at(dest) }, { a.at(mine), Qt::LeftButton, Qt::ControlModifier },
            { a.at(mine), Qt::NoButton, Qt::ControlModifier } });
    const SeenEvent *to = b.find(e::ItemDraggedTo);
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->arg(2), mine);
    EXPECT_EQ(a.text(a.child(mine)), "destination");
    EXPECT_EQ(a.find(e::ItemDragged), nullptr);
}

TEST_F(DragFaults, AChainAHundredThousandDeepIsReachedAndCopiedWithoutRecursion)
{
    constexpr int kDepth = 100000;
    const LONG top = a.add(u"link");
    LONG deepest = top;
    for (int i = 1; i < kDepth; ++i)
        deepest = a.view().model().InsertNode<arbor::XTreeNode_String>(deepest, true, "link");
    XTreeViewDragDrop &v = a.view();
    v.setDragSource(top);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(v.canDrop(deepest, DROPEFFECT_MOVE));
    EXPECT_FALSE(v.canDrop(deepest, DROPEFFECT_COPY));
    v.setDragSource(deepest);
    EXPECT_TRUE(v.canDrop(top, DROPEFFECT_COPY));
    v.setDragSource(0);
    const arbor::CopyResult copied =
        arbor::CopyItems(v.model(), top, *b.control.Get(), b.view().model(), dest, true);
    EXPECT_TRUE(copied.complete);
    EXPECT_EQ(b.view().model().itemCount(), static_cast<std::size_t>(kDepth) + 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

} // namespace
