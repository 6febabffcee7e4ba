// The capability glue on real files: the compressions table from the query window's text,
// the default choice, and the codec format matching against the real codec catalogue.
#include "DiscoveryFixture.h"

#include "config/WaveFormatIni.h"
#include "modem/capabilities/CompressionsFile.h"

namespace {
CompressionRow row(const char *description, const char *bps, const char *vsr)
{
    CompressionRow r;
    r.Description = description;
    r.cml = "1";
    r.bps = bps;
    r.vsr = vsr;
    r.VSMCommand = "at+vsm=1";
    return r;
}
} // namespace

using ParseTest = DiscoveryFixture;

TEST_F(ParseTest, InteractiveParseWritesTableMirrorAndShowsEachRow)
{
    query.setText("+VSM: 128,\"8-BIT LINEAR\",8,0,(7200,8000,11025)\r\n"
                  "\n"
                  "1;G.711U;(8000)\n"
                  "2,\"IMA ADPCM\",4,0,(8000)\n"
                  "3,\"SIGNED PCM\",16,0,(7200,8000),(0-10),(0-1)\n"
                  "4,\"broken (no close\",8,0,8000\n");
    ini.WriteString("Modem compressions", "7", "stale");

    ASSERT_TRUE(parse().ParseCompressionList(true));

    const QList<CompressionRow> rows = CompressionsFile::readAll(compressionsPath());
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].Description, "UNSIGNED PCM");
    EXPECT_EQ(rows[0].cmid, "\"8-BIT LINEAR\"");
    EXPECT_EQ(rows[0].vsr, "8000");
    EXPECT_EQ(rows[0].VSMCommand, "at+vsm=128,8000");
    EXPECT_EQ(rows[1].Description, "ULAW");
    EXPECT_EQ(rows[1].bps, "8");
    EXPECT_EQ(rows[1].VSMCommand, "at+vsm=1;8000");
    EXPECT_EQ(rows[2].vsr, "7200");
    EXPECT_EQ(rows[2].VSMCommand, "at+vsm=3,7200,0,0");

    EXPECT_EQ(ini.readSection("Modem compressions"), QStringList({"0", "1", "2"}));
    EXPECT_EQ(ini.ReadString("Modem compressions", "0", {}), "UNSIGNED PCM,128,8,0,8000,,");
    EXPECT_EQ(ini.ReadString("Modem compressions", "2", {}), "SIGNED PCM,3,16,0,7200,0,0");
    ASSERT_EQ(messages.texts.size(), 3);
    EXPECT_EQ(messages.texts[1], "cml : 1\ncmid : G.711U\nbps : 8\ntm : \nvsr : 8000\nscs : \n"
                                 "sel : \nDescription : ULAW\nVSM command : at+vsm=1;8000\n");
    EXPECT_TRUE(logHas("at+vsm=?"));
    // Interactive mode leaves the choice to the caller.
    EXPECT_EQ(modemKey("VoiceCompression"), "<missing>");
}

TEST_F(ParseTest, NothingRecognisedLeavesAnEmptyTable)
{
    query.setText("1;CELP;1;0;(9600)\nerror\n");
    QFile old(compressionsPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(279, 'x'));
    old.close();

    EXPECT_FALSE(parse().ParseCompressionList(true));

    EXPECT_EQ(messages.texts, QStringList{TfmParse::NoCompressionMessage});
    EXPECT_EQ(QFileInfo(compressionsPath()).size(), 0);
    EXPECT_EQ(modemKey("VoiceCompression"), "<missing>");
    EXPECT_FALSE(parse().queryCompressionsInteractive());
}

