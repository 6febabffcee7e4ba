// Recording calls end to end: the virtual modem on a pseudo-terminal rings, sends caller ID
// and the line's sound; the program records, catalogues and names the WAV file.
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/PlaybackControl.h"
#include "app/RecordingControl.h"
#include "app/TfmOrv.h"
#include "app/settings/AutoRecordPage.h"
#include "app/settings/GeneralPage.h"
#include "app/settings/ModemPage.h"
#include "app/settings/MonitorPage.h"
#include "app/settings/SettingsPresenter.h"
#include "app/settings/StoragePage.h"
#include "app/settings/TfmSettings.h"
#include "audio/StandardFormats.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ProgramDir.h"
#include "config/SettingsStore.h"
#include "config/WaveFormatIni.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionsFile.h"
#include "support/DesktopNotifications.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"
#include "support/ui/ChooserService.h"

#include <QAction>
#include <QAudioDevice>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"
#include "recording/CallJournal.h"

#include "../audio/TestWavFiles.h"
#include "CutOffRecording.h"
#include "FileSizeLimit.h"
#include "ScaledTime.h"
#include "StandInNotifications.h"
#include "WindowHarness.h"

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

    void SetUp() override { ASSERT_TRUE(ProgramDir::prepare(dir.path())); }

    void TearDown() override { harness.reset(); }

    // A data directory as discovery leaves it for the virtual voice modem on COM3, and the
    // program started on it.
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
        QStringList args = {"--profile", profile, "--speed", speed, "--script", script};
        if (!link.isEmpty())
            args << "--link" << link;
        ASSERT_TRUE(vmodem.start(args));
        harness = std::make_unique<WindowHarness>(dir.path(), messages);
        RecorderSession &session = harness->session;
        writeVirtualModemSetup(session.ini(), dir.path(), link.isEmpty() ? vmodem.path() : link,
                               fileFormat);
        session.ini().WriteInteger("Params", "Timeout", 8);
        session.ini().WriteInteger("Params", "DiscTime", discTime);
        session.ini().WriteBool("Params", "AutoRecord", true);
        session.open();
        session.prefs().wavDir = dir.path() + "/wav/";
        if (notifications)
            harness->windows.setNotifications(std::move(notifications));
        harness->startWindows();

        context = &harness->windows.context();
        window = &harness->windows.mainWindow();
        catalogue = &session.catalogue();
        modem = &session.modem();
        recording = &harness->windows.recording();
        ASSERT_TRUE(modem->PortOpen()) << messages.texts.join('|').toStdString();
        ASSERT_TRUE(modem->AutoRecordArmed());
    }

    CallRecorder &recorder() { return harness->session.recorder(); }
    // The recording is over and the modem is back for the next call.
    bool recorderIdle() { return recorder().phase() == CallRecorder::Phase::Idle; }

    bool waitForRow(int ms)
    {
        return Waits::waitUntil(
            [&] { return catalogue->CallsTbl.RecordCount() > 0 && recorderIdle(); }, ms);
    }

    QStringList wavFiles() const
    {
        return QDir(dir.path() + "/wav").entryList({"*.wav"}, QDir::Files);
    }

    QTemporaryDir dir;
    QString link; // when set, the modem is reached through this symbolic link
    QString speed = StreamSpeed;
    ScriptedMessageService messages;
    VirtualModemProcess vmodem;
    // Given to the windows at start when set; else they use the session bus.
    std::unique_ptr<DesktopNotifications> notifications;
    std::unique_ptr<WindowHarness> harness;
    AppContext *context = nullptr;
    TfmOrv *window = nullptr;
    Catalogue *catalogue = nullptr;
    TfmModem *modem = nullptr;
    RecordingControl *recording = nullptr;
};

