// The control's item members driven through the virtual table and Invoke with the values hosts
// really pass: this is where left-out, by-reference, numbers-as-text and unconvertible arguments
// are proved once for every member that takes a VARIANT.
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"

#include <QPushButton>

namespace {

using namespace arbortest;
namespace d = arbor::dispid;
namespace e = arbor::eventid;

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kMethod = DISPATCH_METHOD;

Variant byRef(VARIANT &target)
{
    Variant v;
    v.vt = static_cast<VARTYPE>(VT_BYREF | target.vt);
    v.byref = &target.lVal;
    return v;
}

using ControlItems = ControlFixture;

TEST_F(ControlItems, AddMembersTakeOmittedDefaultsByRefValuesAndNumericStrings)
{
    const LONG a = add(u"a");
    ASSERT_NE(a, 0);
    VARIANT parent;
    parent.vt = VT_I4;
    parent.lVal = a;
    struct Case {
        const char *name;
        std::vector<Variant> parentAndDown; // after the text
        LONG wantParent; // ItemParent of the new item; -1: nothing is added and 0 comes back
        LONG wantLeft; // ItemLeft of the new item
    };
    const Case cases[] = {
        { "omitted: a new root", {}, 0, 0 },
        { "parent by reference: a child", { byRef(parent) }, a, 0 },
        { "bDown false: to the right", { Variant::i4(a), Variant::boolean(false) }, 0, a },
        { "unconvertible parent counts as 0", { Variant::str(u"not a number") }, 0, 0 },
        { "numeric string names the parent", { Variant::str(utf8ToUtf16(std::to_string(a))) }, a,
            0 },
        { "invalid parent", { Variant::i4(0x7fff0000) }, -1, 0 },
    };
    for (const Case &c : cases) {
        std::vector<Variant> args { Variant::str(u"x") };
        args.insert(args.end(), c.parentAndDown.begin(), c.parentAndDown.end());
        Variant result;
        ASSERT_EQ(call(d::AddItem, kMethod, std::move(args), &result), S_OK) << c.name;
        ASSERT_EQ(result.vt, VT_I4) << c.name;
        if (c.wantParent < 0) {
            EXPECT_EQ(result.lVal, 0) << c.name;
            continue;
        }
        ASSERT_NE(result.lVal, 0) << c.name;
        LONG got = -1;
        EXPECT_EQ(arbor->get_ItemParent(result.lVal, &got), S_OK);
        EXPECT_EQ(got, c.wantParent) << c.name;
        EXPECT_EQ(arbor->get_ItemLeft(result.lVal, &got), S_OK);
        EXPECT_EQ(got, c.wantLeft) << c.name;
    }
}

TEST_F(ControlItems, AddKindsGiveTheirTypeAndDefaultValues)
{
    const struct {
        DISPID id;
        LONG type;
        LONG value;
    } cases[] = {
        { d::AddItemCheck, 2, 1 }, { d::AddItemCheck3, 3, -1 }, { d::AddItemRadio, 7, 0 },
        { d::AddItemImage, 8, -1 }, // an empty key makes a text item
    };
    for (const auto &c : cases) {
        std::vector<Variant> args { Variant::str(u"item") };
        if (c.id == d::AddItemImage)
            args.push_back(Variant());
        Variant h;
        ASSERT_EQ(call(c.id, kMethod, std::move(args), &h), S_OK) << c.id;
        ASSERT_EQ(h.vt, VT_I4);
        LONG type = 0;
        EXPECT_EQ(arbor->get_ItemType(h.lVal, &type), S_OK);
        EXPECT_EQ(type, c.type) << c.id;
        Variant value;
        EXPECT_EQ(call(d::ItemValue, kGet, { Variant::i4(h.lVal) }, &value), S_OK);
        EXPECT_EQ(value.vt, VT_I4);
        EXPECT_EQ(value.lVal, c.value) << c.id;
    }
}

TEST_F(ControlItems, ItemValueReadsMinusOneOnTextAndAStringRenames)
{
    const LONG text = add(u"plain");
    Variant check;
    ASSERT_EQ(
        call(d::AddItemCheck, kMethod, { Variant::str(u"box"), Variant::i4(0) }, &check), S_OK);
    Variant value;
    ASSERT_EQ(call(d::ItemValue, kGet, { Variant::i4(text) }, &value), S_OK);
    EXPECT_EQ(value.lVal, -1);

    sink->events.clear();
    ASSERT_EQ(
        call(d::ItemValue, kPut, { Variant::i4(check.lVal), Variant::str(u"renamed") }), S_OK);
    EXPECT_TRUE(sink->events.empty()); // a rename is no value change
    Variant name;
    ASSERT_EQ(call(d::ItemText, kGet, { Variant::i4(check.lVal) }, &name), S_OK);
    EXPECT_EQ(view(name.bstrVal), u"renamed");
    ASSERT_EQ(call(d::ItemValue, kPut, { Variant::i4(text), Variant::str(u"also") }), S_OK);
    name.clear(); // Invoke writes the result without freeing what was there
    ASSERT_EQ(call(d::ItemText, kGet, { Variant::i4(text) }, &name), S_OK);
    EXPECT_EQ(view(name.bstrVal), u"also");

    // A number sets the value and raises ValueChanged; a text item takes no number.
    ASSERT_EQ(call(d::ItemValue, kPut, { Variant::i4(check.lVal), Variant::i4(1) }), S_OK);
    ASSERT_EQ(sink->ids(), std::vector<DISPID>({ e::ValueChanged }));
    ASSERT_EQ(call(d::ItemValue, kGet, { Variant::i4(check.lVal) }, &value), S_OK);
    EXPECT_EQ(value.lVal, 1);
    ASSERT_EQ(call(d::ItemValue, kPut, { Variant::i4(text), Variant::i4(1) }), S_OK);
    ASSERT_EQ(call(d::ItemValue, kGet, { Variant::i4(text) }, &value), S_OK);
    EXPECT_EQ(value.lVal, -1);
}

TEST_F(ControlItems, SelectionIndexesInSelectionOrderAndZeroOutside)
{
    const LONG a = add(u"a");
    const LONG b = add(u"b");
    (void)add(u"c");
    ASSERT_EQ(call(d::ModifyStyle, kMethod, { Variant::i4(8), Variant::i4(0) }), S_OK); // multi
    ASSERT_EQ(arbor->put_SelectItem(b, VARIANT_TRUE), S_OK);
    ASSERT_EQ(arbor->put_SelectItem(a, VARIANT_TRUE), S_OK);
    const struct {
        Variant index;
        LONG want;
    } cases[] = {
        { Variant::missing(), b }, { Variant::i4(1), a }, { Variant::str(u"1"), a },
        { Variant::i4(5), 0 }, { Variant::i4(-1), 0 },
        { Variant::str(u"five"), b }, // unconvertible counts as 0
    };
    for (const auto &c : cases) {
        Variant out;
        ASSERT_EQ(arbor->get_Selection(c.index, &out), S_OK);
        EXPECT_EQ(out.vt, VT_I4);
        EXPECT_EQ(out.lVal, c.want);
    }
}

TEST_F(ControlItems, ExpandingAnExpandedItemRaisesBothEventsAgain)
{
    const LONG parent = add(u"parent");
    (void)add(u"child", parent);
    ASSERT_EQ(arbor->put_ExpandItem(parent, VARIANT_TRUE), S_OK);
    sink->events.clear();
    ASSERT_EQ(call(d::ExpandItem, kPut, { Variant::i4(parent), Variant::boolean(true) }), S_OK);
    ASSERT_EQ(sink->ids(), std::vector<DISPID>({ e::ItemExpanding, e::ItemExpanded }));
    EXPECT_EQ(sink->events[1].arg(0), parent);
    ASSERT_EQ(sink->events[1].args.size(), 2u);
    EXPECT_EQ(sink->events[1].args[1].vt, VT_BOOL);
    EXPECT_EQ(sink->events[1].args[1].boolVal, VARIANT_TRUE);
}

TEST_F(ControlItems, AdoptedWindowsReportCommandsAndNoWindowIsAdoptedTwice)
{
    QPushButton button(QStringLiteral("press"));
    const HWND hwnd = platform::ui::windowHandle(&button);
    Variant h;
    ASSERT_EQ(call(d::AddItemWindow, kMethod, { Variant::i4(static_cast<LONG>(hwnd)) }, &h), S_OK);
    ASSERT_EQ(h.vt, VT_I4);
    ASSERT_NE(h.lVal, 0);
    LONG type = 0;
    EXPECT_EQ(arbor->get_ItemType(h.lVal, &type), S_OK);
    EXPECT_EQ(type, 9);

    sink->events.clear();
    button.click();
    ASSERT_EQ(sink->ids(), std::vector<DISPID>({ e::CommandMessage }));
    EXPECT_EQ(sink->events[0].arg(0), static_cast<LONG>(hwnd));
    EXPECT_EQ(sink->events[0].arg(1), 0); // BN_CLICKED

    // The item window itself is refused too: WindowNodeTest.AdoptionOfItemWindowChildrenIsRefused.
    Variant again;
    ASSERT_EQ(arbor->AddItemWindow(
                  static_cast<LONG>(hwnd), Variant::missing(), Variant::missing(), &again),
        S_OK);
    EXPECT_EQ(again.vt, VT_I4);
    EXPECT_EQ(again.lVal, 0);
    LONG roots = 0;
    ASSERT_EQ(arbor->get_RootCount(&roots), S_OK);
    EXPECT_EQ(roots, 1);
    ASSERT_EQ(arbor->RemoveAllItems(), S_OK); // gives the button back before it goes
}

TEST_F(ControlItems, IconItemsShowTheHandleTheirNumericKeyNames)
{
    // An icon item whose key is a number shows that handle in both states until told otherwise.
    Variant icon;
    ASSERT_EQ(
        call(d::AddItemIcon, kMethod, { Variant::str(u"icon"), Variant::i4(77) }, &icon), S_OK);
    ASSERT_NE(icon.lVal, 0);
    for (LONG state : { 0, 1 }) {
        Variant handle;
        ASSERT_EQ(arbor->get_ItemImage(icon.lVal, state, &handle), S_OK);
        EXPECT_EQ(handle.vt, VT_I4);
        EXPECT_EQ(handle.lVal, 77) << state;
    }
    ASSERT_EQ(call(d::ItemImage, kPut,
                  { Variant::i4(icon.lVal), Variant::i4(1), Variant::i4(0x00050042) }),
        S_OK);
    Variant handle;
    ASSERT_EQ(arbor->get_ItemImage(icon.lVal, 1, &handle), S_OK);
    EXPECT_EQ(handle.lVal, 0x42); // only the low word is a key
    // Other kinds have no image.
    const LONG text = add(u"text");
    ASSERT_EQ(arbor->get_ItemImage(text, 0, &handle), S_OK);
    EXPECT_EQ(handle.lVal, 0);
}

using ControlInvoke = ControlFixture;

// Getters that take an item handle, asked through Invoke about a handle that names nothing: success
// and the "nothing" value of its type (one row per kind of answer).
TEST_F(ControlInvoke, ItemGettersAnswerNothingForAnInvalidHandle)
{
    const LONG h = add(u"only");
    const LONG bad = h + 12345;
    const struct {
        DISPID id;
        VARTYPE vt = VT_I4;
        LONG want = 0;
    } cases[] = {
        { d::ItemChild }, { d::ItemParent }, { d::ItemType }, { d::ItemVAlignment },
        { d::ItemValue, VT_I4, -1 }, { d::ItemBackColor, VT_I4, 0xFFFFFF },
        { d::ExpandItem, VT_BOOL }, { d::ItemImage }, // with the state 0
    };
    for (const auto &c : cases) {
        std::vector<Variant> args { Variant::i4(bad) };
        if (c.id == d::ItemImage)
            args.push_back(Variant::i4(0));
        Variant out;
        ASSERT_EQ(call(c.id, DISPATCH_PROPERTYGET, std::move(args), &out), S_OK) << c.id;
        EXPECT_EQ(out.vt, c.vt) << c.id;
        Variant asLong;
        ASSERT_EQ(VariantChangeType(&asLong, &out, 0, VT_I4), S_OK);
        EXPECT_EQ(asLong.lVal, c.want) << c.id;
    }
    // Setters on the invalid handle change nothing anywhere.
    const DISPID setters[] = { d::ItemText, d::ItemValue, d::ItemSortPosition, d::ItemWidth,
        d::ItemVAlignment, d::ItemWordWrap, d::ExpandItem, d::SelectItem, d::ItemData };
    sink->events.clear();
    for (DISPID id : setters)
        EXPECT_EQ(call(id, DISPATCH_PROPERTYPUT, { Variant::i4(bad), Variant::i4(1) }), S_OK) << id;
    EXPECT_TRUE(sink->events.empty());
    Variant text;
    ASSERT_EQ(call(d::ItemText, DISPATCH_PROPERTYGET, { Variant::i4(bad) }, &text), S_OK);
    EXPECT_EQ(view(text.bstrVal), u"");
    text.clear();
    ASSERT_EQ(call(d::ItemText, DISPATCH_PROPERTYGET, { Variant::i4(h) }, &text), S_OK);
    EXPECT_EQ(view(text.bstrVal), u"only");
    // An item that is not there has no data: the member fails, and Invoke says how.
    EXCEPINFO excep {};
    EXPECT_EQ(call(d::ItemData, kGet, { Variant::i4(bad) }, nullptr, &excep), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_POINTER);
    clearExcepInfo(&excep);
    LONG selected = -1;
    ASSERT_EQ(arbor->get_SelectionCount(&selected), S_OK);
    EXPECT_EQ(selected, 0);
}

TEST_F(ControlInvoke, ItemDataIsCopiedInAndOut)
{
    const LONG h = add(u"data");
    Variant stored;
    stored.vt = VT_BSTR;
    stored.bstrVal = SysAllocString(u"tag W123");
    ASSERT_EQ(call(d::ItemData, DISPATCH_PROPERTYPUT, { Variant::i4(h), byRef(stored) }), S_OK);
    SysReAllocString(&stored.bstrVal, u"changed"); // the control kept its own copy
    Variant out;
    ASSERT_EQ(call(d::ItemData, DISPATCH_PROPERTYGET, { Variant::i4(h) }, &out), S_OK);
    ASSERT_EQ(out.vt, VT_BSTR);
    EXPECT_EQ(view(out.bstrVal), u"tag W123");
}

} // namespace
