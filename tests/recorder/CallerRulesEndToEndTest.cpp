// Rules for calls end to end: the virtual modem on a pseudo-terminal rings with a caller ID,
// the recorder session (without any window) applies the first matching rule, and the
// catalogue, the details table and the disk show what it did. A call a rule never records
// leaves no byte on disk, and the next call is recorded as usual.
#include "callers/CallerDirectory.h"
#include "catalogue/store/StoreVariant.h"
#include "recording/CallJournal.h"

#include <QDir>
#include <QFile>

#include "CaseName.h"
#include "CutOffRecording.h"
#include "VirtualModemSession.h"

namespace {

const char *const SalesFolder = "SALES1";

struct Case
{
    const char *name;
    const char *rules;     // lines of the rules file after its first; FOLDER is the Sales folder
    const char *firstCall; // the caller-ID fields of the first call; empty: no caller ID
    enum
    {
        Recorded,      // the first call is recorded
        Skipped,       // the first call is not recorded; a second one from 5550100 is
        RecordedByHand // the first call is not recorded until the user presses Record
    } first;
    // The recorded call's row and details.
    const char *folder;
    const char *memo; // TODAY is the date of the call
    const char *callerNumber;
    const char *callerName;
};

const Case Cases[] = {
    {"filed into a folder", "Rule\tmatch=number-is\tvalue=555 0100\tfolder=FOLDER\n",
     "NMBR=5550100", Case::Recorded, "Sales", "5550100", "5550100", "Anne Smith"},
    {"a group's memo from a template",
     "Rule\tmatch=withheld\tnever-record=yes\n"
     "Rule\tmatch=group\tvalue=family\tmemo={name} on {date}, {number}\n",
     "NMBR=5550100", Case::Recorded, "General", "Anne Smith on TODAY, 5550100", "5550100",
     "Anne Smith"},
    {"the named memo", "NamedMemo\tyes\n", "NMBR=5550100", Case::Recorded, "General",
     "Anne Smith (5550100)", "5550100", "Anne Smith"},
    {"never record a number", "Rule\tmatch=number-starts-with\tvalue=555 019\tnever-record=yes\n",
     "NMBR=5550199", Case::Skipped, "General", "5550100", "5550100", "Anne Smith"},
    {"never record a withheld caller", "Rule\tmatch=withheld\tnever-record=yes\n", "NMBR=P",
     Case::Skipped, "General", "5550100", "5550100", "Anne Smith"},
    {"never record a call without caller ID",
     "Rule\tmatch=unavailable\tnever-record=yes\nRule\tmatch=any\tfolder=FOLDER\n", "",
     Case::Skipped, "Sales", "5550100", "5550100", "Anne Smith"},
    {"record by hand a caller never recorded",
     "Rule\tmatch=number-is\tvalue=5550199\tnever-record=yes\nRule\tmatch=any\tmemo=x\n",
     "NMBR=5550199", Case::RecordedByHand, "General", "5550199", "5550199", ""},
};

class CallerRulesEndToEndTest : public ::testing::TestWithParam<Case>, public VirtualModemSession
{
protected:
    void SetUp() override
    {
        CallerDirectory callers(dir.path());
        callers.import({{"Anne Smith", {"555-0100"}, {"Family"}}});
        ASSERT_TRUE(callers.save());
    }

    void start(const Case &c)
    {
        QString script = "waitfor AT+VCID=1; wait 200; call 2 400 ";
        script += QString(c.firstCall) + " end=answered";
        if (c.first == Case::Recorded)
            script += "; voice speech 3000; voice silence";
        ASSERT_TRUE(open(script, 1));
        // A second folder to file recordings in.
        TStoreTable &folders = session->catalogue().FoldersTbl;
        folders.Append();
        folders.setFieldValue("FolderId", SalesFolder);
        folders.setFieldValue("FolderName", "Sales");
        folders.Post();
        folders.SaveChanges();
        folders.First();
        QFile rules(dir.filePath("Rules.txt"));
        ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
        rules.write("Calvora rules 1\n" + QByteArray(c.rules).replace("FOLDER", SalesFolder));
        rules.close();
        ASSERT_TRUE(bringOnLine());
    }

    // The catalogue's rows in every folder, as "folder name: memo", and their codes.
    QStringList rows(QStringList *ids = nullptr) const
    {
        const Catalogue &catalogue = session->catalogue();
        const TStoreTable &folders = catalogue.FoldersTbl;
        QHash<QString, QString> names;
        for (int i = 0; i < folders.RecordCount(); ++i)
            names.insert(folders.valueAt(i, folders.fieldIndex("FolderId")).toString(),
                         folders.valueAt(i, folders.fieldIndex("FolderName")).toString());
        const TStoreCursor &c = catalogue.CallsTbl.cursor();
        QStringList list;
        for (std::size_t i = 0; i < c.recordCount(); ++i) {
            if (!c.record(i).isLive())
                continue;
            const QString folder = StoreVariant::text(c.bytes(i, c.fieldIndex("FolderId")));
            list << names.value(folder) + ": " +
                        StoreVariant::text(c.bytes(i, c.fieldIndex("Comment")));
            if (ids)
                *ids << StoreVariant::text(c.bytes(i, c.fieldIndex("id")));
        }
        return list;
    }

