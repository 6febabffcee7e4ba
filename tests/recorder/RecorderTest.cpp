// The headless recorder as an always-on box runs it: started on a data directory set up for
// the virtual modem, recording calls by itself, ended by SIGTERM.
#include "audio/StandardFormats.h"
#include "callers/CallerDirectory.h"
#include "catalogue/Catalogue.h"
#include "config/TIniFile.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"

namespace {

QString program(const QString &name)
{
    return qEnvironmentVariable("CALVORA_BIN_DIR") + "/" + name;
}

class RecorderTest : public ::testing::Test
{
protected:
    void SetUp() override { data = dir.filePath("data"); }

    void startModem(const QString &script)
    {
        ASSERT_TRUE(vmodem.start({"--speed", "4", "--script", script}));
        QDir().mkpath(data);
        TIniFile ini(data + "/orv.ini");
        writeVirtualModemSetup(ini, data, vmodem.path(), WorkingPcmFormat());
        ini.WriteInteger("Params", "DiscTime", 1);
    }

    void startRecorder(QProcess &process, const QString &name = "calvora-recorder",
                       const QStringList &more = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CALVORA_TIME_SCALE", "0.25");
        for (auto it = environment.cbegin(); it != environment.cend(); ++it)
            env.insert(it.key(), it.value());
        process.setProcessEnvironment(env);
        QStringList args = QStringList{"--data-dir", data} + more;
        if (name == "calvora")
            args << "--unattended";
        process.start(program(name), args);
        ASSERT_TRUE(process.waitForStarted());
    }

    // Waits until Events.log holds text (it gets every line as it is added).
    bool waitForLogLine(const QByteArray &text, int ms)
    {
        return Waits::waitUntil(
            [&] {
                QFile log(data + "/Events.log");
                return log.open(QIODevice::ReadOnly) && log.readAll().contains(text);
            },
            ms);
    }

    // Waits until the recorder has written text count times to standard error.
    bool waitForOutput(QProcess &process, const QByteArray &text, int count, int ms)
    {
        return Waits::waitUntil(
            [&] {
                output += process.readAllStandardError();
                return output.count(text) >= count;
            },
            ms);
    }

    QStringList memos()
    {
        ScriptedMessageService messages;
        Catalogue catalogue(data, messages, nullptr);
        EXPECT_TRUE(catalogue.OpenCatalogue());
        QStringList list;
        for (catalogue.CallsTbl.First(); !catalogue.CallsTbl.Eof(); catalogue.CallsTbl.Next())
            list << catalogue.CallsTbl.FieldValues("Comment").toString();
        return list;
    }

    // The "Ended" column of every row, as calvora-catalogue lists it.
    QStringList endings()
    {
        QProcess tool;
        tool.start(program("calvora-catalogue"), {"--data-dir", data, "list"});
        EXPECT_TRUE(tool.waitForFinished(60000));
        const QStringList lines =
            QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        const int column = lines.value(0).split('\t').indexOf("Ended");
        QStringList ended;
        for (const QString &line : lines.mid(1))
            ended << line.split('\t').value(column);
        return ended;
    }

    QTemporaryDir dir;
    QString data;
    VirtualModemProcess vmodem;
    QByteArray output;
    // Set in the recorder's environment besides the time scale.
    QMap<QString, QString> environment;
};

// The datagram socket systemd listens on for a notify service's messages, at path.
class NotifySocket
{
public:
    explicit NotifySocket(const QString &path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (m_fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
            return;
        std::copy(name.begin(), name.end(), address.sun_path);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        // Read as systemd does, at once: a full queue would block the recorder's next message.
        m_reader = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_reader.get(), &QSocketNotifier::activated, [this] { messages(); });
    }
    ~NotifySocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool bound() const { return m_bound; }
    // Every message received so far, in order.
    const QList<QByteArray> &messages()
    {
        char buffer[4096];
        for (ssize_t n; (n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0;)
            m_messages << QByteArray(buffer, int(n));
        return m_messages;
    }
    // The index of the first message holding text, or -1.
    int indexOf(const QByteArray &text)
    {
        const QList<QByteArray> &all = messages();
        for (int i = 0; i < all.size(); ++i)
            if (all[i].contains(text))
                return i;
        return -1;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
    std::unique_ptr<QSocketNotifier> m_reader;
    QList<QByteArray> m_messages;
};

// A call is recorded and catalogued with its caller; a second call cut off by SIGTERM is
// kept and catalogued too; a second program on the same data directory is refused.
TEST_F(RecorderTest, RecordsCallsAndKeepsTheCallInProgressOnSigterm)
{
    startModem("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550101 end=answered; "
               "voice speech 3000; voice silence; waitfor AT+VRX; waitfor AT+VCID=1; wait 300; "
               "call 2 800 NMBR=5550202 end=answered; voice speech");
    {
        // The first caller is in the caller directory, written as the contacts have it.
        CallerDirectory callers(data);
        ASSERT_TRUE(callers.setHomeCountry("US"));
        callers.import({{"Anne Smith", {"555-0101"}}});
        ASSERT_TRUE(callers.save());
    }
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000)) << output.toStdString();
    ASSERT_TRUE(waitForOutput(recorder, "Receiving data...", 2, 60000)) << output.toStdString();
    Waits::waitMs(1500);

