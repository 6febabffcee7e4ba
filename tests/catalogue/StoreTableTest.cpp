// Table behaviour: record states and saving, the change counter, navigation, master-detail
// ranges, search, the delete handlers, and saves that never lose the previous file.
#include "StoreTestUtil.h"
#include "catalogue/store/StoreError.h"
#include "catalogue/store/TStoreDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "FileSizeLimit.h"

using namespace StoreTest;

namespace {

// Folders.d and Recordings.d in a temporary directory, the recordings a detail of the folders.
class StoreTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.setDatabasePath(dir.path());
        // Folder names are Strings: length byte 4, then the 32-bit length.
        QByteArray rows;
        for (const char *f : {"F1", "F2", ""}) {
            const QByteArray id(f);
            rows += QByteArray(1, char(id.size())) + QByteArray(1, char(4)) + id + le32(4) + "name";
        }
        ASSERT_TRUE(
            writeFile(dir.filePath("Folders.d"),
                      tableFile("XXX.FolderId K\x12XXX.FolderName s100\x12\x14", 2, 3, rows)));
        QByteArray calls;
        calls += recordingRecord("R1", 1, "F1", "d", "t", "00:01", "first");
        calls += recordingRecord("R2", 1, "F2", "d", "t", "00:02", "second");
        calls += recordingRecord("R3", 1, "F1", "d", "t", "00:03", "third");
        calls += recordingRecord("R4", 1, "", "d", "t", "00:04", "no folder");
        ASSERT_TRUE(writeFile(file(), tableFile(recordingsBlock(), 7, 4, calls)));

        folders.setDatabase(&db);
        folders.setTableName("Folders.d");
        recordings.setDatabase(&db);
        recordings.setTableName("Recordings.d");
    }

    QString file() const { return dir.filePath("Recordings.d"); }

    void linkAndOpen()
    {
        recordings.setMasterSource(&folders);
        recordings.MasterFields = "FolderID";
        recordings.RangeFieldNames = "FolderId";
        folders.Open();
        recordings.Open();
    }

    QStringList visibleIds()
    {
        QStringList ids;
        for (int row = 0; row < recordings.RecordCount(); ++row)
            ids << recordings.valueAt(row, 0).toString();
        return ids;
    }

    // Ids as the file on disk holds them now.
    QStringList idsOnDisk()
    {
        TStoreTable t;
        t.setTableName(file());
        t.Open();
        QStringList ids;
        for (t.First(); !t.Eof(); t.Next())
            ids << t.FieldValues("id").toString();
        return ids;
    }

    QTemporaryDir dir;
    TStoreDatabase db;
    TStoreTable folders;
    TStoreTable recordings;
};

TEST_F(StoreTableTest, EditAppendDeleteChangeStatesAndOnlySaveChangesWrites)
{
    recordings.Open();
    EXPECT_EQ(recordings.RecordCount(), 4);
    EXPECT_EQ(recordings.RecNo(), 1);

    recordings.setRecNo(2);
    recordings.Edit();
    recordings.setFieldValue("Comment", "edited");
    recordings.Post();
    EXPECT_EQ(recordings.stateAt(1), RecordState::Changed);

    recordings.Append();
    recordings.setFieldValue("id", "R5");
    recordings.setFieldValue("Channel", 1);
    recordings.Post();
    EXPECT_EQ(recordings.RecNo(), 5);
    EXPECT_EQ(recordings.stateAt(4), RecordState::New);

    recordings.setRecNo(1);
    recordings.Delete();
    EXPECT_EQ(recordings.FieldValues("id").toString(), "R2") << "the next record is current";
    EXPECT_EQ(recordings.changeCount(), 3);
    EXPECT_EQ(db.changedTables(), QList<TStoreTable *>{&recordings});

    // Nothing reaches the file before SaveChanges.
    EXPECT_EQ(idsOnDisk(), QStringList({"R1", "R2", "R3", "R4"}));
    recordings.SaveChanges();
    EXPECT_EQ(idsOnDisk(), QStringList({"R2", "R3", "R4", "R5"}));

    // A new record deleted before a save is discarded and never written.
    recordings.Last();
    recordings.Delete();
    recordings.SaveChanges();
    EXPECT_EQ(idsOnDisk(), QStringList({"R2", "R3", "R4"}));

    TStoreTable reread;
    reread.setTableName(file());
    reread.Open();
    EXPECT_EQ(reread.FieldValues("Comment").toString(), "edited");
}

