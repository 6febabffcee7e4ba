// Recording calls end to end: the virtual modem on a pseudo-terminal rings, sends caller ID
// and the line's sound; the program records, catalogues and names the WAV file.
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/ModemWiring.h"
#include "app/PlaybackControl.h"
#include "app/RecordingControl.h"
#include "app/TfmOrv.h"
#include "audio/StandardFormats.h"
#include "audio/out/TfmAudio.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "config/WaveFormatIni.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionsFile.h"
#include "modem/ui/TfmCallerID.h"
#include "support/IdleHandler.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAction>
#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"
#include "recording/CallJournal.h"

#include "../audio/TestWavFiles.h"
#include "FileSizeLimit.h"
#include "ScaledTime.h"

namespace {

double soxSeconds(const QString &path)
{
    QProcess soxi;
    soxi.start("soxi", {"-D", path});
    soxi.waitForFinished(30000);
    return QString::fromUtf8(soxi.readAllStandardOutput()).trimmed().toDouble();
}

// The virtual modem's voice stream runs this many times faster than real time; lengths of
// recordings are counted in the stream's samples, so they are the same at any speed.
constexpr const char *StreamSpeed = "20";

class RecordingTest : public ::testing::Test
{
protected:
    // The settling waits between recordings and the pauses between tries to reopen a modem run
    // at a tenth, and so do the command time-outs (which are set to the longest, 8 s, below).
    ScaledTime fast{0.1};

    void SetUp() override
    {
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        context =
            std::make_unique<AppContext>(StartOptions::parse({"calvora"}), dir.path(), messages);
        // No sound is played here: the start-up check must not need a sound server.
        context->hasSoundOutput = [] { return true; };
    }

    void TearDown() override
    {
        recording.reset();
        modem.reset();
    }

    // A data directory as discovery leaves it for the virtual voice modem on COM3.
    void start(const QString &script, const TdeWaveFormat &fileFormat, int discTime = 10,
               const QString &extraProfileLines = {})
    {
        QString profile = "voice";
        if (!extraProfileLines.isEmpty()) {
            QFile base(qEnvironmentVariable("CALVORA_BIN_DIR") + "/vmodem-profiles/voice.profile");
            ASSERT_TRUE(base.open(QIODevice::ReadOnly));
            profile = dir.filePath("custom.profile");
            QFile custom(profile);
            ASSERT_TRUE(custom.open(QIODevice::WriteOnly));
            custom.write(base.readAll() + "\n" + extraProfileLines.toUtf8() + "\n");
        }
        QStringList args = {"--profile", profile, "--speed", StreamSpeed, "--script", script};
        if (!link.isEmpty())
            args << "--link" << link;
        ASSERT_TRUE(vmodem.start(args));
        TIniFile &ini = context->ini;
        writeVirtualModemSetup(ini, dir.path(), link.isEmpty() ? vmodem.path() : link, fileFormat);

        LoadModemProfile(ini, context->ModemProfile);
        context->prefs.wavDir = dir.path() + "/wav/";
        context->prefs.DiscTime = discTime;
        context->prefs.Timeout = 8;
        context->FormsCreated = true;

        window = std::make_unique<TfmOrv>(*context);
        catalogue = std::make_unique<Catalogue>(dir.path(), messages, &context->log);
        catalogue->recordingsDir = [this] { return context->prefs.wavDir; };
        ASSERT_TRUE(catalogue->OpenCatalogue());
        modem = std::make_unique<TfmModem>(context->ini, context->prefs, context->ModemProfile,
                                           context->log, messages);
        connectModem(*window, *modem, callerId);
        recording = std::make_unique<RecordingControl>(*context, *window, *modem, *catalogue);
        window->setRecordEnabled(true);
        ASSERT_TRUE(modem->OpenModemPort(3, true)) << messages.texts.join('|').toStdString();
        modem->rearmAutoRecord();
    }

