// The common shape of a compressing codec: one format tag that it encodes from and decodes
// to 16-bit PCM of the same rate and channels.
#pragma once

#include "audio/codecs/Driver.h"

namespace codecs {

class CodecDriver : public Driver
{
public:
    CodecDriver(DriverDetails details, std::uint16_t tag, std::string tagName,
                std::uint16_t maxChannels);

    const DriverDetails &details() const override { return m_details; }
    std::vector<std::uint16_t> tags() const override { return {m_tag}; }
    std::string tagName(std::uint16_t tag) const override;
    std::vector<WaveFields> formats() const override;
    bool canConvert(const WaveFields &src, const WaveFields &dst) const override;
    bool suggestPcm(const WaveFields &src, WaveFields &pcm) const override;
    std::unique_ptr<Stream> open(const WaveFields &src, const WaveFields &dst) const override;

    // The rates every codec lists.
    static constexpr std::uint32_t ListedRates[] = {8000, 11025, 22050, 44100};

protected:
    virtual std::unique_ptr<Stream> encoder(const WaveFields &format) const = 0;
    virtual std::unique_ptr<Stream> decoder(const WaveFields &format) const = 0;
    bool shapeValid(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels) const;

    DriverDetails m_details;
    std::uint16_t m_tag;
    std::string m_tagName;
    std::uint16_t m_maxChannels;
};

} // namespace codecs
