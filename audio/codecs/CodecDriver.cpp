// Format listing, conversion queries and stream opening shared by the compressing codecs.
#include "audio/codecs/CodecDriver.h"

namespace codecs {

CodecDriver::CodecDriver(DriverDetails details, std::uint16_t tag, std::string tagName,
                         std::uint16_t maxChannels)
    : m_details(std::move(details)), m_tag(tag), m_tagName(std::move(tagName)),
      m_maxChannels(maxChannels)
{
    m_details.support = Support::Codec | Support::Local;
}

std::string CodecDriver::tagName(std::uint16_t tag) const
{
    return tag == m_tag ? m_tagName : std::string();
}

std::vector<WaveFields> CodecDriver::formats() const
{
    std::vector<WaveFields> list;
    for (std::uint32_t rate : ListedRates) {
        for (std::uint16_t channels = 1; channels <= m_maxChannels; ++channels) {
            WaveFields f;
            if (build(m_tag, rate, channels, 0, f))
                list.push_back(f);
        }
    }
    return list;
}

bool CodecDriver::canConvert(const WaveFields &src, const WaveFields &dst) const
{
    if (src.tag == m_tag)
        return accepts(src) && dst.isPcm16Like(src);
    if (dst.tag == m_tag)
        return accepts(dst) && src.isPcm16Like(dst);
    return false;
}

bool CodecDriver::suggestPcm(const WaveFields &src, WaveFields &pcm) const
{
    if (src.tag != m_tag || !accepts(src))
        return false;
    pcm = pcmFormat(src.rate, src.channels, 16);
    return true;
}

std::unique_ptr<Stream> CodecDriver::open(const WaveFields &src, const WaveFields &dst) const
{
    if (!canConvert(src, dst))
        return nullptr;
    return src.tag == m_tag ? decoder(src) : encoder(dst);
}

bool CodecDriver::shapeValid(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels) const
{
    return tag == m_tag && channels >= 1 && channels <= m_maxChannels && rate >= MinRate &&
           rate <= MaxRate;
}

} // namespace codecs
