// The control object's two counters, driven from inside: the suspension counter that other parts
// of the control raise around bulk work, and the inside-event counter that keeps a handler from
// removing every item under the event that is being raised; and font objects seen from inside.
#include "tests/arbor/control_inside_test_support.h"

#include <QWidget>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

using namespace arbortest;
using arbor::CXTreeView;
namespace e = arbor::eventid;

class Counters : public ::testing::Test, protected InsideControl {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(make()); }
};

TEST_F(Counters, SuspendedControlRaisesNoItemEventsAndRemovesNothing)
{
    const LONG parent = add(u"parent");
    const LONG child = add(u"child", parent);
    Variant check;
    ASSERT_EQ(control->AddItemCheck(BStr(u"box").get(), Variant::i4(0), Variant::missing(),
                  Variant::missing(), &check),
        S_OK);

    control->suspendEvents();
    control->suspendEvents();
    control->resumeEvents(); // still suspended once
    ASSERT_EQ(control->put_SelectItem(parent, VARIANT_TRUE), S_OK);
    ASSERT_EQ(control->put_ExpandItem(parent, VARIANT_TRUE), S_OK);
    ASSERT_EQ(control->put_ItemValue(check.lVal, Variant::i4(1)), S_OK);
    EXPECT_TRUE(sink->events.empty());
    Variant removed;
    ASSERT_EQ(control->RemoveItem(child, &removed), S_OK);
    EXPECT_EQ(removed.boolVal, VARIANT_FALSE);
    ASSERT_EQ(control->RemoveAllItems(), S_OK);
    EXPECT_EQ(roots(), 2);
    // The state changes themselves were made.
    VARIANT_BOOL expanded = VARIANT_FALSE;
    ASSERT_EQ(control->get_ExpandItem(parent, &expanded), S_OK);
    EXPECT_EQ(expanded, VARIANT_TRUE);

    control->resumeEvents();
    control->resumeEvents(); // one too many does not go below zero
    EXPECT_FALSE(control->eventsSuspended());
    ASSERT_EQ(control->put_ExpandItem(parent, VARIANT_FALSE), S_OK);
    EXPECT_EQ(sink->ids(), std::vector<DISPID>({ e::ItemExpanding, e::ItemExpanded }));
    ASSERT_EQ(control->RemoveItem(child, &removed), S_OK);
    EXPECT_EQ(removed.boolVal, VARIANT_TRUE);
}

// Refused with the error a host shows, from whichever member raised the item event.
TEST_F(Counters, RemoveAllItemsIsRefusedUnderItemEventsOnly)
{
    const LONG parent = add(u"parent");
    const LONG child = add(u"child", parent);
    Variant check;
    ASSERT_EQ(control->AddItemCheck(BStr(u"box").get(), Variant::i4(0), Variant::missing(),
                  Variant::missing(), &check),
        S_OK);
    const struct {
        const char *name;
        DISPID event;
        std::function<void()> raise;
        HRESULT want;
    } cases[] = {
        { "ItemSelect", e::ItemSelect, [&] { (void)control->put_SelectItem(parent, VARIANT_TRUE); },
            DISP_E_EXCEPTION },
        { "ItemExpanded from EnsureVisible", e::ItemExpanded,
            [&] { (void)control->EnsureVisible(child); }, DISP_E_EXCEPTION },
        { "ItemExpanding from ChangeParentItem", e::ItemExpanding,
            [&] { (void)control->ChangeParentItem(child, check.lVal); }, DISP_E_EXCEPTION },
        // Window events do not hold the counter: a handler may empty the tree.
        { "Click", e::Click, [&] { control->view().events()->Click(); }, S_OK },
    };
    for (const auto &c : cases) {
        HRESULT got = E_UNEXPECTED;
        ComPtr<IErrorInfo> error;
        sink->onEvent = [&](const SeenEvent &seen) {
            if (seen.id == c.event && got == E_UNEXPECTED) {
                got = control->RemoveAllItems();
                (void)GetErrorInfo(0, &error);
            }
        };
        const LONG before = roots();
        c.raise();
        EXPECT_EQ(got, c.want) << c.name;
        EXPECT_FALSE(control->insideEvent()) << c.name;
        if (c.want != S_OK) {
            EXPECT_EQ(roots(), before) << c.name;
            BSTR source = nullptr, text = nullptr;
            ASSERT_TRUE(error) << c.name;
            EXPECT_EQ(error->GetSource(&source), S_OK);
            EXPECT_EQ(error->GetDescription(&text), S_OK);
            EXPECT_EQ(BStr::attach(source).view(), u"Corvel.Arbor.1");
            EXPECT_EQ(BStr::attach(text).view(), u"You cannot remove all items here.");
        }
    }
    EXPECT_EQ(roots(), 0);
}

