// Listening to recordings in the main window offscreen, through the sound server's null sink:
// the transport's commands, what they enable and disable, the position bar, the volume bar,
// the missing file, the external player and the end of a playback.
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/PlaybackControl.h"
#include "app/TfmOrv.h"
#include "app/TraceView.h"
#include "app/TransportPanel.h"
#include "audio/out/TdeAudioDevice.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ProgramDir.h"
#include "config/SettingsStore.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAction>
#include <QAudioDevice>
#include <QDir>
#include <QMediaDevices>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>

#include "../audio/TestWavFiles.h"
#include "PlaybackWindowFixture.h"

namespace {

using Mode = MediaPlayer::Mode;

class PlaybackTest : public PlaybackWindowFixture
{
protected:
    void SetUp() override
    {
        PlaybackWindowFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
    }

    QSlider *bar() { return window->transport().positionBar(); }

    // A catalogued recording whose file holds seconds of speech (8-bit PCM unless told).
    QString addRecording(double seconds, std::uint16_t tag = 1, std::uint16_t bits = 8)
    {
        const QDateTime start(QDate(2026, 3, 4), QTime(10, 0, recordings++));
        const QString path = catalogue->recordingFilePathFor(start);
        EXPECT_TRUE(catalogue->AddRecordingRow(start, int(seconds), "555"));
        if (seconds > 0) {
            EXPECT_TRUE(testaudio::writeSpeechWav(path, tag, seconds, bits));
        }
        catalogue->DataSource1DataChange();
        return path;
    }

    // The trace's pixels that are not its background.
    int tracePixels()
    {
        const QImage &image = window->trace().TraceBitmap();
        const QColor background = window->trace().TraceBitmap().pixelColor(0, 0);
        int lit = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                lit += image.pixelColor(x, y) != background ? 1 : 0;
        }
        return lit;
    }

    QStringList playbackLog() const { return context->log.lines().filter("--"); }

    int recordings = 0;
};

TEST_F(PlaybackTest, PlayPauseSeekResumeAndStopEnableWhatTheyShould)
{
    addRecording(1.2);
    MainActions &a = actions();
    ASSERT_TRUE(a.acPlay->isEnabled()) << "the list has a row";
    EXPECT_FALSE(a.acRewind->isEnabled());

    a.acPlay->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(a.acPlay->isChecked());
    EXPECT_FALSE(a.acRecord->isEnabled());
    EXPECT_FALSE(a.mnLevel->isEnabled());
    EXPECT_FALSE(a.mnEqualizer->isEnabled());
    EXPECT_FALSE(a.acRewind->isEnabled());
    EXPECT_TRUE(bar()->isEnabled());
    EXPECT_TRUE(playback->Timer2.isActive());
    EXPECT_TRUE(Waits::waitUntil([&] { return playback->PlaybackPcm.size() == 9600; }, 3000))
        << "the trace's copy, as working PCM";

    Waits::waitMs(300);
    EXPECT_GT(bar()->value(), 50) << "the tick moves the bar";
    EXPECT_GT(tracePixels(), 100) << "the trace shows the samples under the play position";
    a.acPlay->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing) << "Play while playing changes nothing";
    EXPECT_TRUE(a.acPlay->isChecked());

    a.acPause->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Paused);
    EXPECT_TRUE(a.acPause->isChecked());
    EXPECT_FALSE(a.acPlay->isChecked());
    EXPECT_TRUE(a.acRewind->isEnabled());
    EXPECT_TRUE(a.acFF->isEnabled());
    EXPECT_FALSE(playback->Timer2.isActive());
    a.acPause->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Paused) << "Pause never resumes";

    const qint64 at = playback->Mplayer1.Position();
    a.acFF->trigger();
    EXPECT_EQ(playback->SeekStep, 20);
    EXPECT_EQ(playback->Mplayer1.Position(), at + 20);
    EXPECT_TRUE(playback->SeekPending);
    a.acRewind->trigger();
    a.acRewind->trigger();
    EXPECT_EQ(playback->Mplayer1.Position(), at - 20);
    EXPECT_EQ(bar()->value(), int(std::nearbyint(1000.0 * double(at - 20) / 1200.0)));

    a.acPlay->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing) << "Play resumes from the new place";
    EXPECT_FALSE(playback->SeekPending);
    EXPECT_FALSE(a.acPause->isChecked());
    EXPECT_FALSE(a.acRewind->isEnabled());

    a.acStop->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::NotReady);
    EXPECT_TRUE(a.acRecord->isEnabled());
    EXPECT_TRUE(a.mnLevel->isEnabled());
    EXPECT_TRUE(a.mnEqualizer->isEnabled());
    EXPECT_FALSE(a.acPlay->isChecked());
    EXPECT_EQ(bar()->value(), 0);
    EXPECT_FALSE(bar()->isEnabled());
    EXPECT_FALSE(playback->Timer2.isActive());
    EXPECT_EQ(playbackLog(), QStringList({"-- Playback file", "-- Playback stopped"}));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(tracePixels(), 0) << "Stop clears the trace";

    context->VoiceSupported = false;
    commands->refresh();
    EXPECT_FALSE(a.acRecord->isEnabled()) << "no voice modem, no Record";
}

