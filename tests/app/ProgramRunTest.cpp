// The whole program, started as a user or a script starts it: offscreen, unattended,
// one instance per data directory, ended by SIGTERM like a desktop session ending.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

#include "WholeFile.h"

namespace {

QString program()
{
    return qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora";
}

// The program with its fixed pauses and time-outs at a tenth, so that the port scan of a first
// start takes 0.4 s instead of 4 s.
QProcessEnvironment fastEnvironment(const QString &timeScale = "0.1")
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("CALVORA_TIME_SCALE", timeScale);
    return environment;
}

bool waitFor(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(50);
    }
    return true;
}

TEST(ProgramRunTest, StartsOnceWritesItsStateAndEndsOnSigterm)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.setProcessEnvironment(fastEnvironment());
    first.start(program(), {"--data-dir", data, "--unattended"});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return QFile::exists(data + "/orv.ini"); }, 60000));
    QThread::msleep(500);

    QProcess second;
    second.setProcessEnvironment(fastEnvironment());
    second.start(program(), {"--data-dir", data, "--unattended"});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << "the first instance keeps running";

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);

    const QByteArray ini = readFile(data + "/orv.ini");
    for (const char *key : {"MainTop=", "MainLeft=", "MainWid=", "MainHeight=", "[Ports]"})
        EXPECT_TRUE(ini.contains(key)) << key;
    EXPECT_TRUE(
        readFile(data + "/Events.log").startsWith("------------ New session ------------\r\n"));
    // The folder tree is saved on the way out.
    EXPECT_TRUE(readFile(data + "/Tree.ini").contains("[Tree]\r\nNode0=General\r\n"));

    // The next run appends its session to the kept log, and removes what a save killed
    // half-way left behind, but nothing else.
    const QStringList stale = {data + "/.Recordings.d.a1B2c3", data + "/Recordings.d.bak.new"};
    const QStringList kept = {data + "/.Recordings.d.abc", data + "/notes.txt"};
    for (const QString &path : stale + kept) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QProcess again;
    again.setProcessEnvironment(fastEnvironment());
    again.start(program(), {"--data-dir", data, "--unattended"});
    ASSERT_TRUE(again.waitForStarted());
    QThread::msleep(1500);
    ::kill(static_cast<pid_t>(again.processId()), SIGINT);
    ASSERT_TRUE(again.waitForFinished(60000));
    const QByteArray log = readFile(data + "/Events.log");
    EXPECT_EQ(log.count("New session"), 2);
    for (const QString &path : stale) {
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
        EXPECT_TRUE(log.contains("Removed an interrupted save: " + path.toUtf8() + "\r\n"));
    }
    for (const QString &path : kept)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
}

// A program killed outright (a crash, SIGKILL, a power cut) saves nothing, yet its log is in
// Events.log up to the kill: the previous runs' lines, the session line, then this run's lines,
// among them the catalogue's, which it writes before the log's session starts.
TEST(ProgramRunTest, AKilledRunLeavesItsLogLinesInTheFile)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    ASSERT_TRUE(QDir().mkpath(data));
    const QByteArray previous = "------------ New session ------------\r\n-- Modem on clicked\r\n";
    {
        QFile log(data + "/Events.log");
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(previous);
        QFile table(data + "/Recordings.d"); // damaged: the catalogue logs that
        ASSERT_TRUE(table.open(QIODevice::WriteOnly));
        table.write("not a table");
    }
    QProcess run;
    run.setProcessEnvironment(fastEnvironment());
    run.start(program(), {"--data-dir", data, "--unattended"});
    ASSERT_TRUE(run.waitForStarted());
    // The modem search of a first start writes its lines after the session's start.
    QByteArray seen;
    const bool searching = waitFor(
        [&] {
            seen = readFile(data + "/Events.log");
            return seen.contains("----- finding modems -----\r\n");
        },
        60000);
    ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitStatus(), QProcess::CrashExit);
    ASSERT_TRUE(searching) << seen.toStdString();

    const QByteArray log = readFile(data + "/Events.log");
    EXPECT_TRUE(log.startsWith(seen)) << "every line seen before the kill is still there";
    EXPECT_TRUE(log.endsWith("\r\n"));
    const QByteArray session = previous + "------------ New session ------------\r\n";
    ASSERT_TRUE(log.startsWith(session)) << log.toStdString();
    const QList<QByteArray> lines = log.mid(session.size()).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Can not open Recordings.d: ")) << lines[0].toStdString();
    EXPECT_TRUE(log.contains("----- finding modems -----\r\n"));
}

