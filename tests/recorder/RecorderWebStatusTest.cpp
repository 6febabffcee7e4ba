// The web page's status line end to end: the virtual modem rings, the recorder session
// (without any window) records or skips the call, and the status the page is pushed names
// the caller of the call being recorded and keeps the modem on while it is.
#include "recorder/RecorderWebPage.h"
#include "web/WebServer.h"

#include <QFile>
#include <QJsonDocument>

#include "VirtualModemSession.h"

namespace {

// A call that a rule skips leaves its caller ID behind in no one's status: the next call,
// without caller ID, is recorded from an unknown caller.
TEST(RecorderWebStatusTest, ACallWithoutCallerIdShowsNoCallerOfACallBefore)
{
    VirtualModemSession s;
    ASSERT_TRUE(s.open("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5550199 end=answered", 1));
    QFile rules(s.dir.filePath("Rules.txt"));
    ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
    rules.write("Calvora rules 1\nRule\tmatch=number-is\tvalue=5550199\tnever-record=yes\n");
    rules.close();
    RecorderWebPage page(*s.session);
    // Rings closer than this belong to one call; the line here is quiet for longer between
    // the two calls.
    s.session->modem().setCallGapMs(1000);
    ASSERT_TRUE(s.bringOnLine());
    ASSERT_TRUE(
        Waits::waitUntil([&] { return s.logText().contains("A rule skipped the call"); }, 60000))
        << s.logText().toStdString();

    s.vmodem.step("wait 2000; call 2 400 end=answered; voice speech 3000; voice silence");
    ASSERT_TRUE(Waits::waitUntil([&] { return s.session->recorder().recording(); }, 60000))
        << s.logText().toStdString();
    const QJsonObject status = page.server().status().status();
    EXPECT_TRUE(status.value("recording").toBool());
    EXPECT_EQ(status.value("caller").toString(), QString());
    ASSERT_TRUE(s.waitForRecordings(1, 120000)) << s.logText().toStdString();
}

// The status a page opened at each moment of a recorded call is sent: the recorder closes and
// opens the modem's port again around the stop, which is no "Modem off", and the first status
// that says a call is recorded already names its caller.
TEST(RecorderWebStatusTest, EveryStatusOfARecordedCallKeepsTheModemOnAndNamesTheCaller)
{
    VirtualModemSession s;
    ASSERT_TRUE(s.open("waitfor AT+VCID=1; wait 200; call 2 400 NMBR=5551234 end=answered; "
                       "voice speech 3000; voice silence",
                       1));
    RecorderWebPage page(*s.session);
    QStringList recording, stopped; // "moment: status"
    const auto take = [&](const char *moment) {
        const QJsonObject status = page.server().status().status();
        const QString line =
            QString(moment) + ": " + QJsonDocument(status).toJson(QJsonDocument::Compact);
        (status.value("recording").toBool() ? recording : stopped).append(line);
    };
    TfmModem &modem = s.session->modem();
    CallRecorder &recorder = s.session->recorder();
    QObject::connect(&modem, &TfmModem::modemStateChanged,
                     [&](bool on) { take(on ? "port opened" : "port closed"); });
    QObject::connect(&recorder, &CallRecorder::phaseChanged, [&](CallRecorder::Phase phase) {
        static const char *const names[] = {"idle", "preparing", "receiving", "stopping"};
        take(names[int(phase)]);
    });
    QObject::connect(&recorder, &CallRecorder::started, [&] { take("started"); });
    QObject::connect(&recorder, &CallRecorder::elapsed, [&] { take("a second on"); });
    QObject::connect(&recorder, &CallRecorder::stopping, [&] { take("stop"); });
    QObject::connect(&recorder, &CallRecorder::catalogued, [&] { take("catalogued"); });
    QObject::connect(&recorder, &CallRecorder::stopped, [&] { take("stopped"); });

    ASSERT_TRUE(s.bringOnLine());
    ASSERT_TRUE(s.waitForRecordings(1, 120000)) << s.logText().toStdString();
    take("after the call");

    const QString all = (recording + stopped).join('\n');
    ASSERT_FALSE(recording.isEmpty()) << all.toStdString();
    for (const QString &line : std::as_const(recording)) {
        EXPECT_TRUE(line.contains("\"modemOn\":true")) << line.toStdString();
        EXPECT_TRUE(line.contains("\"caller\":\"5551234\"")) << line.toStdString();
    }
    for (const QString &line : std::as_const(stopped))
        EXPECT_TRUE(line.contains("\"caller\":\"\"")) << line.toStdString();
    EXPECT_TRUE(stopped.last().contains("\"modemOn\":true")) << all.toStdString();
}

} // namespace
