// The start-up both programs share, without any window: what a killed save left is removed
// and said in the log, and a recording made before the recordings folder changed is found
// where it was made.
#include "recording/RecorderSession.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "config/SettingsStore.h"
#include "support/ScriptedMessageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

TEST(RecorderSessionTest, OpeningRemovesInterruptedSavesAndFindsRecordingsInEarlierFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(ProgramDir::prepare(dir.path()));
    const QString earlier = dir.filePath("old-wav");
    const QDateTime start(QDate(2026, 5, 6), QTime(7, 8, 9));
    QString oldFile;
    {
        // A first run records into old-wav/, then the user chooses another folder.
        ScriptedMessageService messages;
        RecorderSession first(dir.path(), messages);
        first.open();
        first.prefs().wavDir = earlier + "/";
        ASSERT_TRUE(QDir().mkpath(earlier));
        oldFile = first.catalogue().recordingFilePathFor(start);
        ASSERT_TRUE(first.catalogue().AddRecordingRow(start, 3, "5551000"));
        ASSERT_TRUE(touch(oldFile));
        SettingsStore::rememberEarlierRecordingsFolder(first.ini(), earlier + "/");
    }
    const QString stale = dir.filePath(".Recordings.d.k3J9aB");
    ASSERT_TRUE(touch(stale));

    ScriptedMessageService messages;
    RecorderSession session(dir.path(), messages);
    session.open();
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(session.log().lines().contains("Removed an interrupted save: " + stale));
    ASSERT_EQ(session.catalogue().CallsTbl.RecordCount(), 1);
    EXPECT_NE(session.prefs().wavDir, earlier + "/");
    EXPECT_EQ(session.catalogue().recordingFilePath(), oldFile);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

} // namespace

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files other programs read (Recordings.d, Folders.d, orv.ini and the WAV names) are the
// same byte for byte whether the details table works or cannot be used at all.
TEST(RecorderSessionTest, TheSharedFilesAreTheSameWithAndWithoutTheDetailsTable)
{
    struct Run
    {
        QByteArray recordings, folders, ini;
        QStringList wavNames;
        int detailRows = 0;
        QStringList log;
    };
    auto run = [](bool withDetails) {
        QTemporaryDir dir;
        Run r;
        if (!withDetails) {
            // A directory where the table would be, and another where its damaged copy would
            // be kept: the table can be neither read, set aside nor written.
            EXPECT_TRUE(QDir().mkpath(dir.filePath("RecordingDetails.d")));
            EXPECT_TRUE(QDir().mkpath(dir.filePath("RecordingDetails.d.damaged/x")));
        }
        ScriptedMessageService messages;
        RecorderSession session(dir.path(), messages);
        Catalogue &catalogue = session.catalogue();
        QDateTime now(QDate(2026, 2, 3), QTime(10, 11, 12));
        catalogue.clock = [&now] { return now; };
        catalogue.formats = DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
        session.open();
        QStringList ids;
        for (int i = 0; i < 4; ++i) {
            now = now.addSecs(100);
            EXPECT_TRUE(catalogue.AddRecordingRow(now, 30 + i, QString("caller %1").arg(i)));
            ids << catalogue.currentRecordingId();
            r.wavNames << catalogue.RecordingFileName() + ".wav";
            RecordingFacts facts;
            facts.end = {EndReason::Silence, {}};
            facts.lengthMs = 30000 + i;
            catalogue.Details.store(ids.last(), facts);
        }
        catalogue.Details.setPinned({ids[1]}, true);
        catalogue.CallsTbl.setRecNo(3);
        catalogue.CallsTbl.Delete();
        r.recordings = fileBytes(dir.filePath("Recordings.d"));
        r.folders = fileBytes(dir.filePath("Folders.d"));
        r.ini = fileBytes(dir.filePath("orv.ini")).replace(dir.path().toUtf8(), "DATA");
        r.detailRows = catalogue.Details.rowCount();
        r.log = session.log().lines();
        return r;
    };
    const Run with = run(true);
    const Run without = run(false);
    EXPECT_EQ(with.detailRows, 3) << "the deleted row's details went with it";
    EXPECT_FALSE(with.recordings.isEmpty());
    EXPECT_EQ(with.recordings, without.recordings);
    EXPECT_EQ(with.folders, without.folders);
    EXPECT_EQ(with.ini, without.ini);
    EXPECT_EQ(with.wavNames, without.wavNames);
    EXPECT_TRUE(without.log.join('\n').contains("RecordingDetails.d can not be written"))
        << without.log.join('\n').toStdString();
}

} // namespace

namespace {

// Rules that cannot all be read are said at start-up, and the file stays as it was.
TEST(RecorderSessionTest, ADamagedRulesFileIsReportedAtStartAndKept)
{
    QTemporaryDir dir;
    ASSERT_TRUE(ProgramDir::prepare(dir.path()));
    const QByteArray damaged = "Calvora rules 1\nRule\tmatch=any\tnever-record=maybe\n";
    QFile file(dir.filePath("Rules.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();
    ScriptedMessageService messages;
    RecorderSession session(dir.path(), messages);
    session.open();
    ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(messages.texts[0].contains("Rules.txt line 2: cannot read 'never-record=maybe'"))
        << messages.texts[0].toStdString();
    EXPECT_TRUE(session.log().lines().join('\n').contains("cannot all be read"));
    EXPECT_EQ(fileBytes(dir.filePath("Rules.txt")), damaged);
}

} // namespace
