// Every member of IArbor as a late-binding host reaches it: the member list is held against the
// control's own type information, then one table of Invoke calls by DISPID with the values at the
// edges of each member's own rule and what each must answer and change, and some answers compared
// with the virtual table's. How arguments arrive (by reference, numbers as text, unconvertible,
// left out) is the dispatch layer's and ControlItems.AddMembersTakeOmittedDefaults...'s to prove
// once.
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"
#include "platform/ui/messagebox.h"

#include <QImage>
#include <QWidget>

#include <set>

namespace {

using namespace arbortest;
namespace d = arbor::dispid;
namespace e = arbor::eventid;

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kHiddenRestricted = FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED;

// What hosts were promised, in virtual-table order: name, DISPID, accessors in slot order (G get,
// P put, R put by reference, M method), parameters before the value or result and how many of
// them are optional, hidden or restricted. The numbers are written out so that a renumbered
// ids.h fails here.
struct Member {
    const char *name;
    DISPID id;
    const char *kinds;
    short params = 0, optional = 0;
    WORD flags = 0;
};
// clang-format off
const Member kMembers[] = {
    { "BorderStyle", 1, "GP" }, { "RemoveItem", 3, "M", 1 }, { "RemoveAllItems", 4, "M" },
    { "ItemText", 5, "GP", 1 }, { "AddItem", 2, "M", 3, 2 }, { "AddItemCheck", 6, "M", 4, 3 },
    { "AddItemCheck3", 55, "M", 4, 3 }, { "AddItemRadio", 7, "M", 4, 3 },
    { "AddItemWindow", 9, "M", 3, 2 }, { "AddItemImage", 8, "M", 4, 2 },
    { "AddItemIcon", 13, "M", 5, 3 }, { "AddItemControl", 10, "M", 6, 4 },
    { "ItemImage", 12, "GP", 2 }, { "AutoSort", 11, "M", 3 }, { "EnsureVisible", 14, "M", 1 },
    { "ItemForeColor", 19, "GP", 1 }, { "ExpandItem", 15, "GP", 1 }, { "SelectItem", 16, "GP", 1 },
    { "Selection", 18, "G", 1, 1 }, { "SelectionCount", 17, "G" }, { "ItemValue", 21, "GP", 1 },
    { "Style", 22, "G" }, { "ModifyStyle", 24, "M", 2, 2 }, { "ModifyDropEffect", 25, "M", 2, 2 },
    { "DropEffect", 23, "G", 0, 0, kHiddenRestricted }, { "RootCount", 26, "G" },
    { "Root", 27, "G", 1 }, { "hWnd", -515, "G" }, { "BackColor", -501, "GP" },
    { "ItemChild", 28, "G", 1 }, { "ItemNext", 29, "G", 1 }, { "ItemPrev", 30, "G", 1 },
    { "ItemLeft", 31, "G", 1 }, { "ItemRight", 32, "G", 1 }, { "ItemParent", 33, "G", 1 },
    { "ItemSortPosition", 34, "GP", 1 }, { "Controls", 35, "G", 0, 0, FUNCFLAG_FRESTRICTED },
    { "Control", 36, "G", 1 }, { "Refresh", 37, "M" }, { "AddImage", 38, "M", 5, 3 },
    { "Image", 39, "G", 1 }, { "Version", 40, "GP" },
    { "_IEventInfo", 41, "G", 0, 0, kHiddenRestricted }, { "ItemData", 42, "GP", 1 },
    { "ChangeParentItem", 43, "M", 2 }, { "Enabled", 45, "GP" }, { "PicturePosition", 46, "GP" },
    { "ItemBackColor", 20, "GP", 1 }, { "ForeColor", -513, "GP" }, { "MousePointer", -521, "GP" },
    { "AddDropTarget", 47, "M", 1 }, { "RemoveDropTarget", 48, "M", 1 },
    { "FindItem", 49, "G", 3, 2 }, { "RemoveItemRec", 50, "M", 1 }, { "ItemWidth", 51, "P", 1 },
    { "ModifyDrawLink", 52, "M", 3, 2 }, { "HitTest", 53, "G", 2 }, { "Groups", 54, "G" },
    { "About", -552, "M" }, { "ItemWordWrap", 57, "GP", 1 }, { "AutoHScroll", 58, "GP" },
    { "AutoVScroll", 59, "GP" }, { "ItemVAlignment", 60, "GP", 1 }, { "ItemType", 62, "G", 1 },
    { "Picture", -523, "RPG" }, { "ItemFont", 44, "RGP", 1 }, { "Font", -512, "PGR" },
    { "MouseIcon", -522, "RPG" },
};
// clang-format on

std::string describe(std::string name, DISPID id, int kind, int params, int optional, WORD flags)
{
    return name + " " + std::to_string(id) + " kind " + std::to_string(kind) + " params " +
        std::to_string(params) + "/" + std::to_string(optional) + " flags " +
        std::to_string(flags & kHiddenRestricted);
}

using ControlMembers = ControlFixture;

TEST_F(ControlMembers, TypeInformationDescribesEveryMemberInSlotOrder)
{
    std::vector<std::string> want;
    for (const Member &m : kMembers)
        for (const char *k = m.kinds; *k; ++k) {
            const int kind = *k == 'M' ? INVOKE_FUNC
                : *k == 'G'            ? INVOKE_PROPERTYGET
                : *k == 'P'            ? INVOKE_PROPERTYPUT
                                       : INVOKE_PROPERTYPUTREF;
            const int params = m.params + (kind >= INVOKE_PROPERTYPUT ? 1 : 0);
            want.push_back(describe(m.name, m.id, kind, params, m.optional, m.flags));
        }

    // The class's default interface, as a container finds it, and the one IDispatch gives.
    ComPtr<IProvideClassInfo> provide;
    ASSERT_EQ(arbor.As(provide), S_OK);
    ComPtr<ITypeInfo> cls, iface, fromDispatch;
    ASSERT_EQ(provide->GetClassInfo(&cls), S_OK);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(cls->GetTypeAttr(&attr), S_OK);
    const UINT impls = attr->cImplTypes;
    cls->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < impls && !iface; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ASSERT_EQ(cls->GetImplTypeFlags(i, &flags), S_OK);
        ASSERT_EQ(cls->GetRefTypeOfImplType(i, &ref), S_OK);
        if (flags == IMPLTYPEFLAG_FDEFAULT) {
            ASSERT_EQ(cls->GetRefTypeInfo(ref, &iface), S_OK);
        }
    }
    ASSERT_TRUE(iface);
    ASSERT_EQ(arbor->GetTypeInfo(0, LOCALE_USER_DEFAULT, &fromDispatch), S_OK);
    for (ITypeInfo *info : { iface.Get(), fromDispatch.Get() }) {
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->guid, IID_IArbor);
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
        const UINT funcs = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        std::vector<std::string> got;
        for (UINT i = 0; i < funcs; ++i) {
            FUNCDESC *f = nullptr;
            ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
            BSTR name = nullptr;
            ASSERT_EQ(info->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr), S_OK);
            got.push_back(describe(utf16ToUtf8(view(name)), f->memid, f->invkind, f->cParams,
                f->cParamsOpt, f->wFuncFlags));
            SysFreeString(name);
            // After IUnknown's three slots and IDispatch's four.
            EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void *))) << got.back();
            info->ReleaseFuncDesc(f);
        }
        EXPECT_EQ(got, want);
    }
}

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
constexpr VARTYPE kNoObject = 0xFFFE; // VT_EMPTY or a null object

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
        for (int guard = 0; c && guard < 20; ++guard, c = get(d::ItemNext, { Variant::i4(c) })) {
            Variant text;
            EXPECT_EQ(call(d::ItemText, kGet, { Variant::i4(c) }, &text), S_OK);
            out += (out.empty() ? "" : ",") + utf16ToUtf8(view(text.bstrVal));
        }
        return out;
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
    // The items hit down the client area at x, each once, top to bottom.
    std::vector<LONG> column(LONG x)
    {
        std::vector<LONG> out;
        for (LONG y = 0; y < 150; ++y)
            if (const LONG at = hit(x, y); at && (out.empty() || out.back() != at))
                out.push_back(at);
        return out;
    }
    QWidget *itemWindow() { return arbortest::itemWindow(arbor.Get()); }
    QImage shot() { return itemWindow()->grab().toImage(); }
    void multiSelect() { put(d::ModifyStyle, { Variant::i4(8), Variant::i4(0) }, kMethod); }
    void expand(Node n) { put(d::ExpandItem, { H(n), Variant::boolean(true) }); }
    void select(Node n) { put(d::SelectItem, { H(n), Variant::boolean(true) }); }

    LONG m[kNodes] = {};
    QImage m_before; // the drawing before the call, for rows that compare it
    LONG m_saved = 0;
};

