// One hour of 8000 Hz telephone audio through the converter, in the 2048-byte pieces the
// recording feeds: PCM to IMA ADPCM, PCM to GSM 6.10, mu-law to PCM, 8 kHz to 44.1 kHz.
#include "audio/TdeAudioConvertor.h"
#include "audio/codecs/CodecLayer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

constexpr std::uint32_t Rate = 8000;
constexpr std::size_t Frames = std::size_t(Rate) * 3600;
constexpr std::size_t Piece = 2048;

TdeWaveFormat format(std::uint16_t tag, std::uint32_t rate, std::uint16_t bits)
{
    TdeWaveFormat f;
    f.Buffer().fill(0);
    codecs::buildFormat(tag, rate, 1, bits, f.Buffer());
    return f;
}

// Speech-like 16-bit audio with some noise, so that no codec meets only silence.
const std::vector<std::uint8_t> &pcm16Hour()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b(Frames * 2);
        std::uint32_t noise = 12345;
        for (std::size_t i = 0; i < Frames; ++i) {
            const double t = double(i) / Rate;
            noise = noise * 1664525u + 1013904223u;
            const double v =
                (0.5 + 0.5 * std::sin(6.283 * 2.7 * t)) *
                    (6000 * std::sin(6.283 * 290 * t) + 3000 * std::sin(6.283 * 1210 * t)) +
                double(int(noise >> 20) - 2048);
            const auto s = static_cast<std::int16_t>(std::lround(v));
            b[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
            b[2 * i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
        }
        return b;
    }();
    return bytes;
}

const std::vector<std::uint8_t> &mulawHour()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> out;
        TdeAudioConvertor c;
        c.setFormatIn(format(codecs::Tag::Pcm, Rate, 16));
        c.setFormatOut(format(codecs::Tag::MuLaw, Rate, 8));
        c.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *d, qint64 n) {
            out.insert(out.end(), d, d + n);
        };
        c.Open();
        const auto &in = pcm16Hour();
        for (std::size_t at = 0; at < in.size(); at += Piece)
            c.Convert(in.data() + at, qint64(std::min(Piece, in.size() - at)));
        c.flush();
        return out;
    }();
    return bytes;
}

void convertHour(benchmark::State &state, const std::vector<std::uint8_t> &input,
                 const TdeWaveFormat &from, const TdeWaveFormat &to)
{
    for (auto _ : state) {
        qint64 produced = 0;
        TdeAudioConvertor c;
        c.setFormatIn(from);
        c.setFormatOut(to);
        c.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *d, qint64 n) {
            benchmark::DoNotOptimize(d);
            produced += n;
        };
        c.Open();
        for (std::size_t at = 0; at < input.size(); at += Piece)
            c.Convert(input.data() + at, qint64(std::min(Piece, input.size() - at)));
        c.flush();
        c.Close();
        state.counters["output_MB"] = double(produced) / 1e6;
    }
    state.counters["x_realtime"] = benchmark::Counter(3600.0, benchmark::Counter::kIsRate);
}

void PcmToImaAdpcm(benchmark::State &state)
{
    convertHour(state, pcm16Hour(), format(codecs::Tag::Pcm, Rate, 16),
                format(codecs::Tag::ImaAdpcm, Rate, 4));
}
void PcmToGsm610(benchmark::State &state)
{
    convertHour(state, pcm16Hour(), format(codecs::Tag::Pcm, Rate, 16),
                format(codecs::Tag::Gsm610, Rate, 0));
}
void MuLawToPcm(benchmark::State &state)
{
    convertHour(state, mulawHour(), format(codecs::Tag::MuLaw, Rate, 8),
                format(codecs::Tag::Pcm, Rate, 16));
}
void Pcm8kTo44k(benchmark::State &state)
{
    convertHour(state, pcm16Hour(), format(codecs::Tag::Pcm, Rate, 16),
                format(codecs::Tag::Pcm, 44100, 16));
}

BENCHMARK(PcmToImaAdpcm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(PcmToGsm610)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(MuLawToPcm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Pcm8kTo44k)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