TEST_F(PlaybackTest, TheEndOfTheRecordingBringsTheWindowBackToIdle)
{
    addRecording(0.4, 0x11, 4);
    actions().acPlay->trigger();
    ASSERT_EQ(playback->Mplayer1.mode(), Mode::Playing);
    ASSERT_TRUE(Waits::waitUntil([&] { return !playback->Timer2.isActive(); }, 4000));
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::NotReady);
    EXPECT_EQ(bar()->value(), 0);
    EXPECT_FALSE(bar()->isEnabled());
    EXPECT_TRUE(actions().acRecord->isEnabled());
    EXPECT_TRUE(actions().mnLevel->isEnabled());
    EXPECT_FALSE(actions().acPlay->isChecked());
    EXPECT_EQ(playbackLog(), QStringList({"-- Playback file"})) << "an end is no Stop";
}

TEST_F(PlaybackTest, AMissingOrUnreadableFileIsReportedAndNothingStarts)
{
    const QString missing = addRecording(0); // a row without a file
    actions().acPlay->trigger();
    EXPECT_EQ(messages.texts, QStringList{"\"" + missing + "\" file does not exist"});
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::NotReady);
    EXPECT_FALSE(actions().acPlay->isChecked());
    EXPECT_TRUE(actions().acRecord->isEnabled());

    QFile junk(missing);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("RIFF....WAVE but nothing else");
    junk.close();
    messages.texts.clear();
    actions().acPlay->trigger();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(
        messages.texts[0].startsWith("Error was created during pcm conversion\n" + missing + ": "))
        << messages.texts[0].toStdString() << " names the file and why";
    EXPECT_GT(messages.texts[0].section('\n', 1).size(), missing.size() + 2);
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::NotReady);
    EXPECT_FALSE(actions().acPlay->isChecked());
    EXPECT_FALSE(bar()->isEnabled());
}

TEST_F(PlaybackTest, TheExternalPlayerGetsThePathAndNothingElseChanges)
{
    const QString path = addRecording(0.2);
    context->prefs.ExtPlayer = true;
    context->prefs.Player = "my-player";
    QStringList launched;
    playback->launchExternal = [&](const QString &program, const QString &argument) {
        launched << program << argument;
        return true;
    };
    actions().acPlay->trigger();
    EXPECT_EQ(launched, QStringList({"my-player", path}));
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::NotReady);
    EXPECT_TRUE(actions().acRecord->isEnabled());
    EXPECT_EQ(playbackLog(), QStringList({"-- External MediaPlayer playback"}));

    QFile::remove(path);
    launched.clear();
    actions().acPlay->trigger();
    EXPECT_TRUE(launched.isEmpty());
    EXPECT_EQ(messages.texts, QStringList{"\"" + path + "\" file does not exist"});
}

