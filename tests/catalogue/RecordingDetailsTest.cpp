// The details table beside the catalogue: what it keeps comes back after a restart, its rows go
// with their recordings whichever way those are deleted, and a missing or damaged table costs
// no recording and says so in the log.
#include "CatalogueFixture.h"
#include "StoreTestUtil.h"
#include "catalogue/RecordingOperations.h"

#include <QDir>
#include <gtest/gtest.h>
#include <limits>

using namespace StoreTest;

namespace {

class RecordingDetailsTest : public ::testing::Test, protected CatalogueFixture
{
protected:
    QString detailsFile() const { return dir.filePath("RecordingDetails.d"); }

    // Closes the catalogue and opens it again from its files.
    void reopen()
    {
        catalogue = std::make_unique<Catalogue>(dir.path(), messages, &log);
        catalogue->formats = DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
        catalogue->recordingsDir = [this] { return wavDir(); };
        catalogue->OpenCatalogue();
    }

    // Every code of Recordings.d, all folders.
    QStringList allIds() const
    {
        QStringList ids;
        const TStoreCursor &cursor = catalogue->CallsTbl.cursor();
        const int field = cursor.fieldIndex("id");
        for (std::size_t i = 0; i < cursor.recordCount(); ++i)
            if (cursor.record(i).isLive())
                ids << QString::fromStdString(std::string(cursor.bytes(i, field)));
        return ids;
    }

    // A line of the log, from line number from on, holds text.
    bool logHas(const QString &text, qsizetype from = 0) const
    {
        for (qsizetype i = from; i < log.lines().size(); ++i)
            if (log.lines()[i].contains(text))
                return true;
        return false;
    }
};

TEST_F(RecordingDetailsTest, FactsAndPinsComeBackAfterARestart)
{
    fill(2);
    const QStringList ids = allIds();
    ASSERT_EQ(ids.size(), 8);
    RecordingFacts busy;
    busy.end = RecordingEnd::modemEvent('b');
    busy.lengthMs = 61500;
    busy.peak = 0.5;
    busy.rms = 0.125;
    busy.callerNumber = "+44 20 7946 0018";
    busy.callerName = "Anne\tSmith";
    RecordingFacts full;
    full.end = {EndReason::DiskFull, "No space left on device"};
    full.lengthMs = 1200;
    full.silent = true;
    ASSERT_TRUE(catalogue->Details.store(ids[0], busy));
    ASSERT_TRUE(catalogue->Details.store(ids[1], full));
    ASSERT_TRUE(catalogue->Details.setPinned({ids[1], ids[2]}, true));
    // Storing the facts again keeps the pin.
    ASSERT_TRUE(catalogue->Details.store(ids[1], full));

    reopen();
    const auto b = catalogue->Details.facts(ids[0]);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->end, busy.end);
    EXPECT_EQ(endReasonText(b->end), "Modem: busy tone");
    EXPECT_EQ(b->lengthMs, 61500);
    EXPECT_DOUBLE_EQ(b->peak, 0.5);
    EXPECT_DOUBLE_EQ(b->rms, 0.125);
    EXPECT_FALSE(b->silent);
    EXPECT_FALSE(b->pinned);
    EXPECT_EQ(b->callerNumber, "+44 20 7946 0018");
    EXPECT_EQ(b->callerName, "Anne Smith");
    const auto f = catalogue->Details.facts(ids[1]);
    ASSERT_TRUE(f);
    EXPECT_EQ(endReasonDescription(f->end), "Disk full (No space left on device)");
    EXPECT_TRUE(f->silent);
    EXPECT_TRUE(f->pinned);
    EXPECT_TRUE(catalogue->Details.isPinned(ids[2])) << "a pin needs no other facts";
    EXPECT_FALSE(catalogue->Details.facts(ids[3])) << "a recording without details";
}

