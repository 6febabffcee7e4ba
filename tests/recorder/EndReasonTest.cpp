// Why a recording ended, end to end: the virtual modem on a pseudo-terminal carries each kind of
// ending, the recorder session records the call without any window, and calvora-catalogue
// lists the reason (and the silent mark) the details table kept for it.
#include "config/StorageSettings.h"

#include <QProcess>

#include "CaseName.h"
#include "FileSizeLimit.h"
#include "VirtualModemSession.h"

namespace {

// How the test ends the call, besides what the line does by itself.
enum class Action
{
    None,     // an automatic call, ended by the line
    UserStop, // the user records and presses Stop
    UserLong, // the user records and leaves it running
    FullDisk, // the user records onto a disk that fills up
};

struct Case
{
    const char *name;
    const char *script;
    Action action;
    int discTime;
    int maxMinutes;
    const char *ended; // the "Ended" column, as its start
    bool silent;
};

// The calls are all answered after two rings with caller ID, then carry what the case says.
#define CALL "waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5550100 end=answered; "

const Case Cases[] = {
    {"user", "voice speech", Action::UserStop, 10, 0, "Stopped by the user", false},
    {"silence", CALL "voice speech 3000; voice silence", Action::None, 1, 0, "Silence", false},
    {"busy tone on the line", CALL "voice speech 3000; voice busy", Action::None, 30, 0,
     "Busy or dial tone", false},
    {"the modem's busy report", CALL "voice speech; waitfor AT+VRX; wait 300; event b",
     Action::None, 30, 0, "Modem: busy tone", false},
    {"the handset put down", CALL "voice speech; waitfor AT+VRX; wait 300; event h", Action::None,
     30, 0, "Modem: handset on-hook", false},
    {"another event", CALL "voice speech; waitfor AT+VRX; wait 300; event l", Action::None, 30, 0,
     "Modem: code l", false},
    {"maximum length", "voice speech", Action::UserLong, 10, 1, "Maximum length (1 min)", false},
    {"modem lost", "voice speech; waitfor AT+VRX; wait 500; exit", Action::UserLong, 10, 0,
     "Modem lost (", false},
    {"disk full", "voice speech", Action::FullDisk, 10, 0, "Disk full (File too large)", false},
    {"an empty call", CALL "voice silence", Action::None, 3, 0, "Silence", true},
};

class EndReasonTest : public ::testing::TestWithParam<Case>, public VirtualModemSession
{
protected:
    void start(const Case &c)
    {
        ASSERT_TRUE(open(c.script, c.discTime, [&](TIniFile &ini) {
            StorageSettings storage;
            storage.maxRecordingMinutes = c.maxMinutes;
            if (c.maxMinutes > 0)
                saveStorageSettings(ini, storage);
        }));
        ASSERT_TRUE(bringOnLine());
    }

    bool waitForRow(int ms) { return waitForRecordings(1, ms); }

    // The only row's "Ended" and "Silent" columns as calvora-catalogue lists them.
    QStringList listed()
    {
        QProcess tool;
        tool.start(qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora-catalogue",
                   {"--data-dir", dir.path(), "list"});
        EXPECT_TRUE(tool.waitForFinished(60000));
        const QStringList lines =
            QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
        const QStringList header = lines.value(0).split('\t');
        const QStringList row = lines.value(1).split('\t');
        return {row.value(header.indexOf("Ended")), row.value(header.indexOf("Silent"))};
    }
};

TEST_P(EndReasonTest, TheReasonIsKeptLoggedAndListed)
{
    const Case &c = GetParam();
    start(c);
    CallRecorder &recorder = session->recorder();
    switch (c.action) {
    case Action::None:
        break;
    case Action::UserStop:
        ASSERT_TRUE(recorder.acRecordExecute());
        Waits::waitMs(500);
        recorder.acStopExecute();
        break;
    case Action::UserLong:
        ASSERT_TRUE(recorder.acRecordExecute());
        break;
    case Action::FullDisk: {
        FileSizeLimit limit(20000);
        ASSERT_TRUE(limit.active());
        ASSERT_TRUE(recorder.acRecordExecute());
        ASSERT_TRUE(waitForRow(60000)) << logText().toStdString();
        break;
    }
    }
    ASSERT_TRUE(waitForRow(120000)) << logText().toStdString();

    const QStringList log = session->log().lines();
    const qsizetype stopped = log.indexOf("-- Recording stopped");
    ASSERT_GE(stopped, 0);
    EXPECT_TRUE(log.value(stopped + 1).startsWith(QString("Recording ended: ") + c.ended))
        << log.value(stopped + 1).toStdString();
    const QStringList columns = listed();
    EXPECT_TRUE(columns.value(0).startsWith(c.ended)) << columns.value(0).toStdString();
    EXPECT_EQ(columns.value(1), c.silent ? "yes" : "");
}

INSTANTIATE_TEST_SUITE_P(Endings, EndReasonTest, ::testing::ValuesIn(Cases), CaseName());

} // namespace