TEST_F(PlaybackTest, SeekStepsFollowTheLengthAndRefusedSeeksSayNothing)
{
    struct Case
    {
        double seconds;
        qint64 step;
    };
    for (const Case c : {Case{0.059, 1}, Case{0.06, 1}, Case{60.0, 1000}}) {
        SCOPED_TRACE(c.seconds);
        const QString path = addRecording(c.seconds);
        playback->Mplayer1.FileName = path;
        playback->Mplayer1.Open();
        playback->acFFExecute();
        EXPECT_EQ(playback->SeekStep, c.step);
        EXPECT_EQ(playback->Mplayer1.Position(), c.step);
        playback->Mplayer1.Close();
    }
    // Rewind at 500 with a step of 1000 asks for -500: refused, and nobody is told.
    playback->Mplayer1.Open();
    ASSERT_TRUE(playback->Mplayer1.Seek(500));
    playback->acRewindExecute();
    EXPECT_EQ(playback->Mplayer1.Position(), 500);
    EXPECT_TRUE(messages.texts.isEmpty());
    playback->Mplayer1.Close();
    playback->SeekPending = false;
}

TEST_F(PlaybackTest, AClickOnThePositionBarJumpsAndADraggedThumbIsLeftAlone)
{
    addRecording(1.0);
    actions().acPlay->trigger();
    ASSERT_EQ(playback->Mplayer1.mode(), Mode::Playing);

    playback->TrackBar1MouseDown(Qt::LeftButton);
    playback->TrackBar1MouseMove();
    EXPECT_TRUE(playback->BarDragging);
    bar()->setValue(777);
    playback->PlaybackTick();
    EXPECT_EQ(bar()->value(), 777) << "the thumb under the user stays";

    // X = 6 is the start of the recording, X = W - 6 its end.
    playback->TrackBar1MouseUp(Qt::LeftButton, 6, 212);
    EXPECT_FALSE(playback->BarDragging);
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing) << "the click resumes from there";
    EXPECT_LT(playback->Mplayer1.Position(), 100);
    playback->TrackBar1MouseUp(Qt::LeftButton, 206, 212);
    EXPECT_GE(playback->Mplayer1.Position(), 990);
    actions().acStop->trigger();
}

TEST_F(PlaybackTest, ADoubleClickPlaysAndClosingTheWindowStopsThePlayback)
{
    addRecording(2.0);
    emit window->recordingsList()->rowDoubleClicked();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::NotReady);
    EXPECT_EQ(playbackLog(), QStringList({"-- Playback file", "-- Playback stopped"}));
}

TEST_F(PlaybackTest, ADoubleClickDuringAPlaybackPlaysTheClickedRecording)
{
    const QString first = addRecording(3.0);
    const QString second = addRecording(3.0);
    catalogue->CallsTbl.First();
    actions().acPlay->trigger();
    ASSERT_EQ(playback->Mplayer1.mode(), Mode::Playing);
    const QString playing = playback->Mplayer1.FileName;
    catalogue->CallsTbl.Last();
    emit window->recordingsList()->rowDoubleClicked();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing);
    EXPECT_NE(playback->Mplayer1.FileName, playing);
    EXPECT_TRUE(playback->Mplayer1.FileName == first || playback->Mplayer1.FileName == second);
    EXPECT_EQ(playbackLog(),
              QStringList({"-- Playback file", "-- Playback stopped", "-- Playback file"}));
    actions().acStop->trigger();
}

TEST_F(PlaybackTest, APlayerThatCannotPlaySaysWhereItFailed)
{
    addRecording(0.5);
    playback->Mplayer1.OutputDevice = "no-such-output";
    actions().acPlay->trigger();
    EXPECT_EQ(messages.texts,
              QStringList{"\"Mplayer1.play\" Error num 276. The device is not ready."});
    EXPECT_FALSE(actions().acPlay->isChecked());
    EXPECT_TRUE(actions().acRecord->isEnabled());
    EXPECT_FALSE(bar()->isEnabled());
}

TEST_F(PlaybackTest, TheVolumeBarSetsTheDeviceVolume)
{
    ASSERT_NE(playback->VolumeDevice, nullptr);
    const QByteArray id = playback->VolumeDevice->id;
    for (const auto &[position, volume] : {std::pair{0, 0}, {1, 4095}, {8, 32767}, {16, 65535}}) {
        window->transport().volumeBar()->setValue(position);
        EXPECT_NEAR(OutputVolumes::instance().level(id), volume / 65535.0, 1e-6) << position;
    }
}

