// calvora-wav as a user runs it: listing, describing, converting, and failing cleanly.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int code = -1;
    QString out;
    QString err;
};

ToolRun tool(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora-wav", args);
    ToolRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

class ToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One second of a tone as 8-bit PCM, written by sox.
        source = dir.filePath("tone.wav");
        QProcess sox;
        sox.start("sox", {"-n", "-r", "8000", "-c", "1", "-b", "8", "-e", "unsigned", source,
                          "synth", "1", "sine", "440"});
        ASSERT_TRUE(sox.waitForFinished(30000));
        ASSERT_EQ(sox.exitCode(), 0);
    }

    QStringList filesInDir() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    QString source;
};

TEST_F(ToolTest, ListsEveryCodecAndItsFormats)
{
    const ToolRun r = tool({"formats"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    for (const char *line : {"PCM - ", "IMA ADPCM - ", "MS-ADPCM - ", "CCITT A-Law - ",
                             "CCITT u-Law - ", "GSM 6.10 - ",
                             "ima-adpcm:8000:4:1     IMA ADPCM: 8.000 kHz, 4 Bit, Mono, 4055 "
                             "bytes/s",
                             "gsm:44100:0:1          GSM 6.10: 44.100 kHz, Mono"})
        EXPECT_TRUE(r.out.contains(line)) << line;
    EXPECT_EQ(r.out.count('\n'), 6 + 52);
}

TEST_F(ToolTest, ConvertsAndDescribesTheResult)
{
    const QString ima = dir.filePath("tone-ima.wav");
    const ToolRun c = tool({"convert", "--to", "ima-adpcm:8000:4:1", source, ima});
    ASSERT_EQ(c.code, 0) << c.err.toStdString();
    const ToolRun info = tool({"info", ima});
    ASSERT_EQ(info.code, 0);
    EXPECT_EQ(info.out, "Format:       IMA ADPCM (tag 0x0011)\n"
                        "Description:  IMA ADPCM: 8.000 kHz, 4 Bit, Mono, 4055 bytes/s\n"
                        "Rate:         8000 Hz\n"
                        "Bits:         4\n"
                        "Channels:     1\n"
                        "Block align:  256\n"
                        "Data size:    4096 bytes\n"
                        "Duration:     1.010 s\n");

    // Back to PCM at another rate, in stereo: the duration is kept.
    const QString wide = dir.filePath("tone-44k.wav");
    ASSERT_EQ(tool({"convert", "--to=pcm:44100:16:2", ima, wide}).code, 0);
    EXPECT_TRUE(tool({"info", wide}).out.contains("Duration:     1.010 s"));
    EXPECT_EQ(filesInDir(), QStringList({"tone-44k.wav", "tone-ima.wav", "tone.wav"}));
    // Permissions of an ordinary new file, not those of the private file written first.
    EXPECT_EQ(QFile::permissions(ima), QFile::permissions(source));
}

TEST_F(ToolTest, FailuresNameTheProblemAndLeaveNoFile)
{
    const QString garbage = dir.filePath("garbage.wav");
    QFile g(garbage);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(QByteArray(100, 'x'));
    g.close();
    QFile(dir.filePath("empty.wav")).open(QIODevice::WriteOnly);
    // The tone with a format tag (MPEG layer 3) no codec of ours reads.
    QFile::copy(source, dir.filePath("mp3tag.wav"));
    QFile tagged(dir.filePath("mp3tag.wav"));
    ASSERT_TRUE(tagged.open(QIODevice::ReadWrite));
    tagged.seek(20);
    tagged.write(QByteArray("\x55\x00", 2));
    tagged.close();
    const QString notRiff = "Invalid file format.\ncalvora-wav: The file does not begin as a RIFF "
                            "WAVE file.";
    const QString out = dir.filePath("out.wav");
    struct Case
    {
        QStringList args;
        int code;
        QString message;
    };
    const Case cases[] = {
        {{"convert", "--to", "mp3", source, out}, 2, "unknown format \"mp3\""},
        {{"convert", "--to", "gsm:8000:0:2", source, out}, 2, "no gsm format with 8000 Hz"},
        {{"convert", "--to", "pcm:8000:x", source, out}, 2, "bad format"},
        {{"convert", "--to", "pcm", garbage, out}, 1, "garbage.wav: " + notRiff},
        {{"gain", "50", garbage, out}, 1, "garbage.wav: " + notRiff},
        {{"equalize", garbage, out}, 1, "garbage.wav: " + notRiff},
        {{"convert", "--to", "pcm", dir.filePath("empty.wav"), out},
         1,
         "empty.wav: Invalid file format.\ncalvora-wav: The file is empty."},
        {{"convert", "--to", "gsm", dir.filePath("mp3tag.wav"), out},
         1,
         "mp3tag.wav: The requested operation cannot be performed.\ncalvora-wav: no codec "
         "converts its format ("},
        {{"convert", "--to", "pcm", dir.filePath("missing.wav"), out}, 1, "cannot open"},
        {{"convert", "--to", "pcm", source, dir.filePath("no/such/dir/out.wav")},
         1,
         "cannot create"},
        {{"info", garbage}, 1, notRiff},
        {{"convert", source, out}, 2, "usage"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_EQ(filesInDir(), QStringList({"empty.wav", "garbage.wav", "mp3tag.wav", "tone.wav"}));
}

} // namespace
