// The RIFF writer's bytes and the reader's chunk walk, on real files and damaged ones.
#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/TdeRIFFAudioWriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "FileSizeLimit.h"

namespace {

quint32 u32At(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray chunk(const char *id, const QByteArray &body, bool pad = false)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (pad && body.size() % 2)
        c.append('\0');
    return c;
}

QByteArray pcmFmt()
{
    return WorkingPcmFormat().toBytes().left(16);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

QByteArray writeToBuffer(const TdeWaveFormat &format, const QByteArray &audio, int pieces = 1)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        TdeRIFFAudioWriter writer(buffer);
        writer.setFormat(format);
        const int step = int(audio.size()) / pieces;
        for (int at = 0; at < audio.size(); at += step)
            writer.Write(audio.constData() + at, std::min<qsizetype>(step, audio.size() - at));
    }
    return buffer.data();
}

TEST(RiffWriterTest, PcmFileHasA44ByteHeaderAndExactSizes)
{
    const QByteArray audio(8000, '\x80');
    const QByteArray file = writeToBuffer(WorkingPcmFormat(), audio, 4);
    ASSERT_EQ(file.size(), 8044);
    EXPECT_EQ(file.left(4), "RIFF");
    EXPECT_EQ(u32At(file, 4), 8036u);
    EXPECT_EQ(file.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32At(file, 16), 16u);
    EXPECT_EQ(file.mid(20, 16), pcmFmt());
    EXPECT_EQ(file.mid(36, 4), "data");
    EXPECT_EQ(u32At(file, 40), 8000u);
    EXPECT_EQ(file.mid(44), audio);
}

TEST(RiffWriterTest, CompressedFileCarriesCbSizeAndHasNoPadByte)
{
    const QByteArray file = writeToBuffer(ImaAdpcmDefaultFormat(), QByteArray("abc"));
    ASSERT_EQ(file.size(), 51);
    EXPECT_EQ(u32At(file, 4), 43u);
    EXPECT_EQ(u32At(file, 16), 20u);
    EXPECT_EQ(file.mid(20, 20), ImaAdpcmDefaultFormat().toBytes().left(20));
    EXPECT_EQ(file.mid(40, 4), "data");
    EXPECT_EQ(u32At(file, 44), 3u);
    EXPECT_EQ(file.mid(48), "abc");
}

TEST(RiffWriterTest, NoDataLeavesANewFileEmpty)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("Recorded.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    {
        TdeRIFFAudioWriter writer(file);
        writer.setFormat(WorkingPcmFormat());
    }
    EXPECT_EQ(file.size(), 0);
}

TEST(RiffWriterTest, RefreshedSizesMakeARecordingInProgressReadable)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("Recorded.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray finalBytes;
    {
        TdeRIFFAudioWriter writer(file);
        writer.setFormat(WorkingPcmFormat());
        writer.Write("12345", 5);
        writer.refreshSizes();

        QFile reading(file.fileName());
        ASSERT_TRUE(reading.open(QIODevice::ReadOnly));
        TdeRIFFAudioReader reader(reading);
        EXPECT_EQ(reader.TrackSize(0), 5);

        writer.Write("678", 3);
        writer.refreshSizes();
        writer.Write("9", 1);
    }
    file.seek(0);
    finalBytes = file.readAll();
    EXPECT_EQ(finalBytes, writeToBuffer(WorkingPcmFormat(), "123456789"));
}

TEST(RiffWriterTest, AFullDiskIsReported)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("Recorded.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));

    bool reported = false;
    {
        FileSizeLimit limit(10000);
        ASSERT_TRUE(limit.active());
        TdeRIFFAudioWriter writer(file);
        writer.setFormat(WorkingPcmFormat());
        const QByteArray block(4096, '\x80');
        try {
            for (int i = 0; i < 4; ++i)
                writer.Write(block.constData(), block.size());
        } catch (const EACMAudioStreamError &e) {
            reported = true;
            EXPECT_TRUE(e.message().startsWith("Cannot write the audio data"));
        }
    }
    EXPECT_TRUE(reported);
}

struct ReadCase
{
    const char *name;
    QByteArray file;
    bool valid;
    QByteArray audio; // what ReadTrack(all) gives
    quint16 tag = 1;
};

