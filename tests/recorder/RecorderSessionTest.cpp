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
