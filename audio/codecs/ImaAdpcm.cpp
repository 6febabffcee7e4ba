// IMA ADPCM encoder and decoder. The decoder follows the reference's bitwise reconstruction
// (step/8 plus the step fractions chosen by the code bits), which every WAV reader shares.
#include "audio/codecs/ImaAdpcm.h"

#include "audio/codecs/BlockStream.h"
#include "audio/codecs/CodecDriver.h"

#include <algorithm>
#include <vector>

namespace codecs {

namespace {

constexpr int StepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int IndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int MaxIndex = 88;

// Applies one code to the predictor and index exactly as a decoder does.
inline void step(int code, int &predictor, int &index)
{
    int s = StepTable[index];
    int delta = s >> 3;
    if (code & 4)
        delta += s;
    if (code & 2)
        delta += s >> 1;
    if (code & 1)
        delta += s >> 2;
    predictor =
        (code & 8) ? std::max(predictor - delta, -32768) : std::min(predictor + delta, 32767);
    index = std::clamp(index + IndexAdjust[code & 7], 0, MaxIndex);
}

inline int encodeSample(int sample, int &predictor, int &index)
{
    int diff = sample - predictor;
    int code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    int s = StepTable[index];
    if (diff >= s) {
        code |= 4;
        diff -= s;
    }
    s >>= 1;
    if (diff >= s) {
        code |= 2;
        diff -= s;
    }
    s >>= 1;
    if (diff >= s)
        code |= 1;
    step(code, predictor, index);
    return code;
}

} // namespace

int imaEncodeSample(int sample, int &predictor, int &index)
{
    return encodeSample(sample, predictor, index);
}

namespace {

class ImaStream final : public BlockStream
{
public:
    ImaStream(bool encode, std::uint16_t channels, std::uint32_t blockAlign)
        : BlockStream(
              encode ? imaSamplesPerBlock(blockAlign, channels) * 2u * channels : blockAlign,
              encode ? blockAlign : imaSamplesPerBlock(blockAlign, channels) * 2u * channels),
          m_encode(encode), m_channels(channels), m_blockAlign(blockAlign),
          m_frames(imaSamplesPerBlock(blockAlign, channels) * channels)
    {}

