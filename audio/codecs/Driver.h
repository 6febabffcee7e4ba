// What one codec driver offers: its names, its format tags and formats, the conversions it
// can make directly, and the streams that make them. Drivers do no I/O.
#pragma once

#include "audio/codecs/WaveFields.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace codecs {

// Support flags of a driver, one bit each as desktop codec managers report them.
namespace Support {
constexpr std::uint32_t Codec = 0x01;     // converts between format tags
constexpr std::uint32_t Converter = 0x02; // converts within one format tag
constexpr std::uint32_t Filter = 0x04;
constexpr std::uint32_t Hardware = 0x08;
constexpr std::uint32_t Async = 0x10;
constexpr std::uint32_t Local = 0x40000000;
constexpr std::uint32_t Disabled = 0x80000000;
} // namespace Support

struct DriverDetails
{
    std::string shortName; // up to 31 characters
    std::string longName;  // up to 127 characters
    std::string copyright;
    std::string licensing;
    std::string features;
    std::uint32_t support = 0;
    int priority = 1;
    std::uint16_t maxFormatSize = HeaderSize; // largest format block in bytes
};

struct StreamResult
{
    std::size_t srcUsed = 0;
    std::size_t dstUsed = 0;
};

// A conversion from one format to another. convert() works on whole source blocks only;
// finish() ends the stream, converting a trailing partial block as far as the codec can.
class Stream
{
public:
    virtual ~Stream() = default;
    // Largest output, in bytes, that converting srcBytes can give; 0 when srcBytes holds
    // no whole source block.
    virtual std::size_t outputSize(std::size_t srcBytes) const = 0;
    virtual StreamResult convert(const std::uint8_t *src, std::size_t srcLen, std::uint8_t *dst,
                                 std::size_t dstLen) = 0;
    // Converts all of src plus whatever the stream still holds and appends it to out.
    virtual void finish(const std::uint8_t *src, std::size_t srcLen,
                        std::vector<std::uint8_t> &out) = 0;
    virtual void reset() = 0;
};

class Driver
{
public:
    virtual ~Driver() = default;

    virtual const DriverDetails &details() const = 0;
    virtual std::vector<std::uint16_t> tags() const = 0;
    // Display name of one of the driver's tags; empty for a tag it does not own.
    virtual std::string tagName(std::uint16_t tag) const = 0;
    // True for a complete, consistent format of one of the driver's tags.
    virtual bool accepts(const WaveFields &format) const = 0;
    // The formats the driver lists, in display order.
    virtual std::vector<WaveFields> formats() const = 0;
    // A well-formed format of tag with the given rate, channels and bits (0 = the tag's
    // usual bits); false when the driver has no such format.
    virtual bool build(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels,
                       std::uint16_t bits, WaveFields &out) const = 0;
    // Samples per channel in one block of an accepted format.
    virtual std::uint32_t samplesPerBlock(const WaveFields &format) const = 0;

    virtual bool canConvert(const WaveFields &src, const WaveFields &dst) const = 0;
    // A PCM format that src converts to (or, for a PCM src, itself).
    virtual bool suggestPcm(const WaveFields &src, WaveFields &pcm) const = 0;
    virtual std::unique_ptr<Stream> open(const WaveFields &src, const WaveFields &dst) const = 0;

    // Display text of an accepted format, e.g. "8.000 kHz, 4 Bit, Mono".
    std::string formatText(const WaveFields &format) const;

    // Identifier given by the codec layer when it installs the driver (1, 2, ...).
    std::uint32_t id() const { return m_id; }
    void setId(std::uint32_t id) { m_id = id; }

private:
    std::uint32_t m_id = 0;
};

// A PCM format of the given shape, with its derived fields filled in.
WaveFields pcmFormat(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits);

} // namespace codecs
