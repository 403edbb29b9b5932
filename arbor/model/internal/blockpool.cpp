#include "arbor/model/internal/blockpool.h"

#include <cstdlib>
#include <new>

namespace arbor {

BlockPool::BlockPool(std::size_t blockBytes) noexcept
    : m_blockBytes((blockBytes + 7) / 8 * 8)
    , m_perSlab(static_cast<std::uint32_t>((kSlabBytes - kHeaderBytes) / m_blockBytes))
{
}

BlockPool::~BlockPool()
{
    // The owner destroys its items first, which frees every slab; one still in use would be the
    // owner's leak, and is left to it rather than freed under its blocks.
    for (Slab *s = m_room; s; s = s->next)
        s->pool = nullptr;
}

BlockPool::Slab *BlockPool::newSlab()
{
    void *memory = std::aligned_alloc(kSlabBytes, kSlabBytes);
    if (!memory)
        throw std::bad_alloc();
    auto *s = ::new (memory) Slab { nullptr, nullptr, this, nullptr, 0, 0, false };
    ++m_slabs;
    list(s);
    return s;
}

void BlockPool::list(Slab *s) noexcept
{
    s->prev = nullptr;
    s->next = m_room;
    if (m_room)
        m_room->prev = s;
    m_room = s;
    s->listed = true;
}

void BlockPool::unlist(Slab *s) noexcept
{
    if (s->prev)
        s->prev->next = s->next;
    else
        m_room = s->next;
    if (s->next)
        s->next->prev = s->prev;
    s->prev = s->next = nullptr;
    s->listed = false;
}

void *BlockPool::allocate()
{
    Slab *s = m_room ? m_room : newSlab();
    void *block;
    if (s->freeList) {
        block = s->freeList;
        s->freeList = *static_cast<void **>(block);
    } else {
        block = reinterpret_cast<char *>(s) + kHeaderBytes + std::size_t(s->bump) * m_blockBytes;
        ++s->bump;
    }
    ++s->live;
    if (!s->freeList && s->bump == m_perSlab)
        unlist(s);
    return block;
}

void BlockPool::release(void *block) noexcept
{
    auto *s = reinterpret_cast<Slab *>(reinterpret_cast<std::uintptr_t>(block) & ~(kSlabBytes - 1));
    *static_cast<void **>(block) = s->freeList;
    s->freeList = block;
    --s->live;
    BlockPool *pool = s->pool;
    if (s->live == 0) {
        if (pool) {
            if (s->listed)
                pool->unlist(s);
            --pool->m_slabs;
        }
        std::free(s);
    } else if (!s->listed && pool) {
        pool->list(s);
    }
}

} // namespace arbor