    QString shownFolder() const
    {
        return session->catalogue().FoldersTbl.FieldValues("FolderName").toString();
    }

    // Every file in the recordings folder, hidden ones too.
    QStringList recordingsFolder() const
    {
        return QDir(session->prefs().wavDir)
            .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
};

TEST_P(CallerRulesEndToEndTest, TheFirstMatchingRuleFilesNamesOrSkipsTheCall)
{
    const Case &c = GetParam();
    start(c);
    Catalogue &catalogue = session->catalogue();
    if (c.first != Case::Recorded) {
        ASSERT_TRUE(
            Waits::waitUntil([&] { return logText().contains("A rule skipped the call"); }, 60000))
            << logText().toStdString();
        // The modem had time to be told to send, and a recording to write; nothing was.
        Waits::waitMs(1500);
        EXPECT_EQ(recordingsFolder(), QStringList()) << "no byte of the call on disk";
        EXPECT_EQ(catalogue.recordingCount(), 0);
        EXPECT_FALSE(logText().contains("-- Recording started"));
        EXPECT_FALSE(vmodem.log().contains("AT+VRX", Qt::CaseInsensitive));
        EXPECT_EQ(catalogue.Details.rowCount(), 0);
        if (c.first == Case::Skipped) {
            vmodem.step("call 2 400 NMBR=5550100 end=answered; voice speech 3000; voice silence");
        } else {
            // The user decides: the call is recorded, and the log says a rule was overruled.
            vmodem.step("voice speech");
            ASSERT_TRUE(session->recorder().acRecordExecute());
            Waits::waitMs(500);
            session->recorder().acStopExecute();
            EXPECT_TRUE(logText().contains("Recorded by hand, although the rule says never"));
        }
    }
    ASSERT_TRUE(waitForRecordings(1, 120000)) << logText().toStdString();

    QStringList ids;
    EXPECT_EQ(rows(&ids), QStringList{QString(c.folder) + ": " +
                                      QString(c.memo).replace(
                                          "TODAY", QDate::currentDate().toString(Qt::ISODate))});
    EXPECT_EQ(shownFolder(), "General") << "a row filed elsewhere leaves the folder shown";
    ASSERT_EQ(ids.size(), 1);
    const QString id = ids.first();
    const auto facts = catalogue.Details.facts(id);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->callerNumber, c.callerNumber);
    EXPECT_EQ(facts->callerName, c.callerName);
    EXPECT_EQ(recordingsFolder().size(), 1) << "the recording alone, no file of a skipped call";
    EXPECT_EQ(vmodem.log().count("AT+VRX", Qt::CaseInsensitive), 1);
}

INSTANTIATE_TEST_SUITE_P(Rules, CallerRulesEndToEndTest, ::testing::ValuesIn(Cases), CaseName());

// A call no rule files goes to the folder shown (General for a program without windows),
// whatever the call before was filed into: by a rule, or by the recovery of a call a crash cut
// off.
class UnfiledCallsTest : public CallerRulesEndToEndTest
{};

TEST_F(UnfiledCallsTest, GoToTheFolderShownAfterARuleOrARecoveryFiledElsewhere)
{
    Case c{"two calls",
           "Rule\tmatch=number-is\tvalue=5550100\tfolder=FOLDER\n",
           "NMBR=5550100",
           Case::Recorded,
           "",
           "",
           "",
           ""};
    start(c);
    // A call a crash cut off, filed into Sales when it started, is recovered before the first
    // call rings.
    QDir().mkpath(session->prefs().wavDir);
    QFile wav(session->recorder().RecordFileName());
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    writeCutOffRecording(wav, 24000);
    wav.close();
    CallJournal journal;
    journal.start = QDateTime::currentDateTime().addSecs(-3600);
    journal.caller = "5550999";
    journal.folderId = SalesFolder;
    ASSERT_TRUE(journal.write(session->prefs().wavDir + CallJournal::FileName));
    session->recorder().recoverInterruptedRecording();
    EXPECT_EQ(rows(), QStringList{"Sales: 5550999"});
    EXPECT_EQ(shownFolder(), "General");

    // The rule files the first call into Sales; the second call, which no rule files, goes to
    // General.
    ASSERT_TRUE(waitForRecordings(2, 120000)) << logText().toStdString();
    vmodem.step("waitfor ATZ; wait 500; call 2 400 NMBR=5550200 end=answered; voice speech 3000; "
                "voice silence");
    ASSERT_TRUE(waitForRecordings(3, 120000)) << logText().toStdString();
    EXPECT_EQ(rows(), QStringList({"Sales: 5550999", "Sales: 5550100", "General: 5550200"}));
    EXPECT_EQ(shownFolder(), "General");
}

} // namespace
