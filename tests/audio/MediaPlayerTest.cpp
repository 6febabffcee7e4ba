// The media player on real files of every compression, through the sound server's null sink:
// length, position, pause, seek, resume and the end, and the sound that reaches the server.
#include "audio/out/MediaPlayer.h"
#include "audio/EACMError.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"
#include "support/Waits.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SinkMonitor.h"
#include "TestWavFiles.h"

namespace {

using Mode = MediaPlayer::Mode;

struct Compression
{
    const char *name;
    std::uint16_t tag;
    std::uint16_t bits;
};

const Compression Compressions[] = {
    {"PCM 8-bit", 1, 8},    {"PCM 16-bit", 1, 16}, {"A-law", 6, 8},      {"mu-law", 7, 8},
    {"IMA ADPCM", 0x11, 4}, {"MS ADPCM", 2, 4},    {"GSM 6.10", 0x31, 0}};

// The file decoded by the codec layer, as the player should play it, in the sink's 8-bit form.
std::vector<double> decoded(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    TdeRIFFAudioReader reader(file);
    TdeAudioConvertor convertor;
    convertor.setFormatIn(reader.TrackFormat(0));
    TdeWaveFormat pcm;
    pcm.Buffer() = testaudio::format(1, 8000, 1, 16);
    convertor.setFormatOut(pcm);
    std::vector<double> out;
    convertor.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *data, qint64 n) {
        for (qint64 i = 0; i + 1 < n; i += 2)
            out.push_back(double(std::int16_t(data[i] | (data[i + 1] << 8))) / 256.0);
    };
    convertor.Open();
    QByteArray bytes(int(reader.AvailableSize()), 0);
    reader.ReadData(bytes.data(), bytes.size());
    convertor.Convert(bytes.constData(), bytes.size());
    convertor.flush();
    return out;
}

class MediaPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
    }
    QString file(const Compression &c, double seconds)
    {
        const QString path = dir.filePath(QString("%1.wav").arg(c.name));
        EXPECT_TRUE(testaudio::writeSpeechWav(path, c.tag, seconds, c.bits)) << c.name;
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(MediaPlayerTest, PlaysPausesSeeksResumesAndStopsAtTheEnd)
{
    MediaPlayer player;
    player.FileName = file(Compressions[4], 1.2);
    EXPECT_EQ(player.mode(), Mode::NotReady);
    player.Open();
    EXPECT_EQ(player.mode(), Mode::Stopped);
    EXPECT_NEAR(player.Length(), 1200, 70);
    EXPECT_EQ(player.Position(), 0);

    player.Play();
    EXPECT_EQ(player.mode(), Mode::Playing);
    // A busy machine may take a moment before the sound server takes the first block.
    EXPECT_TRUE(Waits::waitUntil([&] { return player.Position() > 100; }, 3000));
    const qint64 playing = player.Position();
    EXPECT_GT(playing, 100);
    EXPECT_LT(playing, 700);

    player.Pause();
    EXPECT_EQ(player.mode(), Mode::Paused);
    const qint64 paused = player.Position();
    Waits::waitMs(200);
    EXPECT_EQ(player.Position(), paused) << "a paused player stands still";
    player.Pause();
    EXPECT_EQ(player.mode(), Mode::Paused);

    player.Resume();
    EXPECT_EQ(player.mode(), Mode::Playing);
    Waits::waitMs(100);
    EXPECT_GE(player.Position(), paused);

    EXPECT_TRUE(player.Seek(200));
    EXPECT_EQ(player.mode(), Mode::Stopped) << "a seek stops the player";
    EXPECT_NEAR(player.Position(), 200, 64) << "at the codec block holding the position";
    EXPECT_FALSE(player.Seek(-500));
    EXPECT_FALSE(player.Seek(player.Length() + 1));
    EXPECT_NEAR(player.Position(), 200, 64) << "a refused seek moves nothing";

    EXPECT_TRUE(player.Seek(900));
    player.Resume();
    EXPECT_EQ(player.mode(), Mode::Playing);
    ASSERT_TRUE(Waits::waitUntil([&] { return player.mode() == Mode::Stopped; }, 3000));
    EXPECT_EQ(player.Position(), player.Length());
    player.Close();
    EXPECT_EQ(player.mode(), Mode::NotReady);
}

TEST_F(MediaPlayerTest, OpenFailuresCarryANumberAndAText)
{
    MediaPlayer player;
    player.FileName = dir.filePath("missing.wav");
    try {
        player.Open();
        FAIL() << "a missing file opened";
    } catch (const MediaPlayerError &e) {
        EXPECT_EQ(e.number(), MediaPlayer::FileNotFound);
        EXPECT_FALSE(e.text().isEmpty());
    }
    QFile junk(dir.filePath("junk.wav"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("RIFF this is no wave file at all");
    junk.close();
    player.FileName = junk.fileName();
    EXPECT_THROW(player.Open(), MediaPlayerError);
    EXPECT_EQ(player.mode(), Mode::NotReady);
    EXPECT_THROW(player.Play(), MediaPlayerError) << "nothing is open";
    EXPECT_EQ(MediaPlayer::ErrorText(12345), "Unknown error code");
}

// What the sound server receives is the file's decoded signal, for every compression. The
// server resamples it to its own rate and back for the recording, which costs some of the
// match; a wrong rate, sample format or byte order, or silence, would leave none.
TEST_F(MediaPlayerTest, TheSoundServerReceivesTheDecodedSignalOfEveryCompression)
{
    SinkMonitor monitor;
    ASSERT_TRUE(monitor.start()) << "the sink's monitor cannot be recorded";
    for (const Compression &c : Compressions) {
        SCOPED_TRACE(c.name);
        const QString path = file(c, 0.4);
        const std::size_t before = monitor.samples().size();
        MediaPlayer player;
        player.FileName = path;
        player.OutputDevice = monitor.sinkId();
        player.Open();
        player.Play();
        ASSERT_TRUE(Waits::waitUntil([&] { return player.mode() == Mode::Stopped; }, 3000));
        Waits::waitMs(150); // the server's latency
        const std::vector<double> all = monitor.samples();
        const std::vector<double> heard(all.begin() + std::ptrdiff_t(before), all.end());
        const std::vector<double> signal = decoded(path);
        ASSERT_GE(signal.size(), 3100u);
        // The middle of the signal, clear of the edges the resampler smooths.
        const std::vector<double> middle(signal.begin() + 500, signal.end() - 500);
        EXPECT_GT(SinkMonitor::bestCorrelation(heard, middle), 0.75);
        auto rms = [](const std::vector<double> &v) {
            double sum = 0;
            for (double x : v)
                sum += x * x;
            return std::sqrt(sum / double(std::max<std::size_t>(1, v.size())));
        };
        double loudest = 0; // the heard sound's level where the signal plays
        for (std::size_t at = 0; at + middle.size() <= heard.size(); at += 200)
            loudest = std::max(loudest, rms({heard.begin() + std::ptrdiff_t(at),
                                             heard.begin() + std::ptrdiff_t(at + middle.size())}));
        EXPECT_NEAR(loudest / rms(middle), 1.0, 0.3) << "played at full volume";
    }
}

// After a seek the sound comes from the new place at once, not from audio the sink read ahead:
// sound, then silence, and a seek from the sound into the silence must silence the server.
TEST_F(MediaPlayerTest, AfterASeekTheServerHearsTheNewPlace)
{
    std::vector<std::int16_t> samples = testaudio::speechLike(8000, 16000);
    std::fill(samples.begin() + 8000, samples.end(), std::int16_t(0));
    const std::vector<std::uint8_t> bytes = testaudio::toBytes(samples);
    const QString path = dir.filePath("half.wav");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        TdeRIFFAudioWriter writer(f);
        TdeWaveFormat pcm;
        pcm.Buffer() = testaudio::format(1, 8000, 1, 16);
        writer.setFormat(pcm);
        writer.Write(bytes.data(), qint64(bytes.size()));
        writer.complete();
    }
    SinkMonitor monitor;
    ASSERT_TRUE(monitor.start()) << "the sink's monitor cannot be recorded";
    MediaPlayer player;
    player.FileName = path;
    player.OutputDevice = monitor.sinkId();
    player.Open();
    player.Play();
    Waits::waitMs(200);
    ASSERT_TRUE(player.Seek(1200));
    player.Resume();
    const std::size_t seekAt = monitor.samples().size();
    Waits::waitMs(500);
    const std::vector<double> heard = monitor.samples();
    ASSERT_GT(heard.size(), seekAt + 3000);
    double loudest = 0;
    // What the server still held at the seek may sound for its latency; after that, silence.
    for (std::size_t i = seekAt + 1600; i < heard.size(); ++i)
        loudest = std::max(loudest, std::abs(heard[i]));
    EXPECT_LT(loudest, 4.0);
}

} // namespace
