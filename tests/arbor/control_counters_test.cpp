// The control object's two counters, driven from inside: the suspension counter that other parts
// of the control raise around bulk work, and the inside-event counter that keeps a handler from
// removing every item under the event that is being raised.
#include "arbor/control/cxtreeview.h"
#include "tests/arbor/control_test_support.h"

#include <QWidget>

#include <functional>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace {

using namespace arbortest;
using arbor::CXTreeView;
namespace e = arbor::eventid;

// The value type a one-argument getter writes.
template <class F> struct MemberArg;
template <class C, class T> struct MemberArg<HRESULT (C::*)(T) noexcept> {
    using type = T;
};

class Counters : public ::testing::Test {
protected:
    void SetUp() override
    {
        control = CXTreeView::make();
        ASSERT_TRUE(control);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(control->FindConnectionPoint(DIID__IArborEvents, &point), S_OK);
        sink = EventSink::make();
        ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
    }
    LONG add(const char16_t *text, LONG parent = 0)
    {
        Variant h;
        EXPECT_EQ(
            control->AddItem(BStr(text).get(), Variant::i4(parent), Variant::missing(), &h), S_OK);
        return h.lVal;
    }
    LONG roots()
    {
        LONG n = -1;
        EXPECT_EQ(control->get_RootCount(&n), S_OK);
        return n;
    }

    ComPtr<CXTreeView> control;
    ComPtr<EventSink> sink;
    DWORD cookie = 0;
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
        { "ValueChanged", e::ValueChanged,
            [&] { (void)control->put_ItemValue(check.lVal, Variant::i4(1)); }, DISP_E_EXCEPTION },
        { "ItemExpanding", e::ItemExpanding,
            [&] { (void)control->put_ExpandItem(parent, VARIANT_TRUE); }, DISP_E_EXCEPTION },
        { "ItemExpanded", e::ItemExpanded,
            [&] { (void)control->put_ExpandItem(parent, VARIANT_FALSE); }, DISP_E_EXCEPTION },
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

TEST_F(Counters, PropertyChangesMarkTheControlDirtyItemChangesDoNot)
{
    (void)add(u"item");
    EXPECT_FALSE(control->isDirty());
    const std::function<HRESULT()> changes[] = {
        [&] { return control->ModifyStyle(Variant::i4(0), Variant::i4(32)); },
        [&] { return control->ModifyDropEffect(Variant::i4(7), Variant::i4(0)); },
        [&] { return control->put_BackColor(0xFF); },
        [&] {
            SIZEL size { 2000, 1000 };
            return control->SetExtent(DVASPECT_CONTENT, &size);
        },
    };
    for (const auto &change : changes) {
        control->setDirty(false);
        ASSERT_EQ(change(), S_OK);
        EXPECT_TRUE(control->isDirty());
    }
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
    const auto read = [&](auto getter) {
        using T = std::remove_pointer_t<typename MemberArg<decltype(getter)>::type>;
        T value = static_cast<T>(-7); // a sentinel no getter here answers
        EXPECT_EQ((control.Get()->*getter)(&value), S_OK);
        return static_cast<LONG>(value);
    };
    EXPECT_EQ(std::vector<LONG>({ read(&CXTreeView::get_BackColor),
                  read(&CXTreeView::get_PicturePosition), read(&CXTreeView::get_Style),
                  read(&CXTreeView::get_Enabled), read(&CXTreeView::get_AutoHScroll) }),
        std::vector<LONG>({ 0x0000FF, 34, ARBORSTYLE_GRIDLINES, 0, 0 }));
    EXPECT_FALSE(control->frame().view().isEnabled());
    ASSERT_EQ(control->put_Enabled(VARIANT_TRUE), S_OK);
    const LONG h = add(u"new");
    EXPECT_NE(h, 0);
    EXPECT_EQ(roots(), 1);
    ASSERT_EQ(control->put_SelectItem(h, VARIANT_TRUE), S_OK);
    EXPECT_EQ(sink->ids(), std::vector<DISPID>({ e::ItemSelect }));
}

TEST_F(Counters, TwoControlsKeepTheirOwnItemsImagesAndEvents)
{
    auto other = CXTreeView::make();
    ASSERT_TRUE(other);
    (void)add(u"mine");
    Variant theirs;
    ASSERT_EQ(
        other->AddItem(BStr(u"theirs").get(), Variant::missing(), Variant::missing(), &theirs),
        S_OK);
    Variant handle;
    ASSERT_EQ(other->AddImage(Variant::str(u"key"), Variant::i4(55), Variant::missing(),
                  Variant::missing(), Variant::missing(), &handle),
        S_OK);
    LONG image = -1;
    ASSERT_EQ(control->get_Image(Variant::str(u"key"), &image), S_OK);
    EXPECT_EQ(image, 0);
    ASSERT_EQ(other->get_Image(Variant::str(u"key"), &image), S_OK);
    EXPECT_NE(image, 0);

    ASSERT_EQ(other->put_SelectItem(theirs.lVal, VARIANT_TRUE), S_OK);
    EXPECT_TRUE(sink->events.empty());
    LONG count = -1;
    ASSERT_EQ(other->get_RootCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(roots(), 1);
}

// A group walk that throws stands for any fault inside a member: a lack of memory is the member's
// E_OUTOFMEMORY, anything else E_UNEXPECTED with error information naming the member (it used to
// be reported as out of memory, and ItemValue ended the process).
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
    Variant existing;
    ASSERT_EQ(control->AddItemRadio(BStr(u"radio").get(), Variant::i4(0), Variant::missing(),
                  Variant::missing(), &existing),
        S_OK);
    const struct {
        const char *fault;
        std::function<void()> raise;
        HRESULT expected;
        std::u16string description; // empty: no error information left
    } rows[] = {
        { "out of memory", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, u"" },
        { "logic error", [] { throw std::logic_error("broken"); }, E_UNEXPECTED,
            u"failed unexpectedly" },
    };
    const struct {
        const char16_t *member;
        std::function<HRESULT()> call;
    } members[] = {
        { u"AddItemRadio",
            [&] {
                return control->AddItemRadio(BStr(u"on").get(), Variant::i4(1), Variant::missing(),
                    Variant::missing(), nullptr);
            } },
        { u"ItemValue", [&] { return control->put_ItemValue(existing.lVal, Variant::i4(1)); } },
    };
    control->model().setGroupHook(&groups);
    for (const auto &row : rows) {
        for (const auto &member : members) {
            SCOPED_TRACE(std::string(row.fault) + " in " + utf16ToUtf8(member.member));
            groups.raise = row.raise;
            (void)SetErrorInfo(0, nullptr);
            EXPECT_EQ(member.call(), row.expected);
            ComPtr<IErrorInfo> info;
            if (row.description.empty()) {
                EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
                continue;
            }
            ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
            BSTR description = nullptr;
            ASSERT_EQ(info->GetDescription(&description), S_OK);
            EXPECT_EQ(std::u16string(description),
                std::u16string(member.member) + u" " + row.description);
            SysFreeString(description);
        }
    }
    control->model().setGroupHook(nullptr);
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
