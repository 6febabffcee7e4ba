// The diagnostics run against the virtual modem over its pseudo-terminal, and the problem
// report's mail checked by a stand-in mail program.
#include "ScaledTime.h"
#include "StandInMailProgram.h"
#include "VirtualModemProcess.h"

#include "catalogue/RecordingNames.h"
#include "catalogue/mail/TMAPIMail.h"
#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "diagnostics/Diagnostics.h"
#include "diagnostics/ProblemReport.h"
#include "modem/TfmModem.h"
#include "modem/discovery/QueryBuffer.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}

// Shows nothing; asks to cancel once the bar has reached cancelAt.
class RecordedProgress final : public DiagnosticsProgress
{
public:
    void start(const QString &caption) override
    {
        captions << caption;
        shown = true;
    }
    void setProgress(int percent) override { steps << percent; }
    void finish() override { shown = false; }
    bool cancelRequested() const override { return !steps.isEmpty() && steps.last() >= cancelAt; }

    QStringList captions;
    QList<int> steps;
    bool shown = false;
    int cancelAt = 1000;
};

class DiagnosticsTest : public ::testing::Test
{
protected:
    static constexpr int Port = 3;

    DiagnosticsTest() : ini(dir.filePath("orv.ini")), log(dir.filePath("Events.log"))
    {
        prefs.Timeout = 1;
        prefs.FlowControl = 2; // "None"
        profile.port = Port;
        ini.WriteString("Ports", "COM3", link());
        modem = std::make_unique<TfmModem>(ini, prefs, profile, log, messages);
        diagnostics =
            std::make_unique<Diagnostics>(*modem, prefs, profile, query, log, messages, dir.path());
        diagnostics->progress = &progress;
        diagnostics->clock = [] { return QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)); };
        diagnostics->osName = [] { return QStringLiteral("Test Linux 12"); };
        diagnostics->cpuInfoPath = dir.filePath("cpuinfo");
        writeFile(diagnostics->cpuInfoPath, "processor\t: 0\nvendor_id\t: GenuineIntel\n"
                                            "cpu MHz\t\t: 2399.6\n\nprocessor\t: 1\n"
                                            "vendor_id\t: Other\ncpu MHz\t\t: 800.0\n");
    }

    QString link() const { return dir.filePath("modem-link"); }

    // A modem answering every diagnostics query with a bare OK, but where answers says
    // otherwise (a text, with "|" between lines, or ERROR or SILENT). ATE0 still switches the
    // echo off, as the modem's initialisation expects.
    void startModem(const std::map<QString, QString> &answers = {})
    {
        QByteArray text = "name: Diagnostics test modem\nvoice: yes\ncallerid: yes\n";
        for (const QString &query : Diagnostics::Queries()) {
            const auto it = answers.find(query);
            const QString answer = it != answers.end() ? it->second
                                   : query == "ate0"   ? QStringLiteral("OK")
                                                       : QStringLiteral("OK ONLY");
            if (answer.contains('|'))
                text += (query + " =>\n| " + answer.split('|').join("\n| ") + "\n").toUtf8();
            else
                text += (query + " => " + answer + "\n").toUtf8();
        }
        const QString profileFile = dir.filePath("test.profile");
        writeFile(profileFile, text);
        ASSERT_TRUE(vmodem.start({"--profile", profileFile, "--link", link()}))
            << qPrintable(VirtualModemProcess::program());
    }

    QStringList heading() const
    {
        const DateTimeFormats formats = DateTimeFormats::system();
        return {formats.dateText(QDate(2026, 12, 10)), formats.timeText(QTime(9, 5, 7)),
                "Test Linux 12", "GenuineIntel 2400Mhz", " "};
    }

    // The report's lines; each line of the file ends with CR LF.
    QStringList reportLines() const
    {
        const QString text = QString::fromUtf8(readFile(reportPath()));
        if (!text.endsWith("\r\n"))
            return {"(the file does not end with CR LF)", text};
        QStringList lines = text.split("\r\n");
        lines.removeLast();
        return lines;
    }

    QString reportPath() const { return dir.filePath("Diagnostics.log"); }

    QTemporaryDir dir;
    TIniFile ini;
    Preferences prefs;
    TModemParams profile;
    EventLog log;
    ScriptedMessageService messages;
    QueryBuffer query;
    RecordedProgress progress;
    VirtualModemProcess vmodem;
    std::unique_ptr<TfmModem> modem;
    std::unique_ptr<Diagnostics> diagnostics;
};

