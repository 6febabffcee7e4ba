// The volume level and voice equaliser windows driven offscreen on WAV files made by sox:
// what each control enables, Apply, Play through the sound server's null sink, Save checked by
// decoding the file with sox, a failed Save that keeps the recording, and the clean-up on Close.
#include "../EqualizerExample.h"
#include "FileSizeLimit.h"

#include "audio/out/TfmAudio.h"
#include "audio/postproc/VoiceEqualizer.h"
#include "audio/postproc/VolumeLevel.h"
#include "audio/postproc/ui/TfmVoEqzer.h"
#include "audio/postproc/ui/TfmVolLevel.h"
#include "audio/postproc/ui/TrackBarScale.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMediaDevices>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QStringList RawUnsigned8 = {"-t", "raw", "-r",       "8000", "-c",
                                  "1",  "-e",  "unsigned", "-b",   "8"};

QByteArray runSox(const QStringList &args, const QByteArray &input = {})
{
    QProcess sox;
    sox.start("sox", args);
    sox.write(input);
    sox.closeWriteChannel();
    EXPECT_TRUE(sox.waitForFinished(30000));
    EXPECT_EQ(sox.exitCode(), 0) << sox.readAllStandardError().toStdString();
    return sox.readAllStandardOutput();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray bytesOf(const equalizerexample::Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
}

class PostprocWindowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
        trace.DisplayStreamData = [this](const QByteArray &stream) { drawn.append(stream); };
        trace.ClearTrace = [this] { ++clears; };
    }

    // An 8-bit unsigned PCM recording at 8000 Hz holding exactly samples, written by sox.
    QString recording(const QString &name, const QByteArray &samples)
    {
        const QString path = dir.filePath(name);
        runSox(RawUnsigned8 + QStringList{"-", path}, samples);
        return path;
    }

    // The samples of a WAV file as sox decodes them to 8-bit unsigned.
    static QByteArray decoded(const QString &path)
    {
        return runSox(QStringList{"-D", path} + RawUnsigned8 + QStringList{"-"});
    }

    // Play, then the timer notices the end of the sound and puts Play up again.
    static void playToTheEnd(PostprocWindow &w, TfmAudio &audio)
    {
        w.tbPlay->click();
        EXPECT_TRUE(w.tbPlay->isChecked());
        EXPECT_TRUE(w.Timer1.isActive());
        EXPECT_TRUE(audio.AudioOut.Active());
        EXPECT_TRUE(Waits::waitUntil([&] { return !w.tbPlay->isChecked(); }, 5000));
        EXPECT_FALSE(w.Timer1.isActive());
        EXPECT_FALSE(audio.AudioOut.Active());
    }

    // Every control of the window has an accessible name.
    static void expectAccessibleNames(QWidget &w)
    {
        for (QWidget *child : w.findChildren<QWidget *>()) {
            if (qobject_cast<QPushButton *>(child) || qobject_cast<QToolButton *>(child) ||
                qobject_cast<QSlider *>(child) || qobject_cast<QLabel *>(child) ||
                qobject_cast<QProgressBar *>(child)) {
                EXPECT_FALSE(child->accessibleName().isEmpty())
                    << child->objectName().toStdString();
            }
        }
    }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    TfmAudio audio{messages};
    MainTrace trace;
    QList<QByteArray> drawn;
    int clears = 0;
};