TEST_F(RecordingTest, AnsweredCallIsRecordedUntilSilenceAndCatalogued)
{
    start("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5551234|NAME=JOHN end=answered; "
          "voice speech 6000; voice silence",
          ImaAdpcmDefaultFormat(), 1);
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

// The desktop announces a call with the caller's name from the directory and each saved
// recording with its caller, length and end; the saved notice's action shows the recording,
// and with the option off nothing is announced.
TEST_F(RecordingTest, TheDesktopAnnouncesTheCallAndTheSavedRecording)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    StandInNotifications service;
    ASSERT_TRUE(service.registerOn(bus.connect("service")));
    notifications = std::make_unique<DesktopNotifications>(bus.connect("program"));
    QFile callers(dir.filePath("Callers.txt"));
    ASSERT_TRUE(callers.open(QIODevice::WriteOnly));
    callers.write("Calvora callers 1\nCaller\tAnne & Co\t555-1234\n");
    callers.close();
    start("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5551234 end=answered; voice speech 3000; "
          "voice silence; waitfor AT+VCID=1; wait 3000; call 2 400 NMBR=5550002 end=answered; "
          "voice speech 2000; voice silence",
          WorkingPcmFormat(), 1);
    ASSERT_TRUE(waitForRow(120000)) << context->log.lines().join('\n').toStdString();
    context->prefs.Notifications = false;
    const QString id = catalogue->currentRecordingId();
    ASSERT_TRUE(Waits::waitUntil([&] { return service.notices.size() >= 2; }, 10000));
    ASSERT_EQ(service.notices.size(), 2);
    EXPECT_EQ(service.notices[0].summary, "Incoming call");
    EXPECT_EQ(service.notices[0].body, "Anne &amp; Co\n5551234");
    EXPECT_EQ(service.notices[1].summary, "Recording saved");
    const QStringList saved = service.notices[1].body.split('\n');
    ASSERT_EQ(saved.size(), 3) << service.notices[1].body.toStdString();
    EXPECT_EQ(saved[0], "Anne &amp; Co (5551234)");
    EXPECT_TRUE(saved[1].startsWith("Length 0:0")) << saved[1].toStdString();
    EXPECT_EQ(saved[2], "Ended: Silence");

    ASSERT_TRUE(Waits::waitUntil([&] { return catalogue->recordingCount() == 2 && recorderIdle(); },
                                 120000));
    Waits::waitUntil([] { return false; }, 300);
    EXPECT_EQ(service.notices.size(), 2) << "the option is off";

    // Another folder is shown; the saved notice's action goes back to the recording.
    const QString folder = catalogue->currentFolderId();
    messages.textAnswers = {QString("Other")};
    window->actions().acAddNode->trigger();
    ASSERT_NE(catalogue->currentFolderId(), folder);
    window->showMinimized();
    emit service.ActionInvoked(service.notices[1].id, "default");
    EXPECT_TRUE(Waits::waitUntil([&] { return catalogue->currentRecordingId() == id; }, 10000));
    EXPECT_EQ(catalogue->currentFolderId(), folder);
    EXPECT_FALSE(window->isMinimized());
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
    catalogue->DataSource1DataChange();
    PlaybackControl &playback = harness->windows.playback();
    window->actions().acPlay->trigger();
    ASSERT_EQ(playback.Mplayer1.mode(), MediaPlayer::Mode::Playing)
        << messages.texts.join('|').toStdString();
    ASSERT_FALSE(window->actions().acRecord->isEnabled());

    ASSERT_TRUE(Waits::waitUntil([&] { return recording->recording(); }, 60000))
        << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(playback.Mplayer1.mode(), MediaPlayer::Mode::Playing) << "the playback goes on";
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 60000))
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

    recorder().recoverInterruptedRecording();
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
    window->actions().acRecord->trigger();
    ASSERT_TRUE(recording->recording());
    ASSERT_TRUE(Waits::waitUntil([&] { return recorderIdle(); }, 60000));
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
        [&] { return catalogue->CallsTbl.RecordCount() == 3 && recorderIdle(); }, 120000))
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
    recorder().watchdog().followLinksIn(&context->ini, byId);
    window->actions().acRecord->trigger();
    ASSERT_TRUE(Waits::waitUntil([&] { return recorderIdle(); }, 60000));
    ASSERT_EQ(catalogue->CallsTbl.RecordCount(), 1);

    // The old device name stays taken by another terminal, so the modem gets a new one. Other
    // tests free and take terminals meanwhile: terminals are held until the old name is one
    // of them (a new terminal gets the lowest free number), or another process holds it.
    std::vector<int> holders;
    const auto release = qScopeGuard([&holders] {
        for (const int fd : holders)
            ::close(fd);
    });
    for (int i = 0; i < 64; ++i) {
        const int holder = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(holder, 0);
        holders.push_back(holder);
        if (QString::fromLocal8Bit(::ptsname(holder)) == firstDevice)
            break;
    }
    VirtualModemProcess back;
    ASSERT_TRUE(back.start({"--speed", "4", "--link", link, "--script",
                            "waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550404 end=answered; "
                            "voice speech 2000; voice silence"}));
    ASSERT_NE(back.path(), firstDevice);
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 120000))
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
        stopped = Waits::waitUntil([&] { return recorderIdle(); }, 60000);
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
    {
        FileSizeLimit limit(20000);
        ASSERT_TRUE(limit.active());
        window->actions().acRecord->trigger();
        ASSERT_TRUE(Waits::waitUntil([&] { return recorderIdle(); }, 60000));
    }
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 120000))
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

