// The wave format record: its bytes, persistence, configuration form and description.
#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/TdeWaveFormat.h"
#include "config/Preferences.h"
#include "config/RecordingFormat.h"
#include "config/TIniFile.h"
#include "config/WaveFormatIni.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

TEST(WaveFormatTest, NewRecordHoldsTheDefaultsAndZeros)
{
    TdeWaveFormat f;
    QByteArray expected = hex("01000200112B000022560000020008000000");
    expected.append(QByteArray(110, '\0'));
    EXPECT_EQ(f.toBytes(), expected);

    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    f.SaveToStream(stream);
    EXPECT_EQ(stream.data(), expected);

    QTemporaryDir dir;
    TIniFile ini(dir.filePath("orv.ini"));
    WriteWaveFormat(ini, "File compression", f);
    EXPECT_EQ(ini.ReadString("File compression", "Bin", {}),
              QString::fromLatin1(expected.toHex().toUpper()));
    EXPECT_EQ(ini.readSection("File compression"), QStringList({"Desc", "Bin"}));
    EXPECT_EQ(ini.ReadString("File compression", "Desc", {}), "PCM: 11.025 kHz, 8 Bit, Stereo");
}

TEST(WaveFormatTest, CbSizeAbove110IsRefusedAndKeepsTheOldValue)
{
    TdeWaveFormat f;
    f.setCbSize(110);
    EXPECT_EQ(f.CbSize(), 110);
    try {
        f.setCbSize(111);
        FAIL() << "no error";
    } catch (const EACMError &e) {
        EXPECT_EQ(e.message(), "The wave format buffer is too small.");
    }
    EXPECT_EQ(f.CbSize(), 110);
    f.Buffer()[16] = 0xFF; // a damaged record read from a file
    EXPECT_EQ(f.ExtraSize(), 110);
}

TEST(WaveFormatTest, EqualityAndAssignCoverAllBytes)
{
    TdeWaveFormat a;
    TdeWaveFormat b;
    b.Buffer()[127] = 1;
    EXPECT_FALSE(a.IsEqual(b));
    a.Assign(b);
    EXPECT_TRUE(a.IsEqual(b));

    // SetDefaults keeps the codec bytes.
    TdeWaveFormat ima = ImaAdpcmDefaultFormat();
    ima.SetDefaults();
    EXPECT_EQ(ima.CbSize(), 0);
    EXPECT_EQ(ima.Buffer()[18], 0xF9);
    EXPECT_EQ(ima.Buffer()[19], 0x01);
}

TEST(WaveFormatTest, ShortSourcesReplaceOnlyTheLeadingBytes)
{
    TdeWaveFormat f = ImaAdpcmDefaultFormat();
    const QByteArray before = f.toBytes();

    QByteArray twenty(20, '\x5A');
    QBuffer stream(&twenty);
    stream.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.LoadFromStream(stream), 20);
    EXPECT_EQ(f.toBytes().left(20), twenty);
    EXPECT_EQ(f.toBytes().mid(20), before.mid(20));

    QTemporaryDir dir;
    TIniFile ini(dir.filePath("orv.ini"));
    ini.WriteString("File compression", "Bin", "0100");
    TdeWaveFormat g = ImaAdpcmDefaultFormat();
    EXPECT_EQ(ReadWaveFormat(ini, "File compression", g), 2);
    QByteArray expected = before;
    expected[0] = 1;
    expected[1] = 0;
    EXPECT_EQ(g.toBytes(), expected);
    EXPECT_EQ(ReadWaveFormat(ini, "Modem compression", g), 0);
    EXPECT_EQ(g.toBytes(), expected);
}

TEST(WaveFormatTest, BuiltInDefaultHasThePublishedBin)
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("orv.ini"));
    WriteWaveFormat(ini, "File compression", WorkingPcmFormat());
    EXPECT_EQ(ini.ReadString("File compression", "Bin", {}),
              QStringLiteral("01000100401F0000401F0000010008000000") + QString(220, '0'));
}

TEST(WaveFormatTest, DescriptionsComeFromTheCodecs)
{
    EXPECT_EQ(ImaAdpcmDefaultFormat().FormatDescription(),
              "IMA ADPCM: 8.000 kHz, 4 Bit, Mono, 4055 bytes/s");
    EXPECT_EQ(WorkingPcmFormat().FormatDescription(), "PCM: 8.000 kHz, 8 Bit, Mono");
    TdeWaveFormat unknown;
    unknown.setFormatTag(0x55); // MPEG layer 3: no codec here
    EXPECT_EQ(unknown.FormatDescription(), "");
    TdeWaveFormat broken = WorkingPcmFormat();
    broken.setBlockAlign(3);
    EXPECT_EQ(broken.FormatDescription(), "") << "a known tag with a bad format";
}

TEST(WaveFormatTest, CompressionFileIsLoadedAndDeleted)
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    const QByteArray pcm8k = WorkingPcmFormat().toBytes();
    EXPECT_EQ(DefaultRecordingFormat(), pcm8k) << "no file: the built-in default";

    // A short .cpn replaces only the leading bytes of the built-in default.
    QFile cpn("FileCompression.cpn");
    ASSERT_TRUE(cpn.open(QIODevice::WriteOnly));
    cpn.write(ImaAdpcmDefaultFormat().toBytes().left(20));
    cpn.close();
    const FileFormatSource source = RecordingFormatSource();
    const QByteArray loaded = source.defaultFormat();
    EXPECT_EQ(loaded.left(20), ImaAdpcmDefaultFormat().toBytes().left(20));
    EXPECT_EQ(loaded.mid(20), pcm8k.mid(20));
    EXPECT_FALSE(QFile::exists("FileCompression.cpn"));
    EXPECT_EQ(source.describe(loaded), "IMA ADPCM: 8.000 kHz, 4 Bit, Mono, 4055 bytes/s");

    EXPECT_THROW(TdeWaveFormat().LoadFromFile("missing.cpn"), FileAccessError);
    QDir::setCurrent(old);
}

} // namespace
