// Block analysis. The silence history holds one mark per block; silence is declared only
// once the history is full, so never before the disconnect time has passed.
#include "BlockAnalyser.h"

#include <cfenv>
#include <cmath>
#include <numeric>

namespace {
double sampleStdDev(std::span<const double> x)
{
    if (x.size() < 2)
        return 0.0;
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / double(x.size());
    double sum = 0.0;
    for (double v : x)
        sum += (v - mean) * (v - mean);
    return std::sqrt(sum / double(x.size() - 1));
}
} // namespace

int historyLength(int sampleRate, int discTimeSeconds)
{
    if (sampleRate <= 0)
        return 1;
    const float blockSeconds = float(DisplayBlockSize) / float(sampleRate);
    const int n = static_cast<int>(std::nearbyint(double(discTimeSeconds) / double(blockSeconds)));
    return std::max(n, 1);
}

bool IsSilentBlock(std::span<const double> x)
{
    return static_cast<float>(sampleStdDev(x)) < 1.0f;
}

bool IsPeriodicBlock(std::span<const double> x)
{
    const std::size_t n = x.size();
    std::vector<double> crossings;
    bool deadTime = false;
    int counter = 0;
    for (std::size_t p = 1; p + 2 <= n; ++p) {
        if (deadTime && counter <= 10) {
            ++counter;
            continue;
        }
        deadTime = false;
        counter = 0;
        if (x[p - 1] < 127 && x[p + 1] > 127) {
            crossings.push_back(double(p));
            deadTime = true;
        }
    }
    const std::size_t c = crossings.size();
    if (c < 13)
        return false;
    std::vector<double> intervals;
    for (std::size_t i = 0; i + 2 < c; ++i)
        intervals.push_back(crossings[i + 1] - crossings[i]);
    const double s = sampleStdDev(intervals);
    return s > 0.0 && s <= 1.0;
}

BlockAnalyser::BlockAnalyser(int historyLength, std::function<void(const char *)> log)
    : m_length(std::size_t(std::max(historyLength, 1))), m_log(std::move(log))
{
    m_history.reserve(m_length);
}

void BlockAnalyser::clearHistory()
{
    m_history.clear();
}

BlockAnalyser::Result BlockAnalyser::AnalyseDisplayBlock(std::span<const uint8_t> block)
{
    const std::vector<double> x(block.begin(), block.end());
    const int mark = IsSilentBlock(x) ? 1 : 0;
    if (m_history.size() < m_length) {
        m_history.push_back(mark);
    } else {
        m_history.erase(m_history.begin());
        m_history.push_back(mark);
        const int silent = std::accumulate(m_history.begin(), m_history.end(), 0);
        if (double(silent) >= 0.85 * double(m_length)) {
            if (m_log)
                m_log("Silence...");
            return Silence;
        }
    }
    if (IsPeriodicBlock(x)) {
        if (m_log)
            m_log("Periodic signal...");
        return Periodic;
    }
    return Neither;
}
