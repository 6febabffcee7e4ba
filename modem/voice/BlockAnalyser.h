// Finding the end of a call in the display samples (8-bit unsigned, 128 the zero line):
// a run of silence as long as the disconnect time, or a steady tone on the line.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// Samples in one display block.
constexpr int DisplayBlockSize = 1536;

// Blocks in the disconnect time: discTime / (1536 / rate), rounded half to even.
int historyLength(int sampleRate, int discTimeSeconds);

// The sample standard deviation is below 1.0.
bool IsSilentBlock(std::span<const double> x);

// Zero-line crossings, at least 12 samples apart, come at nearly regular intervals.
bool IsPeriodicBlock(std::span<const double> x);

class BlockAnalyser
{
public:
    enum Result
    {
        Silence = 0,
        Periodic = 1,
        Neither = 2
    };

    // log receives "Silence..." and "Periodic signal..." as they are found.
    BlockAnalyser(int historyLength, std::function<void(const char *)> log);

    Result AnalyseDisplayBlock(std::span<const uint8_t> block);
    void clearHistory();

private:
    std::size_t m_length;
    std::vector<int> m_history; // oldest first, at most m_length marks
    std::function<void(const char *)> m_log;
};
