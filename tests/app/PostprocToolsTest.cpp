// The Post processing menu of the main window offscreen: when "Volume level" and "Voice
// equalizer" are enabled, their log lines, and a recording in a compressed format made louder
// through the volume level window and saved in its own compression.
#include "app/PostprocTools.h"
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/PlaybackControl.h"
#include "app/TfmOrv.h"
#include "audio/out/TfmAudio.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "support/ScriptedMessageService.h"

#include <QAction>
#include <QAudioDevice>
#include <QDir>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

#include "../audio/TestWavFiles.h"
#include "PlaybackWindowFixture.h"

namespace {

// The root mean square of a WAV file's samples as sox decodes them to 16 bits.
double soxRms(const QString &path)
{
    QProcess sox;
    sox.start("sox", {"-D", path, "-t", "raw", "-e", "signed", "-b", "16", "-"});
    EXPECT_TRUE(sox.waitForFinished(30000));
    const QByteArray raw = sox.readAllStandardOutput();
    double sum = 0;
    const qsizetype n = raw.size() / 2;
    for (qsizetype i = 0; i < n; ++i) {
        const double s = std::int16_t(quint8(raw[2 * i]) | (quint8(raw[2 * i + 1]) << 8));
        sum += s * s;
    }
    return n ? std::sqrt(sum / double(n)) : 0;
}

QString soxEncoding(const QString &path)
{
    QProcess soxi;
    soxi.start("soxi", {"-e", path});
    soxi.waitForFinished(30000);
    return QString::fromUtf8(soxi.readAllStandardOutput()).trimmed();
}

class PostprocToolsTest : public PlaybackWindowFixture
{
protected:
    void SetUp() override
    {
        PlaybackWindowFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        audio = std::make_unique<TfmAudio>(messages);
        tools = std::make_unique<PostprocTools>(*window, *playback, *audio, messages);
    }

    void TearDown() override
    {
        tools.reset();
        playback.reset();
    }

    // A catalogued recording of speech in IMA ADPCM, as the modem's recordings often are.
    QString addRecording(double seconds)
    {
        const QDateTime start(QDate(2026, 3, 4), QTime(10, 0, 0));
        const QString path = catalogue->recordingFilePathFor(start);
        EXPECT_TRUE(catalogue->AddRecordingRow(start, int(seconds), "555"));
        EXPECT_TRUE(testaudio::writeSpeechWav(path, 0x11, seconds, 4));
        catalogue->DataSource1DataChange();
        return path;
    }

    std::unique_ptr<TfmAudio> audio;
    std::unique_ptr<PostprocTools> tools;
};

TEST_F(PostprocToolsTest, TheToolsNeedARecordingAndNoPlayback)
{
    MainActions &a = actions();
    EXPECT_FALSE(a.mnLevel->isEnabled()) << "an empty list has nothing to process";
    EXPECT_FALSE(a.mnEqualizer->isEnabled());
    addRecording(0.5);
    EXPECT_TRUE(a.mnLevel->isEnabled());
    EXPECT_TRUE(a.mnEqualizer->isEnabled());

    a.acPlay->trigger();
    ASSERT_TRUE(playback->busy()) << messages.texts.join('|').toStdString();
    catalogue->DataSource1DataChange();
    EXPECT_FALSE(a.mnLevel->isEnabled()) << "a change of the list while playing keeps them off";
    EXPECT_FALSE(a.mnEqualizer->isEnabled());
    a.acStop->trigger();
    EXPECT_TRUE(a.mnLevel->isEnabled());
    EXPECT_TRUE(a.mnEqualizer->isEnabled());

    a.mnEqualizer->trigger();
    TfmVoEqzer &equalizer = tools->voiceEqualizer();
    EXPECT_TRUE(equalizer.isVisible());
    EXPECT_EQ(equalizer.parentWidget(), window.get()) << "centred on the main window";
    equalizer.btnClose->click();
    EXPECT_FALSE(equalizer.isVisible());
    EXPECT_TRUE(context->log.lines().filter("-- Voice equilizer clicked").size() == 1);
}

TEST_F(PostprocToolsTest, VolumeLevelMakesACompressedRecordingLouderInItsOwnCompression)
{
    const QString path = addRecording(1.0);
    const double before = soxRms(path);
    ASSERT_GT(before, 100);

    actions().mnLevel->trigger();
    EXPECT_TRUE(context->log.lines().filter("-- Volume level clicked").size() == 1);
    TfmVolLevel &level = tools->volumeLevel();
    ASSERT_TRUE(level.isVisible()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(level.path(), path);
    level.trb->setValue(100);
    level.btnApply->click();
    level.btnSave->click();
    level.btnClose->click();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();

    EXPECT_EQ(soxEncoding(path), "IMA ADPCM");
    const double after = soxRms(path);
    EXPECT_NEAR(after / before, 2.0, 0.2) << before << " -> " << after;
}

} // namespace