TEST_F(ParseTest, TableStopsAtItsLastRow)
{
    QString text;
    for (int i = 0; i < 150; ++i)
        text += QStringLiteral("%1,\"ULAW\",8,0,8000\n").arg(i);
    query.setText(text);

    ASSERT_TRUE(parse().ParseCompressionList(true));

    EXPECT_EQ(CompressionsFile::readAll(compressionsPath()).size(), CompressionsFile::MaxRows);
    EXPECT_EQ(ini.readSection("Modem compressions").size(), CompressionsFile::MaxRows);
    EXPECT_EQ(QFileInfo(compressionsPath()).size(), 279 * CompressionsFile::MaxRows);
}

TEST_F(ParseTest, DeveloperQueryChoosesTheDefaultRow)
{
    query.setText("1,\"ULAW\",8,0,8000\n2,\"SIGNED PCM\",16,0,8000\n3,\"UNSIGNED PCM\",8,0,8000\n");

    ASSERT_TRUE(parse().queryCompressionsInteractive());

    EXPECT_EQ(paramsKey("Compression"), "2");
    EXPECT_EQ(modemKey("VoiceCompression"), "at+vsm=3,8000");
}

TEST_F(ParseTest, CodecFormatIsMatchedFromTheCatalogue)
{
    struct Case
    {
        const char *description;
        const char *bps;
        const char *vsr;
        int tag; // 0: no format matches
        int rate;
        int bits;
        int avgBytes;
    };
    const Case cases[] = {
        {"UNSIGNED PCM", "8", "8000", 1, 8000, 8, 8000},
        {"SIGNED PCM", "16", "8000", 1, 8000, 16, 16000},
        {"SIGNED PCM", "16", "7200", 1, 7200, 16, 14400},
        {"UNSIGNED PCM", "16", "7200", 1, 7200, 16, 14400},
        {"ULAW", "8", "8000", 7, 8000, 8, 8000},
        {"ALAW", "8", "11025", 6, 11025, 8, 11025},
        {"UNSIGNED PCM", "8", "7200", 0, 0, 0, 0},
        {"ULAW", "8", "", 0, 0, 0, 0},
        {"ALAW", "x", "8000", 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.description) + " " + c.bps + " " + c.vsr);
        messages.texts.clear();
        ini.EraseSection("Modem compression");
        ini.WriteString("Modem compression", "Desc", "earlier");
        ASSERT_TRUE(CompressionsFile::write(
            compressionsPath(), {row("ULAW", "8", "8000"), row(c.description, c.bps, c.vsr)}));
        ini.WriteInteger("Params", "Compression", 1);

        const bool found = parse().MatchModemCompression();

        EXPECT_EQ(parse().CurrentCompression.vsr, c.vsr);
        if (c.tag == 0) {
            EXPECT_FALSE(found);
            EXPECT_EQ(messages.texts, QStringList{TfmParse::NoCodecMessage});
            EXPECT_EQ(ini.ReadString("Modem compression", "Desc", {}), "earlier");
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_TRUE(messages.texts.isEmpty());
        TdeWaveFormat format;
        ASSERT_EQ(ReadWaveFormat(ini, "Modem compression", format), TdeWaveFormat::Size);
        EXPECT_EQ(format.FormatTag(), c.tag);
        EXPECT_EQ(format.Channels(), 1);
        EXPECT_EQ(int(format.SamplesPerSec()), c.rate);
        EXPECT_EQ(format.BitsPerSample(), c.bits);
        EXPECT_EQ(int(format.AvgBytesPerSec()), c.avgBytes);
        EXPECT_EQ(ini.ReadString("Modem compression", "Desc", {}), format.FormatDescription());
        EXPECT_FALSE(format.FormatDescription().isEmpty());
    }
}

TEST_F(ParseTest, MissingRowMatchesNothing)
{
    ASSERT_TRUE(CompressionsFile::write(compressionsPath(), {row("ULAW", "8", "8000")}));
    ini.WriteInteger("Params", "Compression", 5);

    EXPECT_FALSE(parse().MatchModemCompression());
    EXPECT_EQ(messages.texts, QStringList{TfmParse::NoCodecMessage});
    EXPECT_FALSE(ini.SectionExists("Modem compression"));
}
