// The ordered list of roots. Roots are also linked through their next/previous links; this list
// adds what the links cannot give cheaply: the count and the n-th root. Root handles are appended
// to a slot table and tombstoned (0) on removal; live counts are kept per chunk of kChunk slots,
// with a Fenwick tree over the chunks, so the list costs little more than a handle per root. The
// table is compacted when tombstones outnumber live roots.
#pragma once

#include "platform/wintypes.h"

#include <cstdint>
#include <vector>

namespace arbor {

class ItemRegistry;
class XTreeItem;

class RootList {
public:
    explicit RootList(const ItemRegistry &registry) noexcept
        : m_registry(registry)
    {
    }

    // Appends after the last root. O(1) amortised.
    void append(XTreeItem *root);
    // Removes a root of this list; O(log n) amortised.
    void remove(XTreeItem *root);
    // The n-th live root (0-based), null outside 0..size-1. O(log n + kChunk).
    XTreeItem *at(std::size_t n) const noexcept;
    XTreeItem *first() const noexcept { return m_first; }
    XTreeItem *last() const noexcept { return m_last; }
    std::size_t size() const noexcept { return m_live; }
    void clear() noexcept;

    static constexpr std::size_t kChunk = 64;

private:
    void compact();
    void addToChunk(std::size_t chunk, int delta) noexcept;

    const ItemRegistry &m_registry;
    std::vector<LONG> m_slots; // 0 marks a removed root
    std::vector<std::uint32_t> m_tree; // 1-based Fenwick tree of live counts per chunk
    std::size_t m_live = 0;
    XTreeItem *m_first = nullptr;
    XTreeItem *m_last = nullptr;
};

} // namespace arbor
