// Microsoft ADPCM encoder and decoder. The prediction is (s1*c1 + s2*c2) >> 8 with an
// arithmetic shift, as the reference decoder computes it.
#include "audio/codecs/MsAdpcm.h"

#include "audio/codecs/BlockStream.h"
#include "audio/codecs/CodecDriver.h"

#include <algorithm>
#include <climits>

namespace codecs {

const MsCoefficient MsStandardCoefficients[7] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                 {240, 0}, {460, -208}, {392, -232}};

namespace {

constexpr int Adaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                768, 614, 512, 409, 307, 230, 230, 230};
// A run of large codes in damaged data would grow the delta without end.
constexpr int MaxDelta = INT_MAX / 768;
constexpr std::size_t CoefficientCountOffset = 2;
constexpr std::size_t CoefficientsOffset = 4;

struct Channel
{
    int c1 = 256;
    int c2 = 0;
    int delta = 16;
    int s1 = 0;
    int s2 = 0;

    int predict() const { return (s1 * c1 + s2 * c2) >> 8; }
    // Applies a code as the decoder does and returns the new sample.
    int apply(int code)
    {
        const int signedCode = code - ((code & 8) << 1);
        const int sample = clamp16(signedCode * delta + predict());
        delta = std::clamp((Adaptation[code] * delta) >> 8, 16, MaxDelta);
        s2 = s1;
        s1 = sample;
        return sample;
    }
    int encode(int sample)
    {
        const int error = sample - predict();
        const int bias = error >= 0 ? delta / 2 : -(delta / 2);
        const int code = std::clamp((error + bias) / delta, -8, 7) & 0x0F;
        apply(code);
        return code;
    }
};

std::int64_t trial(const std::int16_t *frames, std::uint16_t channels, unsigned ch,
                   std::uint32_t spb, Channel c)
{
    std::int64_t error = 0;
    for (std::uint32_t i = 2; i < spb; ++i) {
        const int sample = frames[i * channels + ch];
        c.encode(sample);
        const std::int64_t e = sample - c.s1;
        error += e * e;
    }
    return error;
}

class MsStream final : public BlockStream
{
public:
    MsStream(bool encode, const WaveFields &f, std::vector<MsCoefficient> coefficients)
        : BlockStream(encode ? std::size_t(f.extraWord(0)) * 2u * f.channels : f.blockAlign,
                      encode ? f.blockAlign : std::size_t(f.extraWord(0)) * 2u * f.channels),
          m_encode(encode), m_channels(f.channels), m_blockAlign(f.blockAlign),
          m_spb(f.extraWord(0)), m_coefficients(std::move(coefficients)),
          m_frames(std::size_t(m_spb) * f.channels)
    {}

    void reset() override { m_state = MsEncoderState{}; }

protected:
    void convertBlocks(const std::uint8_t *src, std::uint8_t *dst, std::size_t count) override
    {
        for (std::size_t b = 0; b < count; ++b) {
            if (m_encode) {
                for (std::size_t i = 0; i < m_frames.size(); ++i)
                    m_frames[i] = readS16(src + 2 * i);
                msEncodeBlock(m_frames.data(), m_channels, m_blockAlign, m_spb, m_state, dst);
            } else {
                decodeInto(src, m_blockAlign, dst);
            }
            src += m_srcBlock;
            dst += m_dstBlock;
        }
    }

    void convertPartial(const std::uint8_t *src, std::size_t srcLen,
                        std::vector<std::uint8_t> &out) override
    {
        if (m_encode) {
            BlockStream::convertPartial(src, srcLen, out);
            return;
        }
        const std::size_t at = out.size();
        out.resize(at + m_dstBlock);
        const std::uint32_t n = decodeInto(src, srcLen, out.data() + at);
        out.resize(at + std::size_t(n) * m_channels * 2);
    }

private:
    std::uint32_t decodeInto(const std::uint8_t *src, std::size_t size, std::uint8_t *dst)
    {
        const std::uint32_t n =
            msDecodeBlock(src, size, m_channels, m_spb, m_coefficients, m_frames.data());
        for (std::size_t i = 0; i < std::size_t(n) * m_channels; ++i)
            writeS16(dst + 2 * i, m_frames[i]);
        return n;
    }

