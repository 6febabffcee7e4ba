// Wording shared by every driver's format texts.
#include "audio/codecs/Driver.h"

#include <cstdio>

namespace codecs {

std::string Driver::formatText(const WaveFields &f) const
{
    // "8.000 kHz": the rate in kHz with three decimals, as desktop codec lists show it.
    char text[96];
    const char *channels = f.channels == 1 ? "Mono" : "Stereo";
    const unsigned khz = f.rate / 1000;
    const unsigned rest = f.rate % 1000;
    if (f.bits == 0)
        std::snprintf(text, sizeof text, "%u.%03u kHz, %s", khz, rest, channels);
    else
        std::snprintf(text, sizeof text, "%u.%03u kHz, %u Bit, %s", khz, rest, unsigned(f.bits),
                      channels);
    std::string result = text;
    if (f.tag != Tag::Pcm) {
        std::snprintf(text, sizeof text, ", %u bytes/s", unsigned(f.avgBytes));
        result += text;
    }
    return result;
}

WaveFields pcmFormat(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits)
{
    WaveFields f;
    f.tag = Tag::Pcm;
    f.channels = channels;
    f.rate = rate;
    f.bits = bits;
    f.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    f.avgBytes = rate * f.blockAlign;
    f.cbSize = 0;
    return f;
}

} // namespace codecs
