#include "arbor/model/internal/itemregistry.h"

namespace arbor {

LONG ItemRegistry::add(XTreeItem *item)
{
    std::size_t slot;
    if (m_freeHead != kNone && (m_freeCount > kReuseDelay || m_slots.size() >= m_maxSlots)) {
        --m_freeCount;
        slot = m_freeHead;
        const std::uintptr_t next = m_slots[slot] >> 1;
        m_freeHead = next == (kNone >> 1) ? kNone : next;
        if (m_freeHead == kNone)
            m_freeTail = kNone;
    } else {
        if (m_slots.size() >= m_maxSlots)
            return 0;
        slot = m_slots.size();
        m_slots.push_back(0);
    }
    m_slots[slot] = reinterpret_cast<std::uintptr_t>(item);
    ++m_live;
    return static_cast<LONG>(slot + 1);
}

void ItemRegistry::remove(LONG handle) noexcept
{
    if (!find(handle))
        return;
    const std::size_t slot = static_cast<std::size_t>(handle) - 1;
    m_slots[slot] = ((kNone >> 1) << 1) | 1u;
    if (m_freeTail == kNone)
        m_freeHead = slot;
    else
        m_slots[m_freeTail] = (slot << 1) | 1u;
    m_freeTail = slot;
    ++m_freeCount;
    --m_live;
}

void ItemRegistry::clear() noexcept
{
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_live = 0;
    m_freeCount = 0;
    m_freeHead = m_freeTail = kNone;
}

void ItemRegistry::setCapacityForTesting(std::size_t maxHandles)
{
    m_maxSlots = maxHandles;
}

} // namespace arbor
