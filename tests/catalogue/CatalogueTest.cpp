// The catalogue: first start, codes, names, recording rows, the delete hooks, and start-up
// with a damaged table.
#include "catalogue/Catalogue.h"
#include "StoreTestUtil.h"
#include "catalogue/CatalogueSchema.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

const QDateTime Start(QDate(2024, 3, 15), QTime(14, 30, 5, 123));

DateTimeFormats dotted()
{
    return DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
}

class CatalogueTest : public ::testing::Test
{
protected:
    CatalogueTest() : log(dir.filePath("Events.log")) { makeCatalogue(); }

    void makeCatalogue()
    {
        catalogue = std::make_unique<Catalogue>(dir.path(), messages, &log);
        catalogue->clock = [this] { return now; };
        catalogue->formats = dotted();
        catalogue->recordingsDir = [this] { return dir.filePath("wav") + "/"; };
        catalogue->clearFolderTree = [this] { treeCalls << "clear"; };
        catalogue->addRootFolderNode = [this](const QString &name, const QString &code) {
            treeCalls << name + " " + code;
        };
        catalogue->loadFolderTree = [this] { treeCalls << "load"; };
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // A second folder row, as the folder tree adds one.
    void addFolder(const QString &code, const QString &name)
    {
        TStoreTable &f = catalogue->FoldersTbl;
        f.Append();
        f.setFieldValue("FolderId", code);
        f.setFieldValue("FolderName", name);
        f.Post();
        f.SaveChanges();
    }

    QStringList memos()
    {
        QStringList out;
        TStoreTable &c = catalogue->CallsTbl;
        for (int row = 0; row < c.RecordCount(); ++row)
            out << c.valueAt(row, c.fieldIndex("Comment")).toString();
        return out;
    }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    EventLog log;
    QDateTime now = Start;
    QStringList treeCalls;
    std::unique_ptr<Catalogue> catalogue;
};

TEST(UniqueCodeTest, CodesFollowTheClockAndTheRunCounter)
{
    struct Case
    {
        QDateTime at;
        int calls;
        const char *last;
    };
    const std::vector<Case> cases = {
        {Start, 1, "rI6T76E2"},
        {Start, 2, "rI6T76E3"},
        {QDateTime(QDate(2000, 11, 1), QTime(0, 0)), 1, "00000000"},
        {QDateTime(QDate(2000, 11, 1), QTime(0, 0)), 3845, "00000000"}, // the counter wraps
        {QDateTime(QDate(2000, 11, 2), QTime(1, 2, 3, 999)), 1, "00P1znW0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.at.toString(Qt::ISODateWithMs).toStdString() + " x" +
                     std::to_string(c.calls));
        UniqueCodeGenerator generator;
        QString code;
        for (int i = 0; i < c.calls; ++i)
            code = generator.next(c.at);
        EXPECT_EQ(code, c.last);
    }
}

TEST(RecordingNamesTest, DurationsAreMinutesAndTwoDigitSeconds)
{
    const std::vector<std::pair<int, const char *>> cases = {
        {0, "00:00"},   {5, "00:05"},   {59, "00:59"},    {65, "01:05"},
        {600, "10:00"}, {754, "12:34"}, {6000, "100:00"}, {-3, "00:00"}};
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(DurationText(seconds), text) << seconds;
}

TEST(RecordingNamesTest, FileNameReadsTheRowTextsBackWithTheFormats)
{
    struct Case
    {
        const char *locale, *date, *time;
        const char *dateText, *timeText; // as written with the safe formats
    };
    const std::vector<Case> cases = {
        {"C", "dd.MM.yyyy", "HH:mm:ss", "15.03.2024", "14:30:05"},
        // Two-digit years become four; the zone is left out; narrow spaces become plain.
        {"en_US", "M/d/yy", "h:mm:ss\u202fAP t", "3/15/2024", "2:30:05 PM"},
        {"de_DE", "dd.MM.yy", "HH:mm:ss t", "15.03.2024", "14:30:05"},
        // A format whose text cannot fit the field falls back to ISO order.
        {"C", "dddd, d MMMM yyyy", "HH:mm:ss", "2024-03-15", "14:30:05"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date);
        const DateTimeFormats f = DateTimeFormats::fromLocale(QLocale(c.locale), c.date, c.time);
        EXPECT_EQ(f.dateText(Start.date()), c.dateText);
        EXPECT_EQ(f.timeText(Start.time()), c.timeText);
        EXPECT_EQ(RecordingFileName(1, c.dateText, c.timeText, f), "1_20240315_143005");
    }
    // Texts written under another format no longer give the same name (or any name).
    const DateTimeFormats us =
        DateTimeFormats::fromLocale(QLocale("en_US"), "M/d/yy", "h:mm:ss AP");
    EXPECT_EQ(RecordingFileName(1, "03.04.2024", "14:30:05", us), QString());
    EXPECT_EQ(RecordingFileName(1, "3/4/2024", "2:30:05 PM", us), "1_20240304_143005");
    EXPECT_EQ(RecordingFileName(1, "3/4/2024", "2:30:05 PM", dotted()), QString());
}

TEST_F(CatalogueTest, FirstStartCreatesBothTablesAndTheGeneralFolder)
{
    QSignalSpy states(catalogue.get(), &Catalogue::commandStatesChanged);
    ASSERT_TRUE(catalogue->OpenCatalogue());
    EXPECT_TRUE(messages.texts.isEmpty());

    const QByteArray block = recordingsBlock();
    EXPECT_EQ(readFile(path("Recordings.d")),
              le32(17 + static_cast<std::uint32_t>(block.size())) + 'S' + le32(0) + le32(7) +
                  le32(static_cast<std::uint32_t>(block.size())) + block);

    TStoreTable &folders = catalogue->FoldersTbl;
    ASSERT_EQ(folders.RecordCount(), 1);
    EXPECT_EQ(folders.FieldValues("FolderName").toString(), "General");
    const QString code = folders.FieldValues("FolderID").toString();
    EXPECT_EQ(code, "rI6T76E2");
    EXPECT_EQ(treeCalls, QStringList({"clear", "General " + code, "load"}));
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 0);
    ASSERT_FALSE(states.isEmpty());
    EXPECT_FALSE(states.last().at(0).value<CommandStates>().hasRows);

