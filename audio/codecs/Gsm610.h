// GSM 6.10 full rate in the WAV49 framing: blocks of 65 bytes holding two frames, 320
// samples, mono only, as WAV readers expect it.
#pragma once

#include "audio/codecs/Driver.h"

#include <memory>

namespace codecs {

constexpr std::uint16_t GsmBlockAlign = 65;
constexpr std::uint16_t GsmSamplesPerBlock = 320;

std::unique_ptr<Driver> makeGsm610Driver();

} // namespace codecs
