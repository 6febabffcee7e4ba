// The equaliser in two passes: block levels and marks, then the runs of speech.
#include "audio/postproc/VoiceEqualizer.h"

#include "audio/postproc/HalfEven.h"

#include <algorithm>
#include <array>

namespace {

// Reports each gauge position once.
class Gauge
{
public:
    explicit Gauge(const GaugeHandler &handler) : m_handler(handler) {}
    void set(int position)
    {
        if (m_handler && position != m_position) {
            m_position = position;
            m_handler(position);
        }
    }

private:
    const GaugeHandler &m_handler;
    int m_position = -1;
};

std::uint8_t distance(std::uint8_t b)
{
    return std::uint8_t(b >= 127 ? b - 127 : 127 - b);
}

// The sum of |b − 127|. A fixed count per piece lets the compiler use vector instructions.
std::uint32_t distanceSum(const std::uint8_t *from, const std::uint8_t *to)
{
    constexpr std::ptrdiff_t Piece = 64;
    std::uint32_t sum = 0;
    for (; to - from >= Piece; from += Piece) {
        std::uint16_t piece = 0; // at most 64 × 128
        for (std::ptrdiff_t i = 0; i < Piece; ++i)
            piece = std::uint16_t(piece + distance(from[i]));
        sum += piece;
    }
    for (; from != to; ++from)
        sum += distance(*from);
    return sum;
}

// Walks the smoothed marks: step(k) where a run's start has been looked for (k as far as the
// search went), segment(range) for each run found.
template <typename Step, typename Found>
void walkRuns(std::string_view marks, Step step, Found segment)
{
    const long long n = static_cast<long long>(marks.size());
    if (n == 0)
        return;
    const long long last = n - 1;
    // Block k counts from 1; position 0 holds no mark.
    const auto mark = [&](long long k) { return k == 0 ? '\0' : marks[std::size_t(k - 1)]; };
    const auto at = [](long long k) { return std::size_t(k) * VoiceEqualizer::BlockSize; };
    long long k = -1;
    for (;;) {
        do {
            ++k;
        } while (k != last &&
                 !(mark(k) == VoiceEqualizer::Silence && mark(k + 1) == VoiceEqualizer::Voice));
        const std::size_t start = at(k); // the first byte of block k + 1
        step(k, n);
        if (k == last)
            return;
        do {
            ++k;
        } while (k != last &&
                 !(mark(k) == VoiceEqualizer::Voice && mark(k + 1) == VoiceEqualizer::Silence));
        segment(VoiceEqualizer::Range{start, at(k)});
        if (k == last)
            return;
    }
}

} // namespace

std::size_t VoiceEqualizer::Outcome::raisedCount() const
{
    return std::size_t(std::count_if(segments.begin(), segments.end(),
                                     [](const Segment &s) { return s.gain > 0; }));
}

float VoiceEqualizer::Level(std::span<const std::uint8_t> samples)
{
    // Adding whole numbers to a float is exact while the sum stays at or below 2^24, so
    // pieces that cannot pass it are summed as integers; past it every addition rounds and
    // is done one by one, as the single-precision sum demands.
    constexpr std::uint32_t Exact = 1u << 24;
    const std::uint8_t *p = samples.data();
    const std::uint8_t *const end = p + samples.size();
    float sum = 0;
    for (;;) {
        const auto room = std::size_t((Exact - std::uint32_t(sum)) / 128);
        const auto piece = std::min(room, std::size_t(end - p));
        if (piece == 0)
            break;
        sum = float(std::uint32_t(sum) + distanceSum(p, p + piece));
        p += piece;
    }
    for (; p != end; ++p)
        sum += float(distance(*p));
    return samples.empty() ? 0.0f : sum / float(samples.size());
}

std::string VoiceEqualizer::BlockMarks(std::span<const std::uint8_t> samples)
{
    std::string marks(samples.size() / BlockSize, Silence);
    for (std::size_t k = 0; k < marks.size(); ++k)
        marks[k] = Mark(Level(samples.subspan(k * BlockSize, BlockSize)));
    return marks;
}

void VoiceEqualizer::Smooth(std::string &marks)
{
    for (std::size_t k = 1; k + 1 < marks.size(); ++k) {
        const char before = marks[k - 1];
        const char after = marks[k + 1];
        if (before == Voice && marks[k] == Silence && after == Voice)
            marks[k] = Voice;
        else if (before == Silence && marks[k] == Voice && after == Silence)
            marks[k] = Silence;
    }
}

std::vector<VoiceEqualizer::Range> VoiceEqualizer::SegmentRanges(std::string_view marks)
{
    std::vector<Range> ranges;
    walkRuns(
        marks, [](long long, long long) {}, [&](Range r) { ranges.push_back(r); });
    return ranges;
}

float VoiceEqualizer::Gain(float average, float level)
{
    return static_cast<float>(double(average) / double(level) * 1.3);
}

void VoiceEqualizer::Raise(std::span<std::uint8_t> samples, float gain)
{
    const auto raised = [gain](int b) {
        const long long r = HalfEven::Round(double(b - 127) * double(gain)) + 127;
        return static_cast<std::uint8_t>(std::clamp(r, 0LL, 255LL));
    };
    if (samples.size() < 256) {
        for (std::uint8_t &b : samples)
            b = raised(b);
        return;
    }
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[std::size_t(b)] = raised(b);
    for (std::uint8_t &b : samples)
        b = table[b];
}

VoiceEqualizer::Outcome VoiceEqualizer::Apply(std::span<std::uint8_t> samples,
                                              const GaugeHandler &handler)
{
    Gauge gauge(handler);
    Outcome outcome;
    const std::size_t size = samples.size();
    outcome.blocks = size / BlockSize;
    outcome.marks.assign(outcome.blocks, Silence);

    // Pass 1: the level and mark of each complete block, and the sum of the voice levels.
    float voiceSum = 0;
    for (std::size_t k = 0; k < outcome.blocks; ++k) {
        const float level = Level(samples.subspan(k * BlockSize, BlockSize));
        outcome.marks[k] = Mark(level);
        if (outcome.marks[k] == Voice) {
            voiceSum += level;
            ++outcome.voiceBlocks;
        }
        gauge.set(HalfEven::Percent(double((k + 1) * BlockSize), double(size)) / 2);
    }
    if (outcome.voiceBlocks == 0)
        return outcome;
    outcome.voiceFound = true;
    outcome.averageLevel = voiceSum / float(outcome.voiceBlocks);
    Smooth(outcome.marks);

    // Pass 2: every run of speech quieter than the average is raised to 1.3 times it.
    const float average = outcome.averageLevel;
    walkRuns(
        outcome.marks,
        [&](long long k, long long n) {
            gauge.set(50 + HalfEven::Percent(double(k), double(n)) / 2);
        },
        [&](Range r) {
            const auto bytes = samples.subspan(r.first, r.last - r.first + 1);
            Segment segment{r, Level(bytes), 0.0f};
            if (segment.level < average && segment.level > 0) {
                segment.gain = Gain(average, segment.level);
                Raise(bytes, segment.gain);
            }
            outcome.segments.push_back(segment);
        });
    return outcome;
}

VoiceEqualizer::Outcome VoiceEqualizer::Apply(QByteArray &pcm, const GaugeHandler &gauge)
{
    return Apply(std::span(reinterpret_cast<std::uint8_t *>(pcm.data()), std::size_t(pcm.size())),
                 gauge);
}
