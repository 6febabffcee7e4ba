// GSM 6.10 through libgsm. In the WAV49 framing the first frame of a block takes 32 bytes
// and a half, so libgsm is told which half it works on by alternating calls.
#include "audio/codecs/Gsm610.h"

#include "audio/codecs/BlockStream.h"
#include "audio/codecs/CodecDriver.h"

extern "C" {
#include <gsm.h>
}

#include <array>

namespace codecs {

namespace {

class GsmStream final : public BlockStream
{
public:
    explicit GsmStream(bool encode)
        : BlockStream(encode ? GsmSamplesPerBlock * 2u : GsmBlockAlign,
                      encode ? GsmBlockAlign : GsmSamplesPerBlock * 2u),
          m_encode(encode)
    {
        open();
    }
    ~GsmStream() override { gsm_destroy(m_gsm); }
    GsmStream(const GsmStream &) = delete;
    GsmStream &operator=(const GsmStream &) = delete;

    void reset() override
    {
        gsm_destroy(m_gsm);
        open();
    }

protected:
    void convertBlocks(const std::uint8_t *src, std::uint8_t *dst, std::size_t count) override
    {
        for (std::size_t b = 0; b < count; ++b) {
            if (m_encode) {
                for (std::size_t i = 0; i < m_samples.size(); ++i)
                    m_samples[i] = readS16(src + 2 * i);
                gsm_encode(m_gsm, m_samples.data(), dst);
                gsm_encode(m_gsm, m_samples.data() + 160, dst + 32);
            } else {
                // libgsm reads only the bytes of the half it decodes; a damaged frame
                // still decodes to some samples, which is what a reader shows.
                std::array<gsm_byte, GsmBlockAlign> block;
                std::copy(src, src + GsmBlockAlign, block.begin());
                gsm_decode(m_gsm, block.data(), m_samples.data());
                gsm_decode(m_gsm, block.data() + 33, m_samples.data() + 160);
                for (std::size_t i = 0; i < m_samples.size(); ++i)
                    writeS16(dst + 2 * i, m_samples[i]);
            }
            src += m_srcBlock;
            dst += m_dstBlock;
        }
    }

    void convertPartial(const std::uint8_t *src, std::size_t srcLen,
                        std::vector<std::uint8_t> &out) override
    {
        // A short GSM block cannot be decoded; the encoder completes its last block.
        if (m_encode)
            BlockStream::convertPartial(src, srcLen, out);
    }

private:
    void open()
    {
        m_gsm = gsm_create();
        int one = 1;
        gsm_option(m_gsm, GSM_OPT_WAV49, &one);
    }

    bool m_encode;
    gsm m_gsm = nullptr;
    std::array<gsm_signal, GsmSamplesPerBlock> m_samples{};
};

class GsmDriver final : public CodecDriver
{
public:
    explicit GsmDriver(DriverDetails details)
        : CodecDriver(std::move(details), Tag::Gsm610, "GSM 6.10", 1)
    {}

    bool accepts(const WaveFields &f) const override
    {
        return shapeValid(f.tag, f.rate, f.channels) && f.blockAlign == GsmBlockAlign &&
               (f.cbSize < 2 || f.extraWord(0) == GsmSamplesPerBlock);
    }
    bool build(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
               WaveFields &out) const override
    {
        if (!shapeValid(tag, rate, channels) || bits != 0)
            return false;
        out = WaveFields{};
        out.tag = tag;
        out.channels = 1;
        out.rate = rate;
        out.bits = 0;
        out.blockAlign = GsmBlockAlign;
        out.avgBytes =
            static_cast<std::uint32_t>(std::uint64_t(rate) * GsmBlockAlign / GsmSamplesPerBlock);
        out.cbSize = 2;
        out.setExtraWord(0, GsmSamplesPerBlock);
        return true;
    }
    std::uint32_t samplesPerBlock(const WaveFields &) const override { return GsmSamplesPerBlock; }

protected:
    std::unique_ptr<Stream> encoder(const WaveFields &) const override
    {
        return std::make_unique<GsmStream>(true);
    }
    std::unique_ptr<Stream> decoder(const WaveFields &) const override
    {
        return std::make_unique<GsmStream>(false);
    }
};

} // namespace

std::unique_ptr<Driver> makeGsm610Driver()
{
    DriverDetails d;
    d.shortName = "GSM 6.10";
    d.longName = "Calvora GSM 6.10 audio codec (libgsm)";
    d.copyright = "Calvora; libgsm by Jutta Degener and Carsten Bormann";
    d.features = "Compresses and decompresses GSM 6.10 full-rate audio in WAV49 blocks.";
    d.maxFormatSize = HeaderSize + 2;
    return std::make_unique<GsmDriver>(d);
}

} // namespace codecs
