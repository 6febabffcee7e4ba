// Apply of the volume level and of the voice equaliser on one hour of an 8 kHz call in the
// working PCM form, with a gauge handler as a window gives it.
#include "audio/postproc/VoiceEqualizer.h"
#include "audio/postproc/VolumeLevel.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t Rate = 8000;
constexpr std::size_t HourSamples = Rate * 3600;

// A call: turns of 2 to 6 seconds, a loud party (peaks about 60 from the zero line) and a
// quiet one (about 12), syllables of speech-like partials, pauses between the turns with a
// little line noise.
const std::vector<std::uint8_t> &callHour()
{
    static const std::vector<std::uint8_t> samples = [] {
        std::vector<std::uint8_t> s(HourSamples);
        const double pi = 3.14159265358979323846;
        std::uint32_t noise = 2024;
        std::size_t i = 0;
        for (int turn = 0; i < s.size(); ++turn) {
            noise = noise * 1664525u + 1013904223u;
            const std::size_t talk = Rate * (2 + noise % 5);
            const std::size_t pause = Rate / 2 + noise % Rate;
            const double peak = turn % 2 ? 12.0 : 60.0;
            for (std::size_t t = 0; t < talk + pause && i < s.size(); ++t, ++i) {
                noise = noise * 1664525u + 1013904223u;
                double v = double(int(noise >> 30) - 2) * 0.5;
                if (t < talk) {
                    const double x = double(t) / Rate;
                    const double envelope = 0.5 + 0.5 * std::sin(2 * pi * 3.5 * x);
                    v += peak * envelope *
                         (0.6 * std::sin(2 * pi * 310 * x) + 0.4 * std::sin(2 * pi * 1130 * x));
                }
                s[i] = std::uint8_t(std::lround(std::clamp(127.0 + v, 0.0, 255.0)));
            }
        }
        return s;
    }();
    return samples;
}

void VolumeLevelApply(benchmark::State &state)
{
    std::vector<std::uint8_t> samples = callHour();
    const VolumeLevel level(int(state.range(0)));
    int moves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(samples.data(), callHour().data(), samples.size());
        state.ResumeTiming();
        level.Apply(samples, [&moves](int) { ++moves; });
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
    state.counters["gauge_moves"] = double(moves) / double(state.iterations());
    state.counters["x_realtime"] = benchmark::Counter(3600.0, benchmark::Counter::kIsRate);
}

void VoiceEqualizerApply(benchmark::State &state)
{
    std::vector<std::uint8_t> samples = callHour();
    VoiceEqualizer::Outcome outcome;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(samples.data(), callHour().data(), samples.size());
        state.ResumeTiming();
        outcome = VoiceEqualizer::Apply(samples,
                                        [](int position) { benchmark::DoNotOptimize(position); });
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
    state.counters["runs"] = double(outcome.segments.size());
    state.counters["raised"] = double(outcome.raisedCount());
    state.counters["x_realtime"] = benchmark::Counter(3600.0, benchmark::Counter::kIsRate);
}

BENCHMARK(VolumeLevelApply)->Arg(50)->Arg(-50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(VoiceEqualizerApply)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
