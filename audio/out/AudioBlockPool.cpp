// The block pool's reuse rule.
#include "audio/out/AudioBlockPool.h"

#include "audio/EACMError.h"

#include <new>

std::uint8_t *AudioBlockPool::take(std::size_t size)
{
    std::size_t best = m_free.size();
    std::size_t bestSurplus = size; // only surpluses below size qualify
    for (std::size_t i = 0; i < m_free.size(); ++i) {
        const std::size_t have = m_all[m_free[i]].size;
        if (have == size) {
            best = i;
            break;
        }
        if (have > size && have - size < bestSurplus) {
            bestSurplus = have - size;
            best = i;
        }
    }
    if (best < m_free.size()) {
        std::uint8_t *block = m_all[m_free[best]].bytes.get();
        m_free.erase(m_free.begin() + std::ptrdiff_t(best));
        return block;
    }
    try {
        // At least one byte, so that every block has an address of its own.
        m_all.push_back({std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size), size});
    } catch (const std::bad_alloc &) {
        throw EACMAudioOutError(QStringLiteral("Cannot allocate global memory."));
    }
    return m_all.back().bytes.get();
}

void AudioBlockPool::give(std::uint8_t *block)
{
    for (std::size_t i = 0; i < m_all.size(); ++i) {
        if (m_all[i].bytes.get() == block) {
            m_free.push_back(i);
            return;
        }
    }
}

void AudioBlockPool::release()
{
    m_free.clear();
    m_all.clear();
}

std::size_t AudioBlockPool::blockSize(const std::uint8_t *block) const
{
    for (const Block &b : m_all) {
        if (b.bytes.get() == block)
            return b.size;
    }
    return 0;
}