    QProcess second;
    second.start(program("calvora-recorder"), {"--data-dir", data});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_NE(second.exitCode(), 0);
    const QString refusal = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(refusal.contains(QString("in use by process %1").arg(recorder.processId())))
        << refusal.toStdString();

    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 0);
    output += recorder.readAllStandardError();
    EXPECT_EQ(output.count("-- Recording stopped"), 2) << output.toStdString();

    const QStringList rows = memos();
    EXPECT_EQ(rows, (QStringList{"5550101", "5550202"}));
    EXPECT_EQ(endings(), (QStringList{"Silence", "Program ended by SIGTERM"}));
    EXPECT_TRUE(output.contains("Recording ended: Program ended by SIGTERM"));
    EXPECT_EQ(QDir(data + "/wav").entryList({"1_*.wav"}, QDir::Files).size(), 2);
    QFile log(data + "/Events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    EXPECT_EQ(lines.count("Caller ID detected"), 2);
    EXPECT_EQ(lines.count("Caller ID detected: Anne Smith"), 1);
}

// The headless recorder applies the rules as the window program does: a caller a rule never
// records gets no recording and no file, the next caller's memo comes from a template.
TEST_F(RecorderTest, RulesSkipOneCallerAndWriteTheNextOnesMemo)
{
    startModem("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550101 end=answered; wait 3000; "
               "call 2 800 NMBR=5550202 end=answered; voice speech 2000; voice silence");
    {
        QFile rules(data + "/Rules.txt");
        ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
        rules.write("Calvora rules 1\nRule\tmatch=number-is\tvalue=5550101\tnever-record=yes\n"
                    "Rule\tmatch=any\tmemo=Call of {name}\n");
    }
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000)) << output.toStdString();
    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    output += recorder.readAllStandardError();
    EXPECT_TRUE(output.contains("A rule skipped the call of 5550101")) << output.toStdString();
    EXPECT_EQ(output.count("-- Recording started"), 1);
    EXPECT_EQ(vmodem.log().count("AT+VRX", Qt::CaseInsensitive), 1);
    EXPECT_EQ(memos(), QStringList{"Call of 5550202"});
    EXPECT_EQ(QDir(data + "/wav").entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// The window program ended by SIGTERM during a call keeps the call and says why it ended.
TEST_F(RecorderTest, TheWindowProgramEndedBySigtermSaysSoOfTheCallInProgress)
{
    startModem("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550707 end=answered; voice speech");
    QProcess program;
    startRecorder(program, "calvora");
    ASSERT_TRUE(waitForLogLine("Receiving data...", 120000));
    Waits::waitMs(1500);
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(memos(), QStringList{"5550707"});
    EXPECT_EQ(endings(), QStringList{"Program ended by SIGTERM"});
}

// A modem that stops answering (a hung USB modem) is found by the idle check, reopened, and
// the next call is recorded without a restart. The checks run several times a second here,
// also between the rings, which they must not swallow.
TEST_F(RecorderTest, AModemThatStopsAnsweringIsReopenedAndTheNextCallRecorded)
{
    startModem("waitfor AT+VCID=1; wait 300; deaf on; waitfor AT+VCID=1; wait 300; "
               "call 2 800 NMBR=5550303 end=answered; voice speech 2000; voice silence");
    {
        TIniFile ini(data + "/orv.ini");
        ini.WriteInteger("General", "ModemCheck", 1);
    }
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000))
        << output.toStdString() << vmodem.log().toStdString();
    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    output += recorder.readAllStandardError();
    EXPECT_TRUE(output.contains("The modem does not answer; reopening com port 3"))
        << output.toStdString();
    EXPECT_TRUE(output.contains("Modem back on com port 3"));
    EXPECT_EQ(memos(), QStringList{"5550303"});
}

// Either program killed in the middle of a call (SIGKILL, a power cut) leaves its log lines
// up to the kill in Events.log, and its next start catalogues the call with its caller.
class KilledMidCallTest : public RecorderTest, public ::testing::WithParamInterface<const char *>
{};