// Whichever way recordings are deleted (Delete on the list, a single row's delete, a folder
// with its recordings), their details rows go, and the table on disk no longer holds them.
TEST_F(RecordingDetailsTest, RowsGoWithTheirRecordings)
{
    fill(3);
    for (const QString &id : allIds())
        ASSERT_TRUE(catalogue->Details.setPinned({id}, true));
    ASSERT_EQ(catalogue->Details.rowCount(), 12);
    RecordingOperations ops(*catalogue, messages);
    RecordingSelection selection;
    messages.confirmAnswers = {true};

    showFolder("General");
    const QString first = idOfRow(0), second = idOfRow(1);
    catalogue->CallsTbl.setRecNo(1);
    selection.toggle(second);
    ASSERT_TRUE(ops.deleteRecordings(selection));
    showFolder("B");
    const QString single = idOfRow(0);
    catalogue->CallsTbl.First();
    catalogue->CallsTbl.Delete();
    showFolder("A");
    const QStringList inA = {idOfRow(0), idOfRow(1), idOfRow(2)};
    ASSERT_TRUE(ops.deleteFolders({codes.at("A")}));

    reopen();
    const QStringList gone = QStringList{first, second, single} + inA;
    for (const QString &id : gone)
        EXPECT_FALSE(catalogue->Details.facts(id)) << id.toStdString();
    for (const QString &id : allIds())
        EXPECT_TRUE(catalogue->Details.isPinned(id)) << id.toStdString();
    EXPECT_EQ(catalogue->Details.rowCount(), allIds().size());
}

// Whatever is wrong with the details table, every recording stays listed and catalogued, a
// log line names the table and the trouble, and new details are kept again at once.
TEST_F(RecordingDetailsTest, AMissingOrDamagedTableLosesNoRecordingAndIsLogged)
{
    fill(2);
    const QStringList ids = allIds();
    ASSERT_TRUE(catalogue->Details.setPinned({ids[0]}, true));
    const QByteArray recordings = readFile(dir.filePath("Recordings.d"));
    const QByteArray good = readFile(detailsFile());

    struct Case
    {
        const char *what;
        QByteArray content; // empty: the file is missing
        const char *logged;
    };
    const QByteArray wrongFields =
        tableFile(QByteArray("XXX.id A\x12XXX.Colour i\x12\x14"), 2, 0, QByteArray());
    const Case cases[] = {
        {"missing", QByteArray(), "was missing"},
        {"garbage", QByteArray("\x01\x02garbage, not a table at all", 29), "can not be read"},
        {"truncated", good.left(good.size() - 3), "can not be read"},
        {"an error report", QByteArray("\0\0\0\0EDisk error", 15), "can not be read"},
        {"another table's fields", wrongFields, "can not be read (fields are missing)"},
        {"a record count that lies", good.left(5) + le32(9) + good.mid(9), "can not be read"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        catalogue.reset();
        QFile::remove(dir.filePath("RecordingDetails.d.bak"));
        QFile::remove(dir.filePath("RecordingDetails.d.damaged"));
        QFile::remove(detailsFile());
        if (!c.content.isEmpty()) {
            ASSERT_TRUE(writeFile(detailsFile(), c.content));
        }
        const qsizetype logged = log.lines().size();
        reopen();
        EXPECT_EQ(allIds(), ids) << "every recording stays";
        EXPECT_EQ(readFile(dir.filePath("Recordings.d")), recordings)
            << "and its table is untouched";
        EXPECT_TRUE(logHas("RecordingDetails.d " + QString(c.logged), logged))
            << log.lines().join('\n').toStdString();
        if (!c.content.isEmpty()) {
            EXPECT_EQ(readFile(dir.filePath("RecordingDetails.d.damaged")), c.content)
                << "the damaged file is kept aside";
        }
        EXPECT_FALSE(catalogue->Details.isPinned(ids[0]));
        ASSERT_TRUE(catalogue->Details.setPinned({ids[1]}, true));
        reopen();
        EXPECT_TRUE(catalogue->Details.isPinned(ids[1])) << "a new table works at once";
        ASSERT_TRUE(catalogue->Details.setPinned({ids[0]}, true));
        ASSERT_TRUE(catalogue->Details.setPinned({ids[1]}, false));
    }
}

// A damaged table whose backup is good is restored from it, losing at most the last change.
TEST_F(RecordingDetailsTest, ADamagedTableIsRestoredFromItsBackup)
{
    fill(1);
    const QStringList ids = allIds();
    ASSERT_TRUE(catalogue->Details.setPinned({ids[0]}, true));
    ASSERT_TRUE(catalogue->Details.setPinned({ids[1]}, true)); // the first save is the backup
    catalogue.reset();
    ASSERT_TRUE(writeFile(detailsFile(), "damaged"));
    reopen();
    EXPECT_TRUE(logHas("restored from its backup")) << log.lines().join('\n').toStdString();
    EXPECT_TRUE(catalogue->Details.isPinned(ids[0]));
    EXPECT_EQ(allIds(), ids);
}

// Values no version of the program writes (a code twice, an unknown reason, levels out of
// range, a detail with line breaks) are read as harmless ones.
TEST_F(RecordingDetailsTest, HostileValuesAreReadAsHarmlessOnes)
{
    fill(1);
    catalogue.reset();
    TStoreTable table;
    table.setLoadMode(TableLoadMode::lmClear);
    table.FieldDefs = RecordingDetails::fields();
    table.Open();
    auto row = [&](const QString &id, int ended, const QString &detail, double peak, bool pinned) {
        table.Append();
        table.setFieldValue("id", id);
        table.setFieldValue("Ended", ended);
        table.setFieldValue("EndDetail", detail);
        table.setFieldValue("Peak", peak);
        table.setFieldValue("Rms", std::numeric_limits<double>::quiet_NaN());
        table.setFieldValue("Pinned", pinned);
        table.Post();
    };
    row("AAAA0001", 99, "x", 7.5, true);
    row("AAAA0001", 1, "y", 0.5, false);
    row("AAAA0002", 7, "line\nbreak\r" + QString(300, 'z'), -3, false);
    table.SaveToFile(detailsFile());

    reopen();
    const auto first = catalogue->Details.facts("AAAA0001");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->end.reason, EndReason::Unknown);
    EXPECT_EQ(first->peak, -1.0);
    EXPECT_EQ(first->rms, -1.0);
    EXPECT_TRUE(first->pinned) << "the first row of a code answers";
    const auto second = catalogue->Details.facts("AAAA0002");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->end.reason, EndReason::WriteError);
    EXPECT_FALSE(second->end.detail.contains('\n'));
    EXPECT_LE(second->end.detail.size(), 200);
    ASSERT_TRUE(catalogue->Details.remove({"AAAA0001"}));
    reopen();
    EXPECT_FALSE(catalogue->Details.facts("AAAA0001")) << "every row of the code goes";
}

} // namespace