    bool m_encode;
    std::uint16_t m_channels;
    std::uint32_t m_blockAlign;
    std::uint32_t m_spb;
    std::vector<MsCoefficient> m_coefficients;
    MsEncoderState m_state;
    std::vector<std::int16_t> m_frames;
};

std::vector<MsCoefficient> coefficientsOf(const WaveFields &f)
{
    std::vector<MsCoefficient> list;
    const unsigned count = f.extraWord(CoefficientCountOffset);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t at = CoefficientsOffset + 4 * i;
        list.push_back({static_cast<std::int16_t>(f.extraWord(at)),
                        static_cast<std::int16_t>(f.extraWord(at + 2))});
    }
    return list;
}

class MsDriver final : public CodecDriver
{
public:
    explicit MsDriver(DriverDetails details)
        : CodecDriver(std::move(details), Tag::MsAdpcm, "Microsoft ADPCM", 2)
    {}

    bool accepts(const WaveFields &f) const override
    {
        if (!shapeValid(f.tag, f.rate, f.channels) || f.bits != 4 || f.cbSize < 4)
            return false;
        const std::uint32_t spb = f.extraWord(0);
        const unsigned count = f.extraWord(CoefficientCountOffset);
        // The coefficient table must fit the record and hold at least the standard seven.
        if (count < 7 || CoefficientsOffset + 4u * count > f.extraSize())
            return false;
        return spb >= 2 && spb <= msSamplesPerBlock(f.blockAlign, f.channels);
    }
    bool build(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
               WaveFields &out) const override
    {
        if (!shapeValid(tag, rate, channels) || (bits != 0 && bits != 4))
            return false;
        out = WaveFields{};
        out.tag = tag;
        out.channels = channels;
        out.rate = rate;
        out.bits = 4;
        const std::uint16_t perChannel = rate < 22050 ? 256 : (rate < 44100 ? 512 : 1024);
        out.blockAlign = static_cast<std::uint16_t>(perChannel * channels);
        const std::uint32_t spb = msSamplesPerBlock(out.blockAlign, channels);
        out.avgBytes = static_cast<std::uint32_t>(std::uint64_t(rate) * out.blockAlign / spb);
        out.cbSize = 32;
        out.setExtraWord(0, static_cast<std::uint16_t>(spb));
        out.setExtraWord(CoefficientCountOffset, 7);
        for (unsigned i = 0; i < 7; ++i) {
            out.setExtraWord(CoefficientsOffset + 4 * i,
                             static_cast<std::uint16_t>(MsStandardCoefficients[i].c1));
            out.setExtraWord(CoefficientsOffset + 4 * i + 2,
                             static_cast<std::uint16_t>(MsStandardCoefficients[i].c2));
        }
        return true;
    }
    std::uint32_t samplesPerBlock(const WaveFields &f) const override { return f.extraWord(0); }

protected:
    std::unique_ptr<Stream> encoder(const WaveFields &f) const override
    {
        return std::make_unique<MsStream>(true, f, coefficientsOf(f));
    }
    std::unique_ptr<Stream> decoder(const WaveFields &f) const override
    {
        return std::make_unique<MsStream>(false, f, coefficientsOf(f));
    }
};

} // namespace

std::uint32_t msSamplesPerBlock(std::uint32_t blockAlign, std::uint16_t channels)
{
    if (channels == 0 || blockAlign < 7u * channels)
        return 0;
    return (blockAlign - 7u * channels) * 2u / channels + 2u;
}

