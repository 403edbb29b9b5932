#include "arbor/groups/cgroup.h"

#include "arbor/groups/cgroups.h"
#include "platform/com/boundary.h"
#include "platform/com/classfactory.h"

#include <algorithm>

namespace arbor {

namespace {
constexpr std::u16string_view kSource = u"Corvel.Arbor.1"; // the control the group belongs to
} // namespace

bool CGroup::contains(LONG hItem) const noexcept
{
    return std::binary_search(m_members.begin(), m_members.end(), hItem);
}

void CGroup::appendMembers(std::vector<LONG> &out) const
{
    out.insert(out.end(), m_members.begin(), m_members.end());
}

void CGroup::forget(LONG hItem) noexcept
{
    const auto it = std::lower_bound(m_members.begin(), m_members.end(), hItem);
    if (it != m_members.end() && *it == hItem)
        m_members.erase(it);
}

HRESULT CGroup::Add(LONG hItem) noexcept
{
    // Any group of the collection (this one included) holding the handle keeps it.
    if (m_owner && m_owner->groups ? m_owner->groups->holds(hItem) : contains(hItem))
        return ARBOR_S_ALREADYGROUPED;
    return platform::com::guarded({ IGroup::iid, kSource, u"Add" }, [&] {
        m_members.insert(std::lower_bound(m_members.begin(), m_members.end(), hItem), hItem);
        return S_OK;
    });
}

HRESULT CGroup::Remove(LONG hItem) noexcept
{
    forget(hItem);
    return S_OK;
}

HRESULT CGroup::get_Count(LONG *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = static_cast<LONG>(m_members.size());
    return S_OK;
}

HRESULT CGroup::get_item(LONG nIndex, LONG *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nIndex >= 0 && static_cast<std::size_t>(nIndex) < m_members.size()
        ? m_members[static_cast<std::size_t>(nIndex)]
        : 0;
    return S_OK;
}

HRESULT getGroupFactory(REFIID riid, void **ppv) noexcept
{
    return platform::com::getClassFactory<CGroup>(riid, ppv);
}

} // namespace arbor