TEST_F(DiagnosticsTest, ReportHoldsEveryQueryWithItsReplyLinesOrError)
{
    ScaledTime faster(0.2); // the silent query costs one (shortened) time-out
    startModem({{"ati3", "U.S. Robotics 56K Voice|Firmware 1.2.23"},
                {"at+fclass=?", "0,1,8"},
                {"ati4", "ERROR"},
                {"at+VSM=?", "SILENT"},
                {"at+GMM?", "+GMM: Test Voice 56K"}});
    EXPECT_EQ(diagnostics->DiagnosticsClick(), Diagnostics::Outcome::Written);

    QStringList expected = heading();
    for (const QString &q : Diagnostics::Queries()) {
        expected << q;
        if (q == "ati3")
            expected << "U.S. Robotics 56K Voice"
                     << "Firmware 1.2.23"
                     << "OK";
        else if (q == "at+GMM?")
            expected << "+GMM: Test Voice 56K"
                     << "OK";
        else if (q == "at+fclass=?")
            expected << "0,1,8"
                     << "OK";
        else if (q == "ati4" || q == "at+VSM=?")
            expected << "ERROR";
        else
            expected << "OK";
        expected << " ";
    }
    EXPECT_EQ(reportLines(), expected);
    EXPECT_EQ(query.lines(), expected);

    // The queries went out in their order.
    const QString modemLog = vmodem.log();
    qsizetype at = modemLog.indexOf("<< ate0");
    for (const QString &q : Diagnostics::Queries()) {
        const qsizetype next = modemLog.indexOf("<< " + q + "\n", at, Qt::CaseInsensitive);
        EXPECT_GE(next, at) << qPrintable(q);
        at = next;
    }

    const QStringList lines = log.lines();
    const qsizetype clicked = lines.indexOf("-- Options -> Diagnostics clicked");
    ASSERT_GE(clicked, 0);
    EXPECT_EQ(lines.at(clicked + 1), "Diagnostics");
    EXPECT_EQ(lines.last(), "Enabling autoRecord mode");
    EXPECT_TRUE(lines.contains("Disabling autoRecord mode"));
    EXPECT_EQ(progress.captions, QStringList{"Progress..."});
    EXPECT_EQ(progress.steps.size(), 40);
    EXPECT_EQ(progress.steps.at(0), 3); // round(1 / 40 * 100)
    EXPECT_EQ(progress.steps.last(), 100);
    EXPECT_FALSE(progress.shown);
    EXPECT_TRUE(modem->PortOpen());
    EXPECT_TRUE(modem->AutoRecordArmed());
}

TEST_F(DiagnosticsTest, AllOkModemGivesQueryOkAndBlankPerQuery)
{
    prefs.AutoRecord = false;
    startModem();
    ASSERT_TRUE(modem->OpenModemPort(Port, true));
    const qsizetype before = log.lines().size();
    EXPECT_EQ(diagnostics->RunDiagnostics(), Diagnostics::Outcome::Written);

    QStringList expected = heading();
    for (const QString &q : Diagnostics::Queries())
        expected << q << "OK"
                 << " ";
    EXPECT_EQ(reportLines(), expected);
    // Automatic recording was off and stays off; the open port is not opened again.
    EXPECT_EQ(log.lines().mid(before), QStringList{"Diagnostics"});
}

TEST_F(DiagnosticsTest, ModemThatStopsAnsweringCostsOneTimeOutPerQuery)
{
    ScaledTime faster(0.05); // the 1 s time-out lasts 50 ms
    startModem();
    ASSERT_TRUE(modem->OpenModemPort(Port, true));
    vmodem.step("deaf on");
    ASSERT_TRUE(Waits::waitUntil([this] { return vmodem.log().contains("== deaf"); }, 5000));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(diagnostics->RunDiagnostics(), Diagnostics::Outcome::Written);
    // 40 time-outs of 50 ms, with room for a slow shared machine, far below one full
    // second per query.
    EXPECT_LT(clock.elapsed(), 6000);

    QStringList expected = heading();
    for (const QString &q : Diagnostics::Queries())
        expected << q << "ERROR"
                 << " ";
    EXPECT_EQ(reportLines(), expected);
}

