// The codec layer as the audio components use it: the installed drivers and the queries
// that a desktop audio compression manager answers, with its result codes (codecs/Result.h).
#pragma once

#include "audio/codecs/Driver.h"
#include "audio/codecs/Result.h"

#include <memory>
#include <string>
#include <vector>

namespace codecs {

// Every installed driver, in enumeration order: PCM, IMA ADPCM, Microsoft ADPCM, A-law,
// mu-law, GSM 6.10. The list lives for the whole program.
const std::vector<std::unique_ptr<Driver>> &installedDrivers();
const Driver *driverById(std::uint32_t id);

// The driver that owns format's tag and accepts it; null when none does.
const Driver *driverFor(const WaveFields &format);

// Display name of a format tag (at most 48 characters).
Result tagDetails(std::uint16_t tag, std::string &name);
// Display text of a complete format (at most 128 characters).
Result formatDetails(const FormatBlock &format, std::string &text);
// Ok when one driver converts src to dst directly.
Result streamQuery(const FormatBlock &src, const FormatBlock &dst);
// Fills dst with a format of dst's tag (only PCM is suggested) that src converts to or from;
// the bytes past the header are zero.
Result formatSuggest(const FormatBlock &src, FormatBlock &dst);
Result streamOpen(const FormatBlock &src, const FormatBlock &dst, std::unique_ptr<Stream> &stream);
// A well-formed format of tag (bits 0 = the tag's usual size).
Result buildFormat(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels,
                   std::uint16_t bits, FormatBlock &format);
// Samples per channel in one block of format; 0 for a format no driver accepts.
std::uint32_t samplesPerBlock(const FormatBlock &format);

} // namespace codecs