TEST_P(KilledMidCallTest, TheLogKeepsItsLinesAndTheNextStartCataloguesTheCall)
{
    startModem("waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550505 end=answered; voice speech");
    QProcess first;
    startRecorder(first, GetParam());
    ASSERT_TRUE(waitForLogLine("Receiving data...", 120000));
    Waits::waitMs(1500);
    ::kill(pid_t(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(30000));

    QFile log(data + "/Events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    for (const char *line : {"------------ New session ------------", "Caller ID detected",
                             "-- Recording started", "Receiving data..."})
        EXPECT_TRUE(lines.contains(line)) << line;
    log.close();

    QProcess again;
    startRecorder(again, GetParam());
    ASSERT_TRUE(waitForLogLine("Recovered an interrupted recording", 60000));
    ::kill(pid_t(again.processId()), SIGTERM);
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_EQ(memos(), QStringList{"5550505"});
    EXPECT_EQ(endings(), QStringList{"Recovered after a crash"});
}

INSTANTIATE_TEST_SUITE_P(Programs, KilledMidCallTest,
                         ::testing::Values("calvora-recorder", "calvora"));

// A USB modem unplugged while idle and plugged back in (its terminal gone, then back on the
// same path) is taken up again, and its next call is recorded.
TEST_F(RecorderTest, AModemUnpluggedAndPluggedBackIsTakenUpAgain)
{
    const QString link = dir.filePath("ttyACM0");
    ASSERT_TRUE(vmodem.start({"--link", link, "--script", "waitfor AT+VCID=1; wait 500; exit"}));
    QDir().mkpath(data);
    {
        TIniFile ini(data + "/orv.ini");
        writeVirtualModemSetup(ini, data, link, WorkingPcmFormat());
        ini.WriteInteger("Params", "DiscTime", 1);
    }
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(vmodem.waitForExit(60000));
    ASSERT_TRUE(waitForOutput(recorder, "lost", 1, 30000)) << output.toStdString();

    VirtualModemProcess back;
    ASSERT_TRUE(back.start({"--speed", "4", "--link", link, "--script",
                            "waitfor AT+VCID=1; wait 300; call 2 800 NMBR=5550606 end=answered; "
                            "voice speech 2000; voice silence"}));
    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000)) << output.toStdString();
    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    EXPECT_EQ(memos(), QStringList{"5550606"});
}

// Started by systemd as a notify service, the recorder says it is ready once the modem is armed,
// keeps its status current through a call, beats the watchdog from its event loop and says
// when it ends.
TEST_F(RecorderTest, TellsSystemdItIsReadyWhatItDoesAndThatItStillRuns)
{
    startModem("waitfor AT+VCID=1; wait 1500; call 2 800 NMBR=5550808 end=answered; "
               "voice speech 2000; voice silence");
    NotifySocket systemd(dir.filePath("notify"));
    ASSERT_TRUE(systemd.bound());
    environment.insert("NOTIFY_SOCKET", dir.filePath("notify"));
    environment.insert("WATCHDOG_USEC", "400000");
    QProcess recorder;
    startRecorder(recorder);
    ASSERT_TRUE(Waits::waitUntil([&] { return systemd.indexOf("READY=1") >= 0; }, 60000))
        << recorder.readAllStandardError().toStdString();
    // Ready once the modem was set up and armed for calls, not before.
    EXPECT_TRUE(vmodem.log().contains("AT+VCID=1")) << vmodem.log().toStdString();
    const QByteArray ready = systemd.messages().at(systemd.indexOf("READY=1"));
    EXPECT_TRUE(ready.contains("STATUS=Modem on, waiting for calls")) << ready.toStdString();

    ASSERT_TRUE(waitForOutput(recorder, "-- Recording stopped", 1, 120000)) << output.toStdString();
    const int recording = systemd.indexOf("STATUS=Recording the call of 5550808");
    EXPECT_GT(recording, systemd.indexOf("READY=1"));
    ASSERT_TRUE(Waits::waitUntil(
        [&] { return systemd.indexOf("waiting for calls; last call ") > recording; }, 30000));
    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_GE(systemd.indexOf("STOPPING=1"), 0);
    // Beats came all along: well over one per watchdog period of the run.
    EXPECT_GE(systemd.messages().count("WATCHDOG=1"), 5);
}

// "device:inode" of a file, as systemd names its journal's stream in JOURNAL_STREAM.
QString journalStreamOf(const QString &path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QString("%1:%2").arg(qulonglong(st.st_dev)).arg(qulonglong(st.st_ino));
}

