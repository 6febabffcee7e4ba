// Measuring the voice's level.
#include "LevelMeter.h"

#include "BlockAnalyser.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void LevelMeter::reset()
{
    *this = LevelMeter();
}

void LevelMeter::addBlock(std::span<const std::uint8_t> block)
{
    ++m_blocks;
    m_x.assign(block.begin(), block.end());
    if (IsSilentBlock(m_x) || IsPeriodicBlock(m_x))
        return;
    ++m_voiceBlocks;
    for (const std::uint8_t s : block) {
        const int d = std::abs(int(s) - 128);
        m_peak = std::max(m_peak, d);
        m_squares += double(d) * double(d);
    }
    m_samples += std::int64_t(block.size());
}

double LevelMeter::peak() const
{
    return double(m_peak) / 128.0;
}

double LevelMeter::rms() const
{
    return m_samples > 0 ? std::sqrt(m_squares / double(m_samples)) / 128.0 : 0.0;
}
