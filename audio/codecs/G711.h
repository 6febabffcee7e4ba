// G.711 A-law and mu-law: one byte per sample, decoded to and from 16-bit PCM.
#pragma once

#include "audio/codecs/Driver.h"

#include <cstdint>
#include <memory>

namespace codecs {

std::int16_t alawDecode(std::uint8_t code);
std::uint8_t alawEncode(int sample); // sample in -32768..32767
std::int16_t mulawDecode(std::uint8_t code);
std::uint8_t mulawEncode(int sample);

std::unique_ptr<Driver> makeALawDriver();
std::unique_ptr<Driver> makeMuLawDriver();

} // namespace codecs
