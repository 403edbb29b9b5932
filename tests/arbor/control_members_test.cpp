// Members of IArbor as a late-binding host reaches them: one table of Invoke calls by DISPID with
// the values at the edges of each member's own rule and what each must answer and change, and the
// out objects the virtual table clears. Then the item members with the values hosts really pass:
// ControlItems.AddMembersTakeOmittedDefaults... proves left-out, by-reference, numbers-as-text and
// unconvertible arguments once for every member that takes a VARIANT.
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"

#include <QPushButton>
#include <QWidget>

namespace {

using namespace arbortest;
namespace d = arbor::dispid;
namespace e = arbor::eventid;

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kMethod = DISPATCH_METHOD;

// The tree every row starts from: root "root" with children "pear" (child "seed"), "apple" (with
// the cell "right" to its right) and "fig"; root "second" with the cell "cell"; the check root
// "box"; and a handle that names nothing.
enum Node { R0, C0, G0, C1, X1, C2, R1, Y1, K, Bad, kNodes };

struct Arg {
    Variant value;
    Node node = R0;
    bool handle = false;
};

constexpr VARTYPE kAny = 0xFFFF; // the result is not looked at

struct Row {
    const char *name;
    DISPID id;
    WORD flags;
    std::vector<Arg> args;
    HRESULT hr = S_OK;
    VARTYPE vt = kAny;
    Arg want = {}; // compared as VT_I4 (true is -1)
    std::function<void(const Variant &)> check = {};
    std::function<void()> prep = {};
};

class ControlTable : public ControlFixture {
protected:
    static Arg i4(LONG v) { return { Variant::i4(v) }; }
    static Arg str(const char16_t *s) { return { Variant::str(s) }; }
    static Arg flag(bool b) { return { Variant::boolean(b) }; }
    static Arg missing() { return { Variant::missing() }; }
    static Arg h(Node n) { return { {}, n, true }; }

    // A new control holding the tree above, its window shown at 240 x 160.
    void renew()
    {
        (void)point->Unadvise(cookie);
        point = nullptr;
        arbor = nullptr;
        ASSERT_NO_FATAL_FAILURE(createAdvised(arbor, point, sink.Get(), cookie));
        itemWindow()->window()->resize(240, 160);
        itemWindow()->window()->show();
        m[R0] = add(u"root");
        m[C0] = add(u"pear", m[R0]);
        m[C1] = add(u"apple", m[R0]);
        m[C2] = add(u"fig", m[R0]);
        m[G0] = add(u"seed", m[C0]);
        m[X1] = cell(u"right", m[C1]);
        m[R1] = add(u"second");
        m[Y1] = cell(u"cell", m[R1]);
        m[K] = get(d::AddItemCheck, { Variant::str(u"box") }, kMethod);
        m[Bad] = m[K] + 1000;
        sink->events.clear();
        sink->onEvent = nullptr;
    }
    LONG cell(const char16_t *text, LONG left)
    {
        return get(d::AddItem, { Variant::str(text), Variant::i4(left), Variant::boolean(false) },
            kMethod);
    }
    Variant resolve(const Arg &a) { return a.handle ? Variant::i4(m[a.node]) : a.value; }
    Variant H(Node n) { return Variant::i4(m[n]); }
    // A member's answer through Invoke as a LONG (true is -1).
    LONG get(DISPID id, std::vector<Variant> args = {}, WORD flags = kGet)
    {
        Variant out, asLong;
        EXPECT_EQ(call(id, flags, std::move(args), &out), S_OK) << id;
        return SUCCEEDED(VariantChangeType(&asLong, &out, 0, VT_I4)) ? asLong.lVal : -9999;
    }
    void put(DISPID id, std::vector<Variant> args, WORD flags = kPut)
    {
        EXPECT_EQ(call(id, flags, std::move(args)), S_OK) << id;
    }
    std::string kids(Node parent)
    {
        std::string out;
        LONG c = get(d::ItemChild, { H(parent) });
        for (int guard = 0; c && guard < 20; ++guard, c = get(d::ItemNext, { Variant::i4(c) }))
            out += (out.empty() ? "" : ",") + text(c);
        return out;
    }
    std::string text(LONG item)
    {
        Variant out;
        EXPECT_EQ(call(d::ItemText, kGet, { Variant::i4(item) }, &out), S_OK);
        return out.vt == VT_BSTR ? utf16ToUtf8(view(out.bstrVal)) : "";
    }
    LONG hit(LONG x, LONG y) { return get(d::HitTest, { Variant::i4(x), Variant::i4(y) }); }
    // The first client row, at x, that hits the item; -1 if none does.
    LONG topOf(Node n, LONG x = 2)
    {
        for (LONG y = 0; y < 150; ++y)
            if (hit(x, y) == m[n])
                return y;
        return -1;
    }
    bool hitBetween(Node n, LONG x0, LONG x1, LONG y)
    {
        for (LONG x = x0; x < x1; x += 2)
            if (hit(x, y) == m[n])
                return true;
        return false;
    }
    QWidget *itemWindow() { return arbortest::itemWindow(arbor.Get()); }
    void expand(Node n) { put(d::ExpandItem, { H(n), Variant::boolean(true) }); }
    void select(Node n) { put(d::SelectItem, { H(n), Variant::boolean(true) }); }

