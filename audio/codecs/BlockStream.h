// A stream that converts fixed-size source blocks into fixed-size destination blocks, the
// shape of every codec here except the rate converter.
#pragma once

#include "audio/codecs/Driver.h"

namespace codecs {

class BlockStream : public Stream
{
public:
    BlockStream(std::size_t srcBlock, std::size_t dstBlock)
        : m_srcBlock(srcBlock), m_dstBlock(dstBlock)
    {}

    std::size_t outputSize(std::size_t srcBytes) const override
    {
        return srcBytes / m_srcBlock * m_dstBlock;
    }
    StreamResult convert(const std::uint8_t *src, std::size_t srcLen, std::uint8_t *dst,
                         std::size_t dstLen) override;
    void finish(const std::uint8_t *src, std::size_t srcLen,
                std::vector<std::uint8_t> &out) override;
    void reset() override {}

protected:
    virtual void convertBlocks(const std::uint8_t *src, std::uint8_t *dst, std::size_t count) = 0;
    // The end of the stream holds fewer bytes than a block. Encoders complete the block with
    // silence (their source is 16-bit PCM, where silence is zero); decoders override this
    // to decode what the short block holds.
    virtual void convertPartial(const std::uint8_t *src, std::size_t srcLen,
                                std::vector<std::uint8_t> &out);

    std::size_t m_srcBlock;
    std::size_t m_dstBlock;
};

} // namespace codecs