TEST_F(StoreTableTest, ChangeCounterDecidesWhetherSaveChangesWrites)
{
    recordings.Open();
    const QByteArray before = readFile(file());
    ASSERT_TRUE(QFile::remove(file()));

    recordings.SaveChanges(); // never changed: not written
    EXPECT_FALSE(QFile::exists(file()));

    recordings.Edit();
    recordings.cancel(); // +1 -1
    recordings.Append();
    recordings.cancel();
    EXPECT_EQ(recordings.changeCount(), 0);
    recordings.SaveChanges();
    EXPECT_FALSE(QFile::exists(file()));

    // An open edit is posted by the save; saving does not reset the counter.
    recordings.Edit();
    recordings.SaveChanges();
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(recordings.changeCount(), 1);
    EXPECT_EQ(recordings.state(), TStoreDataset::State::Browse);
    ASSERT_TRUE(QFile::remove(file()));
    recordings.SaveChanges();
    EXPECT_TRUE(QFile::exists(file()));

    // A table created in memory is never written by SaveChanges.
    TStoreTable mem;
    mem.setLoadMode(TableLoadMode::lmClear);
    defineRecordings(mem);
    mem.Open();
    mem.Append();
    mem.Post();
    mem.SaveChanges();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(StoreTableTest, ClosingLosesUnsavedChanges)
{
    recordings.Open();
    recordings.Delete();
    recordings.Close();
    recordings.Open();
    EXPECT_EQ(recordings.RecordCount(), 4);
}

TEST_F(StoreTableTest, FieldAccessOutsideEditFailsWithTheStoreMessage)
{
    recordings.Open();
    try {
        recordings.setFieldValue("Comment", "x");
        FAIL() << "wrote outside edit";
    } catch (const StoreError &e) {
        EXPECT_STREQ(e.what(), "Table is not in edit or insert mode");
    }
    EXPECT_THROW(recordings.FieldValues("NoSuchField"), StoreError);
    EXPECT_EQ(recordings.FieldValues("FOLDERID").toString(), "F1");
}

TEST_F(StoreTableTest, NavigationAndRecNoStayInsideTheVisibleList)
{
    recordings.Open();
    recordings.setRecNo(0);
    EXPECT_EQ(recordings.RecNo(), 1);
    recordings.setRecNo(99);
    EXPECT_EQ(recordings.RecNo(), 4);
    EXPECT_FALSE(recordings.Eof());
    recordings.Next();
    EXPECT_TRUE(recordings.Eof());
    EXPECT_EQ(recordings.RecNo(), 4);
    recordings.First();
    EXPECT_TRUE(recordings.bof());
    recordings.Prior();
    EXPECT_EQ(recordings.RecNo(), 1);
    int walked = 0;
    for (recordings.First(); !recordings.Eof(); recordings.Next())
        ++walked;
    EXPECT_EQ(walked, 4);
}

TEST_F(StoreTableTest, DetailShowsOnlyTheMasterRowsRange)
{
    linkAndOpen();
    EXPECT_EQ(visibleIds(), QStringList({"R1", "R3"}));
    folders.Next();
    EXPECT_EQ(visibleIds(), QStringList({"R2"}));
    folders.Next(); // a folder whose code is empty lists the rows without a folder
    EXPECT_EQ(visibleIds(), QStringList({"R4"}));
    folders.Close();
    EXPECT_EQ(recordings.RecordCount(), 4) << "a closed master drops the range";
    folders.Open();
    EXPECT_EQ(visibleIds(), QStringList({"R1", "R3"}));
}

TEST_F(StoreTableTest, AppendedDetailRowStaysVisibleUntilRefresh)
{
    linkAndOpen();
    recordings.Append();
    EXPECT_EQ(recordings.FieldValues("FolderId").toString(), "F1") << "preset from the master";
    recordings.setFieldValue("id", "R9");
    recordings.setFieldValue("FolderId", "F2");
    recordings.Post();
    EXPECT_EQ(visibleIds(), QStringList({"R1", "R3", "R9"}));
    EXPECT_EQ(recordings.RecNo(), 3);

    recordings.Refresh(); // saves, reads again, applies the range
    EXPECT_EQ(visibleIds(), QStringList({"R1", "R3"}));
    EXPECT_EQ(idsOnDisk(), QStringList({"R1", "R2", "R3", "R4", "R9"}));
    folders.Next();
    EXPECT_EQ(visibleIds(), QStringList({"R2", "R9"}));
}

TEST_F(StoreTableTest, LocateIsExactAndCaseSensitiveOverTheVisibleRows)
{
    linkAndOpen();
    recordings.setRecNo(2);
    EXPECT_FALSE(recordings.Locate("id", "r1"));
    EXPECT_EQ(recordings.RecNo(), 2) << "a failed search keeps the position";
    EXPECT_FALSE(recordings.Locate("id", "R2")) << "R2 is in another folder";
    EXPECT_FALSE(recordings.Locate("id", QVariant()));
    EXPECT_TRUE(recordings.Locate("ID", "R1"));
    EXPECT_EQ(recordings.RecNo(), 1);
    EXPECT_TRUE(recordings.Locate("Channel;Duration", QVariantList{1, "00:03"}));
    EXPECT_EQ(recordings.FieldValues("id").toString(), "R3");
    EXPECT_FALSE(recordings.Locate("id", "R1234567890")) << "cut to the field, then compared";
}

TEST_F(StoreTableTest, DeleteRunsTheHandlersAroundTheDeletion)
{
    linkAndOpen();
    QStringList seen;
    recordings.BeforeDelete = [&](TStoreDataset &t) {
        seen << "before " + t.FieldValues("id").toString();
    };
    recordings.AfterDelete = [&](TStoreDataset &t) {
        seen << QString("after %1").arg(t.RecordCount());
        t.SaveChanges();
    };
    recordings.Delete();
    EXPECT_EQ(seen, QStringList({"before R1", "after 1"}));
    EXPECT_EQ(idsOnDisk(), QStringList({"R2", "R3", "R4"}));

    // A handler that throws keeps the record.
    recordings.BeforeDelete = [](TStoreDataset &) { throw StoreError("kept"); };
    EXPECT_THROW(recordings.Delete(), StoreError);
    EXPECT_EQ(recordings.RecordCount(), 1);
}

TEST_F(StoreTableTest, MasterLinkThatWouldLoopIsRefused)
{
    recordings.setMasterSource(&folders);
    try {
        folders.setMasterSource(&recordings);
        FAIL() << "loop accepted";
    } catch (const StoreError &e) {
        EXPECT_STREQ(e.what(), "Circular data link");
    }
    EXPECT_THROW(folders.setMasterSource(&folders), StoreError);
}

TEST_F(StoreTableTest, DatabaseClosesItsTablesWithoutSaving)
{
    auto database = std::make_unique<TStoreDatabase>();
    database->setDatabasePath(dir.path());
    TStoreTable t;
    t.setDatabase(database.get());
    t.setTableName("Recordings.d");
    t.Open();
    EXPECT_EQ(t.tableFile(), dir.path() + "/Recordings.d");
    EXPECT_EQ(database->openTables(), QList<TStoreTable *>{&t});
    t.Delete();
    database.reset();
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(idsOnDisk().size(), 4);
}

TEST_F(StoreTableTest, SaveOnAFullDiskLeavesTheOldFileAndTheTableInMemory)
{
    recordings.Open();
    const QByteArray before = readFile(file());
    recordings.Delete();

    // The disk fills up after 64 bytes of the new file.
    QString message;
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        try {
            recordings.SaveChanges();
        } catch (const StoreError &e) {
            message = QString::fromUtf8(e.what());
        }
    }

    EXPECT_TRUE(message.startsWith("Cannot create file \"" + file() + "\""))
        << message.toStdString();
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file is left behind";
    EXPECT_EQ(recordings.RecordCount(), 3);
    recordings.SaveChanges();
    EXPECT_EQ(idsOnDisk().size(), 3);
}

