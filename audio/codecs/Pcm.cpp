// PCM to PCM conversion: sample size and channel changes sample by sample, rate changes with
// a streaming resampler whose delay is drained when the stream finishes.
#include "audio/codecs/Pcm.h"

#include "audio/codecs/BlockStream.h"
#include "audio/codecs/CodecDriver.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>

namespace codecs {

namespace {

bool validPcm(const WaveFields &f)
{
    return f.tag == Tag::Pcm && f.rateAndChannelsValid() && (f.bits == 8 || f.bits == 16) &&
           f.blockAlign == f.channels * f.bits / 8;
}

inline int readSample(const std::uint8_t *p, std::uint16_t bits)
{
    return bits == 8 ? (int(*p) - 128) * 256 : readS16(p);
}

inline void writeSample(std::uint8_t *p, std::uint16_t bits, int sample)
{
    if (bits == 8)
        *p = static_cast<std::uint8_t>(std::clamp((sample + 128) >> 8, -128, 127) + 128);
    else
        writeS16(p, sample);
}

// Reads frames of src into 16-bit frames of `channels` channels (mixing stereo to mono or
// doubling mono to stereo as needed).
void toS16(const std::uint8_t *src, const WaveFields &in, std::uint16_t channels, std::int16_t *out,
           std::size_t frames)
{
    const std::size_t size = in.bits / 8;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t *p = src + i * in.blockAlign;
        const int left = readSample(p, in.bits);
        const int right = in.channels == 2 ? readSample(p + size, in.bits) : left;
        if (channels == 1) {
            out[i] = static_cast<std::int16_t>((left + right) >> 1);
        } else {
            out[2 * i] = static_cast<std::int16_t>(left);
            out[2 * i + 1] = static_cast<std::int16_t>(right);
        }
    }
}

void fromS16(const std::int16_t *in, std::uint16_t channels, const WaveFields &out,
             std::uint8_t *dst, std::size_t frames)
{
    const std::size_t size = out.bits / 8;
    for (std::size_t i = 0; i < frames; ++i) {
        std::uint8_t *p = dst + i * out.blockAlign;
        const int left = in[i * channels];
        const int right = channels == 2 ? in[i * channels + 1] : left;
        if (out.channels == 1) {
            writeSample(p, out.bits, (left + right) >> 1);
        } else {
            writeSample(p, out.bits, left);
            writeSample(p + size, out.bits, right);
        }
    }
}

class PcmStream final : public BlockStream
{
public:
    PcmStream(const WaveFields &in, const WaveFields &out)
        : BlockStream(in.blockAlign, out.blockAlign), m_in(in), m_out(out),
          m_channels(std::min(in.channels, out.channels))
    {}

protected:
    void convertBlocks(const std::uint8_t *src, std::uint8_t *dst, std::size_t count) override
    {
        constexpr std::size_t Chunk = 4096;
        while (count > 0) {
            const std::size_t n = std::min(count, Chunk);
            m_work.resize(n * m_channels);
            toS16(src, m_in, m_channels, m_work.data(), n);
            fromS16(m_work.data(), m_channels, m_out, dst, n);
            src += n * m_srcBlock;
            dst += n * m_dstBlock;
            count -= n;
        }
    }
    void convertPartial(const std::uint8_t *, std::size_t, std::vector<std::uint8_t> &) override
    {
        // Less than one frame: the half of a sample never sent.
    }

private:
    WaveFields m_in;
    WaveFields m_out;
    std::uint16_t m_channels;
    std::vector<std::int16_t> m_work;
};

class ResampleStream final : public Stream
{
public:
    ResampleStream(const WaveFields &in, const WaveFields &out)
        : m_in(in), m_out(out), m_channels(std::min(in.channels, out.channels)),
          m_ratio(double(out.rate) / double(in.rate))
    {
        create();
    }
    ~ResampleStream() override { soxr_delete(m_soxr); }
    ResampleStream(const ResampleStream &) = delete;
    ResampleStream &operator=(const ResampleStream &) = delete;

    bool valid() const { return m_soxr != nullptr; }

    std::size_t outputSize(std::size_t srcBytes) const override
    {
        const std::size_t frames = srcBytes / m_in.blockAlign;
        if (frames == 0)
            return 0;
        // The resampler may also release output it held back from earlier input.
        const auto out = static_cast<std::size_t>(std::ceil(double(frames) * m_ratio)) + Slack;
        return out * m_out.blockAlign;
    }

