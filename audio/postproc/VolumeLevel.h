// The volume level tool's processing: a gain in percent applied to every sample of a recording
// in the working PCM form (8000 Hz, mono, one unsigned byte per sample).
#pragma once

#include "audio/postproc/GaugeHandler.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <span>

class VolumeLevel final
{
public:
    // The range of the tool's gain bar.
    static constexpr int MinPercent = -50;
    static constexpr int MaxPercent = 100;

    // percent: the gain, MinPercent .. MaxPercent on the tool's bar (the rule holds for any
    // value; a sample's sign flips below -100).
    explicit VolumeLevel(int percent);

    int percent() const { return m_percent; }

    // One sample b scaled about the zero line 127: (1 + percent / 100) × (b − 127) in double
    // precision, rounded halves to even, plus 127, limited to 0 .. 255.
    std::uint8_t Sample(std::uint8_t b) const { return m_table[b]; }

    // Scales every sample in place, in order. Every size ÷ 100 bytes (integer division, so
    // never for fewer than 100 bytes) gauge gets the position i ÷ size × 100 rounded, i being
    // the byte about to be scaled.
    void Apply(std::span<std::uint8_t> samples, const GaugeHandler &gauge = {}) const;
    // The same on the memory stream a window holds the recording in.
    void Apply(QByteArray &pcm, const GaugeHandler &gauge = {}) const;

private:
    void scale(std::uint8_t *from, std::uint8_t *to) const;

    int m_percent;
    std::array<std::uint8_t, 256> m_table{};
};
