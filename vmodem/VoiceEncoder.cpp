// The built-in voice encoders. G.711 rounds as sox does; IMA ADPCM is the program's own
// codec's, without the WAV block headers a modem's stream does not have.
#include "vmodem/VoiceEncoder.h"

#include "audio/codecs/ImaAdpcm.h"

#include <algorithm>
#include <array>

namespace vmodem {

namespace {

class Unsigned8Encoder final : public VoiceEncoder
{
public:
    void encode(std::span<const std::int16_t> samples, std::string &out) override
    {
        for (std::int16_t s : samples)
            out.push_back(static_cast<char>((s >> 8) + 128));
    }
};

class Signed8Encoder final : public VoiceEncoder
{
public:
    void encode(std::span<const std::int16_t> samples, std::string &out) override
    {
        for (std::int16_t s : samples)
            out.push_back(static_cast<char>(static_cast<std::uint8_t>(s >> 8)));
    }
};

class Linear16Encoder final : public VoiceEncoder
{
public:
    void encode(std::span<const std::int16_t> samples, std::string &out) override
    {
        for (std::int16_t s : samples) {
            const auto u = static_cast<std::uint16_t>(s);
            out.push_back(static_cast<char>(u & 0xff));
            out.push_back(static_cast<char>(u >> 8));
        }
    }
};

class MuLawEncoder final : public VoiceEncoder
{
public:
    void encode(std::span<const std::int16_t> samples, std::string &out) override
    {
        for (std::int16_t s : samples)
            out.push_back(static_cast<char>(linearToMuLaw(s)));
    }
};

class ALawEncoder final : public VoiceEncoder
{
public:
    void encode(std::span<const std::int16_t> samples, std::string &out) override
    {
        for (std::int16_t s : samples)
            out.push_back(static_cast<char>(linearToALaw(s)));
    }
};

// Two samples per byte, the first in the low nibble as in WAV files.
class ImaAdpcmEncoder final : public VoiceEncoder
{
public:
    void encode(std::span<const std::int16_t> samples, std::string &out) override
    {
        for (std::int16_t s : samples) {
            const int code = encodeOne(s);
            if (m_half < 0) {
                m_half = code;
            } else {
                out.push_back(static_cast<char>(m_half | (code << 4)));
                m_half = -1;
            }
        }
    }
    int samplesPerUnit() const override { return 2; }

private:
    int encodeOne(int sample) { return codecs::imaEncodeSample(sample, m_predicted, m_index); }

    int m_predicted = 0;
    int m_index = 0;
    int m_half = -1;
};

} // namespace

std::uint8_t linearToMuLaw(std::int16_t sample)
{
    // Rounded to 14 bits first, as sox does, so that both agree on every sample.
    int s = std::min((sample + 2) >> 2, 8191);
    int mask = 0xff;
    if (s < 0) {
        s = -s;
        mask = 0x7f;
    }
    s = std::min(s, 8159) + 33;
    int segment = 0;
    while (segment < 8 && s > (0x40 << segment) - 1)
        ++segment;
    if (segment >= 8)
        return static_cast<std::uint8_t>(0x7f ^ mask);
    return static_cast<std::uint8_t>(((segment << 4) | ((s >> (segment + 1)) & 0x0f)) ^ mask);
}

std::uint8_t linearToALaw(std::int16_t sample)
{
    int s = std::min((sample + 4) >> 3, 4095); // 13 bits, rounded as for mu-law
    int sign = 0x80;
    if (s < 0) {
        sign = 0;
        s = -s - 1;
    }
    int code = 0;
    if (s < 32) {
        code = s >> 1;
    } else {
        int exponent = 1;
        while (exponent < 7 && s >= (64 << (exponent - 1)))
            ++exponent;
        code = (exponent << 4) | ((s >> exponent) & 0x0f);
    }
    return static_cast<std::uint8_t>((sign | code) ^ 0x55);
}

std::unique_ptr<VoiceEncoder> makeBuiltinEncoder(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Unsigned8:
        return std::make_unique<Unsigned8Encoder>();
    case Encoding::Signed8:
        return std::make_unique<Signed8Encoder>();
    case Encoding::Linear16:
        return std::make_unique<Linear16Encoder>();
    case Encoding::MuLaw:
        return std::make_unique<MuLawEncoder>();
    case Encoding::ALaw:
        return std::make_unique<ALawEncoder>();
    case Encoding::ImaAdpcm:
        return std::make_unique<ImaAdpcmEncoder>();
    case Encoding::Unsupported:
        break;
    }
    return nullptr;
}

} // namespace vmodem
