// Reading modem replies: final results, caller-ID lines, RING lines and the query reply.
#include "modem/ModemReply.h"

#include <gtest/gtest.h>

using ModemReply::Kind;

TEST(ModemReplyTest, ClassifiesCompleteLinesOnly)
{
    struct Case
    {
        const char *text;
        Kind kind;
    };
    const Case cases[] = {
        {"\r\nOK\r\n", Kind::Ok},
        {"ok\r", Kind::Ok},
        {"\r\nOk\r\n", Kind::None},
        {"\r\nO", Kind::None},
        {"\r\nOK", Kind::None}, // the line has not ended yet
        {"\r\nERROR\r\n", Kind::Error},
        {"error\n", Kind::Error},
        {"\r\nCONNECT 9600\r\n", Kind::Connect},
        {"\r\nERROR\r\nOK\r\n", Kind::Ok}, // OK wins
        {"\r\nCONNECT\r\nERROR\r\n", Kind::Error},
        {"NAME = BROOKS\r\n", Kind::None},
        {"NAME = OK\r\n", Kind::None},
        {"MESG = CONNECTED\r\n", Kind::None},
        {"at+gmm?\r\r\nMODEL\r\n\r\nOK\r\n", Kind::Ok},
        {"\x01\xff garbage \x10\x03\r\n", Kind::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ModemReply::classify(QString::fromLatin1(c.text)), c.kind);
    }
}

TEST(ModemReplyTest, FindsCallerIdInCompleteLines)
{
    struct Case
    {
        const char *text;
        bool found;
        bool isError;
        const char *value;
        int end;
    };
    const Case cases[] = {
        {"\r\nNMBR = 5551234\r\n", true, false, "5551234", 18},
        {"NMBR=5551234\r\nNAME=JOHN\r\n", true, false, "5551234", 14},
        {"DATE = 1210\r\nTIME = 0930\r\nNMBR = 555", false, false, "", 0},
        {"nmbr = 42\n", true, false, "42", 10},
        {"DDN_NMBR = 0123\r\n", true, false, "0123", 17},
        {"NMBR 5551234\r\n", true, false, "NMBR 5551234", 14},
        {"NMBR = 5551234\r\nERRM = NO DATA\r\n", true, true, "NO DATA", 32},
        {"NMBR = P\r\n", true, false, "P", 10},
        {"NMBR = \x07"
         "555\x1b[2J"
         "1234\x7f\r\n",
         true, false, "555[2J1234", 22},
        {"NAME = JOHN\r\n", false, false, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const auto line = ModemReply::findCallerId(QString::fromLatin1(c.text));
        EXPECT_EQ(line.found, c.found);
        EXPECT_EQ(line.isError, c.isError);
        EXPECT_EQ(line.value, QString::fromLatin1(c.value));
        EXPECT_EQ(line.end, c.end);
    }
}

TEST(ModemReplyTest, BoundsCallerTextAndReplyText)
{
    const QString longNumber = QString(500, QLatin1Char('9'));
    const auto line =
        ModemReply::findCallerId(QStringLiteral("NMBR = ") + longNumber + QStringLiteral("\r\n"));
    EXPECT_EQ(line.value, QString(ModemReply::MaxCallerTextLength, QLatin1Char('9')));

    QString reply;
    for (int i = 0; i < 100; ++i)
        ModemReply::appendBounded(reply, QString(1000, QLatin1Char('x')));
    ModemReply::appendBounded(reply, QStringLiteral("\r\nOK\r\n"));
    EXPECT_EQ(reply.size(), ModemReply::MaxReplyLength);
    EXPECT_EQ(ModemReply::classify(reply), Kind::Ok);
}

TEST(ModemReplyTest, RingLinesAndQueryReplies)
{
    EXPECT_TRUE(ModemReply::hasRing(QStringLiteral("\r\nRING\r\n")));
    EXPECT_TRUE(ModemReply::hasRing(QStringLiteral("ring\n")));
    EXPECT_TRUE(ModemReply::hasRing(QStringLiteral("\r\nRING 2\r\n")));
    EXPECT_FALSE(ModemReply::hasRing(QStringLiteral("\r\nRIN")));
    EXPECT_FALSE(ModemReply::hasRing(QStringLiteral("NAME = STRINGER\r\n")));

    EXPECT_EQ(ModemReply::replyBeforeOk(QStringLiteral("\r\nCX93001\r\n\r\nOK\r\n")),
              QStringLiteral("CX93001"));
    EXPECT_EQ(ModemReply::replyBeforeOk(QStringLiteral("\r\nBROOKTROUT TR114\r\n\r\nOK\r\n")),
              QStringLiteral("BROOKTROUT TR114"));
    EXPECT_EQ(ModemReply::replyBeforeOk(QStringLiteral("\r\nOK\r\n")), QString());
    EXPECT_EQ(ModemReply::replyBeforeOk(
                  QStringLiteral("1,\"UNSIGNED PCM\",8,0,8000,0,0\r\n129,\"IMA ADPCM\",4,0,"
                                 "8000,0,0\r\nOK\r\n")),
              QStringLiteral("1,\"UNSIGNED PCM\",8,0,8000,0,0\r\n129,\"IMA ADPCM\",4,0,8000,0,0"));
}
