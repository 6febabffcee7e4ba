// The voice equaliser's processing: speech stretches quieter than the average speech level of
// a recording in the working PCM form (8000 Hz, mono, unsigned bytes, zero line 127) are
// raised to 1.3 times that average. Louder speech, silences and the trailing part of fewer
// than 200 samples stay as they are.
#pragma once

#include "audio/postproc/GaugeHandler.h"

#include <QByteArray>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class VoiceEqualizer final
{
public:
    // 25 ms at 8000 Hz.
    static constexpr std::size_t BlockSize = 200;
    static constexpr char Voice = 'V';
    static constexpr char Silence = 'S';
    // What the tools report when Apply found no speech and left the samples as they were.
    static constexpr const char *NoVoiceMessage =
        "No speech was found in the recording, so nothing was changed.";

    // Bytes first .. last (both included) of the recording.
    struct Range
    {
        std::size_t first = 0;
        std::size_t last = 0;
        bool operator==(const Range &) const = default;
    };

    struct Segment
    {
        Range bytes;
        float level = 0; // its level D
        float gain = 0;  // G it was raised by; 0 when its level was not below the average
    };

    struct Outcome
    {
        bool voiceFound = false;       // false: no voice block, nothing changed
        std::size_t blocks = 0;        // complete blocks
        std::size_t voiceBlocks = 0;   // blocks the levels marked as voice, before smoothing
        float averageLevel = 0;        // the mean level of those blocks
        std::string marks;             // after smoothing, one per block, the first block first
        std::vector<Segment> segments; // every run of voice measured, in order
        std::size_t raisedCount() const;
    };

    // The mean of |b − 127| over the samples, summed and divided in single precision; 0 for
    // no samples.
    static float Level(std::span<const std::uint8_t> samples);
    // A block is voice when its level is above 1.0.
    static char Mark(float level) { return level > 1.0f ? Voice : Silence; }
    // The unsmoothed marks of the complete blocks.
    static std::string BlockMarks(std::span<const std::uint8_t> samples);
    // Left to right from the second block to the last but one, each test seeing the changes
    // before it: a silent block between two voice blocks becomes voice, a voice block
    // between two silent ones becomes silence. The first block, with nothing before it,
    // never changes.
    static void Smooth(std::string &marks);
    // The byte ranges raised when quieter than the average: each run of voice blocks that
    // follows a silent block, with the first byte of the block after it. A run at the very
    // start, or one starting in the last block, is not among them; one reaching the last
    // block ends at that block's first byte.
    static std::vector<Range> SegmentRanges(std::string_view marks);
    // A ÷ D × 1.3, kept in single precision.
    static float Gain(float average, float level);
    // Every sample b becomes (b − 127) × gain rounded halves to even, plus 127, limited to
    // 0 .. 255.
    static void Raise(std::span<std::uint8_t> samples, float gain);

    // Marks the blocks, smooths the marks and raises every quiet run of speech in place.
    // gauge gets 0 .. 50 while the blocks are measured and 50 .. 100 while runs are raised,
    // each position once, when it changes.
    static Outcome Apply(std::span<std::uint8_t> samples, const GaugeHandler &gauge = {});
    // The same on the memory stream a window holds the recording in.
    static Outcome Apply(QByteArray &pcm, const GaugeHandler &gauge = {});
};
