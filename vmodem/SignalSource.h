// What the telephone line carries: generated signals and recorded sound, as 16-bit samples.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vmodem {

class SignalSource
{
public:
    virtual ~SignalSource() = default;
    // Fills out with the next samples at the given sampling rate (Hz, > 0).
    virtual void generate(std::span<std::int16_t> out, int rate) = 0;
    // Samples the source holds at that rate when it has a natural end (a sound file).
    virtual std::optional<std::int64_t> naturalLength(int /*rate*/) const { return std::nullopt; }
};

// The generated signals, by name: "silence", "speech" (a speech-like voice), "busy"
// (425 Hz, 0.5 s on, 0.5 s off), "busy-us" (480+620 Hz, same cadence), "dial"
// (350+440 Hz steady), "dial425" (425 Hz steady), "ramp" (every 8-bit level in turn) and
// "tone:HZ" (a steady sine). Null for an unknown name.
std::unique_ptr<SignalSource> makeGenerator(const std::string &name);

// Mono 16-bit samples of a PCM WAV file and their rate.
struct WavSound
{
    int rate = 8000;
    std::vector<std::int16_t> samples;
};

// Reads an 8-bit or 16-bit PCM WAV file (mono or stereo, mixed down). Nothing on failure,
// with error set. Files above 256 MiB are refused.
std::optional<WavSound> loadWav(const std::string &path, std::string &error);

// Plays a sound once, resampled to the stream's rate by linear interpolation.
std::unique_ptr<SignalSource> makeSoundSource(WavSound sound);

} // namespace vmodem