    bool waitForRow(int ms)
    {
        return Waits::waitUntil(
            [&] { return catalogue->CallsTbl.RecordCount() > 0 && !recording->recording(); }, ms);
    }

    QStringList wavFiles() const
    {
        return QDir(dir.path() + "/wav").entryList({"*.wav"}, QDir::Files);
    }

    QTemporaryDir dir;
    QString link; // when set, the modem is reached through this symbolic link
    ScriptedMessageService messages;
    std::unique_ptr<AppContext> context;
    VirtualModemProcess vmodem;
    std::unique_ptr<TfmOrv> window;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<TfmModem> modem;
    TfmCallerID callerId;
    std::unique_ptr<RecordingControl> recording;
};

TEST_F(RecordingTest, AnsweredCallIsRecordedUntilSilenceAndCatalogued)
{
    start("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5551234|NAME=JOHN end=answered; "
          "voice speech 6000; voice silence",
          ImaAdpcmDefaultFormat(), 1);
    IdleHandler idle([this] { window->apEventsIdle(); });
    ASSERT_TRUE(waitForRow(120000)) << context->log.lines().join('\n').toStdString();

    const QStringList files = wavFiles();
    ASSERT_EQ(files.size(), 1) << files.join(',').toStdString();
    EXPECT_NE(files[0], "Recorded.wav");
    EXPECT_EQ(catalogue->RecordingFileName() + ".wav", files[0]);
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5551234")
        << "the caller's number is the memo";
    const double seconds = soxSeconds(dir.path() + "/wav/" + files[0]);
    EXPECT_GT(seconds, 6.0);
    EXPECT_LT(seconds, 12.0);

    const QStringList log = context->log.lines();
    auto at = [&](const QString &line) { return log.indexOf(line); };
    EXPECT_GE(at("-- Recording started"), 0);
    EXPECT_LT(at("-- Recording started"), at("Receiving data..."));
    EXPECT_LT(at("Receiving data..."), at("Silence..."));
    EXPECT_LT(at("Silence..."), at("Disconnect line..."));
    EXPECT_LT(at("Disconnect line..."), at("-- Recording stopped"));
    EXPECT_TRUE(modem->PortOpen()) << "the modem is back for the next call";
    EXPECT_TRUE(modem->AutoRecordArmed());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

// A call always wins: a call answered while the user listens to a recording is recorded; the
// playback goes on meanwhile, and the recording's Stop ends it too.
TEST_F(RecordingTest, ACallArrivingDuringPlaybackIsRecorded)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
    start("waitfor AT+VCID=1; wait 1500; call 2 400 NMBR=5550100 end=answered; "
          "voice speech 3000; voice silence",
          WorkingPcmFormat(), 1);
    const QDateTime earlier(QDate(2026, 1, 2), QTime(9, 0, 0));
    ASSERT_TRUE(catalogue->AddRecordingRow(earlier, 20, "old call"));
    QDir().mkpath(context->prefs.wavDir);
    ASSERT_TRUE(testaudio::writeSpeechWav(catalogue->recordingFilePathFor(earlier), 0x11, 20.0, 4));
    TfmAudio audio(messages);
    PlaybackControl playback(*context, *window, *catalogue, audio);
    playback.followRecording(recording->recorder());
    window->actions().acPlay->setEnabled(true);
    window->actions().acPlay->trigger();
    ASSERT_EQ(playback.Mplayer1.mode(), MediaPlayer::Mode::Playing)
        << messages.texts.join('|').toStdString();
    ASSERT_FALSE(window->actions().acRecord->isEnabled());

    IdleHandler idle([this] { window->apEventsIdle(); });
    ASSERT_TRUE(Waits::waitUntil([&] { return recording->recording(); }, 60000))
        << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(playback.Mplayer1.mode(), MediaPlayer::Mode::Playing) << "the playback goes on";
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && !recording->recording(); }, 60000))
        << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5550100");
    EXPECT_EQ(playback.Mplayer1.mode(), MediaPlayer::Mode::NotReady) << "Stop ended both";
    const QStringList log = context->log.lines();
    EXPECT_LT(log.indexOf("-- Playback file"), log.indexOf("-- Recording started"));
    EXPECT_LT(log.indexOf("-- Recording stopped"), log.indexOf("-- Playback stopped"));
    EXPECT_TRUE(window->actions().acRecord->isEnabled());
}