    LONG m[kNodes] = {};
    LONG m_saved = 0;
};

TEST_F(ControlTable, EveryMemberThroughInvokeAnswersAsDocumented)
{
    COLORREF window = 0;
    ASSERT_EQ(OleTranslateColor(0x80000005, 0, &window), S_OK);
    const auto expandEvents = [&](std::initializer_list<Node> items) {
        std::vector<DISPID> ids;
        for (std::size_t i = 0; i < items.size(); ++i)
            ids.insert(ids.end(), { e::ItemExpanding, e::ItemExpanded });
        ASSERT_EQ(sink->ids(), ids);
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(sink->events[i * 2].arg(0), m[items.begin()[i]]) << i;
    };
    const auto dropEffectIs = [&](LONG want) {
        return [&, want](auto &) { EXPECT_EQ(get(d::DropEffect), want); };
    };
    const auto dropEffect2 = [&] {
        put(d::ModifyDropEffect, { Variant::i4(7), Variant::i4(2) }, kMethod); // removal wins: 0
        put(d::ModifyDropEffect, { Variant::i4(0), Variant::i4(2) }, kMethod);
    };
    const auto kidsAre = [&](const char *want) {
        return [&, want](auto &) { EXPECT_EQ(kids(R0), want); };
    };
    const auto addThenKids = [&](const char16_t *text, const char *want) {
        return [&, text, want](auto &) {
            add(text, m[R0]);
            EXPECT_EQ(kids(R0), want);
        };
    };
    const auto sortedAscending = [&] {
        put(d::AutoSort, { H(R0), Variant::i4(1), Variant::boolean(true) }, kMethod);
    };
    const auto is = [&](DISPID id, Node n, LONG want) {
        return [&, id, n, want](auto &) { EXPECT_EQ(get(id, { H(n) }), want); };
    };
    const auto yOf = [&](Node n) { return topOf(n) + 4; };
    const auto selectTwo = [&] {
        put(d::ModifyStyle, { Variant::i4(8), Variant::i4(0) }, kMethod); // multiple selection
        select(C2);
        select(C1);
    };
    const auto kindAndValue = [&](LONG type, LONG value) {
        return [&, type, value](const Variant &v) {
            EXPECT_EQ(get(d::ItemType, { Variant::i4(v.lVal) }), type);
            EXPECT_EQ(get(d::ItemValue, { Variant::i4(v.lVal) }), value);
        };
    };
    const auto cellTop = [&] { // the first client row that hits the cell "cell" anywhere
        for (LONG y = 0; y < 150; ++y)
            if (hitBetween(Y1, 0, 240, y))
                return y;
        return LONG(-1);
    };

    // Rows check what Invoke adds (arguments left out, results typed) and each member's own edges;
    // the rules behind them are the model's and the image collection's own tests.
    const Row rows[] = {
        { "RemoveItem of a cell", d::RemoveItem, kMethod, { h(Y1) }, S_OK, VT_BOOL, i4(-1),
            is(d::ItemRight, R1, 0) },

        { "AutoSort once", d::AutoSort, kMethod, { h(R0), i4(1), flag(false) }, S_OK, kAny, {},
            [&](const Variant &v) {
                EXPECT_EQ(get(d::ItemRight, { H(C1) }), m[X1]); // the row moved whole
                addThenKids(u"banana", "apple,fig,pear,banana")(v);
            } },
        { "AutoSort bAuto keeps sorting", d::AutoSort, kMethod, { h(R0), i4(1), flag(true) }, S_OK,
            kAny, {}, addThenKids(u"banana", "apple,banana,fig,pear") },

        { "AddItemCheck with its defaults", d::AddItemCheck, kMethod, { str(u"c") }, S_OK, kAny, {},
            kindAndValue(2, 1) },
        { "AddItemCheck3 with its defaults", d::AddItemCheck3, kMethod, { str(u"c") }, S_OK, kAny,
            {}, kindAndValue(3, -1) },
        { "AddItemRadio with its defaults", d::AddItemRadio, kMethod, { str(u"r") }, S_OK, kAny, {},
            kindAndValue(7, 0) },
        { "AddItemImage with an empty key", d::AddItemImage, kMethod, { str(u"i"), {} }, S_OK, kAny,
            {}, kindAndValue(8, -1) },
        { "AddItemIcon with a number as key shows that handle", d::AddItemIcon, kMethod,
            { str(u"icon"), i4(77) }, S_OK, kAny, {},
            [&](const Variant &v) {
                const Variant icon = Variant::i4(v.lVal);
                EXPECT_EQ(get(d::ItemImage, { icon, Variant::i4(0) }), 77);
                EXPECT_EQ(get(d::ItemImage, { icon, Variant::i4(1) }), 77);
                put(d::ItemImage, { icon, Variant::i4(1), Variant::i4(0x00050042) });
                EXPECT_EQ(get(d::ItemImage, { icon, Variant::i4(1) }), 0x42); // the low word
            } },
        { "ItemImage of a text item", d::ItemImage, kGet, { h(C1), i4(0) }, S_OK, VT_I4, i4(0) },
        { "ItemValue of a text item", d::ItemValue, kGet, { h(C1) }, S_OK, VT_I4, i4(-1) },
        { "ItemValue put of a number on a text item", d::ItemValue, kPut, { h(C1), i4(1) }, S_OK,
            kAny, {}, is(d::ItemValue, C1, -1) },
        { "ItemValue put of a number raises ValueChanged", d::ItemValue, kPut, { h(K), i4(0) },
            S_OK, kAny, {},
            [&](auto &) {
                EXPECT_EQ(sink->ids(), std::vector<DISPID> { e::ValueChanged });
                EXPECT_EQ(get(d::ItemValue, { H(K) }), 0);
            } },
        { "ItemValue put of a text renames without an event", d::ItemValue, kPut,
            { h(K), str(u"renamed") }, S_OK, kAny, {},
            [&](auto &) {
                EXPECT_TRUE(sink->events.empty());
                EXPECT_EQ(text(m[K]), "renamed");
            } },
        { "ExpandItem of an expanded item raises both events again", d::ExpandItem, kPut,
            { h(R0), flag(true) }, S_OK, kAny, {},
            [&](auto &) {
                expandEvents({ R0 });
                ASSERT_EQ(sink->events[1].args.size(), 2u);
                EXPECT_EQ(sink->events[1].args[1].vt, VT_BOOL);
                EXPECT_EQ(sink->events[1].args[1].boolVal, VARIANT_TRUE);
            },
            [&] { expand(R0); } },

        { "Selection left out is the first selected", d::Selection, kGet, {}, S_OK, VT_I4, h(C2),
            {}, selectTwo },
        { "Selection by index", d::Selection, kGet, { i4(1) }, S_OK, VT_I4, h(C1), {}, selectTwo },
        { "Selection one past the end", d::Selection, kGet, { i4(2) }, S_OK, VT_I4, i4(0), {},
            selectTwo },
        { "Selection before the first", d::Selection, kGet, { i4(-1) }, S_OK, VT_I4, i4(0), {},
            selectTwo },
        { "Getters of no item answer nothing", d::ItemChild, kGet, { h(Bad) }, S_OK, VT_I4, i4(0),
            [&](auto &) {
                EXPECT_EQ(get(d::ItemValue, { H(Bad) }), -1);
                EXPECT_EQ(get(d::ItemBackColor, { H(Bad) }), 0xFFFFFF);
                EXPECT_EQ(get(d::ExpandItem, { H(Bad) }), 0);
                EXPECT_EQ(get(d::ItemImage, { H(Bad), Variant::i4(0) }), 0);
                EXPECT_EQ(text(m[Bad]), "");
            } },
        { "Setters of no item change nothing", d::ItemText, kPut, { h(Bad), i4(1) }, S_OK, kAny, {},
            [&](auto &) {
                for (DISPID id :
                    { d::ItemValue, d::ItemSortPosition, d::ItemWidth, d::ItemVAlignment,
                        d::ItemWordWrap, d::ExpandItem, d::SelectItem, d::ItemData })
                    put(id, { H(Bad), Variant::i4(1) });
                EXPECT_TRUE(sink->events.empty());
                EXPECT_EQ(get(d::SelectionCount), 0);
                EXPECT_EQ(kids(R0), "pear,apple,fig");
            } },
        { "ItemData of no item fails", d::ItemData, kGet, { h(Bad) }, DISP_E_EXCEPTION },

        { "RemoveItemRec takes the subtree and its selection", d::RemoveItemRec, kMethod, { h(C0) },
            S_OK, kAny, {},
            [&](auto &) {
                EXPECT_EQ(get(d::SelectionCount), 0);
                EXPECT_EQ(get(d::ItemType, { H(G0) }), 0);
            },
            [&] { select(G0); } },

        { "ModifyDropEffect with both left out", d::ModifyDropEffect, kMethod, {}, S_OK, kAny, {},
            dropEffectIs(2), dropEffect2 },
        { "ModifyDropEffect keeps three bits", d::ModifyDropEffect, kMethod, { i4(0), i4(0x7F8) },
            S_OK, kAny, {}, dropEffectIs(2), dropEffect2 },

        { "Root by index", d::Root, kGet, { i4(2) }, S_OK, VT_I4, h(K) },
        { "Root past the end", d::Root, kGet, { i4(3) }, S_OK, VT_I4, i4(0) },

        { "AddImage of a handle, for this control only", d::AddImage, kMethod,
            { str(u"k"), i4(77) }, S_OK, VT_I4, i4(77),
            [&](auto &) {
                EXPECT_EQ(get(d::Image, { Variant::str(u"k") }), 77);
                ComPtr<IArbor> other;
                ASSERT_EQ(CoCreateInstance(CLSID_Arbor, nullptr, CLSCTX_INPROC_SERVER, IArbor::iid,
                              other.voidOut()),
                    S_OK);
                LONG image = -1;
                EXPECT_EQ(other->get_Image(Variant::str(u"k"), &image), S_OK);
                EXPECT_EQ(image, 0);
            } },

        { "ChangeParentItem moves and expands the new parent", d::ChangeParentItem, kMethod,
            { h(C2), h(R1) }, S_OK, kAny, {},
            [&](auto &) {
                expandEvents({ R1 });
                EXPECT_EQ(get(d::ItemParent, { H(C2) }), m[R1]);
            } },

        { "FindItem from a start", d::FindItem, kGet, { str(u"seed"), missing(), h(C0) }, S_OK,
            VT_I4, h(G0) },

        { "ItemWidth", d::ItemWidth, kPut, { h(R1), i4(200) }, S_OK, kAny, {},
            [&](auto &) { EXPECT_EQ(hit(205, yOf(R1)), m[Y1]); } },

        { "ItemBackColor put of a system colour", d::ItemBackColor, kPut,
            { h(C1), i4(static_cast<LONG>(0x80000005)) }, S_OK, kAny, {},
            is(d::ItemBackColor, C1, static_cast<LONG>(window & 0xFFFFFF)) },
        { "ItemSortPosition put first", d::ItemSortPosition, kPut, { h(C2), i4(-1) }, S_OK, kAny,
            {}, kidsAre("fig,apple,pear"), sortedAscending },
        { "ItemSortPosition put without an order", d::ItemSortPosition, kPut, { h(C2), i4(-1) },
            S_OK, kAny, {},
            [&](auto &) {
                EXPECT_EQ(kids(R0), "pear,apple,fig");
                EXPECT_EQ(get(d::ItemSortPosition, { H(C2) }), -1);
            } },
        { "ItemWordWrap put wraps within the width", d::ItemWordWrap, kPut, { h(R1), flag(true) },
            S_OK, kAny, {},
            [&](auto &) {
                EXPECT_EQ(get(d::ItemWordWrap, { H(R1) }), -1);
                EXPECT_GT(topOf(K), m_saved);
            },
            [&] {
                put(d::ItemText, { H(R1), Variant::str(u"one two three four five six") });
                put(d::ItemWidth, { H(R1), Variant::i4(40) });
                m_saved = topOf(K);
            } },
        { "ItemVAlignment put above the range", d::ItemVAlignment, kPut, { h(Y1), i4(5) }, S_OK,
            kAny, {}, is(d::ItemVAlignment, Y1, 2) },
        { "ItemVAlignment put lays the row out again", d::ItemVAlignment, kPut, { h(Y1), i4(1) },
            S_OK, kAny, {}, [&](auto &) { EXPECT_GT(cellTop(), m_saved); },
            [&] {
                put(d::ItemText, { H(R1), Variant::str(u"one two three four five six") });
                put(d::ItemWidth, { H(R1), Variant::i4(40) });
                put(d::ItemWordWrap, { H(R1), Variant::boolean(true) });
                put(d::ItemVAlignment, { H(Y1), Variant::i4(0) });
                m_saved = cellTop(); // laid out and measured with the old alignment
            } },
    };

    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        renew();
        ASSERT_FALSE(HasFatalFailure());
        if (r.prep)
            r.prep();
        sink->events.clear();
        std::vector<Variant> args;
        for (const Arg &a : r.args)
            args.push_back(resolve(a));
        Variant result;
        EXCEPINFO excep {};
        EXPECT_EQ(call(r.id, r.flags, std::move(args), &result, &excep), r.hr);
        clearExcepInfo(&excep);
        if (r.vt != kAny) {
            EXPECT_EQ(result.vt, r.vt);
            Variant got;
            ASSERT_EQ(VariantChangeType(&got, &result, 0, VT_I4), S_OK);
            EXPECT_EQ(got.lVal, resolve(r.want).lVal);
        }
        if (r.check)
            r.check(result);
    }
}

