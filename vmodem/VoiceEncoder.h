// Turning 16-bit line samples into the bytes of a modem voice compression.
#pragma once

#include "vmodem/Compression.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vmodem {

// Encoders are stateful (ADPCM predictors, half-filled bytes): one per voice stream.
class VoiceEncoder
{
public:
    virtual ~VoiceEncoder() = default;
    // Appends the bytes for the samples to out (no DLE shielding here).
    virtual void encode(std::span<const std::int16_t> samples, std::string &out) = 0;
    // Samples that make up whole bytes: the stream hands over multiples of this.
    virtual int samplesPerUnit() const { return 1; }
};

// A factory for one encoding; returns null when it cannot encode it.
using EncoderFactory = std::function<std::unique_ptr<VoiceEncoder>(Encoding)>;

// The built-in encoders: 8-bit unsigned and signed, 16-bit linear, mu-law, A-law, IMA ADPCM.
std::unique_ptr<VoiceEncoder> makeBuiltinEncoder(Encoding encoding);

// G.711 of one sample, exposed for the tests.
std::uint8_t linearToMuLaw(std::int16_t sample);
std::uint8_t linearToALaw(std::int16_t sample);

} // namespace vmodem