// A disk full from a call's start leaves no row and no file, whether nothing, part of the
// header or the header alone fitted; the call is told of in the log (which the web page shows),
// in a message and on the desktop.
TEST_F(RecordingTest, ACallOnADiskFullFromItsStartLeavesNoRowButIsToldOf)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    StandInNotifications service;
    ASSERT_TRUE(service.registerOn(bus.connect("service")));
    notifications = std::make_unique<DesktopNotifications>(bus.connect("program"));
    start("voice speech", WorkingPcmFormat());
    struct Case
    {
        const char *what;
        rlim_t bytes;
    };
    const Case cases[] = {{"nothing fits", 0}, {"part of the header", 20}, {"the header", 44}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        messages.texts.clear();
        const qsizetype noticesBefore = service.notices.size();
        {
            FileSizeLimit limit(c.bytes);
            ASSERT_TRUE(limit.active());
            window->actions().acRecord->trigger();
            ASSERT_TRUE(Waits::waitUntil([&] { return recorderIdle(); }, 60000));
        }
        EXPECT_EQ(catalogue->recordingCount(), 0);
        EXPECT_TRUE(wavFiles().isEmpty()) << wavFiles().join(',').toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("wav/") + CallJournal::FileName));

        // The limit holds for every file of the process, so the serial port's lock file cannot
        // be written either and the modem comes back only once it is lifted.
        const QStringList calls = messages.texts.filter("was not recorded");
        ASSERT_EQ(calls.size(), 1) << messages.texts.join('|').toStdString();
        EXPECT_TRUE(messages.texts.filter("what was received is kept").isEmpty());
        const QString told = calls[0];
        EXPECT_TRUE(told.startsWith("The call at ")) << told.toStdString();
        EXPECT_TRUE(told.contains(" was not recorded: Disk full (")) << told.toStdString();
        EXPECT_TRUE(context->log.lines().contains(told));
        EXPECT_TRUE(context->log.lines().filter("what was received is kept").isEmpty());

        ASSERT_TRUE(
            Waits::waitUntil([&] { return service.notices.size() == noticesBefore + 1; }, 10000));
        EXPECT_EQ(service.notices.last().summary, "Call not recorded");
        const QStringList body = service.notices.last().body.split('\n');
        ASSERT_EQ(body.size(), 3) << service.notices.last().body.toStdString();
        EXPECT_TRUE(told.contains(" (" + body[0] + ") was not recorded")) << "the same caller";
        EXPECT_TRUE(told.contains(body[1])) << "the call's start";
        EXPECT_TRUE(body[2].startsWith("Disk full (")) << body[2].toStdString();
        EXPECT_TRUE(Waits::waitUntil([&] { return modem->PortOpen(); }, 60000))
            << "ready for the next call";
    }
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
        writeCutOffRecording(wav, 24000);
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
        journal.number = "5557777";
        journal.name = "Ann Example";
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

        recorder().recoverInterruptedRecording();
        ASSERT_EQ(catalogue->CallsTbl.RecordCount(), 1);
        EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5557777");
        if (!c.rowSaved) {
            const auto facts = catalogue->Details.facts(catalogue->currentRecordingId());
            ASSERT_TRUE(facts.has_value());
            EXPECT_EQ(facts->callerNumber, "5557777");
            EXPECT_EQ(facts->callerName, "Ann Example");
        }
        EXPECT_EQ(catalogue->RecordingFileName() + ".wav", finalName) << "the call's own start";
        EXPECT_EQ(wavFiles(), QStringList{finalName});
        EXPECT_NEAR(soxSeconds(dir.path() + "/wav/" + finalName), 3.0, 0.01);
        EXPECT_FALSE(QFile::exists(dir.path() + "/wav/Recorded.call"));

        recorder().recoverInterruptedRecording(); // the next start finds nothing to do
        EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 1);
    }
}

} // namespace

