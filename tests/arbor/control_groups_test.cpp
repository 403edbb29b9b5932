// Radio groups as a host builds them through Groups: membership, the one-on rule through groups
// and through siblings, removal of items, handles reused after RemoveAllItems, groups that
// outlive their control or were made on their own, and enumeration.
#include "tests/arbor/control_test_support.h"

namespace {

using namespace arbortest;
namespace d = arbor::dispid;

constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;

class Groups : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        ASSERT_EQ(arbor->get_Groups(&groups), S_OK);
        ASSERT_TRUE(groups);
    }
    LONG radio(LONG parent = 0, LONG value = 0)
    {
        Variant h;
        EXPECT_EQ(call(d::AddItemRadio, kMethod,
                      { Variant::str(u"r"), Variant::i4(value), Variant::i4(parent) }, &h),
            S_OK);
        return h.lVal;
    }
    ComPtr<IGroup> newGroup(std::initializer_list<LONG> members)
    {
        ComPtr<IGroup> g;
        EXPECT_EQ(groups->Add(&g), S_OK);
        for (LONG m : members)
            EXPECT_EQ(g->Add(m), S_OK);
        return g;
    }
    LONG value(LONG h)
    {
        Variant v;
        EXPECT_EQ(call(d::ItemValue, kGet, { Variant::i4(h) }, &v), S_OK);
        return v.lVal;
    }
    void switchOn(LONG h) { EXPECT_EQ(call(d::ItemValue, kPut, { Variant::i4(h), Variant::i4(1) }), S_OK); }
    static std::vector<LONG> members(IGroup *g)
    {
        LONG count = 0;
        EXPECT_EQ(g->get_Count(&count), S_OK);
        std::vector<LONG> out;
        for (LONG i = 0; i < count; ++i) {
            LONG h = 0;
            EXPECT_EQ(g->get_item(i, &h), S_OK);
            out.push_back(h);
        }
        return out;
    }

    ComPtr<IGroups> groups;
};