// With standard error read by the journal, each line carries its syslog priority, errors as
// errors; with standard error sent elsewhere than the stream the journal named, lines are plain.
TEST_F(RecorderTest, LinesToTheJournalCarryTheirPriority)
{
    startModem("waitfor AT+VCID=1");
    const QString journal = dir.filePath("journal");
    const QString elsewhere = dir.filePath("elsewhere");
    for (const QString &path : {journal, elsewhere}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto readAll = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    environment.insert("JOURNAL_STREAM", journalStreamOf(journal));
    QProcess recorder;
    recorder.setStandardErrorFile(journal);
    startRecorder(recorder);
    ASSERT_TRUE(Waits::waitUntil([&] { return readAll(journal).contains("autoRecord"); }, 60000))
        << readAll(journal).toStdString();

    // A second recorder on the same data directory is refused: an error. Its standard error is
    // first the journal's stream, then a file of its own.
    const struct
    {
        QString stderrFile;
        QByteArray start;
    } refusals[] = {{journal, "<3>calvora-recorder: the data directory "},
                    {elsewhere, "calvora-recorder: the data directory "}};
    for (const auto &refusal : refusals) {
        QProcess second;
        second.setStandardErrorFile(refusal.stderrFile, QIODevice::Append);
        startRecorder(second);
        ASSERT_TRUE(second.waitForFinished(30000));
        EXPECT_NE(second.exitCode(), 0);
        const QByteArray said = readAll(refusal.stderrFile);
        EXPECT_TRUE(said.contains("\n" + refusal.start) || said.startsWith(refusal.start))
            << said.toStdString();
    }
    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    const QList<QByteArray> lines = readAll(journal).split('\n');
    EXPECT_TRUE(lines.contains("<6>------------ New session ------------"));
    EXPECT_TRUE(lines.contains("<6>Com port 3 opened..."));
    for (const QByteArray &line : lines)
        EXPECT_TRUE(line.isEmpty() || QRegularExpression("^<[0-7]>").match(line).hasMatch())
            << line.toStdString();
    EXPECT_FALSE(readAll(elsewhere).contains("<"));
}

// The recorder is for boxes without a desktop: it must not need the GUI libraries.
TEST(RecorderBinaryTest, LinksNeitherQtGuiNorQtWidgets)
{
    QProcess readelf;
    readelf.start("readelf", {"-d", program("calvora-recorder")});
    ASSERT_TRUE(readelf.waitForFinished(30000));
    const QString needed = QString::fromLocal8Bit(readelf.readAllStandardOutput());
    ASSERT_TRUE(needed.contains("libQt6Core")) << needed.toStdString();
    EXPECT_FALSE(needed.contains("libQt6Gui"));
    EXPECT_FALSE(needed.contains("libQt6Widgets"));
}

// The web page: refused on an address other than loopback while no password is set; served on
// loopback as orv.ini's [Web] section says, its address kept beside the lock for the window
// program, which names it instead of only saying that the data directory is in use; the address
// goes when the recorder ends.
TEST_F(RecorderTest, TheWebPageIsOfferedToTheWindowProgramWhileServed)
{
    startModem("waitfor AT+VCID=1");
    QProcess refused;
    startRecorder(refused, "calvora-recorder", {"--listen", "0.0.0.0:0"});
    ASSERT_TRUE(refused.waitForFinished(60000));
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_TRUE(refused.readAllStandardError().contains("only with a password"));

    // Listening as orv.ini says.
    TIniFile(data + "/orv.ini").WriteString("Web", "Listen", "127.0.0.1:0");
    QProcess recorder;
    startRecorder(recorder);
    const QString urlFile = data + "/.calvora-web-url";
    ASSERT_TRUE(Waits::waitUntil([&] { return QFile::exists(urlFile); }, 60000))
        << recorder.readAllStandardError().toStdString();
    QFile file(urlFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString url = QString::fromUtf8(file.readAll()).trimmed();
    EXPECT_TRUE(url.startsWith("http://127.0.0.1:")) << url.toStdString();
    ASSERT_TRUE(waitForOutput(recorder, "this computer only", 1, 10000)) << output.toStdString();

    QProcess window;
    startRecorder(window, "calvora");
    ASSERT_TRUE(window.waitForFinished(60000));
    EXPECT_NE(window.exitCode(), 0);
    const QString said = QString::fromLocal8Bit(window.readAllStandardError());
    EXPECT_TRUE(said.contains(QString("in use by process %1").arg(recorder.processId())))
        << said.toStdString();
    EXPECT_TRUE(said.contains("on the web page " + url)) << said.toStdString();

    ::kill(pid_t(recorder.processId()), SIGTERM);
    ASSERT_TRUE(recorder.waitForFinished(60000));
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(urlFile));
}

} // namespace
