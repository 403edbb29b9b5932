// Controls hosted in tree items, through a registered libarbor as a host sees them, with the test
// control library (switches, call record) and the tree control itself as hosted controls.
#include "tests/arbor/control_test_support.h"
#include "tests/platform/ole_control/control.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/wincalls.h"

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace {

using namespace arbortest;
using platform::ui::widgetFromHandle;
namespace e = arbor::eventid;

constexpr LONG kSentinel = 0x5eed;

std::string testControlLibrary()
{
    const char *bin = std::getenv("BIDLARK_BIN_DIR");
    return std::string(bin ? bin : ".") + "/liboletestcontrol.so";
}

testcontrol::State &controlState()
{
    HRESULT status = S_OK;
    const auto entry = reinterpret_cast<testcontrol::StateEntry>(
        serverEntryPoint(testControlLibrary(), "TestControlState", &status));
    EXPECT_NE(entry, nullptr);
    static testcontrol::State none;
    return entry ? *entry() : none;
}

bool recorded(const char *call)
{
    const auto &calls = controlState().calls;
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// The tree control as a host drives it: a shown Arbor with a sink, controls added by name.
class HostingTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CallServerRegistration(testControlLibrary(), false), S_OK)
            << lastServerLoadError();
        ASSERT_NO_FATAL_FAILURE(ControlFixture::SetUp());
        controlState() = {};
        view()->window()->resize(320, 260);
        view()->window()->show();
    }
    void TearDown() override
    {
        ControlFixture::TearDown();
        QCoreApplication::processEvents();
    }
    QWidget *view() { return itemWindow(arbor.Get()); }
    LONG addControl(const char16_t *name, LONG parent = 0,
        const char16_t *progid = u"Test.OleControl", LONG width = 100, LONG height = 40)
    {
        const BStr id(progid), key(name);
        Variant h;
        EXPECT_EQ(arbor->AddItemControl(id.get(), key.get(), Variant::i4(parent),
                      Variant::missing(), Variant::i4(width), Variant::i4(height), &h),
            S_OK);
        EXPECT_EQ(h.vt, VT_I4);
        return h.vt == VT_I4 ? h.lVal : -1;
    }
    ComPtr<IControl> control(const char16_t *name)
    {
        ComPtr<IDispatch> found;
        EXPECT_EQ(arbor->get_Control(Variant::str(name), &found), S_OK);
        ComPtr<IControl> c;
        if (found) {
            EXPECT_EQ(found.As(c), S_OK);
        }
        return c;
    }
    ComPtr<ITestControl> object(LONG hItem)
    {
        ComPtr<IDispatch> found;
        EXPECT_EQ(arbor->get_Control(Variant::i4(hItem), &found), S_OK);
        ComPtr<ITestControl> t;
        if (found)
            (void)found.As(t);
        return t;
    }
    QWidget *widgetOf(IControl *c)
    {
        LONG hwnd = 0;
        return c && c->get_hWnd(&hwnd) == S_OK ? widgetFromHandle(static_cast<HWND>(hwnd))
                                               : nullptr;
    }
    void paint()
    {
        ASSERT_EQ(arbor->Refresh(), S_OK);
        (void)view()->grab(); // paints, which places the hosted windows
    }
    // The item on the row at y (x = 5 + 14 per level is inside every row's text column).
    LONG hit(int x, int y)
    {
        LONG h = 0;
        EXPECT_EQ(arbor->get_HitTest(x, y, &h), S_OK);
        return h;
    }
};