TEST_F(StoreTableTest, EachSaveKeepsThePreviousGoodFileAsBackup)
{
    recordings.SaveOptions = TStoreTable::soBackup;
    recordings.Open();
    const QByteArray original = readFile(file());
    recordings.Delete();
    recordings.SaveChanges();
    EXPECT_EQ(readFile(recordings.backupFile()), original);
    EXPECT_EQ(recordings.backupFile(), file() + ".bak");

    const QByteArray second = readFile(file());
    recordings.Delete();
    recordings.SaveChanges();
    EXPECT_EQ(readFile(recordings.backupFile()), second);

    // A file changed behind the table's back is not known to be good: the backup stays.
    ASSERT_TRUE(writeFile(file(), "garbage"));
    recordings.Delete();
    recordings.SaveChanges();
    EXPECT_EQ(readFile(recordings.backupFile()), second);
    EXPECT_EQ(idsOnDisk().size(), 1);
}

} // namespace

namespace {

// Numbers of every width round-trip through the file, zero among them (it takes no room in a
// record, so its bytes are empty when read).
TEST(StoreNumbersTest, NumbersRoundTripIncludingZero)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("numbers.d");
    struct Case
    {
        FieldType type;
        QVariant value;
    };
    const Case cases[] = {{FieldType::ftFloat, 0.0},    {FieldType::ftFloat, -2.5},
                          {FieldType::ftCurrency, 0.0}, {FieldType::ftInteger, 0},
                          {FieldType::ftInteger, -7},   {FieldType::ftBoolean, false},
                          {FieldType::ftBoolean, true}, {FieldType::ftSmallint, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value.toString().toStdString());
        TStoreTable table;
        table.setLoadMode(TableLoadMode::lmClear);
        table.FieldDefs = {{"n", c.type, 0}};
        table.Open();
        table.Append();
        table.setFieldValue("n", c.value);
        table.Post();
        table.SaveToFile(path);
        TStoreTable back;
        back.setTableName(path);
        back.Open();
        ASSERT_EQ(back.RecordCount(), 1);
        EXPECT_EQ(back.FieldValues("n").toDouble(), c.value.toDouble());
    }
}

} // namespace
