// Fixed-size blocks for the items of one model, drawn from slabs instead of one heap allocation
// each: a block costs its own bytes only, and freeing one is a few stores. Slabs are aligned to
// their size, so a block finds its slab (and the slab its pool) by masking its address. A slab
// goes back to the heap when its last block is freed, and not before.
#pragma once

#include <cstddef>
#include <cstdint>

namespace arbor {

class BlockPool {
public:
    // Small enough that the aligned request stays below the heap's mmap threshold, where
    // alignment would be paid for with a second slab's worth of address space.
    static constexpr std::size_t kSlabBytes = 32 * 1024;

    explicit BlockPool(std::size_t blockBytes) noexcept;
    ~BlockPool();
    BlockPool(const BlockPool &) = delete;
    BlockPool &operator=(const BlockPool &) = delete;

    std::size_t blockBytes() const noexcept { return m_blockBytes; }
    // A block of blockBytes, aligned for any pointer-holding object. Throws std::bad_alloc.
    void *allocate();
    // Gives a block of any pool back to it.
    static void release(void *block) noexcept;
    // Slabs held now, for tests of the slab life cycle.
    std::size_t slabCount() const noexcept { return m_slabs; }

private:
    struct Slab {
        Slab *prev;
        Slab *next;
        BlockPool *pool;
        void *freeList; // released blocks, linked through their first word
        std::uint32_t bump; // blocks handed out from the untouched end so far
        std::uint32_t live;
        bool listed; // in the pool's list of slabs with room
    };
    static constexpr std::size_t kHeaderBytes = (sizeof(Slab) + 15) / 16 * 16;

    Slab *newSlab();
    void list(Slab *s) noexcept;
    void unlist(Slab *s) noexcept;

    std::size_t m_blockBytes;
    std::uint32_t m_perSlab;
    Slab *m_room = nullptr; // slabs with a free block or untouched room
    std::size_t m_slabs = 0;
};

} // namespace arbor
