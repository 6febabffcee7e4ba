// The line programme: segments of generated or recorded sound consumed by the voice stream.
#include "vmodem/LineAudio.h"

#include <algorithm>

namespace vmodem {

LineAudio::LineAudio()
{
    append(makeGenerator("speech"), "speech", -1);
}

long long LineAudio::endOf(const Segment &s, int rate) const
{
    if (s.forcedEnd >= 0)
        return s.forcedEnd;
    if (s.durationMs >= 0)
        return s.durationMs * rate / 1000;
    if (const auto natural = s.source->naturalLength(rate))
        return *natural;
    return -1;
}

void LineAudio::append(std::unique_ptr<SignalSource> source, std::string label,
                       long long durationMs)
{
    if (!m_segments.empty()) {
        Segment &last = m_segments.back();
        const bool open =
            last.forcedEnd < 0 && last.durationMs < 0 && !last.source->naturalLength(8000);
        if (open) {
            if (m_segments.size() == 1 && last.done > 0)
                last.forcedEnd = last.done; // cut the sound playing now
            else
                m_segments.pop_back();
        }
    }
    m_segments.push_back(Segment{std::move(source), std::move(label), durationMs, -1, 0, false});
}

void LineAudio::replace(std::unique_ptr<SignalSource> source, std::string label)
{
    m_segments.clear();
    append(std::move(source), std::move(label), -1);
}

void LineAudio::generate(std::span<std::int16_t> out, int rate,
                         const std::function<void(const std::string &)> &started)
{
    std::size_t filled = 0;
    while (filled < out.size()) {
        while (!m_segments.empty()) {
            const Segment &front = m_segments.front();
            const long long end = endOf(front, rate);
            if (end >= 0 && front.done >= end)
                m_segments.pop_front();
            else
                break;
        }
        if (m_segments.empty()) {
            m_segments.push_back(Segment{makeGenerator("silence"), "silence", -1, -1, 0, false});
        }
        Segment &s = m_segments.front();
        if (!s.announced) {
            s.announced = true;
            if (started)
                started(s.label);
        }
        const long long end = endOf(s, rate);
        std::size_t count = out.size() - filled;
        if (end >= 0)
            count = std::min<std::size_t>(count, static_cast<std::size_t>(end - s.done));
        s.source->generate(out.subspan(filled, count), rate);
        s.done += static_cast<long long>(count);
        filled += count;
    }
}

std::string LineAudio::currentLabel() const
{
    return m_segments.empty() ? "silence" : m_segments.front().label;
}

} // namespace vmodem
