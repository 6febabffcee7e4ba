// The volume level's gain rule, its accumulation over presses and its gauge steps.
#include "audio/postproc/VolumeLevel.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {

struct GainCase
{
    int percent;
    int presses;
    int in;
    int out;
};

TEST(VolumeLevelTest, ScalesAboutTheZeroLineRoundingHalvesToEvenAndClipping)
{
    const GainCase cases[] = {
        {100, 1, 127, 127}, // the zero line stays
        {100, 1, 128, 129},
        {100, 1, 200, 255}, // 273 clipped
        {100, 1, 0, 0},     // -127 clipped
        {-50, 1, 128, 127}, // 0.5 goes to 0
        {-50, 1, 130, 129}, // 1.5 goes to 2
        {-50, 1, 126, 127}, // -0.5 goes to 0
        {-50, 1, 124, 125}, // -1.5 goes to -2
        {-50, 1, 0, 63},    // -63.5 goes to -64
        {-50, 1, 255, 191},
        {50, 1, 137, 142}, // 10 × 1.5 = 15
        {50, 2, 137, 149}, // 15 × 1.5 = 22.5, taken to 22
        {50, 2, 255, 255},
        {-30, 1, 212, 186}, // 0.7 × 85 is 59.4999... in double precision, not 59.5
        {-30, 1, 202, 179}, // 52.5 goes to 52
    };
    for (const GainCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << "% × " << c.presses << " on " << c.in);
        const VolumeLevel level(c.percent);
        std::vector<std::uint8_t> samples = {127, std::uint8_t(c.in), 127};
        for (int i = 0; i < c.presses; ++i)
            level.Apply(samples);
        EXPECT_EQ(samples, (std::vector<std::uint8_t>{127, std::uint8_t(c.out), 127}));
    }
}

TEST(VolumeLevelTest, ZeroPercentLeavesEveryByteAsItIs)
{
    QByteArray pcm(256, '\0');
    std::iota(pcm.begin(), pcm.end(), char(0));
    const QByteArray before = pcm;
    VolumeLevel(0).Apply(pcm);
    EXPECT_EQ(pcm, before);
}

struct GaugeCase
{
    std::size_t size;
    std::vector<int> firstPositions;
    std::size_t count;
};

TEST(VolumeLevelTest, MovesTheGaugeEveryHundredthOfTheStreamBeforeThatByte)
{
    const GaugeCase cases[] = {
        {99, {}, 0},                    // under 100 bytes the gauge stays still
        {100, {0, 1, 2, 3}, 100},       // every byte, at i = 0 .. 99
        {200, {0, 2, 2, 4, 4, 6}, 100}, // i = 1, 3, 5 ...: 0.5 → 0, 1.5 → 2, 2.5 → 2
        {1000, {1, 2, 3}, 100},         // i = 9, 19, ...: 0.9 → 1 ... 99.9 → 100
        {1099, {1, 2, 3}, 109},         // the last 10 bytes are scaled after the last move
        {250, {0, 1, 2, 3}, 125},       // step 2: i = 1 (0.4), 3 (1.2), 5 (2.0), 7 (2.8)
    };
    for (const GaugeCase &c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<std::uint8_t> samples(c.size, 200);
        std::vector<int> positions;
        std::size_t scaledAtLastMove = 0;
        VolumeLevel(100).Apply(samples, [&](int position) {
            positions.push_back(position);
            scaledAtLastMove = std::size_t(std::count(samples.begin(), samples.end(), 255));
        });
        ASSERT_EQ(positions.size(), c.count);
        EXPECT_EQ(std::vector<int>(positions.begin(),
                                   positions.begin() + std::ptrdiff_t(c.firstPositions.size())),
                  c.firstPositions);
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        if (c.count > 0) {
            const std::size_t step = c.size / 100;
            EXPECT_EQ(scaledAtLastMove, c.count * step - 1); // the bytes before i only
        }
        EXPECT_EQ(std::count(samples.begin(), samples.end(), 255), std::ptrdiff_t(c.size));
    }
}

} // namespace
