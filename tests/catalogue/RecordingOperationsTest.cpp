// The list operations on a catalogue on disk: Select all, Delete, Move, Copy, the memo, the
// memo search, and deleting folders with their recordings and files.
#include "catalogue/RecordingOperations.h"
#include "CatalogueFixture.h"
#include "catalogue/MemoSearch.h"

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

namespace {

class RecordingOperationsTest : public ::testing::Test, public CatalogueFixture
{
protected:
    RecordingOperationsTest() : ops(*catalogue, messages) { fill(); }

    RecordingOperations ops;
    RecordingSelection selection;
};

TEST_F(RecordingOperationsTest, SelectAllTakesEveryRowAndToggledRowsLeaveIt)
{
    ops.selectAll(selection);
    EXPECT_EQ(selection.ids(), QStringList({idOfRow(0), idOfRow(1), idOfRow(2)}));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 3) << "the last row is current afterwards";
    ops.selectAll(selection);
    EXPECT_EQ(selection.size(), 3) << "a code is listed once";
    selection.toggle(idOfRow(1));
    EXPECT_EQ(selection.ids(), QStringList({idOfRow(0), idOfRow(2)}));
    EXPECT_FALSE(selection.contains(idOfRow(1)));
}

TEST_F(RecordingOperationsTest, DeleteTakesTheSelectedAndTheCurrentRowsWithTheirFiles)
{
    showFolder("A");
    selection.toggle(idOfRow(0));
    selection.toggle(idOfRow(2));
    selection.toggle("NOSUCHID"); // a row no longer in the list is skipped
    catalogue->CallsTbl.setRecNo(2);

    messages.confirmAnswers = {false};
    EXPECT_FALSE(ops.deleteRecordings(selection));
    EXPECT_EQ(shownMemos().size(), 3) << "Cancel deletes nothing";

    EXPECT_TRUE(ops.deleteRecordings(selection));
    EXPECT_EQ(messages.texts,
              QStringList({"Delete selected record(s)?", "Delete selected record(s)?"}));
    EXPECT_TRUE(shownMemos().isEmpty());
    EXPECT_TRUE(selection.isEmpty());
    EXPECT_FALSE(memosOnDisk().contains("A call 1"));
    EXPECT_FALSE(memosOnDisk().contains("A call 3"));
    EXPECT_EQ(memosOnDisk().size(), 9);
    EXPECT_FALSE(wavContents().contains("A call 2"));
    EXPECT_EQ(wavContents().size(), 9);
}

TEST_F(RecordingOperationsTest, AFileThatCannotBeDeletedIsReportedAfterTheRowsAreSaved)
{
    // A directory in the place of the file cannot be removed as a file.
    catalogue->CallsTbl.setRecNo(1);
    const QString blocked = catalogue->recordingFilePath();
    ASSERT_TRUE(QFile::remove(blocked));
    ASSERT_TRUE(QDir().mkpath(blocked + "/inside"));

    EXPECT_TRUE(ops.deleteRecordings(selection));
    EXPECT_FALSE(memosOnDisk().contains("General call 1"));
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(messages.texts[1], "These recording files could not be deleted:\n" + blocked);
}

TEST_F(RecordingOperationsTest, MovedRowsLeaveTheListAndShowInTheirNewFolder)
{
    selection.toggle(idOfRow(2));
    catalogue->CallsTbl.setRecNo(1);
    EXPECT_TRUE(ops.MoveRecordings(codes["B"], selection));
    EXPECT_EQ(shownMemos(), QStringList({"General call 2"}));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 1);
    EXPECT_TRUE(selection.isEmpty());
    showFolder("B");
    EXPECT_EQ(shownMemos(), QStringList({"General call 1", "General call 3", "B call 1", "B call 2",
                                         "B call 3"}));

    // Into the folder shown: nothing leaves, and the file holds the change.
    selection.toggle(idOfRow(0));
    EXPECT_TRUE(ops.MoveRecordings(codes["B"], selection));
    EXPECT_EQ(shownMemos().size(), 5);
    Catalogue reopened(dir.path(), messages, nullptr);
    reopened.OpenCatalogue();
    reopened.FoldersTbl.Locate("FolderId", codes["B"]);
    EXPECT_EQ(reopened.CallsTbl.RecordCount(), 5);
}

TEST_F(RecordingOperationsTest, CopiesTheCurrentFileAloneOrTheSelectedOnes)
{
    QTemporaryDir target;
    catalogue->CallsTbl.setRecNo(2);
    EXPECT_EQ(ops.currentFileName(), "1_20240315_143207.wav");
    EXPECT_EQ(ops.copyToFolder(target.path(), selection), 1);
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files), QStringList({"1_20240315_143207.wav"}));

    selection.toggle(idOfRow(0));
    selection.toggle(idOfRow(2));
    EXPECT_EQ(ops.copyToFolder(target.path(), selection), 2);
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(selection.isEmpty());
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 2);
}

