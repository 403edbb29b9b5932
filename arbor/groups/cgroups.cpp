#include "arbor/groups/cgroups.h"

#include "platform/com/boundary.h"
#include "platform/com/classfactory.h"

namespace arbor {

using namespace platform::com;

namespace {
constexpr std::u16string_view kSource = u"Corvel.Arbor.1"; // the control the groups belong to
} // namespace

CGroups::CGroups()
    : m_link(std::make_shared<GroupsLink>(GroupsLink { this }))
{
}

CGroups::~CGroups()
{
    detach();
}

void CGroups::detach() noexcept
{
    m_link->groups = nullptr;
}

bool CGroups::holds(LONG hItem) const noexcept
{
    for (const auto &g : m_groups)
        if (g->contains(hItem))
            return true;
    return false;
}

bool CGroups::groupMembers(LONG hItem, std::vector<LONG> &members)
{
    for (const auto &g : m_groups) {
        if (g->contains(hItem)) {
            g->appendMembers(members);
            return true;
        }
    }
    return false;
}

void CGroups::forgetItem(LONG hItem)
{
    for (const auto &g : m_groups)
        g->forget(hItem);
}

void CGroups::forgetAll()
{
    for (const auto &g : m_groups)
        g->clear();
}

HRESULT CGroups::get_Count(LONG *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = static_cast<LONG>(m_groups.size());
    return S_OK;
}

HRESULT CGroups::Add(IGroup **pVal) noexcept
{
    if (pVal)
        *pVal = nullptr;
    ComPtr<CGroup> group = CGroup::make();
    if (!group)
        return E_OUTOFMEMORY;
    const HRESULT hr = guarded({ IGroups::iid, kSource, u"Add" }, [&] {
        m_groups.push_back(group);
        return S_OK;
    });
    if (FAILED(hr))
        return hr;
    group->setOwner(m_link);
    if (pVal)
        *pVal = group.Detach();
    return S_OK;
}

HRESULT CGroups::Remove(LONG nIndex) noexcept
{
    if (nIndex >= 0 && static_cast<std::size_t>(nIndex) < m_groups.size())
        m_groups.erase(m_groups.begin() + nIndex);
    return S_OK;
}

HRESULT CGroups::get__NewEnum(IUnknown **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    (void)Reset();
    *pVal = static_cast<IEnumVARIANT *>(this);
    AddRef();
    return S_OK;
}

HRESULT CGroups::get_item(LONG nIndex, IGroup **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_groups.size())
        return E_POINTER;
    return m_groups[static_cast<std::size_t>(nIndex)]->QueryInterface(IID_PPV_ARGS(pVal));
}

HRESULT CGroups::enumItem(ULONG index, VARIANT *out) noexcept
{
    if (index >= m_groups.size())
        return E_FAIL;
    out->vt = VT_DISPATCH;
    out->pdispVal = static_cast<IDispatch *>(static_cast<IGroup *>(m_groups[index].Get()));
    out->pdispVal->AddRef();
    return S_OK;
}

HRESULT getGroupsFactory(REFIID riid, void **ppv) noexcept
{
    return getClassFactory<CGroups>(riid, ppv);
}

} // namespace arbor
