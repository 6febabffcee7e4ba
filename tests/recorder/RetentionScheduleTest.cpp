// When the retention rules run in the recorder session both programs share: only once the user
// agreed (asked once, a refusal remembered), once a day across restarts, and after each
// recording, through the virtual modem.
#include "audio/StandardFormats.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "config/StorageSettings.h"
#include "modem/TfmModem.h"
#include "recording/CallRecorder.h"
#include "recording/RecorderSession.h"
#include "recording/RetentionScheduler.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "NoWindows.h"
#include "ScaledTime.h"
#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"

namespace {

class RetentionScheduleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        session = std::make_unique<RecorderSession>(dir.path(), messages);
    }

    void TearDown() override
    {
        session.reset();
        qputenv("XDG_DATA_HOME", oldDataHome);
    }

    // Recordings older than 30 days go.
    void keepThirtyDays()
    {
        StorageSettings s;
        s.retention.all.maxDays = 30;
        saveStorageSettings(session->ini(), s);
    }

    // A catalogued recording that started days ago, with a file.
    QString addRecording(int daysAgo, const QString &memo)
    {
        Catalogue &c = session->catalogue();
        EXPECT_TRUE(c.AddRecordingRow(QDateTime::currentDateTime().addDays(-daysAgo).addSecs(-60),
                                      10, memo));
        QDir().mkpath(session->prefs().wavDir);
        QFile file(c.recordingFilePath());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF");
        return c.recordingFilePath();
    }

    int logged(const QString &text) const
    {
        int n = 0;
        for (const QString &line : session->log().lines())
            n += line.contains(text) ? 1 : 0;
        return n;
    }

    QTemporaryDir dir;
    QTemporaryDir home;
    QByteArray oldDataHome;
    ScriptedMessageService messages;
    std::unique_ptr<RecorderSession> session;
};

TEST_F(RetentionScheduleTest, NothingIsRemovedBeforeTheUserAgreesAndARefusalIsRemembered)
{
    session->open();
    keepThirtyDays();
    const QString old = addRecording(60, "old");
    RetentionScheduler &retention = session->retention();

    // Nobody to ask (the headless recorder): it waits and says so, once.
    EXPECT_EQ(retention.runNow(), 0);
    EXPECT_EQ(retention.runNow(), 0);
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_EQ(logged("Retention would remove 1 recording"), 1);

    int asked = 0;
    bool answer = false;
    retention.askFirstTime = [&](RetentionPass &pass) {
        ++asked;
        EXPECT_TRUE(pass.summary().startsWith("1 recording, ")) << pass.summary().toStdString();
        return answer;
    };
    EXPECT_EQ(retention.runNow(), 0);
    EXPECT_EQ(retention.runNow(), 0);
    EXPECT_EQ(asked, 1) << "a refusal holds for the run";
    EXPECT_TRUE(QFile::exists(old));

    retention.rulesChanged();
    answer = true;
    EXPECT_EQ(retention.runNow(), 1);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(home.filePath("Trash/files/") + QFileInfo(old).fileName()));
    EXPECT_EQ(agreedRetentionRules(session->ini()), QStringList{"age"});

    const QString older = addRecording(90, "older");
    EXPECT_EQ(retention.runNow(), 1);
    EXPECT_EQ(asked, 2) << "an agreed rule is not asked about again";
    EXPECT_FALSE(QFile::exists(older));
    EXPECT_EQ(logged("Retention removed "), 4) << "each removal, and each pass's count";
}

// While the window plays a recording no pass runs, and the day's pass is still to come.
TEST_F(RetentionScheduleTest, NoPassRunsWhileBusy)
{
    session->open();
    keepThirtyDays();
    agreeRetentionRules(session->ini(), {"age"});
    const QString old = addRecording(60, "old");
    RetentionScheduler &retention = session->retention();
    bool playing = true;
    retention.busy = [&playing] { return playing; };
    retention.checkDay();
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_FALSE(lastRetentionDay(session->ini()).isValid());
    playing = false;
    retention.checkDay();
    EXPECT_FALSE(QFile::exists(old));
}

TEST_F(RetentionScheduleTest, ThePassRunsOnceADay)
{
    session->open();
    keepThirtyDays();
    agreeRetentionRules(session->ini(), {"age"});
    RetentionScheduler &retention = session->retention();
    QDateTime now = QDateTime::currentDateTime();
    retention.clock = [&now] { return now; };

    const QString first = addRecording(60, "first");
    retention.checkDay();
    EXPECT_FALSE(QFile::exists(first));
    const QString second = addRecording(60, "second");
    retention.checkDay();
    EXPECT_TRUE(QFile::exists(second)) << "today's pass ran already";

    // The next start of the program, the same day, runs no pass either.
    session.reset();
    session = std::make_unique<RecorderSession>(dir.path(), messages);
    session->open();
    session->retention().clock = [&now] { return now; };
    Waits::waitMs(50); // the first look at the day
    EXPECT_TRUE(QFile::exists(second));

    now = now.addDays(1);
    session->retention().checkDay();
    EXPECT_FALSE(QFile::exists(second));
}

TEST_F(RetentionScheduleTest, ThePassRunsAfterEachRecording)
{
    ScaledTime fast{0.1};
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--speed", "20", "--script",
                              "waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5550123 "
                              "end=answered; voice speech 2000; voice silence"}));
    writeVirtualModemSetup(session->ini(), dir.path(), vmodem.path(), WorkingPcmFormat());
    session->ini().WriteInteger("Params", "Timeout", 8);
    session->ini().WriteInteger("Params", "DiscTime", 1);
    session->open();
    keepThirtyDays();
    agreeRetentionRules(session->ini(), {"age"});
    setLastRetentionDay(session->ini(), QDate::currentDate()); // today's pass ran
    const QString old = addRecording(60, "old");
    NoWindows noWindows;
    session->bringModemOnLine(noWindows, noWindows);
    ASSERT_TRUE(session->modem().PortOpen()) << messages.texts.join('|').toStdString();

    ASSERT_TRUE(Waits::waitUntil([&] { return !QFile::exists(old); }, 120000))
        << session->log().lines().join('\n').toStdString();
    const QStringList log = session->log().lines();
    EXPECT_LT(log.indexOf("-- Recording stopped"),
              log.indexOf("Retention removed 1 recording (0.0 MB)"));
    ASSERT_EQ(session->catalogue().recordingCount(), 1);
    EXPECT_EQ(session->catalogue().CallsTbl.FieldValues("Comment").toString(), "5550123");
}

} // namespace
