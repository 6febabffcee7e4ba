// Our WAV files against sox, and WAV files of sox and ffmpeg against our reader and codecs.
#include "AudioTestSignals.h"

#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "audio/codecs/CodecLayer.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testaudio;
using codecs::Tag::Gsm610;
using codecs::Tag::ImaAdpcm;
using codecs::Tag::MsAdpcm;
using codecs::Tag::MuLaw;
using codecs::Tag::Pcm;

namespace {

QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return p.readAllStandardOutput();
}

TdeWaveFormat record(const codecs::FormatBlock &block)
{
    TdeWaveFormat f;
    f.Buffer() = block;
    return f;
}

// Converts 16-bit frames into `out` and writes them with our RIFF writer, in the 2048-byte
// pieces the recording uses.
void writeWav(const QString &path, const TdeWaveFormat &out,
              const std::vector<std::int16_t> &frames, std::uint32_t rate, std::uint16_t channels)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    TdeRIFFAudioWriter writer(file);
    writer.setFormat(out);
    TdeAudioConvertor c;
    c.setFormatIn(record(format(Pcm, rate, channels, 16)));
    c.setFormatOut(out);
    c.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *data, qint64 size) {
        writer.Write(data, size);
    };
    c.Open();
    const std::vector<std::uint8_t> bytes = toBytes(frames);
    for (std::size_t at = 0; at < bytes.size(); at += 2048)
        c.Convert(bytes.data() + at, qint64(std::min<std::size_t>(2048, bytes.size() - at)));
    c.flush();
    c.Close();
    writer.complete();
}

struct Decoded
{
    TdeWaveFormat format;
    std::vector<std::int16_t> samples;
};

// Reads a WAV file with our reader and decodes it to 16-bit PCM of its rate and channels.
Decoded readWav(const QString &path)
{
    Decoded d;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    TdeRIFFAudioReader reader(file);
    d.format = reader.getFormat();
    TdeAudioConvertor c;
    c.setFormatIn(d.format);
    c.setFormatOut(record(format(Pcm, d.format.SamplesPerSec(), d.format.Channels(), 16)));
    std::vector<std::uint8_t> out;
    c.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *data, qint64 size) {
        out.insert(out.end(), data, data + size);
    };
    c.Open();
    reader.SelectTrack(0);
    std::vector<char> piece(4096);
    for (qint64 n; (n = reader.ReadData(piece.data(), qint64(piece.size()))) > 0;)
        c.Convert(piece.data(), n);
    c.flush();
    d.samples = toSamples(out);
    return d;
}

std::vector<std::int16_t> soxDecode(const QString &path)
{
    const QByteArray raw = run("sox", {path, "-t", "raw", "-e", "signed", "-b", "16", "-"});
    return toSamples(std::vector<std::uint8_t>(raw.begin(), raw.end()));
}

bool haveTool(const char *name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

struct Written
{
    const char *name;
    std::uint16_t tag;
    std::uint32_t rate;
    std::uint16_t channels;
    std::uint16_t bits;
    double minSnrDb; // our decoding of our file against the source (see CodecTest)
};

TEST(InteropTest, SoxDecodesEveryFormatWeWrite)
{
    if (!haveTool("sox"))
        GTEST_SKIP() << "sox is not installed";
    QTemporaryDir dir;
    const Written cases[] = {
        {"pcm8", Pcm, 8000, 1, 8, 30},
        {"pcm16", Pcm, 11025, 2, 16, 100},
        {"alaw", codecs::Tag::ALaw, 8000, 1, 0, 30},
        {"ulaw", MuLaw, 8000, 2, 0, 30},
        {"ima", ImaAdpcm, 8000, 1, 0, 20},
        {"ima stereo", ImaAdpcm, 22050, 2, 0, 20},
        {"ms", MsAdpcm, 8000, 1, 0, 20},
        {"ms stereo", MsAdpcm, 11025, 2, 0, 20},
        {"gsm", Gsm610, 8000, 1, 0, 8},
    };
    for (const Written &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString(c.name).replace(' ', '_') + ".wav");
        const std::vector<std::int16_t> source =
            speechLike(c.rate, c.rate * 3 / 2 + 41, c.channels);
        writeWav(path, record(format(c.tag, c.rate, c.channels, c.bits)), source, c.rate,
                 c.channels);

        const Decoded ours = readWav(path);
        const std::size_t frames = ours.samples.size() / c.channels;
        const std::uint32_t spb = codecs::samplesPerBlock(ours.format.Buffer());
        EXPECT_GE(frames, source.size() / c.channels);
        EXPECT_LT(frames, source.size() / c.channels + spb);
        EXPECT_GE(snrDb(source, ours.samples), c.minSnrDb);

        EXPECT_EQ(run("soxi", {"-s", path}).trimmed().toULongLong(), frames);
        EXPECT_EQ(run("soxi", {"-c", path}).trimmed().toInt(), c.channels);
        EXPECT_EQ(soxDecode(path), ours.samples) << "sox reads the same samples";
    }
}

// The data chunk of a WAV file as our reader finds it.
QByteArray dataOf(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    TdeRIFFAudioReader reader(file);
    QByteArray data(int(reader.AvailableSize()), '\0');
    reader.ReadTrack(0, data.data(), data.size());
    return data;
}

