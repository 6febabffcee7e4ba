// The headless recorder as an always-on box runs it: started on a data directory set up for
// the virtual modem, recording calls by itself, ended by SIGTERM.
#include "audio/StandardFormats.h"
#include "catalogue/Catalogue.h"
#include "config/TIniFile.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"

namespace {

QString program(const QString &name)
{
    return qEnvironmentVariable("CALVORA_BIN_DIR") + "/" + name;
}

class RecorderTest : public ::testing::Test
{
protected:
    void SetUp() override { data = dir.filePath("data"); }

    void startModem(const QString &script)
    {
        ASSERT_TRUE(vmodem.start({"--speed", "4", "--script", script}));
        QDir().mkpath(data);
        TIniFile ini(data + "/orv.ini");
        writeVirtualModemSetup(ini, data, vmodem.path(), WorkingPcmFormat());
        ini.WriteInteger("Params", "DiscTime", 1);
    }

    void startRecorder(QProcess &process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CALVORA_TIME_SCALE", "0.5");
        process.setProcessEnvironment(env);
        process.start(program("calvora-recorder"), {"--data-dir", data});
        ASSERT_TRUE(process.waitForStarted());
    }

    // Waits until the recorder has written text count times to standard error.
    bool waitForOutput(QProcess &process, const QByteArray &text, int count, int ms)
    {
        return Waits::waitUntil(
            [&] {
                output += process.readAllStandardError();
                return output.count(text) >= count;
            },
            ms);
    }

    QStringList memos()
    {
        ScriptedMessageService messages;
        Catalogue catalogue(data, messages, nullptr);
        EXPECT_TRUE(catalogue.OpenCatalogue());
        QStringList list;
        for (catalogue.CallsTbl.First(); !catalogue.CallsTbl.Eof(); catalogue.CallsTbl.Next())
            list << catalogue.CallsTbl.FieldValues("Comment").toString();
        return list;
    }

    QTemporaryDir dir;
    QString data;
    VirtualModemProcess vmodem;
    QByteArray output;
};

// A call is recorded and catalogued with its caller; a second call cut off by SIGTERM is
// kept and catalogued too; a second program on the same data directory is refused.
TEST_F(RecorderTest, RecordsCallsAndKeepsTheCallInProgressOnSigterm)
{
    startModem("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550101 end=answered; "
               "voice speech 3000; voice silence; waitfor AT+VRX; waitfor AT+VCID=1; wait 300; "
               "call 2 800 NMBR=5550202 end=answered; voice speech");
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000)) << output.toStdString();
    ASSERT_TRUE(waitForOutput(recorder, "Receiving data...", 2, 60000)) << output.toStdString();
    Waits::waitMs(1500);

    QProcess second;
    second.start(program("calvora-recorder"), {"--data-dir", data});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_NE(second.exitCode(), 0);
    const QString refusal = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(refusal.contains(QString("in use by process %1").arg(recorder.processId())))
        << refusal.toStdString();

    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 0);
    output += recorder.readAllStandardError();
    EXPECT_EQ(output.count("-- Recording stopped"), 2) << output.toStdString();

    const QStringList rows = memos();
    EXPECT_EQ(rows, (QStringList{"5550101", "5550202"}));
    EXPECT_EQ(QDir(data + "/wav").entryList({"1_*.wav"}, QDir::Files).size(), 2);
    QFile log(data + "/Events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Caller ID detected"));
}

// A modem that stops answering (a hung USB modem) is found by the idle check, reopened, and
// the next call is recorded without a restart.
TEST_F(RecorderTest, AModemThatStopsAnsweringIsReopenedAndTheNextCallRecorded)
{
    startModem("waitfor AT+VCID=1; wait 300; deaf on; waitfor AT+VCID=1; wait 300; "
               "call 2 800 NMBR=5550303 end=answered; voice speech 2000; voice silence");
    {
        TIniFile ini(data + "/orv.ini");
        ini.WriteInteger("General", "ModemCheck", 1);
    }
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000)) << output.toStdString();
    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    output += recorder.readAllStandardError();
    EXPECT_TRUE(output.contains("The modem does not answer; reopening com port 3"))
        << output.toStdString();
    EXPECT_TRUE(output.contains("Modem back on com port 3"));
    EXPECT_EQ(memos(), QStringList{"5550303"});
}

// A recorder killed in the middle of a call (SIGKILL, a power cut) leaves its log lines up to
// the kill in Events.log, and the next start catalogues the call with its caller.
TEST_F(RecorderTest, AKilledCallIsLoggedAndCataloguedAtTheNextStart)
{
    startModem("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550505 end=answered; voice speech");
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(waitForOutput(recorder, "Receiving data...", 1, 120000)) << output.toStdString();
    Waits::waitMs(1500);
    ::kill(pid_t(recorder.processId()), SIGKILL);
    ASSERT_TRUE(recorder.waitForFinished(30000));

    QFile log(data + "/Events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    for (const char *line : {"------------ New session ------------", "Caller ID detected",
                             "-- Recording started", "Receiving data..."})
        EXPECT_TRUE(lines.contains(line)) << line;
    log.close();

    QProcess again;
    startRecorder(again);
    ASSERT_TRUE(waitForOutput(again, "Recovered an interrupted recording", 1, 60000))
        << output.toStdString();
    ::kill(pid_t(again.processId()), SIGTERM);
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_EQ(memos(), QStringList{"5550505"});
}

// The recorder is for boxes without a desktop: it must not need the GUI libraries.
TEST(RecorderBinaryTest, LinksNeitherQtGuiNorQtWidgets)
{
    QProcess readelf;
    readelf.start("readelf", {"-d", program("calvora-recorder")});
    ASSERT_TRUE(readelf.waitForFinished(30000));
    const QString needed = QString::fromLocal8Bit(readelf.readAllStandardOutput());
    ASSERT_TRUE(needed.contains("libQt6Core")) << needed.toStdString();
    EXPECT_FALSE(needed.contains("libQt6Gui"));
    EXPECT_FALSE(needed.contains("libQt6Widgets"));
}

} // namespace