// Through the virtual table: null written over whatever a caller left in the out pointer of a
// member that has nothing to give yet.
TEST_F(ControlTable, VirtualTableClearsOutObjectsOfMembersWithNothingToGive)
{
    renew();
    ASSERT_FALSE(HasFatalFailure());
    IArbor *a = arbor.Get();
    void *const garbage = reinterpret_cast<void *>(0xdeadbeef);
    IControlHolder *holder = static_cast<IControlHolder *>(garbage);
    IEventInfo *info = static_cast<IEventInfo *>(garbage);
    IDispatch *byItem = static_cast<IDispatch *>(garbage), *byName = byItem;
    EXPECT_EQ(a->get_Controls(&holder), S_OK);
    EXPECT_EQ(a->get__IEventInfo(&info), S_OK);
    EXPECT_EQ(a->get_Control(Variant::i4(m[C1]), &byItem), S_OK);
    EXPECT_EQ(a->get_Control(Variant::str(u"grid"), &byName), S_OK);
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(byItem, nullptr);
    EXPECT_EQ(byName, nullptr);
    // The reserved members succeed without a value even when given no place for one.
    EXPECT_EQ(a->get_Controls(nullptr), S_OK);
    EXPECT_EQ(a->get__IEventInfo(nullptr), S_OK);
}

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

TEST_F(ControlItems, ItemDataIsCopiedInAndOut)
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
