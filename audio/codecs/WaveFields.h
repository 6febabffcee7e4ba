// The 128-byte wave format block as the codecs see it: the 18-byte header fields decoded
// from their little-endian bytes, and the codec-specific bytes that follow.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace codecs {

constexpr std::size_t FormatSize = 128;
constexpr std::size_t HeaderSize = 18;
constexpr std::size_t MaxExtraSize = FormatSize - HeaderSize;

using FormatBlock = std::array<std::uint8_t, FormatSize>;

namespace Tag {
constexpr std::uint16_t Pcm = 0x0001;
constexpr std::uint16_t MsAdpcm = 0x0002;
constexpr std::uint16_t ALaw = 0x0006;
constexpr std::uint16_t MuLaw = 0x0007;
constexpr std::uint16_t ImaAdpcm = 0x0011;
constexpr std::uint16_t Gsm610 = 0x0031;
} // namespace Tag

// Rates and channel counts every driver accepts; beyond these a rate converter's output
// would grow out of proportion to its input.
constexpr std::uint32_t MinRate = 1000;
constexpr std::uint32_t MaxRate = 192000;

struct WaveFields
{
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t avgBytes = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    std::uint16_t cbSize = 0;
    std::array<std::uint8_t, MaxExtraSize> extra{};

    static WaveFields read(const FormatBlock &block);
    // Writes the header and the first ExtraSize codec bytes; the rest of block is kept.
    void write(FormatBlock &block) const;

    std::size_t extraSize() const { return cbSize < MaxExtraSize ? cbSize : MaxExtraSize; }
    // A little-endian word of the codec bytes at offset; 0 past the meaningful ones.
    std::uint16_t extraWord(std::size_t offset) const;
    void setExtraWord(std::size_t offset, std::uint16_t value);

    bool rateAndChannelsValid() const
    {
        return channels >= 1 && channels <= 2 && rate >= MinRate && rate <= MaxRate;
    }
    bool isPcm16Like(const WaveFields &other) const
    {
        return tag == Tag::Pcm && bits == 16 && channels == other.channels && rate == other.rate &&
               blockAlign == 2 * channels;
    }
};

// Little-endian helpers shared by the codecs.
inline std::int16_t readS16(const std::uint8_t *p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}
inline void writeS16(std::uint8_t *p, int value)
{
    const auto v = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline int clamp16(int value)
{
    return value > 32767 ? 32767 : (value < -32768 ? -32768 : value);
}

} // namespace codecs
