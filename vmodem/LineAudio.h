// The programme of the telephone line: what it carries, one segment after another.
#pragma once

#include "vmodem/SignalSource.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace vmodem {

// Segments are consumed by the voice stream only, sample by sample, so that a recording holds
// the same sound whatever the stream's speed and whenever the host starts receiving. A
// segment without a duration lasts until the next one is added (a sound file: its length).
// When the programme has run out the line is silent.
class LineAudio
{
public:
    LineAudio(); // the line starts out carrying speech until told otherwise

    // durationMs < 0: no fixed duration.
    void append(std::unique_ptr<SignalSource> source, std::string label, long long durationMs);
    // Drops the rest of the programme and carries this from now on.
    void replace(std::unique_ptr<SignalSource> source, std::string label);

    // Fills out at the given rate; calls started(label) for every segment that begins.
    void generate(std::span<std::int16_t> out, int rate,
                  const std::function<void(const std::string &)> &started);

    std::string currentLabel() const;

private:
    struct Segment
    {
        std::unique_ptr<SignalSource> source;
        std::string label;
        long long durationMs = -1;
        long long forcedEnd = -1; // samples, once a later segment cut an open one short
        long long done = 0;       // samples generated so far
        bool announced = false;
    };
    long long endOf(const Segment &s, int rate) const; // -1: no end

    std::deque<Segment> m_segments;
};

} // namespace vmodem
