// The configuration file: letter case, in-place edits, value encodings and safe writes.
#include "config/TIniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "FileSizeLimit.h"

#include <cerrno>
#include <cstring>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString path() const { return dir.filePath(QStringLiteral("orv.ini")); }

    void writeText(const QByteArray &text)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QByteArray readText() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(IniFileTest, SectionsAndKeysMatchInAnyCaseAndKeepTheirFirstCase)
{
    writeText("[params]\nMainTop=10\n\n[Other]\nx=1\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("Params", "maintop", 0), 10);
    EXPECT_EQ(ini.ReadInteger("PARAMS", "MAINTOP", 0), 10);

    ini.WriteInteger("Params", "Volume", 8);
    ini.WriteInteger("PARAMS", "MAINTOP", 12);
    EXPECT_EQ(readText(), "[params]\nMainTop=12\nVolume=8\n\n[Other]\nx=1\n");
}

TEST_F(IniFileTest, WritingToAMissingSectionAppendsItAndCreatesTheFile)
{
    TIniFile ini(path());
    EXPECT_FALSE(QFile::exists(path()));
    EXPECT_EQ(ini.ReadString("Modem", "Model", "none"), "none");
    EXPECT_FALSE(QFile::exists(path())) << "reading must not create the file";

    ini.WriteString("Modem", "Model", "US Robotics");
    ini.WriteString("General", "RingTimeOut", "5000");
    EXPECT_EQ(readText(), "[Modem]\nModel=US Robotics\n\n[General]\nRingTimeOut=5000\n");
}

TEST_F(IniFileTest, EraseSectionRemovesEverySpellingAndKeepsTheRest)
{
    writeText("[MoDeM]\nport=3\nModel=X\n[Params]\nA=1\n[modem]\nlate=1\n");
    TIniFile ini(path());
    ini.EraseSection("modem");
    EXPECT_FALSE(ini.SectionExists("Modem"));
    EXPECT_EQ(readText(), "[Params]\nA=1\n");
    ini.EraseSection("Absent");
    EXPECT_EQ(readText(), "[Params]\nA=1\n");
}

TEST_F(IniFileTest, SectionAndValueExistence)
{
    writeText("[Empty]\n[Params]\nAutoRecord=\n");
    TIniFile ini(path());
    EXPECT_FALSE(ini.SectionExists("Empty")) << "a section exists only when it holds a key";
    EXPECT_TRUE(ini.SectionExists("params"));
    EXPECT_TRUE(ini.ValueExists("Params", "autorecord"));
    EXPECT_FALSE(ini.ValueExists("Params", "DiscTime"));
}

TEST_F(IniFileTest, IntegerAndBooleanEncodings)
{
    struct Case
    {
        QByteArray text;
        int asInteger;
        bool asBool;
    };
    const Case cases[] = {
        {"0x1F", 31, true},
        {"0X1f", 31, true},
        {"12abc", -7, true},
        {"2", 2, true},
        {"0", 0, false},
        {"yes", -7, true},
        {"-16777208", -16777208, true},
        {"0x", -7, true},
        {"", -7, true},
        {" 42 ", 42, true},
        {"0xFFFFFFFF", -1, true},
        {"99999999999", -7, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.constData());
        writeText("[S]\nk=" + c.text + "\n");
        TIniFile ini(path());
        EXPECT_EQ(ini.ReadInteger("S", "k", -7), c.asInteger);
        EXPECT_EQ(ini.ReadBool("S", "k", true), c.asBool);
    }

    TIniFile ini(path());
    ini.WriteInteger("S", "n", -5);
    ini.WriteBool("S", "t", true);
    ini.WriteBool("S", "f", false);
    EXPECT_EQ(ini.ReadString("S", "n", {}), "-5");
    EXPECT_EQ(ini.ReadString("S", "t", {}), "1");
    EXPECT_EQ(ini.ReadString("S", "f", {}), "0");
}

TEST_F(IniFileTest, ByteStringsAreUpperCaseHexAndReadInEitherCase)
{
    TIniFile ini(path());
    QByteArray bytes;
    for (int i = 0; i < 18; ++i)
        bytes.append(static_cast<char>(i * 15));
    ini.WriteBinaryStream("File compression", "Bin", bytes);
    const QString text = ini.ReadString("File compression", "Bin", {});
    EXPECT_EQ(text.size(), 36);
    EXPECT_EQ(text, text.toUpper());

    QByteArray back;
    EXPECT_EQ(ini.ReadBinaryStream("File compression", "Bin", back), 18);
    EXPECT_EQ(back, bytes);

    struct Case
    {
        const char *value;
        QByteArray bytes;
    };
    const Case cases[] = {{"0a0B", QByteArray("\x0a\x0b")},
                          {"0a0B1", QByteArray("\x0a\x0b")},
                          {"", QByteArray()},
                          {"0aZZ11", QByteArray("\x0a")}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        ini.WriteString("S", "Bin", c.value);
        QByteArray stream("pre");
        EXPECT_EQ(ini.ReadBinaryStream("S", "Bin", stream), c.bytes.size());
        EXPECT_EQ(stream, "pre" + c.bytes) << "bytes are appended to the stream";
    }
}

TEST_F(IniFileTest, LongValuesReadBackCutAndLineBreaksCannotForgeKeys)
{
    TIniFile ini(path());
    const QString longValue(3000, QLatin1Char('x'));
    ini.WriteString("S", "long", longValue);
    EXPECT_EQ(ini.ReadString("S", "long", {}), longValue.left(2047));

    ini.WriteString("S", "memo", "a\r\n[Modem]\nport=4");
    EXPECT_FALSE(ini.SectionExists("Modem"));
    EXPECT_EQ(ini.ReadString("S", "memo", {}), "a  [Modem] port=4");
}

TEST_F(IniFileTest, DamagedFileKeepsItsOtherBytesThroughAWrite)
{
    QByteArray garbage("\x00\xff\xfe[Params\x01\n", 12);
    garbage += QByteArray("[Params]\r\nTimeout=7\r\nbinary\x00\x80junk\r\n", 35);
    writeText(garbage);
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("Params", "Timeout", 4), 7);
    ini.WriteInteger("Params", "Timeout", 3);
    const QByteArray after = readText();
    EXPECT_TRUE(after.startsWith(QByteArray("\x00\xff\xfe[Params\x01\n", 12)));
    EXPECT_TRUE(after.contains(QByteArray("binary\x00\x80junk", 12)));
    EXPECT_EQ(ini.ReadInteger("Params", "Timeout", 4), 3);
}

// A full disk is imitated with a file-size limit, which holds for root too.
TEST_F(IniFileTest, AFailedWriteRaisesAndLeavesTheOldFileIntact)
{
    writeText("[Params]\nTimeout=7\n");
    TIniFile ini(path());

    QString message;
    QString described;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        try {
            ini.WriteString("Params", "Memo", QString(10000, QLatin1Char('m')));
        } catch (const IniWriteError &e) {
            message = QString::fromUtf8(e.what());
            described = e.describe();
        }
    }

    EXPECT_EQ(message, "Unable to write to " + path());
    EXPECT_EQ(described, message + " (" + QString::fromLocal8Bit(std::strerror(EFBIG)) + ")")
        << "the system's reason: the size limit's";
    EXPECT_EQ(readText(), "[Params]\nTimeout=7\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"orv.ini"})
        << "no temporary file is left behind";
}

} // namespace