TEST_F(PostprocWindowsTest, VolumeLevelAppliesTwiceSavesAndCleansUpOnClose)
{
    // 8000 samples (a second) of a table of values, so the gauge moves every 80 bytes.
    const QByteArray table("\x00\x64\x7e\x7f\x80\x89\xc8\xff", 8);
    const QByteArray original = table.repeated(1000);
    const QString path = recording("call.wav", original);

    TfmVolLevel w(audio, messages, trace);
    EXPECT_EQ(w.windowTitle(), "Volume level");
    EXPECT_EQ(w.trbScale->labels(),
              QStringList({"100%", "75%", "50%", "25%", "0%", "-25%", "-50%"}));
    w.trb->setValue(30);
    ASSERT_TRUE(w.ShowForFile(path));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isModal());
    expectAccessibleNames(w);
    EXPECT_EQ(w.trb->value(), 0) << "every session starts at 0";
    EXPECT_EQ(w.Label1->text(), "0%");
    EXPECT_FALSE(w.btnApply->isEnabled()) << "nothing to apply before the bar moves";
    EXPECT_FALSE(w.btnSave->isEnabled());
    EXPECT_FALSE(w.Gauge1->isVisible());
    ASSERT_EQ(drawn.size(), 1);
    EXPECT_EQ(drawn.last(), original) << "the recording drawn as the main window's trace";

    w.trb->setValue(-20);
    EXPECT_EQ(w.Label1->text(), "-20%");
    EXPECT_TRUE(w.btnApply->isEnabled());
    EXPECT_FALSE(w.btnSave->isEnabled());

    w.trb->setValue(50);
    EXPECT_EQ(w.Label1->text(), "50%");
    QList<int> gauge;
    QObject::connect(w.Gauge1, &QProgressBar::valueChanged, [&](int v) {
        gauge.append(v);
        if (v > 0) {
            EXPECT_TRUE(w.Gauge1->isVisible());
            EXPECT_FALSE(w.isEnabled()) << "the window is disabled while Apply runs";
        }
    });
    w.btnApply->click();
    w.btnApply->click();
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(w.btnApply->isEnabled()) << "Apply stays enabled";
    EXPECT_TRUE(w.btnSave->isEnabled());
    EXPECT_FALSE(w.Gauge1->isVisible());
    EXPECT_EQ(w.Gauge1->value(), 0);
    EXPECT_GE(gauge.count(99), 2) << "the gauge runs up to 99 on each press";
    EXPECT_EQ(drawn.size(), 3) << "the trace is drawn again after each Apply";

    QByteArray expected = original;
    const VolumeLevel half(50);
    for (char &b : expected)
        b = char(half.Sample(half.Sample(quint8(b))));
    EXPECT_EQ(quint8(expected[5]), 149) << "137 becomes 142, then 149";
    EXPECT_EQ(w.stmWav.data(), expected);
    EXPECT_EQ(fileBytes(path).mid(44), original) << "nothing is written before Save";

    // Stop ends the sound; the timer then puts Play up.
    w.tbPlay->click();
    ASSERT_TRUE(audio.AudioOut.Active());
    w.tbStop->click();
    EXPECT_FALSE(audio.AudioOut.Active());
    EXPECT_TRUE(Waits::waitUntil([&] { return !w.tbPlay->isChecked(); }, 1000));
    EXPECT_FALSE(w.Timer1.isActive());

    w.btnSave->click();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_FALSE(w.btnSave->isEnabled()) << "Save disables itself once done";
    EXPECT_EQ(decoded(path), expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"call.wav"});

    // Closing in the middle of a playback stops it.
    w.tbPlay->click();
    ASSERT_TRUE(audio.AudioOut.Active());
    w.btnClose->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(audio.AudioOut.Active());
    EXPECT_FALSE(w.tbPlay->isChecked());
    EXPECT_FALSE(w.Timer1.isActive());
    EXPECT_EQ(clears, 1) << "the trace is cleared";
    EXPECT_EQ(w.stmWav.size(), 0) << "the samples are freed";
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(PostprocWindowsTest, VoiceEqualizerRaisesTheQuietSpeechAndSaves)
{
    const QByteArray original = bytesOf(equalizerexample::recording());
    const QString path = recording("call.wav", original);

    TfmVoEqzer w(audio, messages, trace);
    EXPECT_EQ(w.windowTitle(), "Voice equalizer");
    ASSERT_TRUE(w.ShowForFile(path));
    expectAccessibleNames(w);
    EXPECT_TRUE(w.btnApply->isEnabled());
    EXPECT_FALSE(w.btnSave->isEnabled());

    QList<int> gauge;
    QObject::connect(w.Gauge1, &QProgressBar::valueChanged, [&](int v) { gauge.append(v); });
    w.btnApply->click();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(w.btnSave->isEnabled());
    EXPECT_FALSE(w.Gauge1->isVisible());
    ASSERT_FALSE(gauge.isEmpty());
    EXPECT_GT(*std::max_element(gauge.begin(), gauge.end()), 50) << "both halves of the gauge";
    EXPECT_EQ(w.stmWav.data(), bytesOf(equalizerexample::equalized()));
    EXPECT_EQ(drawn.size(), 2);

    playToTheEnd(w, audio);
    w.btnSave->click();
    EXPECT_FALSE(w.btnSave->isEnabled());
    EXPECT_EQ(decoded(path), bytesOf(equalizerexample::equalized()));

    w.btnClose->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(clears, 1);
}

TEST_F(PostprocWindowsTest, ARecordingWithoutSpeechIsReportedAndLeftAlone)
{
    const QByteArray silence(1000, char(127));
    const QString path = recording("quiet.wav", silence);
    TfmVoEqzer w(audio, messages, trace);
    ASSERT_TRUE(w.ShowForFile(path));
    w.btnApply->click();
    EXPECT_EQ(messages.texts, QStringList{VoiceEqualizer::NoVoiceMessage});
    EXPECT_FALSE(w.btnSave->isEnabled()) << "nothing changed, nothing to save";
    EXPECT_FALSE(w.Gauge1->isVisible());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.stmWav.data(), silence);
    w.close();
}

TEST_F(PostprocWindowsTest, AFailedSaveKeepsTheRecordingAndSaveEnabled)
{
    const QByteArray original = QByteArray("\x70\x90", 2).repeated(4000);
    const QString path = recording("call.wav", original);
    const QByteArray before = fileBytes(path);
    TfmVolLevel w(audio, messages, trace);
    ASSERT_TRUE(w.ShowForFile(path));
    w.trb->setValue(100);
    w.btnApply->click();
    {
        // A disk that fills up half-way through the new file.
        FileSizeLimit full(4096);
        ASSERT_TRUE(full.active());
        w.btnSave->click();
    }
    EXPECT_EQ(messages.texts, QStringList{"Error was created during " + path + " file saving"});
    EXPECT_TRUE(w.btnSave->isEnabled()) << "the user can try again";
    EXPECT_EQ(fileBytes(path), before) << "the recording is intact";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"call.wav"})
        << "no half-written file is left";

    w.btnSave->click();
    EXPECT_FALSE(w.btnSave->isEnabled());
    EXPECT_EQ(decoded(path), QByteArray("\x61\xa1", 2).repeated(4000));
    w.close();
}

TEST_F(PostprocWindowsTest, ARecordingThatCannotBeDecodedOpensNoWindow)
{
    const QString path = dir.filePath("broken.wav");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("RIFF but not a wave file at all");
    f.close();
    for (PostprocWindow *w : std::initializer_list<PostprocWindow *>{
             new TfmVolLevel(audio, messages, trace), new TfmVoEqzer(audio, messages, trace)}) {
        EXPECT_FALSE(w->ShowForFile(path));
        EXPECT_FALSE(w->isVisible());
        delete w;
    }
    EXPECT_EQ(messages.texts, QStringList({"Error was created during pcm conversion",
                                           "Error was created during pcm conversion"}));
    EXPECT_TRUE(drawn.isEmpty());
}

} // namespace