    void reset() override { m_state = ImaEncoderState{}; }

protected:
    void convertBlocks(const std::uint8_t *src, std::uint8_t *dst, std::size_t count) override
    {
        for (std::size_t b = 0; b < count; ++b) {
            if (m_encode) {
                for (std::size_t i = 0; i < m_frames.size(); ++i)
                    m_frames[i] = readS16(src + 2 * i);
                imaEncodeBlock(m_frames.data(), m_channels, m_blockAlign, m_state, dst);
            } else {
                const std::uint32_t n =
                    imaDecodeBlock(src, m_blockAlign, m_channels, m_frames.data());
                for (std::size_t i = 0; i < std::size_t(n) * m_channels; ++i)
                    writeS16(dst + 2 * i, m_frames[i]);
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
        const std::uint32_t n = imaDecodeBlock(src, srcLen, m_channels, m_frames.data());
        const std::size_t at = out.size();
        out.resize(at + std::size_t(n) * m_channels * 2);
        for (std::size_t i = 0; i < std::size_t(n) * m_channels; ++i)
            writeS16(out.data() + at + 2 * i, m_frames[i]);
    }

private:
    bool m_encode;
    std::uint16_t m_channels;
    std::uint32_t m_blockAlign;
    ImaEncoderState m_state;
    std::vector<std::int16_t> m_frames;
};

// Block sizes that desktop codecs use for each rate, per channel.
std::uint16_t blockAlignFor(std::uint32_t rate, std::uint16_t channels)
{
    const std::uint16_t perChannel = rate < 22050 ? 256 : (rate < 44100 ? 512 : 1024);
    return static_cast<std::uint16_t>(perChannel * channels);
}

class ImaDriver final : public CodecDriver
{
public:
    explicit ImaDriver(DriverDetails details)
        : CodecDriver(std::move(details), Tag::ImaAdpcm, "IMA ADPCM", 2)
    {}

    bool accepts(const WaveFields &f) const override
    {
        if (!shapeValid(f.tag, f.rate, f.channels) || f.bits != 4)
            return false;
        const unsigned group = 4u * f.channels;
        if (f.blockAlign <= group || f.blockAlign % group != 0)
            return false;
        // When the format states its samples per block, it must match the block size.
        return f.cbSize < 2 || f.extraWord(0) == imaSamplesPerBlock(f.blockAlign, f.channels);
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
        out.blockAlign = blockAlignFor(rate, channels);
        const std::uint32_t spb = imaSamplesPerBlock(out.blockAlign, channels);
        out.avgBytes = static_cast<std::uint32_t>(std::uint64_t(rate) * out.blockAlign / spb);
        out.cbSize = 2;
        out.setExtraWord(0, static_cast<std::uint16_t>(spb));
        return true;
    }
    std::uint32_t samplesPerBlock(const WaveFields &f) const override
    {
        return imaSamplesPerBlock(f.blockAlign, f.channels);
    }

protected:
    std::unique_ptr<Stream> encoder(const WaveFields &f) const override
    {
        return std::make_unique<ImaStream>(true, f.channels, f.blockAlign);
    }
    std::unique_ptr<Stream> decoder(const WaveFields &f) const override
    {
        return std::make_unique<ImaStream>(false, f.channels, f.blockAlign);
    }
};

} // namespace

std::uint32_t imaSamplesPerBlock(std::uint32_t blockAlign, std::uint16_t channels)
{
    if (channels == 0 || blockAlign < 4u * channels)
        return 0;
    return (blockAlign - 4u * channels) * 2u / channels + 1u;
}

void imaEncodeBlock(const std::int16_t *frames, std::uint16_t channels, std::uint32_t blockAlign,
                    ImaEncoderState &state, std::uint8_t *block)
{
    const std::uint32_t spb = imaSamplesPerBlock(blockAlign, channels);
    std::fill(block, block + blockAlign, 0);
    for (unsigned ch = 0; ch < channels; ++ch) {
        int predictor = frames[ch];
        int &index = state.index[ch];
        std::uint8_t *header = block + 4 * ch;
        writeS16(header, predictor);
        header[2] = static_cast<std::uint8_t>(index);
        header[3] = 0;
        std::uint8_t *out = block + 4 * channels + 4 * ch;
        for (std::uint32_t i = 1; i < spb; ++i) {
            const int code = encodeSample(frames[i * channels + ch], predictor, index);
            // Samples 1, 3, 5.. go in the low nibble, 2, 4, 6.. in the high one.
            if (i & 1) {
                *out = static_cast<std::uint8_t>(code);
            } else {
                *out = static_cast<std::uint8_t>(*out | (code << 4));
                ++out;
                if ((i & 7) == 0)
                    out += 4 * (channels - 1);
            }
        }
    }
}

std::uint32_t imaDecodeBlock(const std::uint8_t *block, std::size_t size, std::uint16_t channels,
                             std::int16_t *frames)
{
    if (channels == 0 || size < 4u * channels)
        return 0;
    // A short block holds whole groups of 4 bytes per channel after the headers.
    const std::size_t groups = (size - 4u * channels) / (4u * channels);
    const std::uint32_t n = static_cast<std::uint32_t>(groups * 8 + 1);
    for (unsigned ch = 0; ch < channels; ++ch) {
        const std::uint8_t *header = block + 4 * ch;
        int predictor = readS16(header);
        int index = header[2];
        if (index > MaxIndex)
            index = 0;
        frames[ch] = static_cast<std::int16_t>(predictor);
        const std::uint8_t *in = block + 4 * channels + 4 * ch;
        for (std::uint32_t i = 1; i < n; ++i) {
            int code;
            if (i & 1) {
                code = *in & 0x0F;
            } else {
                code = *in >> 4;
                ++in;
                if ((i & 7) == 0)
                    in += 4 * (channels - 1);
            }
            step(code, predictor, index);
            frames[i * channels + ch] = static_cast<std::int16_t>(predictor);
        }
    }
    return n;
}

std::unique_ptr<Driver> makeImaAdpcmDriver()
{
    DriverDetails d;
    d.shortName = "IMA ADPCM";
    d.longName = "Calvora IMA ADPCM codec";
    d.copyright = "Calvora";
    d.features = "Compresses and decompresses IMA ADPCM audio data in WAV blocks.";
    d.maxFormatSize = HeaderSize + 2;
    return std::make_unique<ImaDriver>(d);
}

} // namespace codecs