TEST_F(DiagnosticsTest, ModemUnpluggedDuringTheRunAnswersErrorToTheRest)
{
    ScaledTime faster(0.2);
    startModem();
    ASSERT_TRUE(modem->OpenModemPort(Port, true));
    vmodem.step("waitfor ati5; exit");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(diagnostics->RunDiagnostics(), Diagnostics::Outcome::Written);
    EXPECT_LT(clock.elapsed(), 40 * 200 + 5000);

    const QStringList lines = reportLines();
    const QStringList &queries = Diagnostics::Queries();
    const qsizetype gone = lines.indexOf("ati6");
    ASSERT_GT(gone, 0);
    QStringList rest;
    for (qsizetype i = queries.indexOf("ati6"); i < queries.size(); ++i)
        rest << queries[i] << "ERROR"
             << " ";
    EXPECT_EQ(lines.mid(gone), rest);
    EXPECT_EQ(lines.mid(5, 3), QStringList({"ate0", "OK", " "}));
}

TEST_F(DiagnosticsTest, CancelStopsTheRunAndKeepsTheOlderReport)
{
    startModem();
    writeFile(reportPath(), "older report\r\n");
    progress.cancelAt = 10;
    EXPECT_EQ(diagnostics->RunDiagnostics(), Diagnostics::Outcome::Cancelled);
    EXPECT_EQ(progress.steps, QList<int>({3, 5, 8, 10}));
    EXPECT_EQ(readFile(reportPath()), "older report\r\n");
    EXPECT_EQ(log.lines().last(), "Diagnostics cancelled");
    EXPECT_TRUE(modem->AutoRecordArmed());
    EXPECT_FALSE(progress.shown);
}

TEST_F(DiagnosticsTest, PortThatCannotBeOpenedWritesNoFile)
{
    ini.WriteString("Ports", "COM3", dir.filePath("no-such-device"));
    EXPECT_EQ(diagnostics->RunDiagnostics(), Diagnostics::Outcome::PortFailed);
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.at(0).startsWith("Error during opening com port 3"));
    EXPECT_FALSE(QFile::exists(reportPath()));
    EXPECT_TRUE(progress.captions.isEmpty());
}

TEST(DiagnosticsProcessorTest, VendorAndClockOfTheFirstProcessorOrMinusOne)
{
    const Diagnostics::Processor arm =
        Diagnostics::parseCpuInfo("processor\t: 0\nBogoMIPS\t: 48.00\nCPU part\t: 0xd08\n");
    EXPECT_EQ(arm.vendor, "");
    EXPECT_EQ(arm.mhz, -1);
    const Diagnostics::Processor odd =
        Diagnostics::parseCpuInfo("vendor_id : AuthenticAMD\ncpu MHz : fast\n");
    EXPECT_EQ(odd.vendor, "AuthenticAMD");
    EXPECT_EQ(odd.mhz, -1);
}

class ProblemReportTest : public DiagnosticsTest
{
protected:
    ProblemReportTest()
        : report(*diagnostics, log, query, mail, messages, dir.path(), "help@example.org")
    {}
    // The report makes the data directory current; it goes away with the test.
    ~ProblemReportTest() override { QDir::setCurrent(QDir::tempPath()); }

    StandInMailProgram program;
    TMAPIMail mail;
    ProblemReport report;
};

TEST_F(ProblemReportTest, FirstSendAttachesTheReportAndSettings)
{
    startModem();
    ini.WriteString("Params", "Marker", "x");
    log.AddLogLine("an event");
    EXPECT_TRUE(report.send("It does not ring.\nSecond line."));
    ASSERT_EQ(program.runs().size(), 1);
    EXPECT_EQ(program.runs().at(0),
              QStringList({"--utf8", "--subject", "ORV v1.8.3 support", "--body",
                           "It does not ring.\nSecond line.\n", "--attach",
                           dir.filePath("Diagnostics.log"), "--attach", dir.filePath("orv.ini"),
                           "help@example.org"}));
    // The event log was saved first.
    EXPECT_TRUE(readFile(dir.filePath("Events.log")).contains("an event"));
}