namespace {

// A details table written before a field was added is brought up to date: its rows keep what
// they held, the new field reads as not known, and the earlier file is kept as the backup.
TEST_F(RecordingDetailsTest, ATableOfAnEarlierVersionIsBroughtUpToDate)
{
    fill(1);
    catalogue.reset();
    TStoreTable old;
    old.setLoadMode(TableLoadMode::lmClear);
    old.FieldDefs = {{"id", FieldType::ftString, 10},
                     {"Ended", FieldType::ftInteger, 0},
                     {"Pinned", FieldType::ftBoolean, 0}};
    old.Open();
    old.Append();
    old.setFieldValue("id", "AAAA0001");
    old.setFieldValue("Ended", int(EndReason::PeriodicSignal));
    old.setFieldValue("Pinned", true);
    old.Post();
    old.SaveToFile(detailsFile());
    const QByteArray earlier = readFile(detailsFile());

    reopen();
    const auto facts = catalogue->Details.facts("AAAA0001");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->end.reason, EndReason::PeriodicSignal);
    EXPECT_TRUE(facts->pinned);
    EXPECT_EQ(facts->bytes, -1);
    EXPECT_EQ(facts->callerName, "");
    EXPECT_TRUE(logHas("brought up to date")) << log.lines().join('\n').toStdString();
    EXPECT_EQ(readFile(dir.filePath("RecordingDetails.d.bak")), earlier);
    ASSERT_TRUE(catalogue->Details.storeSizes({{"AAAA0001", 4096}}));
    reopen();
    EXPECT_EQ(catalogue->Details.facts("AAAA0001")->bytes, 4096);
}

} // namespace