    // The second start reads the files it made.
    makeCatalogue();
    ASSERT_TRUE(catalogue->OpenCatalogue());
    EXPECT_EQ(catalogue->FoldersTbl.FieldValues("FolderId").toString(), code);
    EXPECT_EQ(catalogue->FoldersTbl.LoadMode(), TableLoadMode::lmFile);
}

TEST_F(CatalogueTest, RecordingRowsGoToTheCurrentFolderAndAreSaved)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    QSignalSpy states(catalogue.get(), &Catalogue::commandStatesChanged);
    ASSERT_TRUE(catalogue->AddRecordingRow(Start, 59, "+49 30 1234"));
    EXPECT_TRUE(states.last().at(0).value<CommandStates>().hasRows);
    EXPECT_EQ(catalogue->RecordingFileName(), "1_20240315_143005");
    EXPECT_EQ(catalogue->recordingFilePath(), path("wav/1_20240315_143005.wav"));

    addFolder("SALES", "Sales");
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 0) << "the new folder is current and empty";
    catalogue->callerIdEnabled = [] { return false; };
    now = now.addSecs(1);
    ASSERT_TRUE(catalogue->AddRecordingRow(Start.addSecs(-3600), 600, "ignored"));
    catalogue->callerIdEnabled = [] { return true; };
    ASSERT_TRUE(catalogue->AddRecordingRow(Start, 5, QString("line\nbreak")));
    EXPECT_EQ(memos(), QStringList({" ", "line break"}));
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Duration").toString(), "00:05");
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("FolderId").toString(), "SALES");

    makeCatalogue();
    ASSERT_TRUE(catalogue->OpenCatalogue());
    EXPECT_EQ(memos(), QStringList({"+49 30 1234"})) << "General lists only its own row";
    TStoreTable &row = catalogue->CallsTbl;
    EXPECT_EQ(row.FieldValues("DateS").toString(), "15.03.2024");
    EXPECT_EQ(row.FieldValues("TimeS").toString(), "14:30:05");
    EXPECT_EQ(row.FieldValues("Duration").toString(), "00:59");
    EXPECT_EQ(row.FieldValues("Channel").toInt(), 1);
    EXPECT_EQ(row.FieldValues("id").toString().size(), 8);
    ASSERT_TRUE(catalogue->FoldersTbl.Locate("FolderId", "SALES"));
    EXPECT_EQ(memos(), QStringList({" ", "line break"}));
    EXPECT_EQ(row.FieldValues("TimeS").toString(), "13:30:05");
    EXPECT_EQ(row.FieldValues("Duration").toString(), "10:00");
}

