// Safe file replacement: the clean-up of what interrupted saves left behind.
#include "support/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

TEST(AtomicFileTest, StaleTemporariesAreRemovedAndEverythingElseIsKept)
{
    QTemporaryDir dir;
    struct Case
    {
        const char *name;
        bool removed;
    };
    const Case cases[] = {
        {".Recordings.d.a1B2c3", true},
        {".Recordings.d.bak.ZZZZZZ", true},
        {"Recordings.d.bak.new", true},
        {".Folders.d.000000", true},
        {".orv.ini.Xy9Q0p", true},
        {".Events.log.1.abcdef", true},
        {"Compressions.d.bak.new", true},
        {"Recordings.d", false},
        {"Recordings.d.bak", false},
        {".Recordings.d.abc", false},     // too short for mkstemp
        {".Recordings.d.abcdefg", false}, // too long
        {".Recordings.d.ab-d_f", false},  // not mkstemp's alphabet
        {"Recordings.d.a1B2c3", false},   // no leading dot
        {".Recordings.dXa1B2c3", false},  // no dot before the six
        {".Other.d.a1B2c3", false},       // not a file the program saves
        {".orv.ini.bak.new", false},      // hidden: not a backup link
        {"Recordings.d.new", false},      // a link only a backup has
        {"Recordings.d.bak.new.a1B2c3", false},
        {"notes.txt", false},
    };
    for (const Case &c : cases) {
        QFile f(dir.filePath(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << c.name;
        f.write("content");
    }
    // A folder of the user's, and a temporary made by mkstemp itself.
    ASSERT_TRUE(QDir(dir.path()).mkdir(".Tree.ini.folder"));
    QByteArray made = QFile::encodeName(dir.filePath(".Tree.ini.XXXXXX"));
    const int fd = ::mkstemp(made.data());
    ASSERT_GE(fd, 0);
    ::close(fd);

    const QStringList names = {"Recordings.d", "Folders.d",    "orv.ini",       "Tree.ini",
                               "Events.log",   "Events.log.1", "Compressions.d"};
    const QStringList removed = AtomicFile::removeStaleTemporaries(dir.path(), names);

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QFile::exists(dir.filePath(c.name)), !c.removed);
        EXPECT_EQ(removed.contains(dir.filePath(c.name)), c.removed);
    }
    EXPECT_FALSE(QFile::exists(QFile::decodeName(made)));
    EXPECT_TRUE(removed.contains(QFile::decodeName(made)));
    EXPECT_TRUE(QFileInfo(dir.filePath(".Tree.ini.folder")).isDir());
    EXPECT_EQ(removed.size(), 8);
}

} // namespace