TEST_F(RecordingTest, AChangedRecordingsFolderReceivesTheNextRecording)
{
    // One call before the settings dialog and one after it.
    start("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=41 end=answered; voice speech 2000; "
          "voice silence",
          WorkingPcmFormat(), 1);
    ASSERT_TRUE(waitForRow(120000)) << context->log.lines().join('\n').toStdString();
    ASSERT_EQ(wavFiles().size(), 1);

    context->ini.WriteInteger("Params", "Timeout", 8);
    ScriptedChooserService &choosers = harness->choosers;
    TfmSettings &settings = harness->windows.settings();
    ASSERT_TRUE(window->actions().acSettings->isEnabled());
    QStringList fontsApplied;
    QObject::connect(window, &TfmOrv::listFontApplied,
                     [&](const QFont &font, const QColor &) { fontsApplied << font.family(); });

    const QString calls = dir.filePath("calls");
    ASSERT_TRUE(QDir().mkpath(calls));
    choosers.folderAnswers.push_back(calls);
    choosers.fontAnswers.push_back(QFont("DejaVu Serif", 12));
    choosers.colorAnswers.push_back(QColor(0, 0, 255));
    bool armedMeanwhile = false;
    // The dialog is driven once it is up; the modem stays armed while it shows.
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!settings.isVisible())
            return;
        driver.stop();
        armedMeanwhile = modem->PortOpen() && modem->AutoRecordArmed();
        settings.storagePage()->selectFolderButton()->click();
        settings.generalPage()->selectFontButton()->click();
        settings.generalPage()->startUpBox()->setChecked(true);
        settings.monitorPage()->backgroundButton()->click();
        settings.okButton()->click();
    });
    driver.start(10);
    window->actions().acSettings->trigger();
    EXPECT_TRUE(armedMeanwhile);
    EXPECT_TRUE(context->log.lines().contains("-- Options -> Settings clicked"));
    EXPECT_TRUE(modem->PortOpen()) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(modem->AutoRecordArmed());
    EXPECT_EQ(window->statusText(1), " COM PORT 3");
    EXPECT_FALSE(window->ReallyExit) << "closing the window now minimises it";
    EXPECT_EQ(window->tracePanel()->palette().color(QPalette::Window), QColor(0, 0, 255));
    EXPECT_EQ(window->recordingsList()->grid()->font().family(), "DejaVu Serif");
    EXPECT_EQ(fontsApplied, QStringList{"DejaVu Serif"});

    vmodem.step("wait 200; call 2 400 NMBR=42 end=answered; voice speech 2000; voice silence");
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 120000))
        << context->log.lines().join('\n').toStdString() << "\n--- the modem's side:\n"
        << vmodem.log().toStdString();
    EXPECT_EQ(wavFiles().size(), 1) << "the first recording stays where it was made";
    const QStringList files = QDir(calls).entryList({"*.wav"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QStringList paths;
    for (int row = 1; row <= 2; ++row) {
        catalogue->CallsTbl.setRecNo(row);
        paths << catalogue->recordingFilePath();
    }
    EXPECT_TRUE(paths.contains(calls + "/" + files[0])) << paths.join(',').toStdString();
    EXPECT_TRUE(paths.contains(dir.path() + "/wav/" + wavFiles().value(0)))
        << "the earlier row keeps its file";
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

// The modem stays armed while the settings dialog is open: a call ringing meanwhile is
// recorded; OK with a preference that needs no reopening leaves the port as it is; a change of
// the port's settings made while a call is recorded waits for the call's end.
TEST_F(RecordingTest, CallsRingingWhileTheSettingsAreOpenAreRecorded)
{
    start("waitfor AT+VCID=1", WorkingPcmFormat(), 1);
    TfmSettings &settings = harness->windows.settings();
    const auto resets = [&] { return int(vmodem.log().count("<< ATZ", Qt::CaseInsensitive)); };
    ASSERT_EQ(resets(), 1);
    const auto whileOpen = [&](const std::function<void()> &drive) {
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (!settings.isVisible())
                return;
            driver.stop();
            drive();
        });
        driver.start(10);
        window->actions().acSettings->trigger();
    };

    bool recorded = false;
    int before = 0;
    whileOpen([&] {
        vmodem.step("call 2 400 NMBR=5550401 end=answered; voice speech 2000; voice silence");
        recorded = Waits::waitUntil(
            [&] { return catalogue->CallsTbl.RecordCount() == 1 && recorderIdle(); }, 30000);
        before = resets();
        settings.autoRecordPage()->discTimeBox()->setValue(2);
        settings.okButton()->click();
    });
    ASSERT_TRUE(recorded) << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(context->prefs.DiscTime, 2);
    EXPECT_EQ(resets(), before) << "the port was left as it was";
    EXPECT_TRUE(modem->PortOpen());
    EXPECT_TRUE(modem->AutoRecordArmed());

    bool receiving = false;
    whileOpen([&] {
        vmodem.step("call 2 400 NMBR=5550402 end=answered; voice speech 60000; voice silence");
        receiving = Waits::waitUntil(
            [&] { return recorder().phase() == CallRecorder::Phase::Receiving; }, 30000);
        before = resets();
        settings.modemPage()->baudRateList()->setCurrentIndex(0);
        settings.okButton()->click();
    });
    ASSERT_TRUE(receiving) << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(recorder().phase(), CallRecorder::Phase::Receiving) << "the call is not cut";
    EXPECT_EQ(resets(), before);
    EXPECT_TRUE(harness->windows.settingsPresenter().reopenPending());
    ASSERT_TRUE(Waits::waitUntil(
        [&] {
            return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle() &&
                   !harness->windows.settingsPresenter().reopenPending();
        },
        60000))
        << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(resets(), before + 2) << "after the recording, and again with the new speed";
    EXPECT_EQ(context->ini.ReadInteger("Modem", "baudrate", -1), 0);
    EXPECT_TRUE(modem->PortOpen());
    EXPECT_TRUE(modem->AutoRecordArmed());
    double longest = 0;
    for (const QString &file : wavFiles())
        longest = std::max(longest, soxSeconds(dir.path() + "/wav/" + file));
    EXPECT_GT(longest, 59.0) << "the second call recorded whole";
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

namespace {

// Playback and a call meet: whichever ends first, the next call is recorded and the commands
// are as they are when nothing runs.
class CallDuringPlaybackTest : public RecordingTest
{
protected:
    void SetUp() override
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
        RecordingTest::SetUp();
    }

    // A catalogued recording of that many seconds, played from the list.
    void play(double seconds)
    {
        const QDateTime earlier(QDate(2026, 1, 2), QTime(9, 0, 0));
        ASSERT_TRUE(catalogue->AddRecordingRow(earlier, int(seconds), "old call"));
        QDir().mkpath(context->prefs.wavDir);
        ASSERT_TRUE(
            testaudio::writeSpeechWav(catalogue->recordingFilePathFor(earlier), 1, seconds, 8));
        catalogue->DataSource1DataChange();
        window->actions().acPlay->trigger();
        ASSERT_EQ(harness->windows.playback().state(), WindowState::Playback::Playing)
            << messages.texts.join('|').toStdString();
        Waits::waitMs(50); // the queued refresh of the command states
        ASSERT_FALSE(window->actions().acRecord->isEnabled());
    }

    void expectSecondCallRecordedAndCommandsIdle(const QString &caller)
    {
        ASSERT_TRUE(Waits::waitUntil(
            [&] { return catalogue->CallsTbl.RecordCount() == 3 && recorderIdle(); }, 120000))
            << context->log.lines().join('\n').toStdString();
        EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), caller);
        Waits::waitMs(50);
        const MainActions &a = window->actions();
        EXPECT_TRUE(a.acRecord->isEnabled());
        EXPECT_FALSE(a.acRecord->isChecked());
        EXPECT_TRUE(a.mnLevel->isEnabled());
        EXPECT_TRUE(a.mnEqualizer->isEnabled());
        EXPECT_TRUE(a.acPlay->isEnabled());
        EXPECT_FALSE(a.acRewind->isEnabled());
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    }
};