// A row filed into another folder (by a rule, or recovered after a crash) must not move the
// folder shown: the tree would highlight one folder while the list shows another, and the next
// call would be filed where the last one went.
TEST_F(CatalogueTest, ARowFiledElsewhereLeavesTheShownFolderAndRowAsTheyWere)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    const QString general = catalogue->currentFolderId();
    ASSERT_TRUE(catalogue->AddRecordingRow(Start, 10, "first"));
    ASSERT_TRUE(catalogue->AddRecordingRow(Start.addSecs(60), 10, "second"));
    ASSERT_TRUE(catalogue->CallsTbl.Locate("Comment", "first"));
    const QString shownRow = catalogue->currentRecordingId();
    addFolder("FAMILY1", "Family");
    ASSERT_TRUE(catalogue->FoldersTbl.Locate("FolderId", general));
    ASSERT_TRUE(catalogue->CallsTbl.Locate("Comment", "first"));

    const QString filedId = catalogue->NewUniqueCode();
    ASSERT_TRUE(catalogue->AddRecordingRow(Start.addSecs(120), 10, "filed", filedId, "FAMILY1"));
    EXPECT_EQ(catalogue->currentFolderId(), general);
    EXPECT_EQ(catalogue->currentRecordingId(), shownRow);
    EXPECT_EQ(memos(), QStringList({"first", "second"}));
    EXPECT_TRUE(catalogue->holdsRecording(filedId));
    EXPECT_EQ(catalogue->currentFolderId(), general) << "looking a row up moves nothing";

    // A row for the folder shown becomes current, as before; so does one for a folder that
    // is gone.
    ASSERT_TRUE(catalogue->AddRecordingRow(Start.addSecs(180), 10, "here", {}, general));
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "here");
    ASSERT_TRUE(catalogue->AddRecordingRow(Start.addSecs(240), 10, "gone", {}, "GONE0001"));
    EXPECT_EQ(catalogue->currentFolderId(), general);
    EXPECT_EQ(catalogue->CallsTbl.FieldValues("Comment").toString(), "gone");

    makeCatalogue();
    ASSERT_TRUE(catalogue->OpenCatalogue());
    ASSERT_TRUE(catalogue->FoldersTbl.Locate("FolderId", "FAMILY1"));
    EXPECT_EQ(memos(), QStringList({"filed"})) << "saved in its own folder";
    EXPECT_FALSE(catalogue->holdsRecording("NOSUCH01"));
}

TEST_F(CatalogueTest, DeletingARowDeletesItsWavFileAndSaves)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    ASSERT_TRUE(QDir().mkpath(path("wav")));
    for (int i = 0; i < 3; ++i) {
        now = now.addSecs(1);
        ASSERT_TRUE(catalogue->AddRecordingRow(Start.addSecs(i), 10, QString::number(i)));
    }
    TStoreTable &calls = catalogue->CallsTbl;
    const QString wav0 = path("wav/1_20240315_143005.wav");
    const QString other = path("wav/1_20240315_143006.wav");
    ASSERT_TRUE(writeFile(wav0, "RIFF"));
    ASSERT_TRUE(writeFile(other, "RIFF"));

    calls.First();
    calls.Delete();
    EXPECT_FALSE(QFile::exists(wav0));
    EXPECT_TRUE(QFile::exists(other));

    // A row of an earlier version names its file after its code; the file is renamed first.
    const QString legacy = path("wav/") + calls.FieldValues("id").toString() + ".wav";
    ASSERT_TRUE(QFile::rename(other, legacy));
    catalogue->RenameLegacyFile();
    EXPECT_TRUE(QFile::exists(other));
    EXPECT_FALSE(QFile::exists(legacy));
    ASSERT_TRUE(QFile::rename(other, legacy));
    calls.Delete();
    EXPECT_FALSE(QFile::exists(legacy));
    EXPECT_FALSE(QFile::exists(other));

    // No WAV file at all: the row goes all the same and the table is rewritten.
    calls.Delete();
    EXPECT_EQ(calls.RecordCount(), 0);
    EXPECT_TRUE(messages.texts.isEmpty());
    makeCatalogue();
    ASSERT_TRUE(catalogue->OpenCatalogue());
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 0);
}