TEST(RiffReaderTest, WalksChunksAndRejectsWhatIsNoWaveFile)
{
    const QByteArray fmt = pcmFmt();
    const QByteArray ima = ImaAdpcmDefaultFormat().toBytes().left(20);
    QByteArray big(130, '\0');
    big.replace(0, 16, fmt);
    const QByteArray good = riff(chunk("fmt ", fmt) + chunk("data", "abcd"));
    const ReadCase cases[] = {
        {"own file", good, true, "abcd"},
        {"LIST skipped", riff(chunk("LIST", "INFOxxxx") + chunk("fmt ", fmt) + chunk("data", "xy")),
         true, "xy"},
        {"any case", riff(chunk("Fmt ", fmt) + chunk("dATa", "xy")), true, "xy"},
        {"compressed fmt", riff(chunk("fmt ", ima) + chunk("data", "z")), true, "z", 0x11},
        {"odd chunk with pad byte",
         riff(chunk("LIST", "odd", true) + chunk("fmt ", fmt) + chunk("data", "xy")), true, "xy"},
        {"odd chunk without pad",
         riff(chunk("LIST", "odd") + chunk("fmt ", fmt) + chunk("data", "xy")), true, "xy"},
        {"data first", riff(chunk("data", "xy") + chunk("fmt ", fmt)), true, "xy"},
        {"declared size beyond the end",
         riff(chunk("fmt ", fmt)) + "data" + le32(0xFFFFFFF0u) + "ab", true, "ab"},
        {"trailing fragment", good + "abc", true, "abcd"},
        {"format chunk of 130 bytes", riff(chunk("fmt ", big) + chunk("data", "xy")), false, {}},
        {"lower-case riff", "riff" + good.mid(4), false, {}},
        {"lower-case wave", good.left(8) + "wave" + good.mid(12), false, {}},
        {"zero RIFF size", "RIFF" + le32(0) + good.mid(8), false, {}},
        {"no data chunk", riff(chunk("fmt ", fmt)), false, {}},
        {"no format chunk", riff(chunk("data", "xy")), false, {}},
        {"truncated head", good.left(10), false, {}},
        {"truncated chunk header", good.left(16), false, {}},
        {"empty", QByteArray(), false, {}},
        {"garbage", QByteArray(300, '\xA5'), false, {}},
        {"huge fmt size", riff(QByteArray("fmt ") + le32(0xFFFFFFFFu)), false, {}},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = c.file;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        if (!c.valid) {
            try {
                TdeRIFFAudioReader reader(buffer);
                ADD_FAILURE() << "accepted";
            } catch (const EACMAudioReadError &e) {
                EXPECT_EQ(e.message(), "Invalid file format.");
                EXPECT_FALSE(e.reason().isEmpty()) << "the error says what is wrong";
            }
            continue;
        }
        TdeRIFFAudioReader reader(buffer);
        EXPECT_EQ(reader.TrackCount(), 1);
        EXPECT_EQ(reader.TrackFormat(0).FormatTag(), c.tag);
        QByteArray audio(64, '\0');
        audio.resize(reader.ReadTrack(0, audio.data(), audio.size()));
        EXPECT_EQ(audio, c.audio);
        EXPECT_EQ(reader.AvailableSize(), c.audio.size());
    }
}

TEST(RiffReaderTest, ShortFormatChunkKeepsDefaultsAndReadTrackRestarts)
{
    QByteArray bytes = riff(chunk("fmt ", pcmFmt()) + chunk("data", "0123456789"));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TdeRIFFAudioReader reader(buffer);
    EXPECT_TRUE(reader.getFormat().IsEqual(WorkingPcmFormat())) << "cbSize stays 0";
    char first[4];
    char second[4];
    ASSERT_EQ(reader.ReadTrack(0, first, 4), 4);
    ASSERT_EQ(reader.ReadTrack(0, second, 4), 4);
    EXPECT_EQ(QByteArray(first, 4), QByteArray(second, 4));

    reader.SelectTrack(0);
    char piece[6];
    EXPECT_EQ(reader.ReadData(piece, 6), 6);
    EXPECT_EQ(reader.ReadData(piece, 6), 4);
    EXPECT_EQ(reader.ReadData(piece, 6), 0);

    reader.selectNextTrack();
    EXPECT_TRUE(reader.endOfTracks());
}

} // namespace