    StreamResult convert(const std::uint8_t *src, std::size_t srcLen, std::uint8_t *dst,
                         std::size_t dstLen) override
    {
        const std::size_t frames = srcLen / m_in.blockAlign;
        const std::size_t room = dstLen / m_out.blockAlign;
        if (frames == 0 || room == 0)
            return {};
        m_inWork.resize(frames * m_channels);
        toS16(src, m_in, m_channels, m_inWork.data(), frames);
        m_outWork.resize(room * m_channels);
        std::size_t used = 0;
        std::size_t made = 0;
        soxr_process(m_soxr, m_inWork.data(), frames, &used, m_outWork.data(), room, &made);
        fromS16(m_outWork.data(), m_channels, m_out, dst, made);
        return {used * m_in.blockAlign, made * m_out.blockAlign};
    }

    void finish(const std::uint8_t *src, std::size_t srcLen,
                std::vector<std::uint8_t> &out) override
    {
        std::size_t frames = srcLen / m_in.blockAlign;
        m_inWork.resize(frames * m_channels);
        toS16(src, m_in, m_channels, m_inWork.data(), frames);
        const std::size_t room = 4096;
        m_outWork.resize(room * m_channels);
        const std::int16_t *next = m_inWork.data();
        // Feed what is left, then drain the resampler's delay (a null input ends the stream).
        for (;;) {
            std::size_t used = 0;
            std::size_t made = 0;
            soxr_process(m_soxr, frames > 0 ? next : nullptr, frames, &used, m_outWork.data(), room,
                         &made);
            next += used * m_channels;
            frames -= used;
            const std::size_t at = out.size();
            out.resize(at + made * m_out.blockAlign);
            fromS16(m_outWork.data(), m_channels, m_out, out.data() + at, made);
            if (made == 0 && (frames == 0 || used == 0))
                break;
        }
    }

    void reset() override { soxr_clear(m_soxr); }

private:
    static constexpr std::size_t Slack = 64;

    void create()
    {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        soxr_io_spec_t ioNoDither = io;
        ioNoDither.flags |= SOXR_NO_DITHER;
        soxr_error_t error = nullptr;
        m_soxr =
            soxr_create(m_in.rate, m_out.rate, m_channels, &error, &ioNoDither, &quality, nullptr);
        if (error) {
            soxr_delete(m_soxr);
            m_soxr = nullptr;
        }
    }

    WaveFields m_in;
    WaveFields m_out;
    std::uint16_t m_channels;
    double m_ratio;
    soxr_t m_soxr = nullptr;
    std::vector<std::int16_t> m_inWork;
    std::vector<std::int16_t> m_outWork;
};

class PcmDriver final : public Driver
{
public:
    PcmDriver()
    {
        m_details.shortName = "PCM";
        m_details.longName = "Calvora PCM converter";
        m_details.copyright = "Calvora; libsoxr by Rob Sykes";
        m_details.features = "Converts PCM between sample sizes, channel counts and rates.";
        m_details.support = Support::Converter | Support::Local;
        m_details.maxFormatSize = HeaderSize;
    }

    const DriverDetails &details() const override { return m_details; }
    std::vector<std::uint16_t> tags() const override { return {Tag::Pcm}; }
    std::string tagName(std::uint16_t tag) const override
    {
        return tag == Tag::Pcm ? "PCM" : std::string();
    }
    bool accepts(const WaveFields &f) const override { return validPcm(f); }
    std::vector<WaveFields> formats() const override
    {
        std::vector<WaveFields> list;
        for (std::uint32_t rate : CodecDriver::ListedRates) {
            for (std::uint16_t bits : {8, 16}) {
                for (std::uint16_t channels : {1, 2})
                    list.push_back(pcmFormat(rate, channels, bits));
            }
        }
        return list;
    }
    bool build(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
               WaveFields &out) const override
    {
        const WaveFields f = pcmFormat(rate, channels, bits == 0 ? 16 : bits);
        if (tag != Tag::Pcm || !validPcm(f))
            return false;
        out = f;
        return true;
    }
    std::uint32_t samplesPerBlock(const WaveFields &) const override { return 1; }
    bool canConvert(const WaveFields &src, const WaveFields &dst) const override
    {
        return validPcm(src) && validPcm(dst);
    }
    bool suggestPcm(const WaveFields &src, WaveFields &pcm) const override
    {
        if (!validPcm(src))
            return false;
        pcm = pcmFormat(src.rate, src.channels, src.bits);
        return true;
    }
    std::unique_ptr<Stream> open(const WaveFields &src, const WaveFields &dst) const override
    {
        if (!canConvert(src, dst))
            return nullptr;
        if (src.rate == dst.rate)
            return std::make_unique<PcmStream>(src, dst);
        auto stream = std::make_unique<ResampleStream>(src, dst);
        if (!stream->valid())
            return nullptr;
        return stream;
    }

private:
    DriverDetails m_details;
};

} // namespace

std::unique_ptr<Driver> makePcmDriver()
{
    return std::make_unique<PcmDriver>();
}

} // namespace codecs
