// Gain ranges, the default compression and the codec format matching.
#include "modem/capabilities/CompressionChoice.h"
#include "modem/capabilities/GainRange.h"

#include <gtest/gtest.h>

TEST(GainRangeTest, ReadsTheRangesModemsReport)
{
    struct Case
    {
        const char *reply;
        const char *prefix;
        GainPair expected;
        const char *command;
    };
    const Case cases[] = {
        {"+VGR: (0-255)", "+VGR:", {0, 255}, "at+vgr=127"},
        {"+VGT: (0-127)", "+VGT:", {0, 127}, "at+vgt=63"},
        {"(200-100)", "+VGR:", {-1, -1}, "at+vgr=-1"},
        {"0-255", "+VGR:", {0, 255}, "at+vgr=127"},
        {"(121-134)", "+VGR:", {121, 134}, "at+vgr=127"},
        {"+vgr: 0,(0-255)", "+VGR:", {0, 255}, "at+vgr=127"},
        {"x-y", "+VGR:", {0, 255}, "at+vgr=127"},
        {"128", "+VGR:", {7, 9}, "at+vgr=8"}, // no "-": the pair passed in stays
        {"time out", "+VGR:", {7, 9}, "at+vgr=8"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reply);
        const GainPair pair = ParseGainRange(c.reply, c.prefix, {7, 9});
        EXPECT_EQ(pair, c.expected);
        EXPECT_EQ(
            middleGainCommand(QString(c.prefix).mid(1, 3).toLower().prepend("at+") + "=", pair),
            c.command);
    }
}

namespace {
CompressionRow row(const char *description, const char *bps, const char *vsr = "8000")
{
    CompressionRow r;
    r.Description = description;
    r.bps = bps;
    r.vsr = vsr;
    return r;
}
} // namespace

TEST(CompressionChoiceTest, PrefersEightBitLinearThenG711ThenSixteenBit)
{
    EXPECT_FALSE(chooseDefaultRow({}).has_value());
    EXPECT_EQ(
        chooseDefaultRow({row("ULAW", "8"), row("SIGNED PCM", "16"), row("UNSIGNED PCM", "8")}), 2);
    EXPECT_EQ(chooseDefaultRow({row("ALAW", "8"), row("ULAW", "8")}), 1);
    EXPECT_EQ(chooseDefaultRow({row("UNSIGNED PCM", "16"), row("SIGNED PCM", "16")}), 1);
    EXPECT_EQ(chooseDefaultRow({row("UNSIGNED PCM", "4"), row("ULAW", "16")}), 0);
}

TEST(CompressionChoiceTest, MatchesTheCodecFormatOfTheSamples)
{
    const QList<CodecFormatKey> catalogue = {
        {1, 1, 11025, 8}, {1, 1, 8000, 8}, {1, 1, 8000, 16}, {7, 1, 8000, 8}, {6, 1, 8000, 8}};
    using K = CompressionMatch::Kind;
    struct Case
    {
        CompressionRow row;
        K kind;
        int index;
    };
    const Case cases[] = {
        {row("UNSIGNED PCM", "8"), K::CatalogueFormat, 1},
        {row("SIGNED PCM", "16"), K::CatalogueFormat, 2},
        {row("ULAW", "8"), K::CatalogueFormat, 3},
        {row("ALAW", "8"), K::CatalogueFormat, 4},
        {row("SIGNED PCM", "16", "7200"), K::Pcm7200x16, -1},
        {row("ULAW", "8", "7200"), K::None, -1},
        {row("UNSIGNED PCM", "8", ""), K::None, -1},
        {row("UNSIGNED PCM", "x"), K::None, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE((c.row.Description + " " + c.row.bps + " " + c.row.vsr).toStdString());
        const CompressionMatch m = matchCompression(c.row, catalogue);
        EXPECT_EQ(m.kind, c.kind);
        EXPECT_EQ(m.formatIndex, c.index);
    }
    // The fixed format loses only to a first format that matches exactly.
    EXPECT_EQ(matchCompression(row("SIGNED PCM", "16", "7200"), {{1, 1, 7200, 16}}).kind,
              K::CatalogueFormat);
    EXPECT_EQ(matchCompression(row("UNSIGNED PCM", "8"), {}).kind, K::None);
}
