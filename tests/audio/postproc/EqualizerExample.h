// A small recording whose equalisation is worked out by hand, shared by the processing and the
// command-line tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace equalizerexample {

using Bytes = std::vector<std::uint8_t>;

// count samples alternating 127 − distance and 127 + distance: a level of distance.
inline void appendAlternating(Bytes &to, std::size_t count, int distance)
{
    for (std::size_t i = 0; i < count; ++i)
        to.push_back(std::uint8_t(i % 2 ? 127 + distance : 127 - distance));
}

// Block 1 speech at level 20, blocks 2 and 3 silent, blocks 4 and 5 speech at level 5 (with
// one sample 10 and one 60 above the zero line, balanced by twelve at the zero line), block 6
// silent but for its first sample, then 150 loud samples that make no complete block. The
// average voice level is (20 + 5 + 5) ÷ 3 = 10; the run of blocks 4 and 5 with the first byte
// of block 6, bytes 600 to 1000, has a level of 2005 ÷ 401 = 5: half the average, so it is
// raised by 10 ÷ 5 × 1.3 = 2.6.
inline Bytes recording()
{
    Bytes r;
    appendAlternating(r, 200, 20);
    r.insert(r.end(), 400, 127);
    appendAlternating(r, 400, 5);
    r[600] = 137;
    r[601] = 187;
    std::fill(r.begin() + 602, r.begin() + 614, 127);
    r.push_back(132);
    r.insert(r.end(), 199, 127);
    appendAlternating(r, 150, 20);
    return r;
}

// The recording after equalisation.
inline Bytes equalized()
{
    Bytes r = recording();
    r[600] = 153; // 10 above the zero line becomes 26
    r[601] = 255; // 60 becomes 156: 283, clipped
    for (std::size_t i = 614; i < 1000; ++i)
        r[i] = i % 2 ? 140 : 114; // ±5 becomes ±13
    r[1000] = 140;                // the first byte of the next block
    return r;
}

} // namespace equalizerexample
