// Test audio shared by the audio tests: a speech-like signal and helpers to push bytes
// through the codec layer.
#pragma once

#include "audio/codecs/CodecLayer.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace testaudio {

// Three partials under a syllable-like envelope, peak about 14000; frames interleaved.
inline std::vector<std::int16_t> speechLike(std::uint32_t rate, std::size_t frames,
                                            int channels = 1)
{
    std::vector<std::int16_t> out(frames * std::size_t(channels));
    const double pi = 3.14159265358979323846;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double envelope = 0.55 + 0.45 * std::sin(2 * pi * 3.0 * t);
        for (int ch = 0; ch < channels; ++ch) {
            const double f = 1.0 + 0.1 * ch;
            const double v = 7000 * std::sin(2 * pi * 310 * f * t) +
                             4000 * std::sin(2 * pi * 1130 * f * t + 0.3) +
                             2500 * std::sin(2 * pi * 2450 * f * t + 1.1);
            out[i * std::size_t(channels) + std::size_t(ch)] =
                static_cast<std::int16_t>(std::lround(envelope * v));
        }
    }
    return out;
}

inline std::vector<std::uint8_t> toBytes(const std::vector<std::int16_t> &samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(samples[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>((samples[i] >> 8) & 0xFF);
    }
    return bytes;
}

inline std::vector<std::int16_t> toSamples(const std::vector<std::uint8_t> &bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

// Runs bytes through a codec stream in pieces of `piece` bytes and finishes it.
inline std::vector<std::uint8_t> runStream(const codecs::FormatBlock &from,
                                           const codecs::FormatBlock &to,
                                           const std::vector<std::uint8_t> &in,
                                           std::size_t piece = 2048)
{
    std::unique_ptr<codecs::Stream> stream;
    if (codecs::streamOpen(from, to, stream) != codecs::Result::Ok)
        return {};
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> held;
    for (std::size_t at = 0; at < in.size(); at += piece) {
        held.insert(held.end(), in.begin() + std::ptrdiff_t(at),
                    in.begin() + std::ptrdiff_t(std::min(in.size(), at + piece)));
        std::vector<std::uint8_t> buffer(stream->outputSize(held.size()));
        const codecs::StreamResult r =
            stream->convert(held.data(), held.size(), buffer.data(), buffer.size());
        out.insert(out.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(r.dstUsed));
        held.erase(held.begin(), held.begin() + std::ptrdiff_t(r.srcUsed));
    }
    stream->finish(held.data(), held.size(), out);
    return out;
}

inline codecs::FormatBlock format(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels,
                                  std::uint16_t bits = 0)
{
    codecs::FormatBlock f{};
    codecs::buildFormat(tag, rate, channels, bits, f);
    return f;
}

// Signal-to-noise ratio in dB of decoded against source over their common length.
inline double snrDb(const std::vector<std::int16_t> &source,
                    const std::vector<std::int16_t> &decoded)
{
    double signal = 0;
    double noise = 0;
    const std::size_t n = std::min(source.size(), decoded.size());
    for (std::size_t i = 0; i < n; ++i) {
        signal += double(source[i]) * source[i];
        const double e = double(source[i]) - decoded[i];
        noise += e * e;
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

} // namespace testaudio
