// Whole-block conversion with a tail handled at the end of the stream.
#include "audio/codecs/BlockStream.h"

#include <algorithm>

namespace codecs {

StreamResult BlockStream::convert(const std::uint8_t *src, std::size_t srcLen, std::uint8_t *dst,
                                  std::size_t dstLen)
{
    const std::size_t blocks = std::min(srcLen / m_srcBlock, dstLen / m_dstBlock);
    if (blocks > 0)
        convertBlocks(src, dst, blocks);
    return {blocks * m_srcBlock, blocks * m_dstBlock};
}

void BlockStream::finish(const std::uint8_t *src, std::size_t srcLen,
                         std::vector<std::uint8_t> &out)
{
    const std::size_t blocks = srcLen / m_srcBlock;
    const std::size_t at = out.size();
    out.resize(at + blocks * m_dstBlock);
    if (blocks > 0)
        convertBlocks(src, out.data() + at, blocks);
    const std::size_t rest = srcLen - blocks * m_srcBlock;
    if (rest > 0)
        convertPartial(src + blocks * m_srcBlock, rest, out);
}

void BlockStream::convertPartial(const std::uint8_t *src, std::size_t srcLen,
                                 std::vector<std::uint8_t> &out)
{
    // Only whole 16-bit samples are kept; a lone byte is the half of a sample never sent.
    const std::size_t whole = srcLen & ~std::size_t(1);
    if (whole == 0)
        return;
    std::vector<std::uint8_t> padded(m_srcBlock, 0);
    std::copy(src, src + whole, padded.begin());
    const std::size_t at = out.size();
    out.resize(at + m_dstBlock);
    convertBlocks(padded.data(), out.data() + at, 1);
}

} // namespace codecs
