// IMA ADPCM in the WAV block layout: per channel a 4-byte header (first sample, step
// index, reserved), then groups of 4 bytes per channel holding 8 four-bit codes each.
#pragma once

#include "audio/codecs/Driver.h"

#include <cstdint>
#include <memory>

namespace codecs {

// Samples per channel in a block of blockAlign bytes: (blockAlign - 4ch) * 2 / ch + 1.
std::uint32_t imaSamplesPerBlock(std::uint32_t blockAlign, std::uint16_t channels);

// The step index carried from block to block, one per channel.
struct ImaEncoderState
{
    int index[2] = {0, 0};
};

// Encodes one 16-bit sample into a 4-bit code, moving the predictor and step index on as a
// decoder will (for streams without block headers, as a voice modem sends them).
int imaEncodeSample(int sample, int &predictor, int &index);

// Encodes samplesPerBlock interleaved 16-bit frames into one block of blockAlign bytes.
void imaEncodeBlock(const std::int16_t *frames, std::uint16_t channels, std::uint32_t blockAlign,
                    ImaEncoderState &state, std::uint8_t *block);
// Decodes a block (or the shorter last block of a file) of size bytes; returns the frames
// written to frames (room for imaSamplesPerBlock(size, channels) frames).
std::uint32_t imaDecodeBlock(const std::uint8_t *block, std::size_t size, std::uint16_t channels,
                             std::int16_t *frames);

std::unique_ptr<Driver> makeImaAdpcmDriver();

} // namespace codecs
