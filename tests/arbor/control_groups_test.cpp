// Radio groups as a host builds them through Groups: membership, the one-on rule through groups
// and through siblings, removed items and reused handles, groups that outlive their control or
// were made on their own, and enumeration.
#include "tests/arbor/control_test_support.h"

namespace {

using namespace arbortest;
namespace d = arbor::dispid;

class Groups : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        ASSERT_EQ(arbor->get_Groups(&groups), S_OK);
    }
    LONG radio(LONG parent = 0)
    {
        Variant h;
        EXPECT_EQ(call(d::AddItemRadio, DISPATCH_METHOD,
                      { Variant::str(u"r"), Variant::i4(0), Variant::i4(parent) }, &h),
            S_OK);
        return h.lVal;
    }
    ComPtr<IGroup> group(std::initializer_list<LONG> members)
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
        EXPECT_EQ(call(d::ItemValue, DISPATCH_PROPERTYGET, { Variant::i4(h) }, &v), S_OK);
        return v.lVal;
    }
    static std::vector<LONG> members(IGroup *g)
    {
        LONG count = 0;
        EXPECT_EQ(g->get_Count(&count), S_OK);
        std::vector<LONG> out(static_cast<std::size_t>(count));
        for (LONG i = 0; i < count; ++i)
            EXPECT_EQ(g->get_item(i, &out[std::size_t(i)]), S_OK);
        return out;
    }
    ComPtr<IGroups> groups;
};

TEST_F(Groups, AHandleBelongsToOneGroupAndMembersAscend)
{
    ComPtr<IGroup> a = group({ 30, -5, 12 });
    ComPtr<IGroup> b = group({ 7 });
    EXPECT_EQ(b->Add(12), ARBOR_S_ALREADYGROUPED);
    EXPECT_EQ(members(a.Get()), (std::vector<LONG> { -5, 12, 30 }));
    EXPECT_EQ(members(b.Get()), (std::vector<LONG> { 7 }));
    Variant arg = Variant::i4(30); // through automation 512 is no error
    EXPECT_TRUE(SUCCEEDED(invokeByName(b.Get(), u"Add", DISPATCH_METHOD, &arg, 1, nullptr)));
    LONG h = 0xdead;
    EXPECT_EQ(a->get_item(3, &h), S_OK);
    EXPECT_EQ(h, 0);
    IGroup *none = reinterpret_cast<IGroup *>(0xdeadbeef);
    EXPECT_EQ(groups->get_item(2, &none), E_POINTER);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(groups->Remove(0), S_OK); // a leaves the collection but keeps consulting it
    EXPECT_EQ(a->Add(7), ARBOR_S_ALREADYGROUPED);
    EXPECT_EQ(b->Add(-5), S_OK);
}

TEST_F(Groups, OneOnThroughGroupsAndThroughSiblings)
{
    const LONG parent = add(u"parent"), other = add(u"other");
    const LONG s1 = radio(parent), s2 = radio(parent), g1 = radio(parent), g2 = radio(parent);
    const LONG elsewhere = radio(other);
    ComPtr<IGroup> g = group({ g1, g2 });
    const struct {
        LONG on;
        std::vector<LONG> expected; // s1, s2, g1, g2, elsewhere
    } steps[] = {
        { elsewhere, { 0, 0, 0, 0, 1 } },
        { s2, { 0, 1, 0, 0, 1 } }, // another parent's radio item is not in the set
        { g1, { 0, 1, 1, 0, 1 } }, // a grouped item leaves its ungrouped siblings alone
        { g2, { 0, 1, 0, 1, 1 } },
        { s1, { 1, 0, 0, 0, 1 } }, // an ungrouped one switches grouped siblings off too
    };
    for (const auto &s : steps) {
        ASSERT_EQ(
            call(d::ItemValue, DISPATCH_PROPERTYPUT, { Variant::i4(s.on), Variant::i4(1) }), S_OK);
        EXPECT_EQ(
            (std::vector<LONG> { value(s1), value(s2), value(g1), value(g2), value(elsewhere) }),
            s.expected)
            << s.on;
    }
}

// Handles are reused once items are gone: a group must never answer for a new item.
TEST_F(Groups, RemovedItemsLeaveTheirGroups)
{
    const LONG a = radio(), b = radio(), c = radio();
    ComPtr<IGroup> g = group({ a, b, c });
    EXPECT_EQ(arbor->RemoveItem(b, nullptr), S_OK);
    EXPECT_EQ(members(g.Get()), (std::vector<LONG> { a, c }));
    EXPECT_EQ(arbor->RemoveAllItems(), S_OK);
    EXPECT_TRUE(members(g.Get()).empty());
    LONG count = 0;
    EXPECT_EQ(groups->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
}

TEST_F(Groups, GroupsOutlivingTheirControlOrMadeAloneTakeEveryHandle)
{
    ComPtr<IGroup> kept = group({ 5 });
    ComPtr<IGroup> other = group({ 6 });
    (void)point->Unadvise(cookie);
    point = nullptr;
    arbor = nullptr; // the host keeps the collection and its groups, not the control
    EXPECT_EQ(kept->Add(6), S_OK);
    groups = nullptr;
    EXPECT_EQ(kept->Add(7), S_OK);
    EXPECT_EQ(members(kept.Get()), (std::vector<LONG> { 5, 6, 7 }));

    ComPtr<IGroup> alone;
    ASSERT_EQ(
        CoCreateInstance(CLSID_Group, nullptr, CLSCTX_INPROC_SERVER, IGroup::iid, alone.voidOut()),
        S_OK);
    EXPECT_EQ(alone->Add(5), S_OK);
    EXPECT_EQ(alone->Add(5), ARBOR_S_ALREADYGROUPED);
}

// The cursor rules themselves: Dispatch.CollectionIsItsOwnEnumeratorWithOneCursor.
TEST_F(Groups, NewEnumGivesTheGroupsInOrder)
{
    ComPtr<IGroup> g[2] = { group({ 1 }), group({ 2 }) };
    Variant result;
    ASSERT_EQ(
        invokeByDispid(groups.Get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET, nullptr, 0, &result),
        S_OK);
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(result.punkVal->QueryInterface(IID_PPV_ARGS(&e)), S_OK);
    std::vector<LONG> firstMembers;
    for (Variant v; e->Next(1, &v, nullptr) == S_OK; v.clear()) {
        ComPtr<IGroup> group;
        ASSERT_EQ(v.pdispVal->QueryInterface(IID_PPV_ARGS(&group)), S_OK);
        firstMembers.push_back(members(group.Get()).at(0));
    }
    EXPECT_EQ(firstMembers, (std::vector<LONG> { 1, 2 }));
}

} // namespace