TEST_F(ProblemReportTest, FailedSendIsFollowedByOneWithEverythingInTheBody)
{
    // No modem: the diagnostics fail, and no configuration file exists either.
    ini.WriteString("Ports", "COM3", dir.filePath("no-such-device"));
    QFile::remove(dir.filePath("orv.ini"));
    writeFile(dir.filePath("Diagnostics.log"), "older\r\n");
    query.setText("ati3\nOLD MODEM\nOK\n ");
    log.AddLogLine("event one");
    program.setExitStatus(3); // no mail program
    EXPECT_FALSE(report.send("Description"));

    const QList<QStringList> runs = program.runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs.at(0).mid(runs.at(0).indexOf("--attach")),
              QStringList({"--attach", dir.filePath("Diagnostics.log"), "help@example.org"}));
    const QString body = runs.at(1).at(runs.at(1).indexOf("--body") + 1);
    EXPECT_TRUE(body.startsWith("Description\n\n----------------- Diagnostics -------------------\n"
                                "ati3\nOLD MODEM\nOK\n \n\n"));
    EXPECT_TRUE(body.endsWith("------------------- Events ---------------------\n" +
                              log.lines().join('\n') +
                              "\n--------------------- End -----------------------\n"));
    EXPECT_EQ(body.count("event one"), 1);
    EXPECT_EQ(runs.at(1).mid(runs.at(1).indexOf("--attach")),
              runs.at(0).mid(runs.at(0).indexOf("--attach")));
    EXPECT_TRUE(query.text().isEmpty());

    // Neither went: the user is told why and the report is saved where it can be attached.
    EXPECT_EQ(messages.texts
                  .filter("The problem report could not be handed to a mail program: "
                          "User cancelled request.")
                  .size(),
              1)
        << messages.texts.join('|').toStdString();
    const QStringList saved =
        QDir(dir.path()).entryList({"problem-report-*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(saved.size(), 1);
    const QString folder = dir.filePath(saved[0]);
    EXPECT_EQ(messages.texts.last(), "The problem report was saved in " + folder);
    EXPECT_EQ(readFile(folder + "/Description.txt"), "Description");
    EXPECT_TRUE(QFile::exists(folder + "/Diagnostics.log"));
    EXPECT_TRUE(readFile(folder + "/Events.log").contains("event one"));
}

TEST_F(ProblemReportTest, AReportNobodyWantsSavedIsNotSavedAndNotSent)
{
    ini.WriteString("Ports", "COM3", dir.filePath("no-such-device"));
    program.setExitStatus(3);
    messages.confirmAnswers = {false};
    QString opened;
    report.openFolder = [&](const QString &folder) { opened = folder; };
    EXPECT_FALSE(report.send("Description"));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList({"problem-report-*"}, QDir::Dirs).isEmpty());
}

TEST(ProblemReportBodyTest, SecondBodyHoldsEachSourceLineOnceInOrder)
{
    const QStringList description{"desc 1", "desc 2"};
    const QStringList diagnostics{"diag 1", "diag 2", " "};
    const QStringList configuration{"[Params]", "key=value"};
    const QStringList events{"event 1", "event 2"};
    const QString body =
        ProblemReport::secondBody(description, diagnostics, configuration, events, 100000);
    EXPECT_EQ(body, "desc 1\ndesc 2\n\n"
                    "----------------- Diagnostics -------------------\n"
                    "diag 1\ndiag 2\n \n\n"
                    "------------------- orv.ini ---------------------\n"
                    "[Params]\nkey=value\n"
                    "--------------------- End -----------------------\n\n"
                    "------------------- Events ---------------------\n"
                    "event 1\nevent 2\n"
                    "--------------------- End -----------------------\n");

    // Short of room, the oldest events go first.
    const qsizetype full = body.toUtf8().size();
    const QString shorter =
        ProblemReport::secondBody(description, diagnostics, configuration, events, full - 1);
    EXPECT_FALSE(shorter.contains("event 1"));
    EXPECT_TRUE(shorter.contains("event 2\n"));
    EXPECT_LE(shorter.toUtf8().size(), full - 1);
}

} // namespace
