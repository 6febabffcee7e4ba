// The event log: the line limit, direct appends, the session start and the file format.
#include "support/EventLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

class EventLogTest : public ::testing::Test
{
protected:
    QString path() const { return dir.filePath("Events.log"); }
    QString previousPath() const { return dir.filePath("Events.log.1"); }

    QByteArray fileText(const QString &file = {}) const
    {
        QFile f(file.isEmpty() ? path() : file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeLines(int count)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 1; i <= count; ++i)
            f.write("old " + QByteArray::number(i) + "\r\n");
    }

    QTemporaryDir dir;
    EventLog log{path()};
};

TEST_F(EventLogTest, TheThousandthLineSavesTheListAndClearsIt)
{
    for (int i = 1; i <= 999; ++i)
        log.AddLogLine(QString::number(i));
    EXPECT_FALSE(QFile::exists(path())) << "999 lines do not save";
    EXPECT_EQ(log.lines().size(), 999);

    log.AddLogLine("1000");
    EXPECT_TRUE(log.lines().isEmpty());
    const QByteArray text = fileText();
    EXPECT_EQ(text.count("\r\n"), 1000);
    EXPECT_TRUE(text.startsWith("1\r\n2\r\n"));
    EXPECT_TRUE(text.endsWith("999\r\n1000\r\n"));
}

TEST_F(EventLogTest, DirectAppendsPassTheLimitUntilTheNextAddLogLine)
{
    for (int i = 0; i < 1005; ++i)
        log.appendLine("direct");
    EXPECT_EQ(log.lines().size(), 1005);
    log.AddLogLine("-- Recording started");
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(fileText().count("\r\n"), 1006);
}

TEST_F(EventLogTest, SessionStartLoadsTheFileAndAddsTheSessionLine)
{
    struct Case
    {
        int fileLines;
        int linesAfterStart;
        int fileLinesAfterStart;
    };
    const Case cases[] = {{0, 1, 0}, {3, 4, 3}, {998, 999, 998}, {999, 0, 1000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fileLines);
        QFile::remove(path());
        if (c.fileLines > 0)
            writeLines(c.fileLines);
        log.startSession();
        EXPECT_EQ(log.lines().size(), c.linesAfterStart);
        EXPECT_EQ(fileText().count("\r\n"), c.fileLinesAfterStart);
        if (c.linesAfterStart > 0)
            EXPECT_EQ(log.lines().last(), EventLog::SessionLine);
        else
            EXPECT_TRUE(
                fileText().endsWith("old 999\r\n" + EventLog::SessionLine.toUtf8() + "\r\n"));
    }
}

TEST_F(EventLogTest, AfterASaveAndClearAnExitKeepsOnlyTheNewLines)
{
    for (int i = 0; i < 1000; ++i)
        log.AddLogLine("x");
    log.AddLogLine("after");
    log.save();
    EXPECT_EQ(fileText(), "after\r\n");
}

// The exit save replaces the file with the lines since the last limit; the lines saved at the
// limit live on in Events.log.1 until the next limit replaces them.
TEST_F(EventLogTest, TheLinesSavedAtTheLimitSurviveTheExitSave)
{
    writeLines(1005);
    const QByteArray old = fileText();
    log.startSession();
    EXPECT_TRUE(log.lines().isEmpty());
    log.AddLogLine("-- Modem on clicked");
    log.appendLine("ring");
    log.save();

    EXPECT_EQ(fileText(previousPath()), old + EventLog::SessionLine.toUtf8() + "\r\n");
    EXPECT_EQ(fileText(), "-- Modem on clicked\r\nring\r\n");
    EXPECT_EQ(log.previousFilePath(), previousPath());

    for (int i = 2; i < EventLog::LineLimit; ++i)
        log.AddLogLine("x");
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(fileText(previousPath()), fileText()) << "one generation, replaced at each limit";
    EXPECT_TRUE(fileText(previousPath()).startsWith("-- Modem on clicked\r\nring\r\nx\r\n"));
}

TEST_F(EventLogTest, AFailedCopyAtTheLimitLosesNothingAndRaisesNothing)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Events.log.1")); // a directory where the copy should be
    for (int i = 1; i < EventLog::LineLimit; ++i)
        log.AddLogLine("x");
    EXPECT_NO_THROW(log.AddLogLine("last"));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(fileText().count("\r\n"), EventLog::LineLimit);
    EXPECT_TRUE(fileText().endsWith("x\r\nlast\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Events.log"})
        << "no temporary file is left behind";
}

TEST_F(EventLogTest, LinesStayLinesAndAFailedSaveKeepsThem)
{
    log.appendLine("NMBR = 555\r\nforged line");
    EXPECT_EQ(log.lines(), QStringList{"NMBR = 555  forged line"});

    EventLog unwritable(dir.filePath("missing-dir/Events.log"));
    for (int i = 0; i < 999; ++i)
        unwritable.appendLine("x");
    EXPECT_THROW(
        {
            try {
                unwritable.AddLogLine("last");
            } catch (const FileCreateError &e) {
                EXPECT_EQ(QString::fromUtf8(e.what()),
                          "Cannot create file " + dir.filePath("missing-dir/Events.log"));
                EXPECT_EQ(e.osError(), ENOENT);
                throw;
            }
        },
        FileCreateError);
    EXPECT_EQ(unwritable.lines().size(), 1000) << "the list is not cleared when the save fails";
}

} // namespace