TEST_F(RecordingOperationsTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees)
{
    QTemporaryDir target;
    catalogue->CallsTbl.setRecNo(1);
    const QString copy = target.filePath(ops.currentFileName());
    QFile old(copy);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();

    messages.confirmAnswers = {false, true};
    EXPECT_EQ(ops.copyToFolder(target.path(), selection), 0);
    QFile kept(copy);
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), "keep me");
    kept.close();
    EXPECT_TRUE(messages.texts.last().startsWith("The file 1_20240315_143106.wav already exists"));
    EXPECT_EQ(ops.copyToFolder(target.path(), selection), 1);
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), "General call 1");
}

TEST_F(RecordingOperationsTest, AFailedCopyNamesTheFileAndLeavesNothingBehind)
{
    QTemporaryDir target;
    // A recording larger than the disk has room for.
    catalogue->CallsTbl.setRecNo(1);
    QFile big(catalogue->recordingFilePath());
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(256 * 1024, 'x'));
    big.close();
    ops.selectAll(selection);
    {
        FileSizeLimit full(64 * 1024);
        ASSERT_TRUE(full.active());
        EXPECT_EQ(ops.copyToFolder(target.path(), selection), 0);
    }
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().startsWith("Could not copy 1_20240315_143106.wav to "))
        << messages.texts.last().toStdString();
    EXPECT_TRUE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(RecordingOperationsTest, TheMemoIsReplacedByANonEmptyAnswerOnly)
{
    catalogue->CallsTbl.setRecNo(1);
    messages.textAnswers = {QString(""), std::nullopt, QString(300, 'm') + "\nend"};
    EXPECT_FALSE(ops.editMemo());
    EXPECT_FALSE(ops.editMemo());
    EXPECT_EQ(shownMemos()[0], "General call 1");
    EXPECT_TRUE(ops.editMemo());
    EXPECT_EQ(shownMemos()[0], QString(255, 'm'));
    EXPECT_TRUE(memosOnDisk().contains(QString(255, 'm')));
    EXPECT_EQ(messages.texts, QStringList({"", "", ""})) << "three prompts with no prompt text";
}

TEST_F(RecordingOperationsTest, TheSearchFollowsTheFindDialogsRules)
{
    MemoSearch search(*catalogue, messages);
    search.dialogShown();
    // Without match case a lower-case word finds capitals; with it, it does not.
    EXPECT_TRUE(search.findNext("CALL 2", false));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 2);
    EXPECT_TRUE(search.findNext("call", false));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 3);
    EXPECT_FALSE(search.findNext("call", false));
    EXPECT_EQ(messages.texts, QStringList({MemoSearch::FinishedText}));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 3) << "the last row stays current";

    search.dialogShown();
    EXPECT_FALSE(search.findNext("CALL", true));
    // A first row that matches is found again on every press.
    search.dialogShown();
    for (int press = 0; press < 3; ++press) {
        EXPECT_TRUE(search.findNext("General call 1", true));
        EXPECT_EQ(catalogue->CallsTbl.RecNo(), 1);
    }
}

TEST_F(RecordingOperationsTest, DeletingFoldersTakesTheirRowsAndFilesAfterTheTablesAreSaved)
{
    EXPECT_TRUE(ops.deleteFolders({codes["A"], codes["C"]}));
    EXPECT_EQ(memosOnDisk(), QStringList({"B call 1", "B call 2", "B call 3", "General call 1",
                                          "General call 2", "General call 3"}));
    EXPECT_EQ(wavContents(), memosOnDisk());
    TStoreTable folders;
    folders.setTableName(dir.filePath("Folders.d"));
    folders.Open();
    EXPECT_EQ(folders.RecordCount(), 2);
    EXPECT_FALSE(folders.Locate("FolderId", codes["A"]));
    EXPECT_TRUE(messages.texts.isEmpty());

    // A folder without its row deletes nothing.
    EXPECT_TRUE(ops.deleteFolders({"NOSUCH01"}));
    EXPECT_EQ(wavContents().size(), 6);
}

TEST_F(RecordingOperationsTest, NoFileIsDeletedWhenTheTableCannotBeSaved)
{
    // The table's file replaced by a directory cannot be written.
    ASSERT_TRUE(QFile::remove(dir.filePath("Recordings.d")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Recordings.d/x")));
    EXPECT_FALSE(ops.deleteFolders({codes["A"]}));
    EXPECT_EQ(wavContents().size(), 12);
    EXPECT_FALSE(messages.texts.isEmpty());
}

} // namespace