void msEncodeBlock(const std::int16_t *frames, std::uint16_t channels, std::uint32_t blockAlign,
                   std::uint32_t spb, MsEncoderState &state, std::uint8_t *block)
{
    std::fill(block, block + blockAlign, 0);
    Channel c[2];
    for (unsigned ch = 0; ch < channels; ++ch) {
        Channel start;
        start.delta = std::max(state.delta[ch], 16);
        start.s1 = frames[channels + ch];
        start.s2 = frames[ch];
        int best = 0;
        std::int64_t bestError = -1;
        for (int p = 0; p < 7; ++p) {
            Channel t = start;
            t.c1 = MsStandardCoefficients[p].c1;
            t.c2 = MsStandardCoefficients[p].c2;
            const std::int64_t e = trial(frames, channels, ch, spb, t);
            if (bestError < 0 || e < bestError) {
                bestError = e;
                best = p;
            }
        }
        c[ch] = start;
        c[ch].c1 = MsStandardCoefficients[best].c1;
        c[ch].c2 = MsStandardCoefficients[best].c2;
        block[ch] = static_cast<std::uint8_t>(best);
        writeS16(block + channels + 2 * ch, c[ch].delta);
        writeS16(block + 3 * channels + 2 * ch, c[ch].s1);
        writeS16(block + 5 * channels + 2 * ch, c[ch].s2);
    }
    std::uint8_t *out = block + 7 * channels;
    const std::size_t codes = std::size_t(spb - 2) * channels;
    for (std::size_t k = 0; k < codes; ++k) {
        const unsigned ch = static_cast<unsigned>(k % channels);
        const int code = c[ch].encode(frames[2 * channels + k]);
        if ((k & 1) == 0)
            *out = static_cast<std::uint8_t>(code << 4);
        else
            *out++ |= static_cast<std::uint8_t>(code);
    }
    for (unsigned ch = 0; ch < channels; ++ch)
        state.delta[ch] = c[ch].delta;
}

std::uint32_t msDecodeBlock(const std::uint8_t *block, std::size_t size, std::uint16_t channels,
                            std::uint32_t spb, const std::vector<MsCoefficient> &coefficients,
                            std::int16_t *frames)
{
    if (channels == 0 || size < 7u * channels || coefficients.empty())
        return 0;
    const std::uint32_t n =
        std::min<std::uint32_t>(spb, msSamplesPerBlock(static_cast<std::uint32_t>(size), channels));
    Channel c[2];
    for (unsigned ch = 0; ch < channels; ++ch) {
        unsigned predictor = block[ch];
        if (predictor >= coefficients.size())
            predictor = 0; // damaged block: decode with the first predictor
        c[ch].c1 = coefficients[predictor].c1;
        c[ch].c2 = coefficients[predictor].c2;
        c[ch].delta = readS16(block + channels + 2 * ch);
        c[ch].s1 = readS16(block + 3 * channels + 2 * ch);
        c[ch].s2 = readS16(block + 5 * channels + 2 * ch);
        frames[ch] = static_cast<std::int16_t>(c[ch].s2);
        if (n > 1)
            frames[channels + ch] = static_cast<std::int16_t>(c[ch].s1);
    }
    const std::uint8_t *in = block + 7 * channels;
    const std::size_t codes = n > 2 ? std::size_t(n - 2) * channels : 0;
    for (std::size_t k = 0; k < codes; ++k) {
        const unsigned ch = static_cast<unsigned>(k % channels);
        const int code = (k & 1) == 0 ? (*in >> 4) : (*in++ & 0x0F);
        frames[2 * channels + k] = static_cast<std::int16_t>(c[ch].apply(code));
    }
    return n;
}

std::unique_ptr<Driver> makeMsAdpcmDriver()
{
    DriverDetails d;
    d.shortName = "MS-ADPCM";
    d.longName = "Calvora Microsoft ADPCM codec";
    d.copyright = "Calvora";
    d.features = "Compresses and decompresses Microsoft ADPCM audio data in WAV blocks.";
    d.maxFormatSize = HeaderSize + 32;
    return std::make_unique<MsDriver>(d);
}

} // namespace codecs
