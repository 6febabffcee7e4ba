// The voice equaliser: block levels and marks, smoothing, the runs it raises and by how much,
// the gauge of its two passes, and recordings without speech.
#include "EqualizerExample.h"

#include "audio/postproc/VoiceEqualizer.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using equalizerexample::appendAlternating;
using equalizerexample::Bytes;
using Range = VoiceEqualizer::Range;

TEST(VoiceEqualizerTest, MarksABlockAsVoiceOnlyAboveALevelOfOne)
{
    struct Case
    {
        const char *name;
        Bytes block;
        float level;
        char mark;
    };
    Bytes spike(199, 127);
    spike.push_back(255);
    Bytes atOne(200, 128);
    Bytes zeroAndOne;
    for (int i = 0; i < 200; ++i)
        zeroAndOne.push_back(i % 2 ? 127 : 128);
    Bytes alternating;
    appendAlternating(alternating, 200, 2);
    const Case cases[] = {
        {"all 128", atOne, 1.0f, 'S'},
        {"127 and 128", zeroAndOne, 0.5f, 'S'},
        {"199 at 127, one at 255", spike, 0.64f, 'S'},
        {"125 and 129", alternating, 2.0f, 'V'},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VoiceEqualizer::Level(c.block), c.level);
        EXPECT_EQ(VoiceEqualizer::BlockMarks(c.block), std::string(1, c.mark));
    }
}

TEST(VoiceEqualizerTest, SumsLevelsInSinglePrecisionEvenPastItsExactRange)
{
    // Past 2^24 a float sum rounds at each addition; the level must be that sum's.
    std::mt19937 random(7);
    Bytes samples(600000);
    for (std::uint8_t &b : samples)
        b = std::uint8_t(random() % 256);
    float sum = 0;
    for (std::uint8_t b : samples)
        sum += float(b >= 127 ? b - 127 : 127 - b);
    ASSERT_GT(sum, float(1 << 24));
    EXPECT_EQ(VoiceEqualizer::Level(samples), sum / float(samples.size()));
}

TEST(VoiceEqualizerTest, SmoothsLeftToRightOnTheMarksAsTheyChange)
{
    const std::pair<std::string, std::string> cases[] = {
        {"SVSVS", "SSSSS"},
        {"VSVSV", "VVVVV"}, // the change at block 2 feeds the test at
                            // block 3
        {"SVVSSVVS", "SVVSSVVS"},
        {"VSS", "VSS"}, // the first block has nothing before it
        {"SSV", "SSV"},
        {"V", "V"},
        {"", ""},
    };
    for (const auto &[before, after] : cases) {
        SCOPED_TRACE(before);
        std::string marks = before;
        VoiceEqualizer::Smooth(marks);
        EXPECT_EQ(marks, after);
    }
}

TEST(VoiceEqualizerTest, FindsTheRunsOfVoiceAfterSilenceWithTheFirstByteAfterThem)
{
    const std::pair<std::string, std::vector<Range>> cases[] = {
        {"SVVSSVVS", {{200, 600}, {1000, 1400}}},
        {"VVSSVVS", {{800, 1200}}}, // the run at the start is not among them
        {"SVVV", {{200, 600}}},     // a run reaching the last block ends at its first byte
        {"SVS", {{200, 400}}},
        {"SSV", {}}, // a run starting in the last block is not processed
        {"SV", {}},
        {"V", {}},
        {"", {}},
    };
    for (const auto &[marks, ranges] : cases) {
        SCOPED_TRACE(marks);
        EXPECT_EQ(VoiceEqualizer::SegmentRanges(marks), ranges);
    }
}

