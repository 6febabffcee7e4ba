// The PCM converter: 8-bit unsigned and 16-bit signed samples, mono and stereo, at any rate
// within the codec layer's limits; rate changes go through libsoxr.
#pragma once

#include "audio/codecs/Driver.h"

#include <memory>

namespace codecs {

std::unique_ptr<Driver> makePcmDriver();

} // namespace codecs
