// Recording calls end to end: the virtual modem on a pseudo-terminal rings, sends caller ID
// and the line's sound; the program records, catalogues and names the WAV file.
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/ModemWiring.h"
#include "app/RecordingControl.h"
#include "audio/StandardFormats.h"
#include "audio/WaveFormatIni.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionsFile.h"
#include "modem/ui/TfmCallerID.h"
#include "support/IdleHandler.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "VirtualModemProcess.h"

#include "FileSizeLimit.h"

namespace {

double soxSeconds(const QString &path)
{
    QProcess soxi;
    soxi.start("soxi", {"-D", path});
    soxi.waitForFinished(30000);
    return QString::fromUtf8(soxi.readAllStandardOutput()).trimmed().toDouble();
}

class RecordingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        context =
            std::make_unique<AppContext>(StartOptions::parse({"calvora"}), dir.path(), messages);
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
        ASSERT_TRUE(vmodem.start({"--profile", profile, "--speed", "4", "--script", script}));
        const QString pty = vmodem.path();

        TIniFile &ini = context->ini;
        ini.WriteString("Ports", "COM3", pty);
        const std::pair<const char *, const char *> modemKeys[] = {
            {"port", "3"},
            {"VoiceMode", "at+fclass=8"},
            {"RecGain", "at+vgr=127"},
            {"SilenceTimer", "none"},
            {"VoiceCompression", "at+vsm=1,8000"},
            {"LineSel_T", "at+vls=1"},
            {"LineSel_T#", "ok"},
            {"ForCallerId", "at+vcid=1"},
            {"DisCallerId", "at+vcid=0"},
            {"Reset", "atz"},
            {"answer", "ats0=0"}};
        for (const auto &[key, value] : modemKeys)
            ini.WriteString("Modem", key, value);
        ini.WriteString("Params", "UseLine", "at+vls=1");
        ini.WriteString("Params", "UseLineRes", "OK");
        WriteWaveFormat(ini, "Modem compression", WorkingPcmFormat());
        WriteWaveFormat(ini, "File compression", fileFormat);
        CompressionRow row = *ParseVsmLine("1,\"UNSIGNED PCM\",8,0,8000,0,0");
        row.VSMCommand = BuildVsmCommand(row);
        ASSERT_TRUE(CompressionsFile::write(dir.filePath("Compressions.d"), {row}));

        LoadModemProfile(ini, context->ModemProfile);
        context->prefs.wavDir = dir.path() + "/wav/";
        context->prefs.DiscTime = discTime;
        context->prefs.Timeout = 4;
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
        modem->RearmAutoRecord();
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
    start("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5551234|NAME=JOHN end=answered; "
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

TEST_F(RecordingTest, BusyToneFromTheModemEndsAnAutomaticRecording)
{
    start("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=777 end=answered; voice speech; "
          "waitfor AT+VRX; wait 1500; event b",
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
    Waits::waitMs(2500);
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

TEST_F(RecordingTest, TheModemVanishingMidCallKeepsWhatWasRecorded)
{
    start("waitfor AT+VRX; wait 2500; exit", WorkingPcmFormat());
    window->actions().acRecord->trigger();
    ASSERT_TRUE(recording->recording());
    ASSERT_TRUE(Waits::waitUntil([&] { return !recording->recording(); }, 60000));
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 1);
    ASSERT_EQ(wavFiles().size(), 1);
    EXPECT_GT(soxSeconds(dir.path() + "/wav/" + wavFiles()[0]), 1.0);
    EXPECT_TRUE(messages.texts.join('|').contains("The modem was disconnected"))
        << messages.texts.join('|').toStdString();
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

} // namespace