TEST(ProgramRunTest, AnUnusableConfigurationIsReportedNotFatal)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    QDir().mkpath(data + "/orv.ini"); // a directory where the file should be
    QProcess run;
    run.setProcessEnvironment(fastEnvironment());
    run.setReadChannel(QProcess::StandardError);
    run.start(program(), {"--data-dir", data, "--unattended"});
    ASSERT_TRUE(run.waitForStarted());
    const QString expected = "message: Unable to write to " + data + "/orv.ini";
    QString errors;
    const bool reported = waitFor(
        [&] {
            run.waitForReadyRead(50);
            errors += QString::fromLocal8Bit(run.readAllStandardError());
            return errors.contains(expected) || run.state() == QProcess::NotRunning;
        },
        60000);
    EXPECT_TRUE(reported && errors.contains(expected)) << errors.toStdString();
    EXPECT_EQ(run.state(), QProcess::Running) << "the program goes on";
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);
}

// A desktop session ending while a message box waits for an answer: the box is closed and
// the program still saves and ends.
TEST(ProgramRunTest, SigtermEndsTheProgramWhileAMessageWaits)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    QDir().mkpath(data + "/orv.ini"); // a directory where the file should be: a message box
    QProcess run;
    run.setProcessEnvironment(fastEnvironment());
    run.start(program(), {"--data-dir", data});
    ASSERT_TRUE(run.waitForStarted());
    QThread::msleep(1500); // the box comes up within a fifth of a second
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(60000)) << "a waiting box must not hold up the end";
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(readFile(data + "/Events.log").startsWith("------------ New session"));
}

// The demo needs no modem: the virtual modem is found by scanning, rings with a caller's
// call, and the call is recorded and catalogued by itself.
TEST(ProgramRunTest, TheDemoRecordsACallWithoutAModem)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("demo");
    // The demo's call (its rings, pauses and the caller's voice) runs eight times as fast, and
    // the program's scan pauses and command time-outs at a quarter.
    QProcessEnvironment environment = fastEnvironment("0.25");
    environment.insert("CALVORA_DEMO_SPEED", "8");
    QProcess demo;
    demo.setProcessEnvironment(environment);
    demo.start(program(), {"--demo", "--data-dir", data, "--unattended"});
    ASSERT_TRUE(demo.waitForStarted());
    const bool recorded = waitFor(
        [&] {
            const QStringList wavs = QDir(data + "/wav").entryList({"1_*.wav"}, QDir::Files);
            return !wavs.isEmpty();
        },
        180000);
    // Then it takes the modem up again for the next call (and is not in the middle of that
    // when it is told to end).
    auto modemTakenUpAgain = [&] {
        const QByteArray modemLog = readFile(data + "/vmodem.log");
        const qsizetype ended = modemLog.indexOf("voice receive ended");
        return ended >= 0 && modemLog.indexOf("<< at+vcid=1", ended) >= 0;
    };
    const bool rearmed = recorded && waitFor(modemTakenUpAgain, 60000);
    ::kill(static_cast<pid_t>(demo.processId()), SIGTERM);
    ASSERT_TRUE(demo.waitForFinished(60000));
    ASSERT_TRUE(recorded) << readFile(data + "/Events.log").toStdString();
    EXPECT_TRUE(rearmed) << readFile(data + "/vmodem.log").toStdString();

    const QByteArray log = readFile(data + "/Events.log");
    for (const char *line : {"Modem Found on COM1:", "Caller ID detected", "-- Recording started",
                             "Disconnect line...", "-- Recording stopped"})
        EXPECT_TRUE(log.contains(line)) << line;
    QProcess soxi;
    const QString wav =
        data + "/wav/" + QDir(data + "/wav").entryList({"1_*.wav"}, QDir::Files).first();
    soxi.start("soxi", {"-D", wav});
    soxi.waitForFinished(30000);
    EXPECT_GT(QString::fromUtf8(soxi.readAllStandardOutput()).trimmed().toDouble(), 14.0)
        << "the caller's whole message is in the recording";
}

} // namespace