TEST_F(CallDuringPlaybackTest, ACallThatOutlastsThePlaybackLeavesTheNextCallRecorded)
{
    speed = "1";
    start("waitfor AT+VCID=1; wait 300; call 2 400 NMBR=5550101 end=answered; "
          "voice speech 11000; voice silence; waitfor AT+VCID=1; wait 5000; "
          "call 2 400 NMBR=5550102 end=answered; voice speech 1500; voice silence",
          WorkingPcmFormat(), 1);
    play(3.0);
    ASSERT_TRUE(Waits::waitUntil([&] { return recording->recording(); }, 30000))
        << context->log.lines().join('\n').toStdString();
    ASSERT_TRUE(Waits::waitUntil([&] { return !harness->windows.playback().busy(); }, 30000));
    EXPECT_TRUE(recording->recording()) << "the call goes on after the playback ended";
    Waits::waitMs(50);
    EXPECT_FALSE(window->actions().acRecord->isEnabled()) << "a recording runs";
    EXPECT_FALSE(window->actions().mnLevel->isEnabled());
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 60000));
    expectSecondCallRecordedAndCommandsIdle("5550102");
}

TEST_F(CallDuringPlaybackTest, ACallThatEndsBeforeThePlaybackEndsItAndTheNextCallIsRecorded)
{
    start("waitfor AT+VCID=1; wait 300; call 2 400 NMBR=5550201 end=answered; "
          "voice speech 3000; voice silence; waitfor AT+VCID=1; wait 5000; "
          "call 2 400 NMBR=5550202 end=answered; voice speech 1500; voice silence",
          WorkingPcmFormat(), 1);
    play(30.0);
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 60000))
        << context->log.lines().join('\n').toStdString();
    EXPECT_FALSE(harness->windows.playback().busy()) << "the recording's Stop ends the playback";
    expectSecondCallRecordedAndCommandsIdle("5550202");
}