TEST_F(Counters, AWindowDestroyedUnderTheControlLeavesAWorkingEmptyControl)
{
    (void)add(u"lost with the window");
    // What the host set on the control is no item: the next window shows it too.
    ASSERT_EQ(control->put_BackColor(0x0000FF), S_OK);
    ASSERT_EQ(control->put_PicturePosition(34), S_OK);
    ASSERT_EQ(control->put_Enabled(VARIANT_FALSE), S_OK);
    ASSERT_EQ(control->put_AutoHScroll(VARIANT_FALSE), S_OK);
    ASSERT_EQ(control->ModifyStyle(Variant::i4(31), Variant::i4(ARBORSTYLE_GRIDLINES)), S_OK);
    {
        QWidget container;
        control->frame().setParent(&container);
    } // the container deletes its children, the control's window among them
    EXPECT_EQ(roots(), 0);
    OLE_COLOR back = 7; // sentinels no getter here answers
    LONG position = 7, style = 7;
    VARIANT_BOOL enabled = 7, hscroll = 7;
    for (const HRESULT hr : { control->get_BackColor(&back),
             control->get_PicturePosition(&position), control->get_Style(&style),
             control->get_Enabled(&enabled), control->get_AutoHScroll(&hscroll) })
        EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(std::vector<LONG>({ LONG(back), position, style, enabled, hscroll }),
        std::vector<LONG>({ 0x0000FF, 34, ARBORSTYLE_GRIDLINES, 0, 0 }));
    EXPECT_FALSE(control->frame().view().isEnabled());
    ASSERT_EQ(control->put_Enabled(VARIANT_TRUE), S_OK);
    const LONG h = add(u"new");
    EXPECT_NE(h, 0);
    EXPECT_EQ(roots(), 1);
    ASSERT_EQ(control->put_SelectItem(h, VARIANT_TRUE), S_OK);
    EXPECT_EQ(sink->ids(), std::vector<DISPID>({ e::ItemSelect }));
}

// A group walk that throws stands for any fault inside a member: the member answers through the
// component boundary (its mapping: Boundary.*) instead of ending the process.
TEST_F(Counters, AnExceptionInsideAMemberBecomesItsStatus)
{
    struct ThrowingGroups final : arbor::XTreeGroupHook {
        std::function<void()> raise;
        bool groupMembers(LONG, std::vector<LONG> &) override
        {
            raise();
            return false;
        }
        void forgetItem(LONG) override { }
        void forgetAll() override { }
    } groups;
    Variant radio;
    ASSERT_EQ(control->AddItemRadio(BStr(u"radio").get(), Variant::i4(0), Variant::missing(),
                  Variant::missing(), &radio),
        S_OK);
    control->model().setGroupHook(&groups);
    groups.raise = [] { throw std::bad_alloc(); };
    EXPECT_EQ(control->put_ItemValue(radio.lVal, Variant::i4(1)), E_OUTOFMEMORY);
    groups.raise = [] { throw std::logic_error("broken"); };
    EXPECT_EQ(control->put_ItemValue(radio.lVal, Variant::i4(1)), E_UNEXPECTED);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR description = nullptr;
    ASSERT_EQ(info->GetDescription(&description), S_OK);
    EXPECT_EQ(BStr::attach(description).view(), u"ItemValue failed unexpectedly");
    control->model().setGroupHook(nullptr);
}

// Font objects seen from inside: a change through the object reaches the model the window paints
// from, and only the control font counts as a change of the control's saved state.
using ControlFontsInside = Counters;

