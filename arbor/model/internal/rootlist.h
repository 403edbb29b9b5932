// The ordered list of roots. Roots are also linked through their next/previous links; this list
// adds what the links cannot give cheaply: the count and the n-th root. Slots are appended and
// tombstoned on removal, with a Fenwick tree of live counts over the slots; the table is compacted
// when tombstones outnumber live roots.
#pragma once

#include "platform/wintypes.h"

#include <cstdint>
#include <vector>

namespace arbor {

class XTreeItem;

class RootList {
public:
    // Appends after the last root. O(1) amortised (a Fenwick append touches log2(lowbit) nodes).
    void append(XTreeItem *root);
    // Removes a root of this list; O(log n) amortised.
    void remove(XTreeItem *root);
    // The n-th live root (0-based), null outside 0..size-1. O(log n).
    XTreeItem *at(std::size_t n) const noexcept;
    XTreeItem *first() const noexcept { return m_first; }
    XTreeItem *last() const noexcept { return m_last; }
    std::size_t size() const noexcept { return m_live; }
    void clear() noexcept;

private:
    void compact();
    std::uint32_t prefix(std::size_t i) const noexcept;

    std::vector<XTreeItem *> m_slots; // null marks a removed root
    std::vector<std::uint32_t> m_tree; // 1-based Fenwick tree over m_slots
    std::size_t m_live = 0;
    XTreeItem *m_first = nullptr;
    XTreeItem *m_last = nullptr;
};

} // namespace arbor
