// The level of a recording's voice, measured from the display blocks the receiver analyses
// anyway (8-bit unsigned samples, 128 the zero line): its peak and RMS, and how many blocks
// held voice at all, which tells an empty recording from a call.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class LevelMeter
{
public:
    void reset();
    // One block of display samples.
    void addBlock(std::span<const std::uint8_t> block);

    int blocks() const { return m_blocks; }
    // Blocks that are neither silent nor a steady tone.
    int voiceBlocks() const { return m_voiceBlocks; }
    // Of the voice blocks, as fractions of full scale (0..1); 0 without a voice block.
    double peak() const;
    double rms() const;

private:
    int m_blocks = 0;
    int m_voiceBlocks = 0;
    int m_peak = 0;         // largest distance from the zero line, 0..128
    double m_squares = 0.0; // sum of squared distances over the voice blocks
    std::int64_t m_samples = 0;
    std::vector<double> m_x; // the block as the analysis takes it
};
