// Reading the modem's compression list, line by line, as real modems write it.
#include "modem/capabilities/CompressionRow.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *line;
    const char *description; // nullptr: not recognised
    const char *cml = "";
    const char *cmid = "";
    const char *bps = "";
    const char *vsr = "";
    const char *command = "";
};

TEST(VsmLineTest, RecognisesTheShapesRealModemsSend)
{
    const Case cases[] = {
        {"+VSM: 128,\"8-BIT LINEAR\",8,0,(7200,8000,11025)", "UNSIGNED PCM", "128",
         "\"8-BIT LINEAR\"", "8", "8000", "at+vsm=128,8000"},
        {"+VSM: 128,\"SIGNED PCM\",16,0,(7200,8000,11025)", "SIGNED PCM", "128", "\"SIGNED PCM\"",
         "16", "7200", "at+vsm=128,7200"},
        {"1;G.711U;(8000)", "ULAW", "1", "G.711U", "8", "8000", "at+vsm=1;8000"},
        {"130,\"UNSIGNED PCM\",8,0,(7200,8000,11025),(0-10),(0-1)", "UNSIGNED PCM", "130",
         "\"UNSIGNED PCM\"", "8", "8000", "at+vsm=130,8000,0,0"},
        {"0,SIGNED LINEAR,8,0,(8000)", "SIGNED PCM", "0", "SIGNED PCM", "8", "8000",
         "at+vsm=0,8000"},
        {"0,\"SIGNED LINEAR\",8,0,(8000)", "UNSIGNED PCM", "0", "\"SIGNED LINEAR\"", "8", "8000",
         "at+vsm=0,8000"},
        {"131,\"ULAW\",8,0,(7200,8000),(0),(0)", "ULAW", "131", "\"ULAW\"", "8", "8000",
         "at+vsm=131,8000,0,0"},
        {"5,\"G711A\",8,0,(8000),(0),(0)", nullptr},
        {"132,\"A-Law\",8,0,(8000),(0),(0)", "ALAW", "132", "\"A-Law\"", "8", "8000",
         "at+vsm=132,8000,0,0"},
        {"1,\"UNSIGNED PCM\",8,0,8000,0,00", "UNSIGNED PCM", "1", "\"UNSIGNED PCM\"", "8", "8000",
         "at+vsm=1,8000,0,00"},
        {"128,\"8-BIT LINEAR\",(7200,8000,11025)", "UNSIGNED PCM", "128", "\"8-BIT LINEAR\"", "8",
         "8000", "at+vsm=128,8000"},
        {"133,\"LINEAR\",0,0,(7200,8000)", "UNSIGNED PCM", "133", "\"LINEAR\"", "8", "8000",
         "at+vsm=133,8000"},
        {"1,\"UNSIGNED PCM\",8,0,(5000,6000)", "UNSIGNED PCM", "1", "\"UNSIGNED PCM\"", "8", "",
         "at+vsm=1"},
        {"2;ADPCM;2;0;(9600)", nullptr},
        {"129,\"IMA ADPCM\",4,0,(7200,8000),0,0", nullptr},
        {"1,\"UNSIGNED PCM\",8,0", nullptr},          // 4 fields
        {"1,\"UNSIGNED PCM\",8,0,(8000),0", nullptr}, // 6 fields
        {"1,\"UNSIGNED PCM\",8,0,(8000", nullptr},    // "(" without ")"
        {"1,\"UNSIGNED PCM\",8,0,8000)", "UNSIGNED PCM", "1", "\"UNSIGNED PCM\"", "8", "8000",
         "at+vsm=1,8000"},
        {"OK", nullptr},
        {"error", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const auto row = ParseVsmLine(QString::fromLatin1(c.line));
        if (!c.description) {
            EXPECT_FALSE(row.has_value());
            continue;
        }
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(row->Description, c.description);
        EXPECT_EQ(row->cml, c.cml);
        EXPECT_EQ(row->cmid, c.cmid);
        EXPECT_EQ(row->bps, c.bps);
        EXPECT_EQ(row->vsr, c.vsr);
        EXPECT_EQ(BuildVsmCommand(*row), c.command);
    }
}

TEST(VsmLineTest, HostileLinesEndAndStayBounded)
{
    const QString huge = QString(100000, QLatin1Char('(')) + QStringLiteral(",x");
    EXPECT_FALSE(ParseVsmLine(huge).has_value());
    const QString longName = QStringLiteral("1,\"UNSIGNED PCM") + QString(500, QLatin1Char('Z')) +
                             QStringLiteral("\",8,0,(8000)");
    const auto row = ParseVsmLine(longName);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->cmid.size(), CompressionRow::FieldLength);
    EXPECT_FALSE(ParseVsmLine(QStringLiteral("1,)(,8,0,(8000)")).has_value());
}

} // namespace
