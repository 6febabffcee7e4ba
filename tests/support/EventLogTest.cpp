// The event log: the line limit, direct appends, the session start, the file format, and the
// file after each line, as a kill would leave it.
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
    QByteArray expected;
    for (int i = 1; i <= 999; ++i) {
        log.AddLogLine(QString::number(i));
        expected += QByteArray::number(i) + "\r\n";
    }
    EXPECT_EQ(fileText(), expected) << "each line is appended";
    EXPECT_FALSE(QFile::exists(previousPath())) << "999 lines do not save";
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
    const Case cases[] = {{0, 1, 1}, {3, 4, 4}, {998, 999, 999}, {999, 0, 1000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fileLines);
        QFile::remove(path());
        if (c.fileLines > 0)
            writeLines(c.fileLines);
        log.startSession();
        EXPECT_EQ(log.lines().size(), c.linesAfterStart);
        EXPECT_EQ(fileText().count("\r\n"), c.fileLinesAfterStart);
        if (c.linesAfterStart > 0) {
            EXPECT_EQ(log.lines().last(), EventLog::SessionLine);
            EXPECT_EQ(fileText(), log.lines().join("\r\n").toUtf8() + "\r\n");
        } else {
            EXPECT_TRUE(
                fileText().endsWith("old 999\r\n" + EventLog::SessionLine.toUtf8() + "\r\n"));
        }
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

QByteArray asFile(const QStringList &lines)
{
    QByteArray content;
    for (const QString &line : lines)
        content += line.toUtf8() + "\r\n";
    return content;
}

// Nothing is saved here: the file is read as a kill at that moment would leave it, and the
// next run loads it.
TEST_F(EventLogTest, EachLineIsInTheFileWhenItsAddReturns)
{
    writeLines(2);
    QByteArray expected = fileText();
    log.startSession();
    expected += EventLog::SessionLine.toUtf8() + "\r\n";
    EXPECT_EQ(fileText(), expected) << "the session line is in the file at once";

    struct Step
    {
        bool direct;
        QString text;
        QByteArray written;
    };
    const Step steps[] = {
        {false, "-- Modem on clicked", "-- Modem on clicked\r\n"},
        {true, "Com port 1 opened...", "Com port 1 opened...\r\n"},
        {true, "NMBR = 555\nforged", "NMBR = 555 forged\r\n"},
        {false, QString::fromUtf8("-- Playback file \xc3\xa9t\xc3\xa9.wav"),
         "-- Playback file \xc3\xa9t\xc3\xa9.wav\r\n"},
        {false, "", "\r\n"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.text.toStdString());
        if (step.direct)
            log.appendLine(step.text);
        else
            log.AddLogLine(step.text);
        expected += step.written;
        EXPECT_EQ(fileText(), expected);
    }

    EventLog nextRun(path());
    nextRun.startSession();
    EXPECT_EQ(nextRun.lines().mid(0, log.lines().size()), log.lines())
        << "the next run finds every line of the killed one";
    EXPECT_EQ(nextRun.lines().last(), EventLog::SessionLine);
}

// After a limit the lines go on onto the saved file, so a kill loses none of either; a normal
// exit leaves the lines since the limit, the saved ones being in Events.log.1.
TEST_F(EventLogTest, AfterTheLimitLinesAreAppendedToTheSavedFile)
{
    QStringList saved;
    for (int i = 1; i <= EventLog::LineLimit; ++i) {
        saved << QString::number(i);
        log.AddLogLine(saved.last());
    }
    ASSERT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(fileText(), asFile(saved));

    log.AddLogLine("-- Recording started");
    log.appendLine("Silence...");
    EXPECT_EQ(fileText(), asFile(saved) + "-- Recording started\r\nSilence...\r\n")
        << "what a kill now leaves";
    EXPECT_EQ(fileText(previousPath()), asFile(saved));

    log.save();
    EXPECT_EQ(fileText(), "-- Recording started\r\nSilence...\r\n");
    log.appendLine("Com port 1 closed...");
    EXPECT_EQ(fileText(), "-- Recording started\r\nSilence...\r\nCom port 1 closed...\r\n")
        << "a line after the exit save still reaches the file";
}

// The catalogue opens before the log's session starts; its lines belong to the new run, so
// they come after the session line, and they are in the file from the moment they are added.
TEST_F(EventLogTest, LinesAddedBeforeTheSessionFollowTheSessionLine)
{
    struct Case
    {
        const char *name;
        QByteArray file;          // before the run
        QStringList loaded;       // the lines the run finds in it
        qsizetype listAfterStart; // lines in the list after the session start
    };
    QByteArray full;
    QStringList fullLines;
    for (int i = 1; i <= 999; ++i) {
        full += "old " + QByteArray::number(i) + "\r\n";
        fullLines << "old " + QString::number(i);
    }
    const Case cases[] = {
        {"no file", {}, {}, 3},
        {"two lines", "a\r\nb\r\n", {"a", "b"}, 5},
        {"a last line without its end", "a\r\nb", {"a", "b"}, 5},
        {"the session line reaches the limit", full, fullLines, 2},
    };
    const QStringList early = {"Can not open Recordings.d: bad header",
                               "Restored Recordings.d from its backup Recordings.d.bak"};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        QFile::remove(previousPath());
        if (!c.file.isNull()) {
            QFile f(path());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.file);
        }
        EventLog run(path());
        run.AddLogLine(early[0]);
        run.appendLine(early[1]);
        EXPECT_EQ(fileText(), asFile(c.loaded) + asFile(early)) << "on disk before the session";

        run.startSession();
        const QStringList all = c.loaded + QStringList{EventLog::SessionLine} + early;
        EXPECT_EQ(fileText(), asFile(all));
        EXPECT_EQ(run.lines().size(), c.listAfterStart);
        EXPECT_EQ(run.lines(), all.mid(all.size() - c.listAfterStart));
        if (c.listAfterStart < all.size()) {
            EXPECT_EQ(fileText(previousPath()), asFile(c.loaded) + asFile({EventLog::SessionLine}));
        }

        run.save();
        EXPECT_EQ(fileText(), asFile(run.lines())) << "the exit save";
    }
}

// A line the file could not take stays in the list and goes to the file, in its place, with
// the next line the file takes.
TEST_F(EventLogTest, ALineTheFileCouldNotTakeFollowsWithTheNext)
{
    const QString folder = dir.filePath("later");
    EventLog later(folder + "/Events.log");
    EXPECT_NO_THROW(later.AddLogLine("first"));
    EXPECT_NO_THROW(later.appendLine("second"));
    EXPECT_EQ(later.lines(), QStringList({"first", "second"}));
    EXPECT_FALSE(QFile::exists(folder + "/Events.log"));

    ASSERT_TRUE(QDir().mkdir(folder));
    later.appendLine("third");
    EXPECT_EQ(fileText(folder + "/Events.log"), "first\r\nsecond\r\nthird\r\n");
    later.AddLogLine("fourth");
    EXPECT_EQ(fileText(folder + "/Events.log"), "first\r\nsecond\r\nthird\r\nfourth\r\n");
}

} // namespace
