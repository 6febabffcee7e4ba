// The voice compressions a profile lists in its AT+VSM=? reply, as the modem understands them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vmodem {

// How the samples of a compression are put into bytes. Unsupported ones are listed by the
// profile (so that the host sees a realistic list) but cannot be selected here.
enum class Encoding
{
    Unsupported,
    Unsigned8,
    Signed8,
    Linear16,
    MuLaw,
    ALaw,
    ImaAdpcm
};

struct Compression
{
    int number = 0;   // the modem's compression number (cml)
    std::string name; // without quotes, as listed
    int bits = 0;     // bits per sample as listed (0 when the line gives none)
    std::vector<std::pair<int, int>> rates; // allowed sampling rates, each a closed range
    Encoding encoding = Encoding::Unsupported;

    bool allowsRate(int rate) const;
    int defaultRate() const; // 8000 when allowed, else the lowest listed, else 8000
};

// One compression per line that names a number and a method; other lines are skipped.
std::vector<Compression> parseCompressionList(const std::vector<std::string> &lines);

// The encoding a method name stands for, from the name and its bits per sample.
Encoding encodingOf(std::string_view name, int bits);

const char *encodingName(Encoding e);

} // namespace vmodem