TEST(InteropTest, OurGsmBytesAreThoseOfSox)
{
    if (!haveTool("sox"))
        GTEST_SKIP() << "sox is not installed";
    // Both go through libgsm in the WAV49 framing, so the frames must agree bit for bit.
    QTemporaryDir dir;
    const QString source = dir.filePath("source.wav");
    const QString ours = dir.filePath("ours.wav");
    const QString theirs = dir.filePath("theirs.wav");
    const std::vector<std::int16_t> speech = speechLike(8000, 320 * 50);
    writeWav(source, record(format(Pcm, 8000, 1, 16)), speech, 8000, 1);
    writeWav(ours, record(format(Gsm610, 8000, 1)), speech, 8000, 1);
    run("sox", {source, "-e", "gsm-full-rate", theirs});
    const QByteArray data = dataOf(ours);
    EXPECT_EQ(data.size(), 50 * 65);
    EXPECT_EQ(data, dataOf(theirs));
}

struct Foreign
{
    const char *name;
    const char *tool;    // "sox" or "ffmpeg"
    QStringList options; // encoder options
    std::uint16_t tag;
    std::uint16_t channels;
};

TEST(InteropTest, WeDecodeWhatSoxAndFfmpegWriteAsSoxDoes)
{
    if (!haveTool("sox") || !haveTool("ffmpeg"))
        GTEST_SKIP() << "sox or ffmpeg is not installed";
    QTemporaryDir dir;
    const QString mono = dir.filePath("mono.wav");
    const QString stereo = dir.filePath("stereo.wav");
    writeWav(mono, record(format(Pcm, 8000, 1, 16)), speechLike(8000, 12345), 8000, 1);
    writeWav(stereo, record(format(Pcm, 11025, 2, 16)), speechLike(11025, 12345, 2), 11025, 2);
    const QByteArray encoders = run("ffmpeg", {"-hide_banner", "-encoders"});

    const Foreign cases[] = {
        {"sox u8", "sox", {"-e", "unsigned", "-b", "8"}, Pcm, 1},
        {"sox s16", "sox", {"-e", "signed", "-b", "16"}, Pcm, 2},
        {"sox u-law", "sox", {"-e", "u-law"}, MuLaw, 1},
        {"sox a-law", "sox", {"-e", "a-law"}, codecs::Tag::ALaw, 2},
        {"sox ima", "sox", {"-e", "ima-adpcm"}, ImaAdpcm, 1},
        {"sox ima stereo", "sox", {"-e", "ima-adpcm"}, ImaAdpcm, 2},
        {"sox ms", "sox", {"-e", "ms-adpcm"}, MsAdpcm, 1},
        {"sox ms stereo", "sox", {"-e", "ms-adpcm"}, MsAdpcm, 2},
        {"sox gsm", "sox", {"-e", "gsm-full-rate"}, Gsm610, 1},
        {"ffmpeg u8", "ffmpeg", {"pcm_u8"}, Pcm, 2},
        {"ffmpeg s16", "ffmpeg", {"pcm_s16le"}, Pcm, 1},
        {"ffmpeg alaw", "ffmpeg", {"pcm_alaw"}, codecs::Tag::ALaw, 1},
        {"ffmpeg mulaw", "ffmpeg", {"pcm_mulaw"}, MuLaw, 2},
        {"ffmpeg ima", "ffmpeg", {"adpcm_ima_wav"}, ImaAdpcm, 1},
        {"ffmpeg ima stereo", "ffmpeg", {"adpcm_ima_wav"}, ImaAdpcm, 2},
        {"ffmpeg ms", "ffmpeg", {"adpcm_ms"}, MsAdpcm, 1},
        {"ffmpeg ms stereo", "ffmpeg", {"adpcm_ms"}, MsAdpcm, 2},
        {"ffmpeg gsm", "ffmpeg", {"libgsm_ms"}, Gsm610, 1},
    };
    int index = 0;
    for (const Foreign &c : cases) {
        SCOPED_TRACE(c.name);
        const QString in = c.channels == 1 ? mono : stereo;
        const QString out = dir.filePath(QStringLiteral("foreign%1.wav").arg(index++));
        if (QString(c.tool) == "sox") {
            run("sox", QStringList{in} + c.options + QStringList{out});
        } else {
            if (!encoders.contains(" " + c.options.first().toLatin1() + " ")) {
                std::printf("ffmpeg has no %s encoder; case skipped\n",
                            qPrintable(c.options.first()));
                continue;
            }
            run("ffmpeg", {"-y", "-loglevel", "error", "-i", in, "-c:a", c.options.first(), out});
        }
        const Decoded ours = readWav(out);
        EXPECT_EQ(ours.format.FormatTag(), c.tag);
        EXPECT_EQ(ours.format.Channels(), c.channels);
        const std::vector<std::int16_t> theirs = soxDecode(out);
        ASSERT_FALSE(theirs.empty());
        // sox stops at the sample count of the "fact" chunk; we decode the whole last block.
        const std::uint32_t spb = codecs::samplesPerBlock(ours.format.Buffer());
        ASSERT_GE(ours.samples.size(), theirs.size());
        EXPECT_LT(ours.samples.size(), theirs.size() + std::size_t(spb) * c.channels);
        EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), ours.samples.begin()))
            << "decoded samples differ from sox's";
    }
}

} // namespace
