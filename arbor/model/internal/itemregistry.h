// Handle -> item table of one control. Handles are slot numbers + 1, so they are positive, dense
// and checked with one bounds test and one load. A freed slot goes to the back of a FIFO free
// list threaded through the table, so a dead handle is reused as late as possible.
#pragma once

#include "platform/wintypes.h"

#include <cstdint>
#include <vector>

namespace arbor {

class XTreeItem;

class ItemRegistry {
public:
    // Largest handle: callers loop while a handle is > 0, so the sign bit is never used.
    static constexpr LONG kMaxHandle = 0x7fffffff;

    // A new handle for item, or 0 when every positive handle is in use. O(1) amortised.
    LONG add(XTreeItem *item);
    // The live item of handle, or null for 0, negative, unknown and freed handles. O(1).
    XTreeItem *find(LONG handle) const noexcept
    {
        if (handle <= 0 || static_cast<std::size_t>(handle) > m_slots.size())
            return nullptr;
        const std::uintptr_t v = m_slots[static_cast<std::size_t>(handle) - 1];
        return (v & 1u) ? nullptr : reinterpret_cast<XTreeItem *>(v);
    }
    // Frees a live handle; anything else is ignored. O(1).
    void remove(LONG handle) noexcept;
    // Forgets every handle; the next handle given is 1 again. O(n).
    void clear() noexcept;
    std::size_t size() const noexcept { return m_live; }
    // For tests: lowers the number of handles the table may give, to reach "full" cheaply.
    void setCapacityForTesting(std::size_t maxHandles);

private:
    static constexpr std::uintptr_t kNone = ~std::uintptr_t(0);

    // A live item pointer (even), or (next free slot << 1) | 1 for a freed slot.
    std::vector<std::uintptr_t> m_slots;
    std::size_t m_live = 0;
    // Freed slots are reused only once this many wait, so a handle the client still keeps names
    // nothing for a long while instead of naming the next new item at once.
    static constexpr std::size_t kReuseDelay = 1024;
    std::size_t m_freeCount = 0;
    std::size_t m_freeHead = kNone;
    std::size_t m_freeTail = kNone;
    std::size_t m_maxSlots = kMaxHandle;
};

} // namespace arbor
