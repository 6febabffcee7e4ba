// calvora-wav gain and equalize on real WAV files: the samples sox decodes from the result,
// the compression kept or chosen, and failures that leave every file as it was.
#include "EqualizerExample.h"
#include "FileSizeLimit.h"

#include "audio/postproc/VoiceEqualizer.h"
#include "audio/postproc/VolumeLevel.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using equalizerexample::Bytes;

struct ProcessRun
{
    int code = -1;
    QByteArray out;
    QString err;
};

ProcessRun run(const QString &program, const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    ProcessRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

ProcessRun tool(const QStringList &args)
{
    return run(qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora-wav", args);
}

const QStringList RawUnsigned8 = {"-t", "raw", "-r",       "8000", "-c",
                                  "1",  "-e",  "unsigned", "-b",   "8"};

QByteArray bytesOf(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
}

// The samples of a WAV file as sox decodes them, as 8-bit unsigned at 8000 Hz mono.
QByteArray soxSamples8(const QString &path)
{
    const ProcessRun r = run("sox", QStringList{"-D", path} + RawUnsigned8 + QStringList{"-"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    return r.out;
}

// The samples of a WAV file as sox decodes them, as 16-bit signed.
std::vector<double> soxSamples16(const QString &path)
{
    const ProcessRun r = run("sox", {"-D", path, "-t", "raw", "-e", "signed", "-b", "16", "-"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    std::vector<double> samples;
    for (qsizetype i = 0; i + 1 < r.out.size(); i += 2)
        samples.push_back(std::int16_t(quint8(r.out[i]) | (quint8(r.out[i + 1]) << 8)));
    return samples;
}

QString soxEncoding(const QString &path)
{
    return QString::fromLocal8Bit(run("soxi", {"-e", path}).out).trimmed();
}

class ProcessToolTest : public ::testing::Test
{
protected:
    // An 8-bit unsigned PCM WAV file holding exactly samples, written by sox.
    QString pcmFile(const QString &name, const QByteArray &samples)
    {
        QString path = dir.filePath(name);
        const ProcessRun r = run("sox", RawUnsigned8 + QStringList{"-", path}, samples);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return path;
    }

    QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList filesInDir() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
};

TEST_F(ProcessToolTest, GainGivesEachSampleTheVolumeLevelsValueInTheInputsFormat)
{
    QByteArray samples;
    for (int i = 0; i < 40; ++i)
        for (int b = 0; b < 256; ++b)
            samples.append(char(b));
    const QString in = pcmFile("in.wav", samples);
    const struct
    {
        int percent;
        int in, out;
    } cases[] = {{100, 200, 255}, {-50, 130, 129}, {50, 137, 142}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.percent);
        const QString out = dir.filePath("out.wav");
        const ProcessRun r = tool({"gain", QString::number(c.percent), in, out});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(soxEncoding(out), "Unsigned Integer PCM");
        const QByteArray result = soxSamples8(out);
        ASSERT_EQ(result.size(), samples.size());
        EXPECT_EQ(quint8(result[c.in]), c.out);
        const VolumeLevel level(c.percent);
        for (qsizetype i = 0; i < samples.size(); ++i)
            ASSERT_EQ(quint8(result[i]), level.Sample(quint8(samples[i]))) << i;
    }
}

TEST_F(ProcessToolTest, GainRewritesAnImaAdpcmRecordingInPlaceInItsOwnCompression)
{
    const QString path = dir.filePath("call.wav");
    const ProcessRun made = run("sox", {"-n", "-r", "8000", "-c", "1", "-e", "ima-adpcm", path,
                                        "synth", "3", "sine", "300", "sine", "1100", "vol", "0.3"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const std::vector<double> before = soxSamples16(path);

    const ProcessRun r = tool({"gain", "50", path, path});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(filesInDir(), QStringList{"call.wav"});
    EXPECT_EQ(soxEncoding(path), "IMA ADPCM");
    const std::vector<double> after = soxSamples16(path);
    ASSERT_NEAR(double(after.size()), double(before.size()), 1010); // whole 505-sample blocks
    // 1.5 times as loud, give or take what 8-bit samples and the codec round away.
    double sumBefore = 0, sumAfter = 0, sumCross = 0;
    const std::size_t n = std::min(before.size(), after.size());
    for (std::size_t i = 0; i < n; ++i) {
        sumBefore += before[i] * before[i];
        sumAfter += after[i] * after[i];
        sumCross += before[i] * after[i];
    }
    EXPECT_NEAR(std::sqrt(sumAfter / sumBefore), 1.5, 0.05);
    EXPECT_GT(sumCross / std::sqrt(sumBefore * sumAfter), 0.99); // the same signal
}

TEST_F(ProcessToolTest, WritesTheFormatAskedFor)
{
    QByteArray samples;
    for (int b = 0; b < 256; ++b)
        samples.append(char(b));
    const QString in = pcmFile("in.wav", samples);
    const QString out = dir.filePath("out.wav");
    const ProcessRun r = tool({"gain", "--format", "ulaw", "--", "-50", in, out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(soxEncoding(out), "u-law");
    const QByteArray result = soxSamples8(out);
    ASSERT_EQ(result.size(), 256);
    EXPECT_EQ(quint8(result[127]), 127);
    // Each sample is the gain's value within mu-law's step, 4 8-bit units at the loudest.
    const VolumeLevel level(-50);
    for (int b = 0; b < 256; ++b)
        EXPECT_NEAR(quint8(result[b]), level.Sample(quint8(b)), 4) << b;
}

TEST_F(ProcessToolTest, EqualizeRaisesTheQuietRunAsWorkedOut)
{
    const QString in = pcmFile("in.wav", bytesOf(equalizerexample::recording()));
    const QString out = dir.filePath("out.wav");
    const ProcessRun r = tool({"equalize", in, out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("1 of 1 runs of speech raised")) << r.out.toStdString();
    EXPECT_EQ(soxEncoding(out), "Unsigned Integer PCM");
    EXPECT_EQ(soxSamples8(out), bytesOf(equalizerexample::equalized()));
}

TEST_F(ProcessToolTest, FailuresLeaveEveryFileAsItWas)
{
    const QString silence = pcmFile("silence.wav", QByteArray(4000, char(127)));
    const QString out = pcmFile("out.wav", bytesOf(equalizerexample::recording()));
    const QByteArray outBefore = contents(out);

    const ProcessRun noVoice = tool({"equalize", silence, out});
    EXPECT_EQ(noVoice.code, 1);
    EXPECT_TRUE(noVoice.err.contains(VoiceEqualizer::NoVoiceMessage)) << noVoice.err.toStdString();

    const ProcessRun badGain = tool({"gain", "101", silence, out});
    EXPECT_EQ(badGain.code, 2);
    EXPECT_TRUE(badGain.err.contains("from -50 to 100")) << badGain.err.toStdString();

    const ProcessRun badFormat = tool({"equalize", "--format", "mp3", out, out});
    EXPECT_EQ(badFormat.code, 2);

    const ProcessRun notWav = tool({"gain", "10", dir.filePath("missing.wav"), out});
    EXPECT_EQ(notWav.code, 1);

    {
        // A disk that fills up while the result is written: the recording stays whole.
        FileSizeLimit limit(quint64(outBefore.size()) / 2);
        ASSERT_TRUE(limit.active());
        const ProcessRun full = tool({"equalize", out, out});
        EXPECT_EQ(full.code, 1);
        EXPECT_FALSE(full.err.isEmpty());
    }
    EXPECT_EQ(contents(out), outBefore);
    EXPECT_EQ(filesInDir(), (QStringList{"out.wav", "silence.wav"}));
}

} // namespace
