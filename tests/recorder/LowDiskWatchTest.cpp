// The low-disk warning, on a faked free-space source: once below an hour of recording in the
// chosen format, again below ten minutes, and afresh after the disk got room again.
#include "recording/LowDiskWatch.h"
#include "audio/StandardFormats.h"
#include "config/Preferences.h"
#include "support/EventLog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(LowDiskWatchTest, WarnsOnceBelowAnHourAndAgainBelowTenMinutes)
{
    QTemporaryDir dir;
    EventLog log(dir.filePath("Events.log"));
    Preferences prefs;
    prefs.wavDir = dir.filePath("wav/");                  // not made yet: its parent's disk counts
    prefs.FileCompression = WorkingPcmFormat().toBytes(); // 8000 bytes a second
    LowDiskWatch watch(prefs, log);
    qint64 freeBytes = 0;
    QString folderAsked;
    watch.freeSpace = [&](const QString &folder) -> std::optional<qint64> {
        folderAsked = folder;
        return freeBytes;
    };
    QList<qint64> warnings;
    int roomAgain = 0;
    QObject::connect(&watch, &LowDiskWatch::lowDisk, [&](const QString &text, qint64 minutes) {
        EXPECT_TRUE(text.startsWith("Low disk space: ")) << text.toStdString();
        warnings << minutes;
    });
    QObject::connect(&watch, &LowDiskWatch::roomAgain, [&] { ++roomAgain; });

    const qint64 minute = 8000 * 60;
    struct Step
    {
        qint64 minutesFree;
        QList<qint64> warnedSoFar;
        int roomAgainSoFar;
    };
    const Step steps[] = {
        {120, {}, 0},    {60, {}, 0},      {59, {59}, 0},     {30, {59}, 0},        {9, {59, 9}, 0},
        {3, {59, 9}, 0}, {45, {59, 9}, 0}, {200, {59, 9}, 1}, {50, {59, 9, 50}, 1},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.minutesFree);
        freeBytes = s.minutesFree * minute + 100;
        watch.check();
        EXPECT_EQ(watch.minutesLeft(), s.minutesFree);
        EXPECT_EQ(warnings, s.warnedSoFar);
        EXPECT_EQ(roomAgain, s.roomAgainSoFar);
    }
    EXPECT_EQ(folderAsked, dir.path());
    EXPECT_EQ(log.lines().filter("Low disk space").size(), 3) << "each warning is logged";

    // A format of 16-bit stereo at 44100 Hz fills the disk 22 times faster.
    TdeWaveFormat cd = WorkingPcmFormat();
    cd.setSamplesPerSec(44100);
    cd.setAvgBytesPerSec(176400);
    cd.setChannels(2);
    cd.setBitsPerSample(16);
    cd.setBlockAlign(4);
    prefs.FileCompression = cd.toBytes();
    freeBytes = 176400LL * 60 * 20;
    EXPECT_EQ(watch.minutesLeft(), 20);
}

} // namespace
