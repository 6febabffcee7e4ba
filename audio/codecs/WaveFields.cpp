// Decoding and encoding the wave format header.
#include "audio/codecs/WaveFields.h"

#include <algorithm>

namespace codecs {

namespace {
std::uint16_t word(const FormatBlock &b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t dword(const FormatBlock &b, std::size_t at)
{
    return static_cast<std::uint32_t>(word(b, at)) |
           (static_cast<std::uint32_t>(word(b, at + 2)) << 16);
}
void putWord(FormatBlock &b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void putDword(FormatBlock &b, std::size_t at, std::uint32_t v)
{
    putWord(b, at, static_cast<std::uint16_t>(v & 0xFFFF));
    putWord(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
} // namespace

WaveFields WaveFields::read(const FormatBlock &block)
{
    WaveFields f;
    f.tag = word(block, 0);
    f.channels = word(block, 2);
    f.rate = dword(block, 4);
    f.avgBytes = dword(block, 8);
    f.blockAlign = word(block, 12);
    f.bits = word(block, 14);
    f.cbSize = word(block, 16);
    std::copy(block.begin() + HeaderSize, block.end(), f.extra.begin());
    return f;
}

void WaveFields::write(FormatBlock &block) const
{
    putWord(block, 0, tag);
    putWord(block, 2, channels);
    putDword(block, 4, rate);
    putDword(block, 8, avgBytes);
    putWord(block, 12, blockAlign);
    putWord(block, 14, bits);
    putWord(block, 16, cbSize);
    std::copy(extra.begin(), extra.begin() + static_cast<std::ptrdiff_t>(extraSize()),
              block.begin() + HeaderSize);
}

std::uint16_t WaveFields::extraWord(std::size_t offset) const
{
    if (offset + 2 > extraSize())
        return 0;
    return static_cast<std::uint16_t>(extra[offset] | (extra[offset + 1] << 8));
}

void WaveFields::setExtraWord(std::size_t offset, std::uint16_t value)
{
    extra[offset] = static_cast<std::uint8_t>(value & 0xFF);
    extra[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace codecs
