// Microsoft ADPCM in the WAV block layout: per block and channel a predictor number, a
// starting delta and two starting samples, then one four-bit code per sample.
#pragma once

#include "audio/codecs/Driver.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace codecs {

struct MsCoefficient
{
    int c1;
    int c2;
};

// The seven predictors every file carries in its format.
extern const MsCoefficient MsStandardCoefficients[7];

// Largest samples per channel a block of blockAlign bytes holds.
std::uint32_t msSamplesPerBlock(std::uint32_t blockAlign, std::uint16_t channels);

// The delta carried from block to block, one per channel.
struct MsEncoderState
{
    int delta[2] = {16, 16};
};

// Encodes samplesPerBlock interleaved frames into blockAlign bytes, choosing per channel the
// standard predictor with the smallest error.
void msEncodeBlock(const std::int16_t *frames, std::uint16_t channels, std::uint32_t blockAlign,
                   std::uint32_t samplesPerBlock, MsEncoderState &state, std::uint8_t *block);
// Decodes at most samplesPerBlock frames from a block of size bytes (the last block of a
// file may be short); returns the frames written.
std::uint32_t msDecodeBlock(const std::uint8_t *block, std::size_t size, std::uint16_t channels,
                            std::uint32_t samplesPerBlock,
                            const std::vector<MsCoefficient> &coefficients, std::int16_t *frames);

std::unique_ptr<Driver> makeMsAdpcmDriver();

} // namespace codecs
