// Retention on a catalogue on disk: each rule removes rows and files together (the rows saved
// first), pinned recordings stay, files go to the trash of the desktop (a trash directory of
// the test's own, through XDG_DATA_HOME) or are deleted where the trash cannot help, every
// removal is logged, and calvora-catalogue's dry run lists without removing.
#include "catalogue/RetentionPass.h"
#include "CatalogueFixture.h"
#include "CatalogueToolRun.h"
#include "StoreTestUtil.h"
#include "config/StorageSettings.h"
#include "config/TIniFile.h"
#include "support/DataDirLock.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

constexpr qint64 MB = 1024 * 1024;

class RetentionPassTest : public ::testing::Test, protected CatalogueFixture
{
protected:
    void SetUp() override
    {
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        catalogue->OpenCatalogue();
        codes["General"] = catalogue->currentFolderId();
        TStoreTable &f = catalogue->FoldersTbl;
        f.Append();
        f.setFieldValue("FolderId", "Fwork001");
        f.setFieldValue("FolderName", "Work");
        f.Post();
        f.SaveChanges();
        codes["Work"] = "Fwork001";
    }

    void TearDown() override { qputenv("XDG_DATA_HOME", m_oldDataHome); }

    // A recording of the folder that started days ago, its file of mb megabytes.
    QString add(const QString &folder, int daysAgo, int mb, const QString &memo)
    {
        showFolder(folder);
        const QDateTime start = today.addDays(-daysAgo);
        EXPECT_TRUE(catalogue->AddRecordingRow(start, 30, memo));
        QFile file(catalogue->recordingFilePath());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(file.resize(qint64(mb) * MB));
        files[memo] = catalogue->recordingFilePath();
        return catalogue->currentRecordingId();
    }

    RetentionPass pass()
    {
        RetentionPass p(*catalogue, messages, [this](const QString &line) { lines << line; });
        p.clock = [this] { return today; };
        p.freeSpace = [this](const QString &) { return freeBytes; };
        return p;
    }

    QString trashed(const QString &memo) const
    {
        return home.filePath("Trash/files/") + QFileInfo(files.at(memo)).fileName();
    }

    QTemporaryDir home; // the desktop's data directory, holding the trash
    QByteArray m_oldDataHome;
    QDateTime today{QDate(2026, 6, 1), QTime(12, 0, 0)};
    std::optional<qint64> freeBytes;
    std::map<QString, QString> files;
    QStringList lines;
};

TEST_F(RetentionPassTest, EachRuleRemovesRowsAndFilesAndKeepsThePinned)
{
    struct Case
    {
        const char *what;
        RetentionRules rules;
        std::optional<qint64> freeMB;
        QStringList removed;
        bool toTrash;
    };
    RetentionRules age;
    age.all.maxDays = 45;
    RetentionRules size;
    size.all.maxMB = 2;
    RetentionRules free;
    free.minFreeMB = 100;
    RetentionRules workOnly;
    workOnly.all.maxDays = 1;
    workOnly.folders["Fwork001"] = {FolderRetention::Mode::Excluded, {}};
    const Case cases[] = {
        {"age", age, {}, {"old"}, true},
        {"size", size, {}, {"old", "mid"}, true},
        {"free space", free, 98, {"old", "mid"}, false},
        {"an excluded folder", workOnly, {}, {"old"}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        // old (60 days) and kept (50, pinned) in General, mid (40) and new (5) in Work.
        const QString oldId = add("General", 60, 1, "old");
        const QString keptId = add("General", 50, 1, "kept");
        add("Work", 40, 1, "mid");
        add("Work", 5, 1, "new");
        ASSERT_TRUE(catalogue->Details.setPinned({keptId}, true));
        RecordingFacts facts;
        facts.end = {EndReason::Silence, {}};
        ASSERT_TRUE(catalogue->Details.store(oldId, facts));
        freeBytes = c.freeMB ? std::optional<qint64>(*c.freeMB * MB) : std::nullopt;
        showFolder("Work");
        catalogue->CallsTbl.Last();
        const QString shownId = catalogue->currentRecordingId();

        RetentionPass p = pass();
        const RetentionPlan &plan = p.plan(c.rules);
        ASSERT_EQ(int(plan.removals.size()), c.removed.size())
            << p.describeRemovals().join('\n').toStdString();
        lines.clear();
        EXPECT_EQ(p.apply(), int(c.removed.size()));

        QStringList expectedOnDisk = {"kept", "mid", "new", "old"};
        for (const QString &memo : c.removed) {
            expectedOnDisk.removeAll(memo);
            EXPECT_FALSE(QFile::exists(files[memo])) << memo.toStdString();
            EXPECT_EQ(QFile::exists(trashed(memo)), c.toTrash) << memo.toStdString();
        }
        EXPECT_EQ(memosOnDisk(), expectedOnDisk) << "the rows are saved";
        EXPECT_TRUE(QFile::exists(files["kept"])) << "the pinned recording stays";
        EXPECT_EQ(lines.size(), c.removed.size()) << lines.join('\n').toStdString();
        for (const QString &line : lines)
            EXPECT_TRUE(line.startsWith("Retention removed ") &&
                        line.endsWith(c.toTrash ? "moved to the trash" : "deleted to free space"))
                << line.toStdString();
        EXPECT_EQ(catalogue->Details.facts(oldId).has_value(), !c.removed.contains("old"));
        if (c.rules.all.maxMB > 0) {
            const auto learnt = catalogue->Details.facts(keptId);
            EXPECT_EQ(learnt ? learnt->bytes : -2, MB) << "sizes are kept for the next pass";
        }
        if (!c.removed.contains("new")) {
            EXPECT_EQ(catalogue->currentRecordingId(), shownId) << "the list keeps its row";
            EXPECT_EQ(catalogue->currentFolderId(), codes["Work"]);
        }

        // The next case starts from an empty catalogue and trash.
        catalogue->CallsTbl.setMasterSource(nullptr);
        while (catalogue->CallsTbl.RecordCount() > 0)
            catalogue->CallsTbl.Delete();
        catalogue->CallsTbl.setMasterSource(&catalogue->FoldersTbl);
        QDir(home.filePath("Trash")).removeRecursively();
    }
}

// Where no trash can be made, the files are deleted, and the log says so.
TEST_F(RetentionPassTest, WithoutATrashTheFilesAreDeleted)
{
    ASSERT_TRUE(writeFile(home.filePath("Trash"), "a file where the trash would be"));
    add("General", 60, 1, "old");
    RetentionRules age;
    age.all.maxDays = 30;
    RetentionPass p = pass();
    p.plan(age);
    EXPECT_EQ(p.apply(), 1);
    EXPECT_FALSE(QFile::exists(files["old"]));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith("deleted (no trash)")) << lines[0].toStdString();
}