TEST_F(CallDuringPlaybackTest, SettingsDuringAPlaybackLeaveRecordOffUntilItEnds)
{
    start("waitfor AT+VCID=1", WorkingPcmFormat(), 1);
    play(4.0);
    window->actions().acPause->trigger();
    ASSERT_EQ(harness->windows.playback().state(), WindowState::Playback::Paused);
    TfmSettings &settings = harness->windows.settings();
    QTimer::singleShot(200, &settings, [&settings] { settings.okButton()->click(); });
    window->actions().acSettings->trigger();
    // The calls ring once the settings are closed.
    vmodem.step("wait 300; call 2 400 NMBR=5550301 end=answered; voice speech 1500; "
                "voice silence; waitfor AT+VCID=1; wait 300; call 2 400 NMBR=5550302 "
                "end=answered; voice speech 1500; voice silence");
    Waits::waitMs(50);
    const MainActions &a = window->actions();
    EXPECT_FALSE(a.acRecord->isEnabled()) << "a playback is paused";
    EXPECT_TRUE(a.acRewind->isEnabled()) << "paused: Rewind and Fast forward stay";
    EXPECT_TRUE(a.acFF->isEnabled());
    a.acPlay->trigger();
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return catalogue->CallsTbl.RecordCount() == 2 && recorderIdle(); }, 60000))
        << context->log.lines().join('\n').toStdString();
    expectSecondCallRecordedAndCommandsIdle("5550302");
}

} // namespace

namespace {

// The program ending while a call's Stop settles leaves the modem closed, without a message
// about a port it never tried to open.
TEST_F(RecordingTest, AProgramEndingAsACallStopsLeavesTheModemQuietly)
{
    start("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5550900 end=answered; "
          "voice speech 1500; voice silence",
          WorkingPcmFormat(), 1);
    const auto notEnding = qScopeGuard([] { Waits::setEnding(false); });
    QObject::connect(&recorder(), &CallRecorder::phaseChanged, [](CallRecorder::Phase phase) {
        if (phase == CallRecorder::Phase::Stopping)
            Waits::setEnding(true);
    });
    ASSERT_TRUE(waitForRow(60000)) << context->log.lines().join('\n').toStdString();
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "5550900");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(context->log.lines().contains("The program ends; the modem is not armed again"));
    EXPECT_FALSE(modem->PortOpen());
}

} // namespace