TEST(VoiceEqualizerTest, RaisesARunAtHalfTheAverageByTwoPointSixAndNothingElse)
{
    Bytes samples = equalizerexample::recording();
    const Bytes before = samples;
    std::vector<int> gauge;
    const VoiceEqualizer::Outcome outcome =
        VoiceEqualizer::Apply(samples, [&](int position) { gauge.push_back(position); });

    ASSERT_TRUE(outcome.voiceFound);
    EXPECT_EQ(outcome.blocks, 6u);
    EXPECT_EQ(outcome.voiceBlocks, 3u);
    EXPECT_EQ(outcome.averageLevel, 10.0f);
    EXPECT_EQ(outcome.marks, "VSSVVS");
    ASSERT_EQ(outcome.segments.size(), 1u);
    EXPECT_EQ(outcome.segments[0].bytes, (Range{600, 1000}));
    EXPECT_EQ(outcome.segments[0].level, 5.0f);
    EXPECT_EQ(outcome.segments[0].gain, 2.6f);

    EXPECT_EQ(samples, equalizerexample::equalized());
    // Outside bytes 600 to 1000 nothing changed: the leading run, the silences and the
    // trailing partial block.
    EXPECT_TRUE(std::equal(samples.begin(), samples.begin() + 600, before.begin()));
    EXPECT_TRUE(std::equal(samples.begin() + 1001, samples.end(), before.begin() + 1001));

    // Pass 1 reaches 44 at the last complete block (the trailing 150 bytes count in the
    // size); pass 2 looks for a run once, at block 3 of 6.
    EXPECT_EQ(gauge, (std::vector<int>{7, 15, 22, 29, 37, 44, 75}));
}

TEST(VoiceEqualizerTest, LeavesARunAtTheAverageAsItIs)
{
    // Two voice blocks at level 5 after silence: the average is 5 and so is the run's level.
    Bytes samples(200, 127);
    appendAlternating(samples, 400, 5);
    samples.push_back(132);
    samples.insert(samples.end(), 199, 127);
    const Bytes before = samples;
    const VoiceEqualizer::Outcome outcome = VoiceEqualizer::Apply(samples);
    ASSERT_TRUE(outcome.voiceFound);
    EXPECT_EQ(outcome.marks, "SVVS");
    ASSERT_EQ(outcome.segments.size(), 1u);
    EXPECT_EQ(outcome.segments[0].level, outcome.averageLevel);
    EXPECT_EQ(outcome.segments[0].gain, 0.0f);
    EXPECT_EQ(outcome.raisedCount(), 0u);
    EXPECT_EQ(samples, before);
}

TEST(VoiceEqualizerTest, ChangesNothingInASingleVoiceBlockOrARecordingThatStartsWithSpeech)
{
    Bytes single;
    appendAlternating(single, 200, 2);
    Bytes startsWithSpeech;
    appendAlternating(startsWithSpeech, 200, 3);
    appendAlternating(startsWithSpeech, 400, 40);
    startsWithSpeech.insert(startsWithSpeech.end(), 400, 127);
    for (Bytes samples : {single, startsWithSpeech}) {
        SCOPED_TRACE(samples.size());
        const Bytes before = samples;
        const VoiceEqualizer::Outcome outcome = VoiceEqualizer::Apply(samples);
        EXPECT_TRUE(outcome.voiceFound);
        EXPECT_TRUE(outcome.segments.empty());
        EXPECT_EQ(samples, before);
    }
}

TEST(VoiceEqualizerTest, ReportsNoVoiceAndChangesNothingWithoutAVoiceBlock)
{
    Bytes loudButShort;
    appendAlternating(loudButShort, 199, 100);
    const Bytes cases[] = {{}, loudButShort, Bytes(1000, 127), Bytes(400, 128)};
    for (Bytes samples : cases) {
        SCOPED_TRACE(samples.size());
        const Bytes before = samples;
        std::vector<int> gauge;
        const VoiceEqualizer::Outcome outcome =
            VoiceEqualizer::Apply(samples, [&](int position) { gauge.push_back(position); });
        EXPECT_FALSE(outcome.voiceFound);
        EXPECT_EQ(outcome.voiceBlocks, 0u);
        EXPECT_TRUE(outcome.segments.empty());
        EXPECT_EQ(samples, before);
        for (int position : gauge)
            EXPECT_LE(position, 50); // only pass 1 ran
    }
}

TEST(VoiceEqualizerTest, ASecondApplyWorksOnTheRaisedSamples)
{
    QByteArray pcm;
    const Bytes example = equalizerexample::recording();
    pcm.append(reinterpret_cast<const char *>(example.data()), qsizetype(example.size()));
    VoiceEqualizer::Apply(pcm);
    const QByteArray once = pcm;
    const VoiceEqualizer::Outcome second = VoiceEqualizer::Apply(pcm);
    // Blocks 4 and 5 now average 13 against a new average of (20 + 13 + 13) ÷ 3: still below.
    ASSERT_TRUE(second.voiceFound);
    EXPECT_GT(second.averageLevel, 10.0f);
    EXPECT_EQ(second.raisedCount(), 1u);
    EXPECT_NE(pcm, once);
    EXPECT_EQ(pcm.left(600), once.left(600));
}

} // namespace
