#include "arbor/model/internal/rootlist.h"

#include "arbor/model/xtreeitem.h"

namespace arbor {

std::uint32_t RootList::prefix(std::size_t i) const noexcept
{
    std::uint32_t sum = 0;
    for (; i > 0; i &= i - 1)
        sum += m_tree[i];
    return sum;
}

void RootList::append(XTreeItem *root)
{
    if (m_tree.empty())
        m_tree.push_back(0);
    m_slots.push_back(root);
    const std::size_t i = m_slots.size();
    // Node i covers (i - lowbit(i), i]: itself plus the nodes i-1, i-2, i-4, ... below lowbit(i).
    std::uint32_t sum = 1;
    const std::size_t low = i & (~i + 1);
    for (std::size_t step = 1; step < low; step <<= 1)
        sum += m_tree[i - step];
    m_tree.push_back(sum);

    root->m_rootSlot = static_cast<UINT>(i - 1);
    root->m_prev = m_last;
    root->m_next = nullptr;
    if (m_last)
        m_last->m_next = root;
    else
        m_first = root;
    m_last = root;
    ++m_live;
}

void RootList::remove(XTreeItem *root)
{
    const std::size_t slot = root->m_rootSlot;
    if (slot >= m_slots.size() || m_slots[slot] != root)
        return;
    m_slots[slot] = nullptr;
    for (std::size_t i = slot + 1; i < m_tree.size(); i += i & (~i + 1))
        --m_tree[i];
    if (root->m_prev)
        root->m_prev->m_next = root->m_next;
    else
        m_first = root->m_next;
    if (root->m_next)
        root->m_next->m_prev = root->m_prev;
    else
        m_last = root->m_prev;
    root->m_next = root->m_prev = nullptr;
    --m_live;
    if (m_slots.size() > 64 && m_live < m_slots.size() / 2)
        compact();
}

XTreeItem *RootList::at(std::size_t n) const noexcept
{
    if (n >= m_live)
        return nullptr;
    // Fenwick descent: the largest position whose prefix count is <= n, plus one.
    std::size_t pos = 0;
    std::size_t rest = n;
    std::size_t bit = 1;
    while (bit * 2 < m_tree.size())
        bit *= 2;
    for (; bit > 0; bit >>= 1) {
        const std::size_t next = pos + bit;
        if (next < m_tree.size() && m_tree[next] <= rest) {
            pos = next;
            rest -= m_tree[next];
        }
    }
    return m_slots[pos]; // slot index pos is position pos + 1
}

void RootList::compact()
{
    std::vector<XTreeItem *> live;
    live.reserve(m_live);
    for (XTreeItem *r = m_first; r; r = r->m_next)
        live.push_back(r);
    m_slots.clear();
    m_tree.clear();
    m_first = m_last = nullptr;
    m_live = 0;
    m_slots.reserve(live.size());
    m_tree.reserve(live.size() + 1);
    for (XTreeItem *r : live)
        append(r);
}

void RootList::clear() noexcept
{
    m_slots.clear();
    m_tree.clear();
    m_live = 0;
    m_first = m_last = nullptr;
}

} // namespace arbor