// The log names a folder as the user knows it from the tree, never by its internal code.
TEST_F(RetentionPassTest, TheLogNamesAFolderByItsName)
{
    ASSERT_TRUE(catalogue->Details.setPinned({add("Work", 10, 2, "pinned")}, true));
    add("Work", 20, 1, "old");
    RetentionRules rules;
    rules.folders["Fwork001"] = {FolderRetention::Mode::Own, {0, 1}};
    RetentionPass p = pass();
    const RetentionPlan &plan = p.plan(rules);
    EXPECT_EQ(plan.shortfalls,
              QStringList{"The recordings of folder Work stay above 1 MB: the rest are kept"});
    ASSERT_EQ(p.apply(), 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(", folder Work, ")) << lines[0].toStdString();
    EXPECT_FALSE(lines[0].contains("Fwork001")) << lines[0].toStdString();
}

// calvora-catalogue retention: the dry run lists and removes nothing, a run removes and
// logs, and neither touches a data directory a running program holds.
TEST_F(RetentionPassTest, TheCommandLineDryRunListsAndTheRunRemoves)
{
    // The program writes dates in the system's formats, and the tool reads them so.
    catalogue->formats = DateTimeFormats::system();
    const QDateTime start = QDateTime::currentDateTime().addDays(-90);
    ASSERT_TRUE(catalogue->AddRecordingRow(start, 30, "ninety days"));
    const QString file = dir.filePath("wav/") + catalogue->RecordingFileName() + ".wav";
    ASSERT_TRUE(writeFile(file, QByteArray(4096, 'x')));
    ASSERT_TRUE(catalogue->AddRecordingRow(start.addDays(89), 30, "yesterday"));
    catalogue.reset();
    const QStringList at = {"--data-dir", dir.path()};

    EXPECT_EQ(runTool(at + QStringList{"retention", "--dry-run"}).out, "No retention rule is on\n");
    {
        TIniFile ini(dir.filePath("orv.ini"));
        StorageSettings s;
        s.retention.all.maxDays = 30;
        saveStorageSettings(ini, s);
    }
    const QByteArray table = readFile(dir.filePath("Recordings.d"));
    const ToolRun dry = runTool(at + QStringList{"retention", "--dry-run"});
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.startsWith("1 recording, 0.0 MB, oldest ")) << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains(QFileInfo(file).fileName() + ", folder Work, "))
        << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains("\"ninety days\": older than the days kept (to the trash)"));
    EXPECT_EQ(readFile(dir.filePath("Recordings.d")), table) << "the dry run removes nothing";
    EXPECT_TRUE(QFile::exists(file));

    {
        DataDirLock held(dir.path());
        ASSERT_TRUE(held.acquire());
        const ToolRun refused = runTool(at + QStringList{"retention"});
        EXPECT_NE(refused.code, 0);
        EXPECT_TRUE(refused.err.contains("in use by")) << refused.err.toStdString();
        EXPECT_TRUE(QFile::exists(file));
    }

    const ToolRun run = runTool(at + QStringList{"retention"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Removed 1 of 1 recordings")) << run.out.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(QFile::exists(home.filePath("Trash/files/") + QFileInfo(file).fileName()));
    EXPECT_EQ(memosOnDisk(), QStringList{"yesterday"});
    EXPECT_TRUE(readFile(dir.filePath("Events.log")).contains("Retention removed "));
    TIniFile ini(dir.filePath("orv.ini"));
    EXPECT_EQ(agreedRetentionRules(ini), QStringList{"age"});
}

} // namespace
