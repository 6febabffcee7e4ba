// G.711 after the reference algorithm of the ITU recommendation, with tables for speed.
#include "audio/codecs/G711.h"

#include "audio/codecs/BlockStream.h"
#include "audio/codecs/CodecDriver.h"

#include <array>

namespace codecs {

namespace {

int segment(int value, const int *ends)
{
    for (int i = 0; i < 8; ++i) {
        if (value <= ends[i])
            return i;
    }
    return 8;
}

std::uint8_t alawFromLinear(int pcm)
{
    static const int ends[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
    pcm >>= 3;
    int mask = 0xD5;
    if (pcm < 0) {
        mask = 0x55;
        pcm = -pcm - 1;
    }
    const int seg = segment(pcm, ends);
    if (seg >= 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    int code = seg << 4;
    code |= (seg < 2 ? pcm >> 1 : pcm >> seg) & 0x0F;
    return static_cast<std::uint8_t>(code ^ mask);
}

int alawToLinear(std::uint8_t code)
{
    code ^= 0x55;
    int t = (code & 0x0F) << 4;
    const int seg = (code & 0x70) >> 4;
    if (seg == 0)
        t += 8;
    else
        t = (t + 0x108) << (seg - 1);
    return (code & 0x80) ? t : -t;
}

std::uint8_t mulawFromLinear(int pcm)
{
    static const int ends[8] = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
    constexpr int Bias = 0x84 >> 2;
    constexpr int Clip = 8159;
    pcm >>= 2;
    int mask = 0xFF;
    if (pcm < 0) {
        pcm = -pcm;
        mask = 0x7F;
    }
    if (pcm > Clip)
        pcm = Clip;
    pcm += Bias;
    const int seg = segment(pcm, ends);
    if (seg >= 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    return static_cast<std::uint8_t>(((seg << 4) | ((pcm >> (seg + 1)) & 0x0F)) ^ mask);
}

int mulawToLinear(std::uint8_t code)
{
    code = static_cast<std::uint8_t>(~code);
    int t = ((code & 0x0F) << 3) + 0x84;
    t <<= (code & 0x70) >> 4;
    return (code & 0x80) ? (0x84 - t) : (t - 0x84);
}

struct Tables
{
    std::array<std::int16_t, 256> alawToPcm{};
    std::array<std::int16_t, 256> mulawToPcm{};
    // Indexed by the 16-bit sample shifted right by 2 (A-law looks at 13 bits, mu-law at 14).
    std::array<std::uint8_t, 16384> pcmToAlaw{};
    std::array<std::uint8_t, 16384> pcmToMulaw{};

    Tables()
    {
        for (int c = 0; c < 256; ++c) {
            alawToPcm[c] = static_cast<std::int16_t>(alawToLinear(static_cast<std::uint8_t>(c)));
            mulawToPcm[c] = static_cast<std::int16_t>(mulawToLinear(static_cast<std::uint8_t>(c)));
        }
        for (int i = 0; i < 16384; ++i) {
            const int sample = (i - 8192) * 4;
            pcmToAlaw[i] = alawFromLinear(sample);
            pcmToMulaw[i] = mulawFromLinear(sample);
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

int tableIndex(int sample)
{
    return (clamp16(sample) >> 2) + 8192;
}

class G711Stream final : public BlockStream
{
public:
    G711Stream(bool encode, bool alaw, std::uint16_t channels)
        : BlockStream(encode ? 2u * channels : channels, encode ? channels : 2u * channels),
          m_encode(encode), m_alaw(alaw)
    {}

protected:
    void convertBlocks(const std::uint8_t *src, std::uint8_t *dst, std::size_t count) override
    {
        const Tables &t = tables();
        const std::size_t samples = count * (m_encode ? m_dstBlock : m_srcBlock);
        if (m_encode) {
            const auto &table = m_alaw ? t.pcmToAlaw : t.pcmToMulaw;
            for (std::size_t i = 0; i < samples; ++i)
                dst[i] = table[static_cast<std::size_t>(tableIndex(readS16(src + 2 * i)))];
        } else {
            const auto &table = m_alaw ? t.alawToPcm : t.mulawToPcm;
            for (std::size_t i = 0; i < samples; ++i)
                writeS16(dst + 2 * i, table[src[i]]);
        }
    }

private:
    bool m_encode;
    bool m_alaw;
};

class G711Driver final : public CodecDriver
{
public:
    G711Driver(bool alaw, DriverDetails details, std::string tagName)
        : CodecDriver(std::move(details), alaw ? Tag::ALaw : Tag::MuLaw, std::move(tagName), 2),
          m_alaw(alaw)
    {}

    bool accepts(const WaveFields &f) const override
    {
        return shapeValid(f.tag, f.rate, f.channels) && f.bits == 8 && f.blockAlign == f.channels;
    }
    bool build(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
               WaveFields &out) const override
    {
        if (!shapeValid(tag, rate, channels) || (bits != 0 && bits != 8))
            return false;
        out = WaveFields{};
        out.tag = tag;
        out.channels = channels;
        out.rate = rate;
        out.bits = 8;
        out.blockAlign = channels;
        out.avgBytes = rate * channels;
        return true;
    }
    std::uint32_t samplesPerBlock(const WaveFields &) const override { return 1; }

protected:
    std::unique_ptr<Stream> encoder(const WaveFields &f) const override
    {
        return std::make_unique<G711Stream>(true, m_alaw, f.channels);
    }
    std::unique_ptr<Stream> decoder(const WaveFields &f) const override
    {
        return std::make_unique<G711Stream>(false, m_alaw, f.channels);
    }

private:
    bool m_alaw;
};

} // namespace

std::int16_t alawDecode(std::uint8_t code)
{
    return tables().alawToPcm[code];
}
std::uint8_t alawEncode(int sample)
{
    return tables().pcmToAlaw[static_cast<std::size_t>(tableIndex(sample))];
}
std::int16_t mulawDecode(std::uint8_t code)
{
    return tables().mulawToPcm[code];
}
std::uint8_t mulawEncode(int sample)
{
    return tables().pcmToMulaw[static_cast<std::size_t>(tableIndex(sample))];
}

std::unique_ptr<Driver> makeALawDriver()
{
    DriverDetails d;
    d.shortName = "CCITT A-Law";
    d.longName = "Calvora CCITT G.711 A-Law codec";
    d.copyright = "Calvora";
    d.features = "Compresses and decompresses G.711 A-law audio data.";
    return std::make_unique<G711Driver>(true, d, "CCITT A-Law");
}

std::unique_ptr<Driver> makeMuLawDriver()
{
    DriverDetails d;
    d.shortName = "CCITT u-Law";
    d.longName = "Calvora CCITT G.711 u-Law codec";
    d.copyright = "Calvora";
    d.features = "Compresses and decompresses G.711 mu-law audio data.";
    return std::make_unique<G711Driver>(false, d, "CCITT u-Law");
}

} // namespace codecs
