// CGroup, one radio group: a set of item handles kept in ascending order. A group asks the
// collection that made it whether a handle is grouped elsewhere before taking it; that link is
// weak, so a group that outlives its control, or one created on its own, never reaches freed
// memory and simply takes every handle.
#pragma once

#include "arbor/typelib.h"
#include "platform/com/errorinfo.h"

#include <memory>
#include <vector>

namespace arbor {

class CGroups;

// Shared by a collection and every group it made. The collection clears `groups` when it stops
// answering for its control (the control died) or dies itself.
struct GroupsLink {
    CGroups *groups = nullptr;
};

class CGroup final
    : public platform::com::ComObject<CGroup, platform::com::DualImpl<IGroup, typelib::kGroupDesc>,
          platform::com::SupportErrorInfoFor<IGroup>> {
public:
    CGroup() noexcept = default;

    void setOwner(std::shared_ptr<GroupsLink> owner) noexcept { m_owner = std::move(owner); }
    // O(log n).
    bool contains(LONG hItem) const noexcept;
    // Appends the members, ascending, to `out`.
    void appendMembers(std::vector<LONG> &out) const;
    // Drops hItem if it is a member; O(n).
    void forget(LONG hItem) noexcept;
    void clear() noexcept { m_members.clear(); }

    // IGroup. Add returns ARBOR_S_ALREADYGROUPED (a success code) when a group of the owning
    // collection holds hItem already; it does not check that hItem names an item. item() outside
    // 0 .. Count-1 gives 0 with S_OK.
    HRESULT Add(LONG hItem) noexcept override;
    HRESULT Remove(LONG hItem) noexcept override;
    HRESULT get_Count(LONG *pVal) noexcept override;
    HRESULT get_item(LONG nIndex, LONG *pVal) noexcept override;

private:
    std::vector<LONG> m_members; // ascending as signed numbers, each handle once
    std::shared_ptr<GroupsLink> m_owner; // null for a group created on its own
};

// The factory entry of the served-class table.
HRESULT getGroupFactory(REFIID riid, void **ppv) noexcept;

} // namespace arbor
