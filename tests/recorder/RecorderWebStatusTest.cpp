// The web page's status line end to end: the virtual modem rings, the recorder session
// (without any window) records or skips the call, and the status the page is pushed names
// the caller of the call being recorded.
#include "recorder/RecorderWebPage.h"
#include "web/WebServer.h"

#include <QFile>

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

} // namespace