TEST_F(RecordingTest, BusyToneFromTheModemEndsAnAutomaticRecording)
{
    start("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=777 end=answered; voice speech; "
          "waitfor AT+VRX; wait 300; event b",
          WorkingPcmFormat(), 30);
    IdleHandler idle([this] { window->apEventsIdle(); });
    ASSERT_TRUE(waitForRow(120000)) << context->log.lines().join('\n').toStdString();
    EXPECT_TRUE(context->log.lines().contains("Modem event: busy tone"));
    EXPECT_TRUE(context->log.lines().contains("Disconnect line..."));
}

TEST_F(RecordingTest, AUsersRecordingKeepsEverySampleValueIncludingDle)
{
    start("voice ramp", WorkingPcmFormat());
    window->actions().acRecord->trigger();
    ASSERT_TRUE(recording->recording());
    EXPECT_FALSE(window->actions().acModemOn->isEnabled()) << "no other modem dialogue meanwhile";
    Waits::waitMs(500); // ten seconds of the line
    window->actions().acStop->trigger();
    ASSERT_EQ(catalogue->CallsTbl.RecordCount(), 1);

    const QStringList files = wavFiles();
    ASSERT_EQ(files.size(), 1);
    QFile file(dir.path() + "/wav/" + files[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll().mid(44);
    ASSERT_GT(data.size(), 4000);
    int breaks = 0;
    for (qsizetype i = 1; i < data.size(); ++i)
        breaks += uint8_t(data[i]) != uint8_t(uint8_t(data[i - 1]) + 1) ? 1 : 0;
    EXPECT_EQ(breaks, 0) << "a doubled or dropped sample breaks the ramp";
    EXPECT_EQ(window->statusText(0), " Modem on");
    EXPECT_TRUE(window->actions().acRecord->isEnabled());
    EXPECT_FALSE(window->actions().acRecord->isChecked());
}

TEST_F(RecordingTest, AnInterruptedRecordingIsCompletedAndCataloguedAtStart)
{
    start("", WorkingPcmFormat());
    QDir().mkpath(dir.path() + "/wav");
    QFile left(dir.path() + "/wav/Recorded.wav");
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    QByteArray header("RIFF\0\0\0\0WAVEfmt "
                      "\x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\0\0\0\0",
                      44);
    left.write(header);
    left.write(QByteArray(16000, char(128)));
    left.close();

    recording->recoverInterruptedRecording();
    ASSERT_EQ(catalogue->CallsTbl.RecordCount(), 1);
    const QStringList files = wavFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_NE(files[0], "Recorded.wav");
    EXPECT_NEAR(soxSeconds(dir.path() + "/wav/" + files[0]), 2.0, 0.01);
}

TEST_F(RecordingTest, FailuresToStartSayWhyAndBringTheModemBack)
{
    start("", WorkingPcmFormat());
    context->ModemProfile.VoiceCompression = "at+vsm=none";
    window->actions().acRecord->trigger();
    EXPECT_EQ(messages.texts.value(0), "Voice compression codec can not be recognized");
    EXPECT_FALSE(recording->recording());
    EXPECT_TRUE(modem->PortOpen());
    EXPECT_TRUE(window->actions().acRecord->isEnabled());

    context->ModemProfile.VoiceCompression = "at+vsm=1,8000";
    context->ModemProfile.VoiceMode = "at+fclass=99";
    window->actions().acRecord->trigger();
    EXPECT_EQ(messages.texts.value(1), "Error Setting modem in voice mode..");

    context->ini.EraseSection("Modem compression");
    window->actions().acRecord->trigger();
    EXPECT_EQ(messages.texts.value(2), "None Codec found to match modem compression");
}

TEST_F(RecordingTest, AnUnreadableCompressionRowFailsTheStartWithItsReason)
{
    start("", WorkingPcmFormat());
    CompressionRow row = *ParseVsmLine("1,\"UNSIGNED PCM\",8,0,(5000)");
    row.VSMCommand = BuildVsmCommand(row);
    ASSERT_TRUE(CompressionsFile::write(dir.filePath("Compressions.d"), {row}));

    window->actions().acRecord->trigger();
    ASSERT_EQ(messages.texts.size(), 2) << messages.texts.join('|').toStdString();
    EXPECT_EQ(messages.texts[0], "'' is not a valid integer value");
    EXPECT_EQ(messages.texts[1], "Error Receiving data..");
    EXPECT_FALSE(recording->recording());
    EXPECT_FALSE(modem->Receiving());
    EXPECT_TRUE(modem->PortOpen());
    EXPECT_TRUE(window->actions().acRecord->isEnabled());
}

TEST_F(RecordingTest, ModemCommandsThatFailStopTheStartWithTheirMessages)
{
    start("", WorkingPcmFormat(), 10, "AT+VGR=127 => ERROR\nAT+VLS=1 => ERROR");
    window->actions().acRecord->trigger();
    EXPECT_EQ(messages.texts.value(0), "Error setting Rec gain..");
    EXPECT_EQ(context->log.lines().count("at+vgr=127"), 2) << "the gain is tried twice";

    context->ModemProfile.RecGain = "at+vgr=none";
    window->actions().acRecord->trigger();
    EXPECT_EQ(messages.texts.value(1), "Error setting line..");
    EXPECT_FALSE(recording->recording());
    EXPECT_TRUE(modem->PortOpen()) << "the modem is brought back";
    EXPECT_TRUE(QDir(dir.path() + "/wav").entryList({"1_*.wav"}, QDir::Files).isEmpty());
}

// The modem goes away in the middle of a call (a USB modem unplugged) and comes back on the
// same link a while later: the call so far is kept, the port is taken up again by itself, and
// the next calls are recorded without a restart.
class ModemComesBackTest : public RecordingTest, public ::testing::WithParamInterface<int>
{};

TEST_P(ModemComesBackTest, TheCallIsKeptAndTheNextCallsAreRecorded)
{
    link = dir.filePath("modem");
    start("waitfor AT+VRX; wait 500; exit", WorkingPcmFormat(), 1);
    IdleHandler idle([this] { window->apEventsIdle(); });
    window->actions().acRecord->trigger();
    ASSERT_TRUE(recording->recording());
    ASSERT_TRUE(Waits::waitUntil([&] { return !recording->recording(); }, 60000));
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 1);
    ASSERT_EQ(wavFiles().size(), 1);
    EXPECT_GT(soxSeconds(dir.path() + "/wav/" + wavFiles()[0]), 1.0);
    EXPECT_FALSE(modem->PortOpen());

    // The modem stays away this long, on the scaled clock of the tries to reopen it.
    Waits::waitMs(Waits::scaledMs(GetParam()));
    VirtualModemProcess back;
    ASSERT_TRUE(back.start({"--speed", StreamSpeed, "--link", link, "--script",
                            "waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5550001 end=answered; "
                            "voice speech 3000; voice silence; waitfor AT+VRX; "
                            "waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5550002 end=answered; "
                            "voice speech 3000; voice silence"}));
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 3 && !recording->recording(); }, 120000))
        << context->log.lines().join('\n').toStdString();

    QStringList memos;
    for (catalogue->CallsTbl.First(); !catalogue->CallsTbl.Eof(); catalogue->CallsTbl.Next())
        memos << catalogue->CallsTbl.FieldValues("Comment").toString();
    EXPECT_TRUE(memos.contains("5550001") && memos.contains("5550002"))
        << memos.join(',').toStdString();
    EXPECT_EQ(wavFiles().size(), 3) << wavFiles().join(',').toStdString();
    EXPECT_TRUE(
        Waits::waitUntil([&] { return modem->PortOpen() && modem->AutoRecordArmed(); }, 20000));
    EXPECT_TRUE(window->actions().acRecord->isEnabled());
    ASSERT_EQ(messages.texts.size(), 1)
        << "one word of the loss, no box per try: " << messages.texts.join('|').toStdString();
    EXPECT_TRUE(messages.texts[0].contains("The modem was disconnected"));
}