// Placement while scrolled or under a collapsed parent:
// ShownView.HostedWindowsOutsideTheVisibleRows...
TEST_F(HostingTest, WindowSitsInItsItemTakesItsSizesHidesWithItAndAClickSelectsIt)
{
    const LONG parent = add(u"parent");
    const LONG h = addControl(u"a", parent);
    const LONG below = add(u"below");
    ASSERT_EQ(arbor->put_ExpandItem(parent, VARIANT_TRUE), S_OK);
    paint();
    const ComPtr<IControl> c = control(u"a");
    QWidget *w = widgetOf(c.Get());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), view());
    EXPECT_TRUE(w->isVisible());
    LONG left = 0, top = 0;
    ASSERT_EQ(c->get_Left(&left), S_OK);
    ASSERT_EQ(c->get_Top(&top), S_OK);
    EXPECT_EQ(w->geometry(), QRect(left, top, 100, 40));
    // Three pixels inside its row: the row starts three above the window.
    EXPECT_EQ(hit(left, top - 3), h);
    EXPECT_EQ(hit(left, top - 4), parent);

    // Clicking the control selects its item.
    VARIANT_BOOL selected = VARIANT_FALSE;
    QTest::mouseClick(w, Qt::LeftButton);
    ASSERT_EQ(arbor->get_SelectItem(h, &selected), S_OK);
    EXPECT_EQ(selected, VARIANT_TRUE);

    // The user drags the bottom-right corner in to 20 x 20: 32 x 32 is kept and laid out; what
    // the host puts below zero is zero.
    w->resize(20, 20);
    paint();
    LONG width = 0, height = 0;
    ASSERT_EQ(c->get_Width(&width), S_OK);
    ASSERT_EQ(c->get_Height(&height), S_OK);
    EXPECT_EQ(QSize(width, height), QSize(32, 32));
    EXPECT_EQ(w->size(), QSize(32, 32));
    EXPECT_EQ(hit(20, top + 32 + 3 + 1), below);
    ASSERT_EQ(c->put_Width(-5), S_OK);
    ASSERT_EQ(c->put_Height(-5), S_OK);
    ASSERT_EQ(c->get_Width(&width), S_OK);
    ASSERT_EQ(c->get_Height(&height), S_OK);
    EXPECT_EQ(QSize(width, height), QSize(0, 0));

    ASSERT_EQ(arbor->put_ExpandItem(parent, VARIANT_FALSE), S_OK);
    paint();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(HostingTest, ControlsWithoutAWindowOrInPlaceActivationShowNothing)
{
    const struct {
        const char *what;
        testcontrol::Switches switches;
    } rows[] = {
        { "no window", { .noWindow = true } },
        { "invisible at run time",
            { .overrideMisc = true,
                .misc = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        controlState().switches = row.switches;
        const LONG h = addControl(u"bare");
        ASSERT_GT(h, 0);
        paint();
        const ComPtr<IControl> c = control(u"bare");
        ASSERT_TRUE(c);
        LONG hwnd = kSentinel;
        EXPECT_EQ(c->get_hWnd(&hwnd), S_FALSE);
        EXPECT_EQ(hwnd, kSentinel);
        VARIANT_BOOL resizable = 7;
        EXPECT_EQ(c->get_Resizable(&resizable), S_FALSE);
        EXPECT_EQ(resizable, 7);
        ASSERT_EQ(arbor->RemoveItem(h, nullptr), S_OK);
    }
}

TEST_F(HostingTest, FailedAddReturnsHandleZeroWithErrorInformation)
{
    struct Row {
        const char *what;
        const char16_t *progid, *name;
        LONG parent;
        DWORD safety;
        bool unsafeControl;
    };
    const Row rows[] = {
        { "unknown name", u"No.Such.Control", u"x", 0, 0, false },
        { "a name already taken", u"Test.OleControl", u"taken", 0, 0, false },
        { "parent that is no item", u"Test.OleControl", u"x", 4242, 0, false },
        { "unsafe control for an untrusted script", u"Test.OleControl", u"x", 0,
            INTERFACESAFE_FOR_UNTRUSTED_CALLER, true },
    };
    ASSERT_GT(addControl(u"taken"), 0);
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(arbor.As(safety), S_OK);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        controlState().switches.unsafe = row.unsafeControl;
        ASSERT_EQ(safety->SetInterfaceSafetyOptions(
                      IDispatch::iid, INTERFACESAFE_FOR_UNTRUSTED_CALLER, row.safety),
            S_OK);
        (void)SetErrorInfo(0, nullptr);
        const BStr id(row.progid), key(row.name);
        Variant h = Variant::str(u"unchanged");
        ASSERT_EQ(arbor->AddItemControl(id.get(), key.get(), Variant::i4(row.parent),
                      Variant::missing(), Variant::missing(), Variant::missing(), &h),
            S_OK);
        EXPECT_EQ(h.vt, VT_I4);
        EXPECT_EQ(h.lVal, 0);
        ComPtr<IErrorInfo> info;
        EXPECT_EQ(GetErrorInfo(0, &info), S_OK);
        LONG roots = -1;
        ASSERT_EQ(arbor->get_RootCount(&roots), S_OK);
        EXPECT_EQ(roots, 1) << "the item is removed again";
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(controlState().liveObjects, 1) << "the failed ones are released";
    // A control that accepts the same safety is created for the untrusted script.
    controlState().switches.unsafe = false;
    EXPECT_GT(addControl(u"safe"), 0);
}

TEST_F(HostingTest, RemovingTheItemClosesTheControlAndReleasingTheTreeClosesTheRest)
{
    const LONG h = addControl(u"a");
    addControl(u"b");
    addControl(u"inner", 0, u"Corvel.Arbor");
    paint();
    EXPECT_EQ(controlState().liveObjects, 2);
    controlState().calls.clear();
    ASSERT_EQ(arbor->RemoveItem(h, nullptr), S_OK);
    const auto &calls = controlState().calls;
    const auto close = std::find(calls.begin(), calls.end(), "Close(1)");
    const auto unsite = std::find(calls.begin(), calls.end(), "SetClientSite(null)");
    EXPECT_TRUE(close < unsite && unsite != calls.end());
    EXPECT_EQ(controlState().liveObjects, 1);
    EXPECT_FALSE(control(u"a"));

    ControlFixture::TearDown();
    point = nullptr;
    arbor = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(controlState().liveObjects, 0);
}

// ControlEvent as the host's sink sees it, read through IEventInfo.
struct SeenInfo {
    ComPtr<IEventInfo> info;
    BStr name, owner;
    LONG id = 0, count = -1;
    std::vector<std::pair<std::u16string, Variant>> params;
};

SeenInfo read(const SeenEvent &event)
{
    SeenInfo seen;
    if (event.args.size() != 1 || event.args[0].vt != VT_DISPATCH)
        return seen;
    EXPECT_EQ(event.args[0].pdispVal->QueryInterface(IEventInfo::iid, seen.info.voidOut()), S_OK);
    BSTR text = nullptr;
    (void)seen.info->get_name(&text);
    seen.name = BStr::attach(text);
    (void)seen.info->get_Owner(&text);
    seen.owner = BStr::attach(text);
    (void)seen.info->get_ID(&seen.id);
    ComPtr<IEventsParamInfo> params;
    (void)seen.info->get_EventsParamInfo(&params);
    if (!params)
        return seen;
    (void)params->get_Count(&seen.count);
    for (LONG i = 0; i < seen.count; ++i) {
        ComPtr<IEventParamInfo> p;
        EXPECT_EQ(params->get_item(Variant::i4(i), &p), S_OK);
        if (!p)
            continue;
        (void)p->get_name(&text);
        const BStr name = BStr::attach(text);
        Variant value;
        (void)p->get_Value(&value);
        seen.params.emplace_back(std::u16string(name.view()), std::move(value));
    }
    return seen;
}

// Each row: the test control's switches, what it fires, and the ControlEvent the host's sink then
// reads through IEventInfo ("" for none): owner, name, identifier, then each parameter's name and
// value. The class information decides what is forwarded at all.
TEST_F(HostingTest, EventsArriveAsControlEventWithTheirParametersMapped)
{
    const auto seenAs = [](const SeenEvent &event) {
        const SeenInfo seen = read(event);
        std::u16string out = std::u16string(seen.owner.view()) + u" " +
            std::u16string(seen.name.view()) + u" " + utf8ToUtf16(std::to_string(seen.id)) + u":";
        for (const auto &[name, value] : seen.params) {
            Variant text;
            EXPECT_EQ(VariantChangeType(&text, &value, 0, VT_BSTR), S_OK);
            out += u" " + name + u"=" + std::u16string(platform::com::view(text.bstrVal));
        }
        return event.id == e::ControlEvent ? out : u"not a ControlEvent";
    };
    struct Row {
        const char *what;
        testcontrol::Switches switches;
        testcontrol::FireKind kind;
        const char16_t *seen;
    };
    const Row rows[] = {
        { "three positional", {}, testcontrol::FireThree,
            u"e Three 3: number=7 text=seven flag=-1" },
        { "three named, first parameter first", {}, testcontrol::FireThreeNamed,
            u"e Three 3: number=7 text=seven flag=-1" },
        { "optional argument left out", {}, testcontrol::FireOptionalLeftOut, u"e Optional 4:" },
        { "undeclared identifier", {}, testcontrol::FireUndeclared, u"" },
        { "names cut short: padded", { .namesKept = 2 }, testcontrol::FireThree,
            u"e Three 3: number=7 =seven =-1" },
        { "no class information", { .noClassInfo = true }, testcontrol::FireThree, u"" },
        { "vtable-only source interface", { .vtableSource = true }, testcontrol::FireThree, u"" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        controlState() = {};
        controlState().switches = row.switches;
        const LONG h = addControl(u"e");
        // Only a source it can answer is connected to.
        EXPECT_EQ(recorded("FindConnectionPoint"),
            !row.switches.noClassInfo && !row.switches.vtableSource);
        const ComPtr<ITestControl> t = object(h);
        ASSERT_TRUE(t);
        sink->events.clear();
        Variant result;
        ASSERT_EQ(t->Fire(row.kind, &result), S_OK);
        ASSERT_EQ(sink->events.size(), *row.seen ? 1u : 0u);
        if (*row.seen) {
            EXPECT_EQ(seenAs(sink->events[0]), row.seen);
        }
        ASSERT_EQ(arbor->RemoveItem(h, nullptr), S_OK);
    }
}

TEST_F(HostingTest, ByReferenceArgumentsAreLiveDuringTheEventAndInformationOutlivesTheItem)
{
    const LONG h = addControl(u"cancel");
    const ComPtr<ITestControl> t = object(h);
    ASSERT_TRUE(t);
    ComPtr<IEventParamInfo> kept;
    sink->onEvent = [&](const SeenEvent &event) {
        const SeenInfo seen = read(event);
        ComPtr<IEventsParamInfo> params;
        ASSERT_EQ(seen.info->get_EventsParamInfo(&params), S_OK);
        ASSERT_EQ(params->get_item(Variant::i4(0), &kept), S_OK);
        ComPtr<IEventParamInfo> byName;
        EXPECT_EQ(params->get_item(Variant::str(u"cancel"), &byName), S_OK);
        EXPECT_FALSE(byName);
        Variant value;
        ASSERT_EQ(kept->get_Value(&value), S_OK);
        ASSERT_EQ(value.vt, VT_BYREF | VT_BOOL);
        *value.pboolVal = VARIANT_TRUE; // the host cancels
    };
    Variant result;
    ASSERT_EQ(t->Fire(testcontrol::FireCancel, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);

    sink->onEvent = nullptr;
    ASSERT_EQ(arbor->RemoveItem(h, nullptr), S_OK);
    QCoreApplication::processEvents();
    ASSERT_TRUE(kept);
    Variant after;
    ASSERT_EQ(kept->get_Value(&after), S_OK);
    EXPECT_EQ(after.vt, VT_BOOL);
    EXPECT_EQ(after.boolVal, VARIANT_TRUE);
    BSTR name = nullptr;
    ASSERT_EQ(kept->get_name(&name), S_OK);
    EXPECT_EQ(BStr::attach(name).view(), u"cancel");
}

TEST_F(HostingTest, AHandlerRemovingTheFiringControlsItemDoesNotFreeItUnderItsOwnCall)
{
    const LONG h = addControl(u"self");
    ComPtr<ITestControl> t = object(h);
    ASSERT_TRUE(t);
    sink->onEvent = [&](const SeenEvent &) { ASSERT_EQ(arbor->RemoveItem(h, nullptr), S_OK); };
    Variant result;
    ASSERT_EQ(t->Fire(testcontrol::FireThree, &result), S_OK);
    EXPECT_EQ(sink->events.size(), 1u);
    EXPECT_FALSE(control(u"self"));
    EXPECT_FALSE(recorded("Close(1)")) << "closed while its event was still being raised";
    // Once control is back in the event loop the close happens and nothing is left behind.
    t = nullptr;
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorded("Close(1)"));
    EXPECT_EQ(controlState().liveObjects, 0);
}

// The button beside the inner tree does not ask for its site first: it gets it after initialising.
TEST_F(HostingTest, TheTreeItselfHostedInATreeItemWithATestControlBeside)
{
    add(u"Hosted controls");
    const LONG treeItem = addControl(u"inner tree", 0, u"Corvel.Arbor", 180, 90);
    const LONG buttonItem = addControl(u"button", 0, u"Test.OleControlLateSite.1", 120, 30);
    add(u"after them");
    ComPtr<IDispatch> innerObject;
    ASSERT_EQ(arbor->get_Control(Variant::i4(treeItem), &innerObject), S_OK);
    ComPtr<IArbor> inner;
    ASSERT_EQ(innerObject.As(inner), S_OK);
    Variant a, b;
    const BStr first(u"inner item"), second(u"its child");
    ASSERT_EQ(inner->AddItem(first.get(), Variant::missing(), Variant::missing(), &a), S_OK);
    ASSERT_EQ(inner->AddItem(second.get(), Variant::i4(a.lVal), Variant::missing(), &b), S_OK);
    ASSERT_EQ(inner->put_ExpandItem(a.lVal, VARIANT_TRUE), S_OK);
    const ComPtr<ITestControl> button = object(buttonItem);
    ASSERT_TRUE(button);
    LONG siteAtInit = kSentinel;
    ASSERT_EQ(button->get_SiteAtInit(&siteAtInit), S_OK);
    EXPECT_EQ(siteAtInit, 0);
    const BStr caption(u"hosted button");
    ASSERT_EQ(button->put_Caption(caption.get()), S_OK);
    paint();

    QWidget *innerWindow = widgetOf(control(u"inner tree").Get());
    QWidget *buttonWindow = widgetOf(control(u"button").Get());
    ASSERT_NE(innerWindow, nullptr);
    ASSERT_NE(buttonWindow, nullptr);
    EXPECT_TRUE(view()->isAncestorOf(innerWindow));
    EXPECT_TRUE(innerWindow->isVisible());
    EXPECT_TRUE(buttonWindow->isVisible());
    EXPECT_GT(buttonWindow->y(), innerWindow->y() + 90);
    EXPECT_EQ(qobject_cast<QPushButton *>(buttonWindow)->text(), QStringLiteral("hosted button"));

    const QImage picture = view()->window()->grab().toImage();
    QDir().mkpath(QStringLiteral(ARBOR_SCREENSHOT_DIR));
    EXPECT_TRUE(picture.save(QStringLiteral(ARBOR_SCREENSHOT_DIR "/hosted_controls.png")));
}

// Each class is made by the registration like the control:
// ArborServer.ServesTheControlOnlyInAGuiProcess.
TEST(HostingClasses, HostingClassesAreHarmlessOnTheirOwn)
{
    ASSERT_NE(registerArbor(), nullptr);
    ComPtr<IControlHolder> holder;
    ASSERT_EQ(CoCreateInstance(CLSID_ControlHolder, nullptr, CLSCTX_INPROC_SERVER,
                  IControlHolder::iid, holder.voidOut()),
        S_OK);
    const BStr progid(u"Test.OleControl");
    IControl *added = reinterpret_cast<IControl *>(0xdeadbeef);
    EXPECT_EQ(
        holder->Add(progid.get(), Variant::str(u"k"), Variant::i4(10), Variant::i4(10), &added),
        E_UNEXPECTED);
    EXPECT_EQ(added, nullptr);
    ComPtr<IControl> lone;
    ASSERT_EQ(CoCreateInstance(
                  CLSID_Control, nullptr, CLSCTX_INPROC_SERVER, IControl::iid, lone.voidOut()),
        S_OK);
    ASSERT_EQ(lone->put_Visible(VARIANT_TRUE), S_OK);
    ASSERT_EQ(lone->MoveAt(4, 5), S_OK);
    ComPtr<IEventsParamInfo> params;
    ASSERT_EQ(CoCreateInstance(CLSID_EventsParamInfo, nullptr, CLSCTX_INPROC_SERVER,
                  IEventsParamInfo::iid, params.voidOut()),
        S_OK);
    IEventParamInfo *param = reinterpret_cast<IEventParamInfo *>(0xdeadbeef);
    EXPECT_EQ(params->get_item(Variant::i4(0), &param), E_POINTER);
}

} // namespace
