// CGroups, the radio groups of one control: an ordered list of groups that is also the model's
// group hook, so the one-on rule of radio items and item removal reach the groups. The collection
// is its own enumerator with one shared cursor (_NewEnum resets it); Clone gives an enumerator
// with a cursor of its own over a snapshot, for nested loops.
#pragma once

#include "arbor/groups/cgroup.h"
#include "arbor/model/hooks.h"
#include "platform/com/enumvariant.h"

namespace arbor {

class CGroups final
    : public platform::com::ComObject<CGroups,
          platform::com::DualImpl<IGroups, typelib::kGroupsDesc>,
          platform::com::SupportErrorInfoFor<IGroups>, platform::com::EnumVariantCursor<CGroups>>,
      public XTreeGroupHook {
public:
    CGroups();
    ~CGroups() override;

    // The control this collection served is gone: its groups stop consulting it, and its members
    // name items that no longer exist.
    void detach() noexcept;
    // Whether any group holds hItem; O(groups x log members).
    bool holds(LONG hItem) const noexcept;

    // XTreeGroupHook
    bool groupMembers(LONG hItem, std::vector<LONG> &members) override;
    void forgetItem(LONG hItem) override;
    // Every item is gone and handles will be reused: every group is emptied (the groups stay).
    void forgetAll() override;

    // IGroups. Remove outside 0 .. Count-1 is ignored; item() outside it is E_POINTER.
    HRESULT get_Count(LONG *pVal) noexcept override;
    HRESULT Add(IGroup **pVal) noexcept override;
    HRESULT Remove(LONG nIndex) noexcept override;
    HRESULT get__NewEnum(IUnknown **pVal) noexcept override;
    HRESULT get_item(LONG nIndex, IGroup **pVal) noexcept override;

    // EnumVariantCursor
    ULONG enumCount() noexcept { return static_cast<ULONG>(m_groups.size()); }
    HRESULT enumItem(ULONG index, VARIANT *out) noexcept;

private:
    std::vector<ComPtr<CGroup>> m_groups; // insertion order; one reference each
    std::shared_ptr<GroupsLink> m_link;
};

// The factory entry of the served-class table: a collection made on its own serves no control.
HRESULT getGroupsFactory(REFIID riid, void **ppv) noexcept;

} // namespace arbor