INSTANTIATE_TEST_SUITE_P(AwayFor, ModemComesBackTest, ::testing::Values(2000, 12000));

// A USB modem plugged back in may get another device name (ttyACM1 for ttyACM0); its link in
// /dev/serial/by-id keeps its name and leads to the modem again.
TEST_F(RecordingTest, AModemBackUnderAnotherDeviceNameIsFoundThroughItsLink)
{
    const QString byId = dir.filePath("by-id");
    QDir().mkpath(byId);
    link = byId + "/usb-Virtual_Voice_Modem_0001-if00";
    start("waitfor AT+VRX; wait 1500; exit", WorkingPcmFormat(), 1);
    const QString firstDevice = vmodem.path();
    context->ini.WriteString("Ports", "COM3", firstDevice); // as the seeded map holds it
    recording->watchdog().followLinksIn(&context->ini, byId);
    IdleHandler idle([this] { window->apEventsIdle(); });
    window->actions().acRecord->trigger();
    ASSERT_TRUE(Waits::waitUntil([&] { return !recording->recording(); }, 60000));
    ASSERT_EQ(catalogue->CallsTbl.RecordCount(), 1);

    // The old device name stays taken by another terminal, so the modem gets a new one.
    const int holder = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    const auto release = qScopeGuard([holder] { ::close(holder); });
    VirtualModemProcess back;
    ASSERT_TRUE(back.start({"--speed", "4", "--link", link, "--script",
                            "waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550404 end=answered; "
                            "voice speech 2000; voice silence"}));
    ASSERT_NE(back.path(), firstDevice);
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && !recording->recording(); }, 120000))
        << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(context->ini.ReadString("Ports", "COM3", ""), back.path());
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5550404");
}

