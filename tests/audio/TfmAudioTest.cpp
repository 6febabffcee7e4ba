// The audio window the tools use: loading a recording as working PCM, writing it back in its
// own format without risking the recording, and playing PCM from memory.
#include "audio/out/TfmAudio.h"
#include "audio/TdeRIFFAudioReader.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAudioDevice>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "FileSizeLimit.h"
#include "ScriptedWaveOut.h"
#include "TestWavFiles.h"

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString soxInfo(const QString &option, const QString &path)
{
    QProcess soxi;
    soxi.start("soxi", {option, path});
    soxi.waitForFinished(30000);
    return QString::fromUtf8(soxi.readAllStandardOutput()).trimmed();
}

class TfmAudioTest : public ::testing::Test
{
protected:
    QString speech(std::uint16_t tag, double seconds, std::uint16_t bits = 0)
    {
        const QString path = dir.filePath(QString("speech-%1.wav").arg(tag));
        EXPECT_TRUE(testaudio::writeSpeechWav(path, tag, seconds, bits));
        return path;
    }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    ScriptedWaveOutState device;
    TfmAudio audio{messages, std::make_unique<ScriptedWaveOut>(device)};
};

TEST_F(TfmAudioTest, LoadsRecordingsOfEveryCompressionAsWorkingPcm)
{
    struct Case
    {
        std::uint16_t tag, bits;
    };
    for (const Case c : {Case{1, 8}, Case{1, 16}, Case{6, 8}, Case{7, 8}, Case{0x11, 4}, Case{2, 4},
                         Case{0x31, 0}}) {
        SCOPED_TRACE(c.tag);
        QBuffer pcm;
        pcm.open(QIODevice::ReadWrite);
        ASSERT_TRUE(audio.LoadWav(speech(c.tag, 1.0, c.bits), pcm));
        EXPECT_NEAR(pcm.size(), 8000, 700) << "one second at 8000 one-byte samples";
        // The signal is there: samples spread around the zero line, not silence.
        int loud = 0;
        for (char s : pcm.data())
            loud += std::abs(int(std::uint8_t(s)) - 128) > 20 ? 1 : 0;
        EXPECT_GT(loud, 1000);
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(TfmAudioTest, AFileItCannotReadIsReportedOnce)
{
    QFile junk(dir.filePath("junk.wav"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(100, 'x'));
    junk.close();
    for (const QString &path : {junk.fileName(), dir.filePath("missing.wav")}) {
        messages.texts.clear();
        QBuffer pcm;
        pcm.open(QIODevice::ReadWrite);
        EXPECT_FALSE(audio.LoadWav(path, pcm));
        EXPECT_EQ(messages.texts, QStringList{"Error was created during pcm conversion"});
        EXPECT_EQ(pcm.size(), 0);
        EXPECT_FALSE(audio.pcmConverter1.Active());
    }
}

TEST_F(TfmAudioTest, SavesInPiecesOf2048InTheFormatOfTheFileLoaded)
{
    const QString path = speech(0x11, 1.0, 4);
    QBuffer loaded;
    loaded.open(QIODevice::ReadWrite);
    ASSERT_TRUE(audio.LoadWav(path, loaded));

    QBuffer pcm;
    pcm.open(QIODevice::ReadWrite);
    pcm.write(loaded.data().left(5000));
    std::vector<qint64> pieces;
    audio.onConverterFed = [&](qint64 n) { pieces.push_back(n); };
    ASSERT_TRUE(audio.SaveWav(path, pcm)) << audio.saveError().toStdString();
    EXPECT_EQ(pieces, (std::vector<qint64>{2048, 2048, 904}));
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(soxInfo("-e", path), "IMA ADPCM");
    EXPECT_EQ(soxInfo("-r", path), "8000");
    EXPECT_NEAR(soxInfo("-D", path).toDouble(), 5000 / 8000.0, 0.07);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "nothing is left beside the recording";
}

TEST_F(TfmAudioTest, AFailedSaveLeavesTheRecordingAsItWas)
{
    const QString path = speech(1, 2.0, 8);
    QBuffer loaded;
    loaded.open(QIODevice::ReadWrite);
    ASSERT_TRUE(audio.LoadWav(path, loaded));
    const QByteArray before = fileBytes(path);

    QBuffer louder;
    louder.open(QIODevice::ReadWrite);
    louder.write(QByteArray(32000, char(200))); // four seconds: more than the disk takes
    {
        FileSizeLimit limit(20000);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(audio.SaveWav(path, louder));
    }
    EXPECT_FALSE(audio.saveError().isEmpty());
    EXPECT_TRUE(messages.texts.isEmpty()) << "the caller tells the user";
    EXPECT_EQ(fileBytes(path), before) << "the recording is untouched";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no partial file is left beside it";

    QBuffer empty;
    empty.open(QIODevice::ReadWrite);
    EXPECT_FALSE(audio.SaveWav(path, empty)) << "an empty stream would leave no recording";
    EXPECT_EQ(fileBytes(path), before);
}

TEST_F(TfmAudioTest, PlayStreamStartsTheDeviceWithFiveBlocksAndClosesAfterTheLast)
{
    QBuffer pcm;
    pcm.open(QIODevice::ReadWrite);
    QByteArray bytes;
    for (int i = 0; i < 12000; ++i)
        bytes += char(i % 100);
    pcm.write(bytes);
    audio.PlayStream(pcm);
    ASSERT_EQ(device.writtenBytes.size(), 5u) << "the fifth block starts the device";
    EXPECT_EQ(audio.AudioOut.QueuedBuffers(), 5);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(device.writtenBytes[1].data()), 2048),
              bytes.mid(2048, 2048));

    ScriptedWaveOut::playOne(device);
    QCoreApplication::processEvents();
    ASSERT_EQ(device.writtenBytes.size(), 6u) << "the played block is refilled";
    const std::vector<std::uint8_t> &last = device.writtenBytes[5];
    ASSERT_EQ(last.size(), 2048u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(last.data()), 1760), bytes.mid(10240));
    EXPECT_EQ(last[1760], 0x80) << "the unread tail is the zero line";
    EXPECT_EQ(last[2047], 0x80);

    while (!device.written.empty() && audio.AudioOut.Active()) {
        ScriptedWaveOut::playOne(device);
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(audio.AudioOut.Active()) << "closed once the last block has played";
    EXPECT_EQ(device.writtenBytes.size(), 6u);

    // A stream shorter than five blocks still starts the device.
    QBuffer shortStream;
    shortStream.open(QIODevice::ReadWrite);
    shortStream.write(QByteArray(3000, char(10)));
    audio.PlayStream(shortStream);
    EXPECT_EQ(device.writtenBytes.size(), 11u);
    audio.AudioClose();
    EXPECT_FALSE(audio.AudioOut.Active());
}

TEST(TfmAudioSinkTest, PlaysAStreamThroughTheSoundServerAndClosesByItself)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
    ScriptedMessageService messages;
    TfmAudio audio(messages);
    QBuffer pcm;
    pcm.open(QIODevice::ReadWrite);
    pcm.write(QByteArray(3000, char(128)));
    audio.PlayStream(pcm);
    EXPECT_TRUE(audio.AudioOut.Active());
    ASSERT_TRUE(Waits::waitUntil([&] { return !audio.AudioOut.Active(); }, 5000));
    EXPECT_TRUE(messages.texts.isEmpty());
}

} // namespace