TEST_F(PlaybackTest, TheVolumeBarFollowsTheOutputThatIsHeard)
{
    ASSERT_NE(playback->VolumeDevice, nullptr);
    const QByteArray first = playback->VolumeDevice->id;
    // The test script gives the sound server a second output before the tests start.
    ASSERT_TRUE(Waits::waitUntil(
        [] {
            const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
            return std::any_of(outputs.begin(), outputs.end(),
                               [](const QAudioDevice &d) { return d.id() == "calvora_second"; });
        },
        5000))
        << "no second output: source scripts/pulse-null-sink.sh first";
    // The sound goes to another output than the one found at start-up (this Qt opens the
    // default output it learnt at start, so the output is chosen for the player here).
    playback->Mplayer1.OutputDevice = "calvora_second";

    window->transport().volumeBar()->setValue(4);
    addRecording(3.0);
    actions().acPlay->trigger();
    ASSERT_EQ(playback->Mplayer1.mode(), Mode::Playing) << messages.texts.join('|').toStdString();
    EXPECT_EQ(playback->Mplayer1.outputDeviceId(), "calvora_second");
    EXPECT_NEAR(OutputVolumes::instance().level("calvora_second"), 16383 / 65535.0, 1e-6)
        << "the sound starts at the bar's volume";

    const double firstLevel = OutputVolumes::instance().level(first);
    window->transport().volumeBar()->setValue(12);
    EXPECT_NEAR(OutputVolumes::instance().level("calvora_second"), 49151 / 65535.0, 1e-6)
        << "the bar controls what is heard";
    EXPECT_EQ(OutputVolumes::instance().level(first), firstLevel);
    actions().acStop->trigger();
}

TEST_F(PlaybackTest, EveryTransportControlHasAnAccessibleName)
{
    QStringList names;
    for (QToolButton *button : window->transport().findChildren<QToolButton *>())
        names << button->accessibleName();
    EXPECT_EQ(names, QStringList({"Play", "Pause", "Stop", "Rewind", "Fast forward", "Record"}));
    EXPECT_EQ(bar()->accessibleName(), "Position");
    EXPECT_EQ(window->transport().volumeBar()->accessibleName(), "Volume");
}

} // namespace

namespace {

// A recording made before the recordings folder changed stays where it was made; playing it
// and opening it in the tools find it there.
TEST_F(PlaybackTest, ARecordingInAnEarlierFolderPlaysAndOpensInTheTools)
{
    const QString old = dir.filePath("old-wav") + "/";
    ASSERT_TRUE(QDir().mkpath(old));
    context->prefs.wavDir = old;
    const QString path = addRecording(1.0);
    ASSERT_TRUE(path.startsWith(old));
    SettingsStore::rememberEarlierRecordingsFolder(context->ini, old);
    context->prefs.wavDir = dir.filePath("wav") + "/";

    actions().acPlay->trigger();
    EXPECT_EQ(playback->Mplayer1.mode(), Mode::Playing) << messages.texts.join('|').toStdString();
    EXPECT_EQ(playback->Mplayer1.FileName, path);
    actions().acStop->trigger();

    QStringList opened;
    playback->showLevelTool = [&](const QString &file) { opened << file; };
    playback->showEqualizerTool = [&](const QString &file) { opened << file; };
    actions().mnLevel->trigger();
    actions().mnEqualizer->trigger();
    EXPECT_EQ(opened, QStringList({path, path}));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

} // namespace

namespace {

// The playback's log lines count towards the log's limit like every user command's.
TEST_F(PlaybackTest, PlaybackLinesKeepTheLogWithinItsLimit)
{
    addRecording(0.5);
    EventLog &log = context->log;
    while (log.lines().size() < EventLog::LineLimit - 1)
        log.appendLine("filler");
    actions().acPlay->trigger();
    actions().acStop->trigger();
    actions().mnLevel->trigger();
    EXPECT_LT(log.lines().size(), EventLog::LineLimit);
    EXPECT_TRUE(QFile::exists(log.previousFilePath())) << "the full list was kept aside";
}

} // namespace