// A full disk is imitated with a file-size limit, which holds for root too.
TEST_F(RecordingTest, AFullDiskStopsTheRecordingAndKeepsWhatFitted)
{
    start("voice speech", WorkingPcmFormat());
    bool stopped = false;
    {
        FileSizeLimit limit(20000);
        ASSERT_TRUE(limit.active());
        window->actions().acRecord->trigger();
        stopped = Waits::waitUntil([&] { return !recording->recording(); }, 60000);
    }

    ASSERT_TRUE(stopped);
    EXPECT_TRUE(messages.texts.join('|').contains("The recording could not be written"))
        << messages.texts.join('|').toStdString();
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 1);
    ASSERT_EQ(wavFiles().size(), 1);
    EXPECT_GT(soxSeconds(dir.path() + "/wav/" + wavFiles()[0]), 2.0)
        << "20000 bytes at 8000 a second";
    EXPECT_TRUE(modem->PortOpen()) << "ready for the next call";
}

// The disk fills up in the middle of a call and is freed again: the failed recording still ends
// voice reception and closes what it opened, and the next call is recorded.
TEST_F(RecordingTest, AfterAFullDiskTheNextCallIsRecordedOnceThereIsSpace)
{
    start("voice speech; waitfor <DLE>!; waitfor AT+VCID=1; wait 200; "
          "call 2 400 NMBR=5550003 end=answered; voice speech 3000; voice silence",
          WorkingPcmFormat(), 1);
    IdleHandler idle([this] { window->apEventsIdle(); });
    {
        FileSizeLimit limit(20000);
        ASSERT_TRUE(limit.active());
        window->actions().acRecord->trigger();
        ASSERT_TRUE(Waits::waitUntil([&] { return !recording->recording(); }, 60000));
    }
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && !recording->recording(); }, 120000))
        << context->log.lines().join('\n').toStdString() << messages.texts.join('|').toStdString();

    const QString shown = messages.texts.join('|');
    EXPECT_TRUE(shown.contains("The recording could not be written")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << "the reason is named: " << shown.toStdString();
    EXPECT_EQ(messages.texts.size(), 1) << shown.toStdString();
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5550003");
    ASSERT_EQ(wavFiles().size(), 2) << "no empty leftovers: " << wavFiles().join(',').toStdString();
    for (const QString &file : wavFiles())
        EXPECT_GT(soxSeconds(dir.path() + "/wav/" + file), 2.0) << file.toStdString();
}

