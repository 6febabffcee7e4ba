// The Storage page's settings in orv.ini: off until set, kept in sections of their own (the
// keys other programs know stay exactly as they were), and read back safely whatever the file
// holds.
#include "config/StorageSettings.h"
#include "config/TIniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(StorageSettingsTest, OffUntilSetAndBackAsSavedWithoutTouchingOtherKeys)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("orv.ini");
    const QByteArray seed = "[Params]\nDiscTime=10\nwavDir=/x/wav/\n[Modem]\nport=3\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(seed);
    }
    TIniFile ini(path);
    EXPECT_EQ(loadStorageSettings(ini), StorageSettings{});
    EXPECT_FALSE(loadStorageSettings(ini).retention.any());
    EXPECT_EQ(readAll(path), seed) << "reading writes nothing";

    StorageSettings s;
    s.maxRecordingMinutes = 90;
    s.retention.all = {30, 2048};
    s.retention.minFreeMB = 500;
    s.retention.folders["aB12cD34"] = {FolderRetention::Mode::Excluded, {}};
    s.retention.folders["Ab12cD34"] = {FolderRetention::Mode::Own, {7, 0}};
    saveStorageSettings(ini, s);
    EXPECT_EQ(loadStorageSettings(ini), s) << "codes differing in letter case stay apart";
    EXPECT_TRUE(readAll(path).startsWith(seed)) << "the other sections are as they were";

    agreeRetentionRules(ini, {"age"});
    agreeRetentionRules(ini, {"free", "age"});
    EXPECT_EQ(agreedRetentionRules(ini), (QStringList{"age", "free"}));
    setLastRetentionDay(ini, QDate(2026, 4, 5));
    EXPECT_EQ(lastRetentionDay(ini), QDate(2026, 4, 5));
    EXPECT_EQ(loadStorageSettings(ini), s);
}

TEST(StorageSettingsTest, HostileValuesAreBoundedOrIgnored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("orv.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Storage]\r\nMaxRecordingMinutes=-5\r\nKeepDays=99999999\r\nMaxFolderMB=abc\r\n"
                "MinFreeMB=0x10\r\nLastRetention=yesterday\r\n"
                "[Storage folders]\r\n1=../etc,excluded\r\n2=F1,3\r\n3=F2,x,4\r\n4=F3,5,-6\r\n"
                "5=,excluded\r\n6=F4,EXCLUDED\r\n");
    }
    TIniFile ini(path);
    const StorageSettings s = loadStorageSettings(ini);
    EXPECT_EQ(s.maxRecordingMinutes, 0);
    EXPECT_EQ(s.retention.all.maxDays, StorageSettings::MaxDays);
    EXPECT_EQ(s.retention.all.maxMB, 0);
    EXPECT_EQ(s.retention.minFreeMB, 16);
    EXPECT_FALSE(lastRetentionDay(ini).isValid());
    EXPECT_EQ(s.retention.folders.size(), 2) << "only F3 and F4 are readable";
    EXPECT_EQ(s.retention.folder("F3").mode, FolderRetention::Mode::Own);
    EXPECT_EQ(s.retention.folder("F3").limits, (RetentionLimits{5, 0}));
    EXPECT_EQ(s.retention.folder("F4").mode, FolderRetention::Mode::Excluded);
    EXPECT_EQ(s.retention.folder("F1").mode, FolderRetention::Mode::Shared);
}

} // namespace