TEST_F(CatalogueTest, DamagedTableIsRestoredFromItsBackup)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    ASSERT_TRUE(catalogue->AddRecordingRow(Start, 10, "kept"));
    now = now.addSecs(1);
    ASSERT_TRUE(catalogue->AddRecordingRow(Start, 20, "last change"));
    EXPECT_TRUE(QFile::exists(path("Recordings.d.bak")));
    const QByteArray damaged = readFile(path("Recordings.d")).left(150);
    ASSERT_TRUE(writeFile(path("Recordings.d"), damaged));

    makeCatalogue();
    EXPECT_TRUE(catalogue->OpenCatalogue());
    EXPECT_EQ(messages.texts, QStringList({"Can not open Recordings.d file. Restoring backup"}));
    EXPECT_EQ(memos(), QStringList({"kept"})) << "only the last change is lost";
    EXPECT_EQ(readFile(path("Recordings.d.damaged")), damaged);
    EXPECT_TRUE(log.lines().contains(
        "Restored Recordings.d from its backup Recordings.d.bak; the damaged file was kept as "
        "Recordings.d.damaged"))
        << log.lines().join("\n").toStdString();
}

TEST_F(CatalogueTest, DamagedTableWithoutBackupIsKeptAsideAndStartedAnew)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    ASSERT_TRUE(writeFile(path("Folders.d"), "garbage that is no table"));

    makeCatalogue();
    EXPECT_TRUE(catalogue->OpenCatalogue());
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(messages.texts[0], "Can not open Folders.d file. Restoring backup");
    EXPECT_EQ(messages.texts[1],
              "The backup of Folders.d could not be restored. The damaged file was kept as "
              "Folders.d.damaged and an empty table was started.");
    EXPECT_EQ(readFile(path("Folders.d.damaged")), "garbage that is no table");
    EXPECT_EQ(catalogue->FoldersTbl.FieldValues("FolderName").toString(), "General");
    EXPECT_TRUE(log.lines().contains(
        "Can not open Folders.d: Error opening table: Buffer structure corruption!"));
}

TEST_F(CatalogueTest, CommandStatesWaitWhileARecordingRuns)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    QSignalSpy states(catalogue.get(), &Catalogue::commandStatesChanged);
    catalogue->setListUpdatesEnabled(false);
    ASSERT_TRUE(catalogue->AddRecordingRow(Start, 10, "x"));
    EXPECT_TRUE(states.isEmpty());
    catalogue->setListUpdatesEnabled(true);
    ASSERT_EQ(states.size(), 1);
    const auto s = states.last().at(0).value<CommandStates>();
    EXPECT_TRUE(s.listCommandsEnabled());
    EXPECT_FALSE(s.rewindAndForward().has_value());
    EXPECT_EQ(CommandStates{}.rewindAndForward(), std::optional<bool>(false));
}

TEST_F(CatalogueTest, MemoSearchComparesAsciiLettersInUpperCaseUnlessMatchCase)
{
    ASSERT_TRUE(catalogue->OpenCatalogue());
    for (const char *memo : {"Call from Alice", "ALICE again", "bob"}) {
        now = now.addSecs(1);
        ASSERT_TRUE(catalogue->AddRecordingRow(Start, 1, memo));
    }
    EXPECT_EQ(catalogue->findMemo("alice", false, 0), 0);
    EXPECT_EQ(catalogue->findMemo("alice", false, 1), 1);
    EXPECT_EQ(catalogue->findMemo("alice", true, 0), -1);
    EXPECT_EQ(catalogue->findMemo("Bob", false, 0), 2);
    EXPECT_EQ(catalogue->findMemo("carol", false, 0), -1);
}

} // namespace