TEST_F(ControlTable, EveryMemberThroughInvokeAnswersAsDocumented)
{
    platform::ui::MessageBoxRecorder boxes; // no real about box, whatever a row does
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
    const auto drawingChanged = [&](bool changed) {
        return [&, changed](auto &) { EXPECT_EQ(shot() != m_before, changed); };
    };
    const auto snapshot = [&] {
        expand(R0);
        m_before = shot();
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
    const auto rootCountIs = [&](LONG want) {
        return [&, want](auto &) { EXPECT_EQ(get(d::RootCount), want); };
    };
    const auto yOf = [&](Node n) { return topOf(n) + 4; };
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
        { "RemoveAllItems clears items and selection", d::RemoveAllItems, kMethod, {}, S_OK, kAny,
            {},
            [&](auto &) {
                EXPECT_EQ(get(d::RootCount), 0);
                EXPECT_EQ(get(d::SelectionCount), 0);
            },
            [&] { select(C1); } },

        { "AutoSort once", d::AutoSort, kMethod, { h(R0), i4(1), flag(false) }, S_OK, kAny, {},
            [&](const Variant &v) {
                EXPECT_EQ(get(d::ItemRight, { H(C1) }), m[X1]); // the row moved whole
                addThenKids(u"banana", "apple,fig,pear,banana")(v);
            } },
        { "AutoSort bAuto keeps sorting", d::AutoSort, kMethod, { h(R0), i4(1), flag(true) }, S_OK,
            kAny, {}, addThenKids(u"banana", "apple,banana,fig,pear") },

        { "RemoveItemRec takes the subtree and its selection", d::RemoveItemRec, kMethod, { h(C0) },
            S_OK, kAny, {},
            [&](auto &) {
                EXPECT_EQ(get(d::SelectionCount), 0);
                EXPECT_EQ(get(d::ItemType, { H(G0) }), 0);
            },
            [&] { select(G0); } },
        { "SelectionCount of two", d::SelectionCount, kGet, {}, S_OK, VT_I4, i4(2), {},
            [&] {
                multiSelect();
                select(R1);
                select(K);
            } },
        { "Style through a host's method-or-get call", d::Style, kMethod | kGet, {}, S_OK, VT_I4,
            i4(34), {},
            [&] {
                put(d::ModifyStyle, { Variant::i4(0xFFFF), Variant::i4(0) }, kMethod);
                put(d::ModifyStyle, { Variant::i4(0), Variant::i4(34) }, kMethod);
            } },

        { "ModifyDropEffect with both left out", d::ModifyDropEffect, kMethod, {}, S_OK, kAny, {},
            dropEffectIs(2), dropEffect2 },
        { "ModifyDropEffect removal wins", d::ModifyDropEffect, kMethod, { i4(7), i4(2) }, S_OK,
            kAny, {}, dropEffectIs(0), dropEffect2 },
        { "ModifyDropEffect keeps three bits", d::ModifyDropEffect, kMethod, { i4(0), i4(0x7F8) },
            S_OK, kAny, {}, dropEffectIs(2), dropEffect2 },

        { "Root by index", d::Root, kGet, { i4(2) }, S_OK, VT_I4, h(K) },
        { "Root past the end", d::Root, kGet, { i4(3) }, S_OK, VT_I4, i4(0) },
        { "hWnd names the item window", d::hWnd, kGet, {}, S_OK, kAny, {},
            [&](const Variant &v) {
                ASSERT_EQ(v.vt, VT_I4);
                const QWidget *w = platform::ui::widgetFromHandle(v.lVal);
                ASSERT_NE(w, nullptr);
                EXPECT_EQ(w->objectName(), QStringLiteral("XTreeView"));
            } },

        { "Control of an item without one", d::Control, kGet, { h(C1) }, S_OK, kNoObject },
        { "Groups", d::Groups, kGet, {}, S_OK, kAny, {},
            [&](const Variant &v) { EXPECT_TRUE(v.vt == VT_DISPATCH && v.pdispVal); } },
        { "AddItemControl hosts nothing yet", d::AddItemControl, kMethod,
            { str(u"No.Such"), str(u"grid") }, S_OK, VT_I4, i4(0), rootCountIs(3) },
        { "Refresh raises nothing", d::Refresh, kMethod, {}, S_OK, kAny, {},
            [&](auto &) { EXPECT_TRUE(sink->events.empty()); } },

        { "AddImage of a handle", d::AddImage, kMethod, { str(u"k"), i4(77) }, S_OK, VT_I4, i4(77),
            [&](auto &) { EXPECT_EQ(get(d::Image, { Variant::str(u"k") }), 77); } },
        { "Image of a key never added", d::Image, kGet, { str(u"none") }, S_OK, VT_I4, i4(0) },

        { "ChangeParentItem moves and expands the new parent", d::ChangeParentItem, kMethod,
            { h(C2), h(R1) }, S_OK, kAny, {},
            [&](auto &) {
                expandEvents({ R1 });
                EXPECT_EQ(get(d::ItemParent, { H(C2) }), m[R1]);
            } },

        { "FindItem prefix", d::FindItem, kGet, { str(u"pe"), flag(false) }, S_OK, VT_I4, h(C0) },
        { "FindItem from a start", d::FindItem, kGet, { str(u"seed"), missing(), h(C0) }, S_OK,
            VT_I4, h(G0) },

        { "ItemWidth", d::ItemWidth, kPut, { h(R1), i4(200) }, S_OK, kAny, {},
            [&](auto &) { EXPECT_EQ(hit(205, yOf(R1)), m[Y1]); } },

        { "ModifyDrawLink removing every link", d::ModifyDrawLink, kMethod, { h(C1), i4(31) }, S_OK,
            kAny, {}, drawingChanged(true), snapshot },
        { "ModifyDrawLink adds after it removes", d::ModifyDrawLink, kMethod,
            { h(C1), i4(31), i4(31) }, S_OK, kAny, {}, drawingChanged(false), snapshot },

        { "HitTest finds the visible rows in order", d::HitTest, kGet, { i4(2), i4(2) }, S_OK,
            VT_I4, h(R0),
            [&](auto &) {
                EXPECT_EQ(column(2), (std::vector { m[R0], m[R1], m[K] }));
                expand(R0);
                EXPECT_EQ(column(16), (std::vector { m[R0], m[C0], m[C1], m[C2], m[R1], m[K] }));
            } },
        { "HitTest far outside", d::HitTest, kGet, { i4(5000), i4(5000) }, S_OK, VT_I4, i4(0) },

        { "ItemFont of an item without one", d::ItemFont, kGet, { h(C1) }, S_OK, kNoObject },

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
        { "ItemVAlignment put below the range", d::ItemVAlignment, kPut, { h(Y1), i4(-3) }, S_OK,
            kAny, {}, is(d::ItemVAlignment, Y1, 0),
            [&] {
                put(d::ItemVAlignment, { H(Y1), Variant::i4(1) });
            } },
        { "ItemVAlignment put lays the row out again", d::ItemVAlignment, kPut, { h(Y1), i4(1) },
            S_OK, kAny, {}, [&](auto &) { EXPECT_GT(cellTop(), m_saved); },
            [&] {
                put(d::ItemText, { H(R1), Variant::str(u"one two three four five six") });
                put(d::ItemWidth, { H(R1), Variant::i4(40) });
                put(d::ItemWordWrap, { H(R1), Variant::boolean(true) });
                put(d::ItemVAlignment, { H(Y1), Variant::i4(0) });
                m_saved = cellTop(); // laid out and measured with the old alignment
            } },
        { "Enabled put false disables the item window", d::Enabled, kPut, { flag(false) }, S_OK,
            kAny, {},
            [&](auto &) {
                EXPECT_EQ(get(d::Enabled), 0);
                EXPECT_FALSE(itemWindow()->isEnabled());
            } },
    };

    std::set<DISPID> driven;
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
        if (r.vt == kNoObject) {
            EXPECT_TRUE(result.vt == VT_EMPTY ||
                ((result.vt == VT_DISPATCH || result.vt == VT_UNKNOWN) && !result.punkVal))
                << result.vt;
        } else if (r.vt != kAny) {
            EXPECT_EQ(result.vt, r.vt);
            Variant got;
            ASSERT_EQ(VariantChangeType(&got, &result, 0, VT_I4), S_OK);
            EXPECT_EQ(got.lVal, resolve(r.want).lVal);
        }
        if (r.check)
            r.check(result);
        driven.insert(r.id);
    }
    // The members whose cases live in the other tests here (the reserved ones through the virtual
    // table), in control_test.cpp, control_properties_test.cpp, control_persist_test.cpp and
    // dragdrop_test.cpp, or that the rows' checks read; every other member must have rows above.
    const std::set<DISPID> elsewhere { d::BorderStyle, d::ItemText, d::AddItem, d::AddItemCheck,
        d::AddItemCheck3, d::AddItemRadio, d::AddItemWindow, d::AddItemImage, d::AddItemIcon,
        d::ItemImage, d::ExpandItem, d::SelectItem, d::ItemValue, d::ModifyStyle, d::BackColor,
        d::ItemChild, d::ItemNext, d::ItemPrev, d::ItemLeft, d::ItemRight, d::ItemParent,
        d::ItemType, d::Version, d::ItemData, d::PicturePosition, d::ForeColor, d::MousePointer,
        d::Picture, d::Font, d::MouseIcon, d::About, d::Selection, d::ItemForeColor, d::AutoHScroll,
        d::AutoVScroll, d::Controls, d::EventInfo, d::AddDropTarget, d::RemoveDropTarget, d::DropEffect, d::RootCount,
        d::EnsureVisible };
    for (const Member &member : kMembers)
        EXPECT_TRUE(driven.count(member.id) || elsewhere.count(member.id)) << member.name;
}

