// The hang-up detection: silence over the disconnect time and steady tones.
#include "modem/voice/BlockAnalyser.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>

namespace {

std::vector<uint8_t> tone(double hz, double amplitude = 127.0, int rate = 8000)
{
    std::vector<uint8_t> block(DisplayBlockSize);
    for (int i = 0; i < DisplayBlockSize; ++i)
        block[i] = uint8_t(
            std::lround(128.0 + amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    return block;
}

std::vector<double> asDoubles(const std::vector<uint8_t> &b)
{
    return {b.begin(), b.end()};
}

TEST(BlockAnalysisTest, HistoryLengthFollowsRateAndDisconnectTime)
{
    EXPECT_EQ(historyLength(8000, 10), 52);
    EXPECT_EQ(historyLength(8000, 1), 5);
    EXPECT_EQ(historyLength(7200, 10), 47);
    EXPECT_EQ(historyLength(11025, 30), 215);
}

TEST(BlockAnalysisTest, SteadyToneAtExactIntervalsIsNotPeriodicButFourHundredTwentyFiveIs)
{
    EXPECT_FALSE(IsPeriodicBlock(asDoubles(tone(400))));
    EXPECT_TRUE(IsPeriodicBlock(asDoubles(tone(425))));
    EXPECT_TRUE(IsPeriodicBlock(asDoubles(tone(480))));
    EXPECT_FALSE(IsPeriodicBlock(asDoubles(std::vector<uint8_t>(DisplayBlockSize, 128))));
    EXPECT_FALSE(IsPeriodicBlock(asDoubles(tone(100)))) << "fewer than 13 crossings";

    EXPECT_TRUE(IsSilentBlock(asDoubles(std::vector<uint8_t>(DisplayBlockSize, 128))));
    EXPECT_TRUE(IsSilentBlock(asDoubles(tone(425, 0.9))));
    EXPECT_FALSE(IsSilentBlock(asDoubles(tone(425, 3))));
}

TEST(BlockAnalysisTest, SilenceIsDeclaredOnlyOnceTheHistoryIsFull)
{
    std::string log;
    BlockAnalyser analyser(historyLength(8000, 10), [&](const char *line) { log += line; });
    const std::vector<uint8_t> quiet(DisplayBlockSize, 128);
    std::vector<uint8_t> speech(DisplayBlockSize);
    uint32_t seed = 12345;
    for (uint8_t &s : speech) {
        seed = seed * 1103515245u + 12345u;
        s = uint8_t(68 + (seed >> 16) % 120);
    }
    for (int i = 0; i < 52; ++i)
        EXPECT_NE(analyser.AnalyseDisplayBlock(quiet), BlockAnalyser::Silence) << i;

    EXPECT_EQ(analyser.AnalyseDisplayBlock(quiet), BlockAnalyser::Silence);
    EXPECT_EQ(log, "Silence...");

    // Silence needs at least 0.85 x 52 = 44.2 silent marks among the last 52.
    BlockAnalyser mixed(52, nullptr);
    for (int i = 0; i < 52; ++i)
        mixed.AnalyseDisplayBlock(i < 8 ? speech : quiet);
    EXPECT_EQ(mixed.AnalyseDisplayBlock(speech), BlockAnalyser::Neither) << "44 silent marks";
    EXPECT_EQ(mixed.AnalyseDisplayBlock(quiet), BlockAnalyser::Silence) << "45 silent marks";
}

TEST(BlockAnalysisTest, APeriodicBlockIsReportedAndLogged)
{
    std::string log;
    BlockAnalyser analyser(5, [&](const char *line) { log += line; });
    EXPECT_EQ(analyser.AnalyseDisplayBlock(tone(425)), BlockAnalyser::Periodic);
    EXPECT_EQ(log, "Periodic signal...");
}

} // namespace
