#include "arbor/model/internal/rootlist.h"

#include "arbor/model/internal/itemregistry.h"
#include "arbor/model/xtreeitem.h"

namespace arbor {

void RootList::addToChunk(std::size_t chunk, int delta) noexcept
{
    for (std::size_t i = chunk + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += static_cast<std::uint32_t>(delta);
}

void RootList::append(XTreeItem *root)
{
    if (m_tree.empty())
        m_tree.push_back(0);
    const std::size_t slot = m_slots.size();
    m_slots.push_back(root->handle());
    if (slot % kChunk == 0) {
        // A new chunk: Fenwick node i covers (i - lowbit(i), i], itself plus the nodes i-1, i-2,
        // i-4, ... below lowbit(i).
        const std::size_t i = m_tree.size();
        std::uint32_t sum = 1;
        const std::size_t low = i & (~i + 1);
        for (std::size_t step = 1; step < low; step <<= 1)
            sum += m_tree[i - step];
        m_tree.push_back(sum);
    } else {
        addToChunk(slot / kChunk, 1);
    }

    root->m_rootSlot = static_cast<UINT>(slot);
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
    if (slot >= m_slots.size() || m_slots[slot] != root->handle())
        return;
    m_slots[slot] = 0;
    addToChunk(slot / kChunk, -1);
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
    // Fenwick descent to the chunk holding the n-th root, then a scan of that chunk.
    std::size_t chunk = 0; // chunks before the one sought
    std::size_t rest = n;
    std::size_t bit = 1;
    while (bit * 2 < m_tree.size())
        bit *= 2;
    for (; bit > 0; bit >>= 1) {
        const std::size_t next = chunk + bit;
        if (next < m_tree.size() && m_tree[next] <= rest) {
            chunk = next;
            rest -= m_tree[next];
        }
    }
    for (std::size_t s = chunk * kChunk; s < m_slots.size(); ++s) {
        if (m_slots[s] != 0 && rest-- == 0)
            return m_registry.find(m_slots[s]);
    }
    return nullptr;
}

void RootList::compact()
{
    std::vector<XTreeItem *> live;
    live.reserve(m_live);
    for (XTreeItem *r = m_first; r; r = r->m_next)
        live.push_back(r);
    clear();
    m_slots.reserve(live.size());
    m_tree.reserve(live.size() / kChunk + 2);
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