// What a kill leaves at each point of a recording's end, and what the next start makes of
// it: always exactly one row, with the call's own caller, start and folder.
TEST_F(RecordingTest, AnInterruptedRecordingIsCataloguedOnceWithItsCallerAndStart)
{
    start("", WorkingPcmFormat());
    const QDateTime callStart(QDate(2026, 11, 3), QTime(9, 41, 7));
    const QString finalName = "1_20261103_094107.wav";
    struct Leftover
    {
        const char *when;
        bool renamed;  // the file has its final name
        bool rowSaved; // the row reached the table
        bool final;    // the journal knows the final name
    };
    const Leftover cases[] = {{"mid-call", false, false, false},
                              {"before the rename", false, false, true},
                              {"after the rename", true, false, true},
                              {"after the row", true, true, true}};
    QDir().mkpath(dir.path() + "/wav");
    for (const Leftover &c : cases) {
        SCOPED_TRACE(c.when);
        catalogue->CallsTbl.First();
        while (catalogue->CallsTbl.RecordCount() > 0)
            catalogue->CallsTbl.Delete();
        for (const QString &f : wavFiles())
            QFile::remove(dir.path() + "/wav/" + f);

        QFile wav(dir.path() + "/wav/" + (c.renamed ? finalName : QString("Recorded.wav")));
        ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
        wav.write(QByteArray("RIFF\0\0\0\0WAVEfmt "
                             "\x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0"
                             "data\0\0\0\0",
                             44));
        wav.write(QByteArray(24000, char(128)));
        if (c.renamed) { // Stop completed the file before it gave it its name
            const quint32 riff = 36 + 24000, data = 24000;
            wav.seek(4);
            wav.write(reinterpret_cast<const char *>(&riff), 4);
            wav.seek(40);
            wav.write(reinterpret_cast<const char *>(&data), 4);
        }
        wav.close();
        CallJournal journal;
        journal.start = callStart;
        journal.caller = "5557777";
        journal.folderId = catalogue->currentFolderId();
        if (c.final) {
            journal.id = catalogue->NewUniqueCode();
            journal.finalName = finalName;
        }
        ASSERT_TRUE(journal.write(dir.path() + "/wav/Recorded.call"));
        if (c.rowSaved) {
            ASSERT_TRUE(catalogue->AddRecordingRow(callStart, 3, journal.caller, journal.id,
                                                   journal.folderId));
        }

        recording->recoverInterruptedRecording();
        ASSERT_EQ(catalogue->CallsTbl.RecordCount(), 1);
        EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5557777");
        EXPECT_EQ(catalogue->RecordingFileName() + ".wav", finalName) << "the call's own start";
        EXPECT_EQ(wavFiles(), QStringList{finalName});
        EXPECT_NEAR(soxSeconds(dir.path() + "/wav/" + finalName), 3.0, 0.01);
        EXPECT_FALSE(QFile::exists(dir.path() + "/wav/Recorded.call"));

        recording->recoverInterruptedRecording(); // the next start finds nothing to do
        EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 1);
    }
}

} // namespace