TEST_F(Groups, MembershipIsUniqueAcrossGroupsAndAscending)
{
    ComPtr<IGroup> a = newGroup({ 30, -5, 12 });
    ComPtr<IGroup> b = newGroup({});
    EXPECT_EQ(b->Add(12), ARBOR_S_ALREADYGROUPED);
    EXPECT_EQ(a->Add(30), ARBOR_S_ALREADYGROUPED);
    EXPECT_EQ(b->Add(7), S_OK);
    EXPECT_EQ(members(a.Get()), (std::vector<LONG> { -5, 12, 30 }));
    EXPECT_EQ(members(b.Get()), (std::vector<LONG> { 7 }));
    // Through automation the 512 code is a success: no error reaches a script.
    ComPtr<IDispatch> bd;
    ASSERT_EQ(b.As(bd), S_OK);
    Variant arg = Variant::i4(30);
    EXPECT_TRUE(SUCCEEDED(invokeByName(bd.Get(), u"Add", DISPATCH_METHOD, &arg, 1, nullptr)));
    EXPECT_EQ(members(b.Get()), (std::vector<LONG> { 7 }));

    // Out-of-range positions: a group answers 0, the collection E_POINTER or nothing at all.
    LONG h = 0xdead;
    EXPECT_EQ(a->get_item(3, &h), S_OK);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(a->get_item(-1, &h), S_OK);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(a->get_item(0, nullptr), E_POINTER);
    IGroup *none = reinterpret_cast<IGroup *>(0xdeadbeef);
    EXPECT_EQ(groups->get_item(2, &none), E_POINTER);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(groups->get_item(-1, &none), E_POINTER);
    EXPECT_EQ(groups->Remove(2), S_OK);
    EXPECT_EQ(groups->Remove(-1), S_OK);
    LONG count = 0;
    EXPECT_EQ(groups->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    // A removed group still consults the collection it came from.
    EXPECT_EQ(groups->Remove(0), S_OK);
    EXPECT_EQ(b->Add(-5), S_OK); // a's members are no longer in the collection
    EXPECT_EQ(a->Add(7), ARBOR_S_ALREADYGROUPED);
}

TEST_F(Groups, OneOnThroughGroupsAndThroughSiblings)
{
    const LONG parent = add(u"parent");
    const LONG other = add(u"other");
    const LONG s1 = radio(parent, 1), s2 = radio(parent), s3 = radio(parent);
    const LONG elsewhere = radio(other, 1);
    const LONG g1 = radio(parent), g2 = radio(parent);
    ComPtr<IGroup> g = newGroup({ g1, g2 });
    const LONG all[] = { s1, s2, s3, g1, g2, elsewhere };

    const struct {
        const char *what;
        LONG on;
        std::vector<LONG> expected; // values of `all` afterwards
    } steps[] = {
        // Ungrouped siblings are one set (grouped siblings are switched off with them); a radio
        // item under another parent is not.
        { "ungrouped s2", s2, { 0, 1, 0, 0, 0, 1 } },
        { "grouped g1", g1, { 0, 1, 0, 1, 0, 1 } }, // the ungrouped sibling stays on
        { "grouped g2", g2, { 0, 1, 0, 0, 1, 1 } },
        { "ungrouped s3", s3, { 0, 0, 1, 0, 0, 1 } }, // the grouped one goes off too
        { "other parent", elsewhere, { 0, 0, 1, 0, 0, 1 } },
    };
    for (const auto &s : steps) {
        switchOn(s.on);
        std::vector<LONG> values;
        for (LONG h : all)
            values.push_back(value(h));
        EXPECT_EQ(values, s.expected) << s.what;
    }
}

TEST_F(Groups, RemovedItemsLeaveTheirGroupsAndReusedHandlesAreUngrouped)
{
    const LONG a = radio(), b = radio(), c = radio();
    ComPtr<IGroup> g = newGroup({ a, b, c });
    EXPECT_EQ(arbor->RemoveItem(b, nullptr), S_OK);
    EXPECT_EQ(members(g.Get()), (std::vector<LONG> { a, c }));

    // After RemoveAllItems handles are handed out again; a new item must not inherit a group.
    EXPECT_EQ(arbor->RemoveAllItems(), S_OK);
    EXPECT_TRUE(members(g.Get()).empty());
    LONG count = 0;
    EXPECT_EQ(groups->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1); // the groups themselves stay
    std::vector<LONG> fresh;
    for (int i = 0; i < 4; ++i)
        fresh.push_back(radio());
    switchOn(fresh[0]);
    switchOn(fresh[1]); // ungrouped siblings: one set
    EXPECT_EQ(value(fresh[0]), 0);
    EXPECT_EQ(g->Add(a), S_OK);
}

// A host may keep a group past its control, or make one on its own: Add then consults nothing.
TEST_F(Groups, GroupsOutlivingTheirControlOrMadeAloneTakeEveryHandle)
{
    ComPtr<IGroup> kept = newGroup({ 5 });
    ComPtr<IGroup> other = newGroup({ 6 });
    EXPECT_EQ(kept->Add(6), ARBOR_S_ALREADYGROUPED);
    (void)point->Unadvise(cookie);
    point = nullptr;
    arbor = nullptr; // the control goes; the host still holds the collection and two groups
    EXPECT_EQ(kept->Add(6), S_OK);
    EXPECT_EQ(members(kept.Get()), (std::vector<LONG> { 5, 6 }));
    groups = nullptr;
    other = nullptr;
    EXPECT_EQ(kept->Add(7), S_OK);

    ComPtr<IGroup> alone;
    ASSERT_EQ(CoCreateInstance(CLSID_Group, nullptr, CLSCTX_INPROC_SERVER, IGroup::iid,
                  alone.voidOut()),
        S_OK);
    EXPECT_EQ(alone->Add(5), S_OK);
    EXPECT_EQ(alone->Add(5), ARBOR_S_ALREADYGROUPED);
    ComPtr<IGroups> lonely;
    ASSERT_EQ(CoCreateInstance(CLSID_Groups, nullptr, CLSCTX_INPROC_SERVER, IGroups::iid,
                  lonely.voidOut()),
        S_OK);
    ComPtr<IGroup> g1, g2;
    ASSERT_EQ(lonely->Add(&g1), S_OK);
    ASSERT_EQ(lonely->Add(&g2), S_OK);
    EXPECT_EQ(g1->Add(9), S_OK);
    EXPECT_EQ(g2->Add(9), ARBOR_S_ALREADYGROUPED);
}

TEST_F(Groups, NewEnumSharesOneCursorAndCloneHasItsOwn)
{
    ComPtr<IGroup> g[3] = { newGroup({ 1 }), newGroup({ 2 }), newGroup({ 3 }) };
    auto enumerate = [&] {
        Variant result;
        EXPECT_EQ(invokeByDispid(groups.Get(), DISPID_NEWENUM, kGet, nullptr, 0, &result), S_OK);
        ComPtr<IEnumVARIANT> e;
        EXPECT_EQ(result.vt, VT_UNKNOWN);
        EXPECT_EQ(result.punkVal->QueryInterface(IID_PPV_ARGS(&e)), S_OK);
        return e;
    };
    auto firstMember = [](const VARIANT &v) {
        ComPtr<IGroup> group;
        EXPECT_EQ(v.vt, VT_DISPATCH);
        EXPECT_EQ(v.pdispVal->QueryInterface(IID_PPV_ARGS(&group)), S_OK);
        LONG h = 0;
        EXPECT_EQ(group->get_item(0, &h), S_OK);
        return h;
    };
    ComPtr<IEnumVARIANT> outer = enumerate();
    Variant item;
    ASSERT_EQ(outer->Next(1, &item, nullptr), S_OK);
    EXPECT_EQ(firstMember(item), 1);
    ComPtr<IEnumVARIANT> inner = enumerate(); // resets the one cursor both share
    item.clear();
    ASSERT_EQ(outer->Next(1, &item, nullptr), S_OK);
    EXPECT_EQ(firstMember(item), 1);

    // A nested For Each through Clone: each loop keeps its own place.
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(outer->Clone(&clone), S_OK);
    std::vector<std::pair<LONG, LONG>> pairs;
    for (Variant o; clone->Next(1, &o, nullptr) == S_OK; o.clear()) {
        ComPtr<IEnumVARIANT> nested;
        ASSERT_EQ(clone->Clone(&nested), S_OK);
        ASSERT_EQ(nested->Reset(), S_OK);
        for (Variant i; nested->Next(1, &i, nullptr) == S_OK; i.clear())
            pairs.emplace_back(firstMember(o), firstMember(i));
    }
    EXPECT_EQ(pairs.size(), 6u); // groups 2 and 3 (after the clone's place), times 3

    // The contract's edges: a short Next says how many, Skip past the end is S_FALSE.
    VARIANT three[3];
    ULONG fetched = 99;
    ASSERT_EQ(outer->Reset(), S_OK);
    EXPECT_EQ(outer->Skip(2), S_OK);
    EXPECT_EQ(outer->Next(3, three, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    (void)VariantClear(&three[0]);
    EXPECT_EQ(outer->Skip(1), S_FALSE);
    EXPECT_EQ(outer->Next(2, three, nullptr), E_POINTER);
}

} // namespace