TEST_F(ControlTable, EnsureVisibleScrollsTheItemIntoTheClientArea)
{
    renew();
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < 20; ++i)
        (void)add(u"more");
    const LONG last = add(u"last");
    const LONG deep = add(u"deep", last);
    const auto shown = [&](LONG item) {
        for (LONG y = 0; y < 150; ++y)
            if (hit(16, y) == item)
                return true;
        return false;
    };
    // The scroll rule itself: ViewEnsureVisible.
    ASSERT_FALSE(shown(deep));
    put(d::EnsureVisible, { Variant::i4(deep) }, kMethod);
    EXPECT_TRUE(shown(deep));
    EXPECT_NE(hit(2, 2), m[R0]);
    // Emptied while scrolled down, the tree starts again at the top.
    put(d::RemoveAllItems, {}, kMethod);
    const LONG fresh = add(u"fresh");
    EXPECT_EQ(hit(2, 2), fresh);
}

// Through the virtual table: the answers Invoke cannot show, null out pointers refused, and null
// written over whatever a caller left in the out pointer of a member that has nothing to give yet.
TEST_F(ControlTable, VirtualTableRefusesNullOutPointersAndClearsOutObjects)
{
    renew();
    ASSERT_FALSE(HasFatalFailure());
    IArbor *a = arbor.Get();
    EXPECT_EQ(a->RemoveItem(m[G0], nullptr), S_OK); // the result is optional
    EXPECT_EQ(get(d::ItemType, { H(G0) }), 0);

    const std::pair<const char *, std::function<HRESULT()>> nulls[] = {
        { "SelectionCount", [&] { return a->get_SelectionCount(nullptr); } },
        { "HitTest", [&] { return a->get_HitTest(2, 2, nullptr); } },
        { "ItemWordWrap", [&] { return a->get_ItemWordWrap(m[C1], nullptr); } },
        { "ItemImage", [&] { return a->get_ItemImage(m[C1], 0, nullptr); } },
        { "Image", [&] { return a->get_Image(Variant::str(u"77"), nullptr); } },
        { "Control", [&] { return a->get_Control(Variant::i4(m[C1]), nullptr); } },
        { "Font", [&] { return a->get_Font(nullptr); } },
        { "Selection", [&] { return a->get_Selection(Variant(), nullptr); } },
        { "FindItem", [&] { return a->get_FindItem(BStr(u"fig").get(), {}, {}, nullptr); } },
    };
    for (const auto &[name, fn] : nulls)
        EXPECT_EQ(fn(), E_POINTER) << name;

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

} // namespace