// Changes to what the control saves mark it dirty, the control font changed through its object
// among them; item changes, an item's font object included, do not. Font changes reach the model
// the window paints from.
TEST_F(ControlFontsInside, PropertyChangesMarkTheControlDirtyItemChangesDoNot)
{
    const LONG h = add(u"item");
    ComPtr<IFontDisp> font, itemFont;
    ASSERT_EQ(control->get_Font(&font), S_OK);
    ASSERT_EQ(OleCreateFontIndirect(nullptr, IFontDisp::iid, itemFont.voidOut()), S_OK);
    ASSERT_EQ(control->putref_ItemFont(h, itemFont.Get()), S_OK);
    const auto fontPut = [](IFontDisp *f, const char16_t *name, Variant value) {
        return [=] {
            putProperty(f, name, value);
            return S_OK;
        };
    };
    SIZEL size { 2000, 1000 };
    const struct {
        const char *name;
        std::function<HRESULT()> change;
        bool dirties;
    } changes[] = {
        { "style", [&] { return control->ModifyStyle(Variant::i4(0), Variant::i4(32)); }, true },
        { "drop effect", [&] { return control->ModifyDropEffect(Variant::i4(7), Variant::i4(0)); },
            true },
        { "back colour", [&] { return control->put_BackColor(0xFF); }, true },
        { "extent", [&] { return control->SetExtent(DVASPECT_CONTENT, &size); }, true },
        { "control font", fontPut(font.Get(), u"Size", Variant::i4(20)), true },
        { "item text", [&] { return control->put_ItemText(h, BStr(u"new").get()); }, false },
        { "item font object", fontPut(itemFont.Get(), u"Italic", Variant::boolean(true)), false },
    };
    for (const auto &c : changes) {
        control->setDirty(false);
        ASSERT_EQ(c.change(), S_OK) << c.name;
        EXPECT_EQ(control->isDirty(), c.dirties) << c.name;
    }
    EXPECT_EQ(control->model().appearance().font.pointSizeF(), 20.0);
    EXPECT_FALSE(control->model().appearance().font.italic());
    const QFont *painted = control->model().item(h)->itemFont();
    ASSERT_TRUE(painted);
    EXPECT_TRUE(painted->italic());
}

// One font object on more items than a font takes listeners: every item follows its changes,
// through one connection the items share, and the font is let go with the last of them.
TEST_F(ControlFontsInside, AFontSharedByThousandsOfItemsReachesThemAll)
{
    ComPtr<IFontDisp> font;
    ASSERT_EQ(OleCreateFontIndirect(nullptr, IFontDisp::iid, font.voidOut()), S_OK);
    const ULONG before = refCount(font.Get());
    std::vector<LONG> items;
    for (int i = 0; i < 5000; ++i) {
        items.push_back(add(u"row"));
        ASSERT_EQ(control->putref_ItemFont(items.back(), font.Get()), S_OK);
    }
    putProperty(font.Get(), u"Italic", Variant::boolean(true));
    int following = 0;
    for (LONG h : items) {
        const QFont *painted = control->model().item(h)->itemFont();
        following += painted && painted->italic();
    }
    EXPECT_EQ(following, 5000);
    ASSERT_EQ(control->RemoveAllItems(), S_OK);
    EXPECT_EQ(refCount(font.Get()), before);
}

// The control's channels say nothing unless asked: a control made, filled, saved, fed a broken
// saved state and scrolled past its end leaves no message at all.
TEST(ControlLogging, ChannelsAreSilentByDefault)
{
    static std::vector<std::string> seen;
    seen.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &) {
            seen.push_back(context.category ? context.category : "");
        });
    {
        const ComPtr<CXTreeView> control = CXTreeView::make();
        ASSERT_TRUE(control);
        Variant h;
        ASSERT_EQ(
            control->AddItem(BStr(u"row").get(), Variant::missing(), Variant::missing(), &h), S_OK);
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ASSERT_EQ(control->Save(stream.Get(), TRUE), S_OK);
        ComPtr<IStream> broken;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &broken), S_OK);
        EXPECT_EQ(control->Load(broken.Get()), E_FAIL);
        (void)control->view().ScrollTo(-5, 1 << 20);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(seen.empty()) << seen.front();
}

} // namespace
