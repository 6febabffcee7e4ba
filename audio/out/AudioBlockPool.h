// The output's memory blocks: returned blocks are kept and reused for requests of the same
// size, or of a size a little smaller, so that a steady stream of blocks allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class AudioBlockPool
{
public:
    AudioBlockPool() = default;
    AudioBlockPool(const AudioBlockPool &) = delete;
    AudioBlockPool &operator=(const AudioBlockPool &) = delete;

    // A block of at least size usable bytes: a free block of exactly size bytes, else the
    // free block with the smallest surplus below size (so less than twice size), else a new
    // block. Raises EACMAudioOutError "Cannot allocate global memory." when memory runs out.
    std::uint8_t *take(std::size_t size);
    // Puts a block taken from this pool on the free list.
    void give(std::uint8_t *block);
    // Forgets the free list and frees every block ever allocated.
    void release();

    std::size_t allocatedCount() const { return m_all.size(); }
    std::size_t freeCount() const { return m_free.size(); }
    // The usable size of a block of this pool; 0 for a pointer that is not one.
    std::size_t blockSize(const std::uint8_t *block) const;

private:
    struct Block
    {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t size;
    };
    std::vector<Block> m_all;
    std::vector<std::size_t> m_free; // indexes into m_all, oldest return first
};
