// The AT command engine over a pseudo-terminal: replies, result codes, time-outs, logging,
// the one pending slot and a bounded receive buffer.
#include "ModemFixture.h"
#include "ScaledTime.h"

#include <chrono>
#include <thread>

namespace {
struct Chunk
{
    int delayMs;
    QByteArray bytes;
};
} // namespace

class AtEngineTest : public ModemFixture
{
protected:
    // Command time-outs run four times as fast: a second of Timeout lasts 250 ms.
    ScaledTime fast{0.25};

    // Answers the next command with chunks sent at their delays after it arrived.
    void answerWith(std::vector<Chunk> chunks)
    {
        peer.onCommand = [this, chunks](const QByteArray &) {
            for (const Chunk &chunk : chunks)
                sendLater(chunk.delayMs, chunk.bytes);
        };
    }

    void openPort()
    {
        ASSERT_TRUE(peer.isValid());
        ASSERT_TRUE(modem().OpenModemPort(Port, false));
    }
};

TEST_F(AtEngineTest, ClassifiesRepliesAsTheyArrive)
{
    struct Case
    {
        const char *name;
        std::vector<Chunk> chunks;
        AtResult result;
        QString reply;
    };
    const QByteArray flood(20000, 'x');
    const std::vector<Case> cases = {
        {"plain OK", {{0, "\r\nOK\r\n"}}, AtResult::Ok, ""},
        {"query", {{0, "\r\nCX93001-EIS\r\n\r\nOK\r\n"}}, AtResult::Ok, "CX93001-EIS"},
        {"lower case", {{0, "\r\nok\r\n"}}, AtResult::Ok, ""},
        {"mixed case", {{0, "\r\nOk\r\n"}}, AtResult::TimeOut, "time out"},
        {"error", {{0, "\r\nERROR\r\n"}}, AtResult::Error, "error"},
        {"split over reads",
         {{0, "\r\nCX93"}, {20, "001\r\n\r\nO"}, {40, "K\r\n"}},
         AtResult::Ok,
         "CX93001"},
        {"connect", {{0, "\r\nCONNECT\r\n"}}, AtResult::Unexpected, "connect"},
        {"garbage then OK",
         {{0, QByteArray("\x00\xff\x10\x03\x7f\r\n", 7)}, {40, "OK\r\n"}},
         AtResult::Ok,
         QString::fromLatin1("\xff")},
        {"garbage only",
         {{0, QByteArray("\x00\x01\x02garbage\xfe", 11)}},
         AtResult::TimeOut,
         "time out"},
        {"flood without line ends", {{0, flood}, {40, flood}}, AtResult::TimeOut, "time out"},
        {"silence", {}, AtResult::TimeOut, "time out"},
    };
    openPort();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        answerWith(c.chunks);
        QString reply = "unchanged";
        EXPECT_EQ(modem().SendCommand("at+gmm", reply), c.result);
        EXPECT_EQ(reply, c.reply);
        EXPECT_LE(modem().ReplyText().size(), 4096);
        EXPECT_TRUE(newLogLines().filter("at+gmm").isEmpty());
    }
}

TEST_F(AtEngineTest, TimesOutAfterTheConfiguredSeconds)
{
    openPort();
    // Scaled, one second is 250 ms: a wrong number of seconds (8 is the longest) is still
    // told apart from the right one, with room for a slow machine.
    for (int seconds : {1, 2}) {
        SCOPED_TRACE(seconds);
        prefs.Timeout = seconds;
        QString reply;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(modem().SendCommand("at", reply), AtResult::TimeOut);
        EXPECT_GE(clock.elapsed(), Waits::scaledMs(seconds * 1000) - 10);
        EXPECT_LT(clock.elapsed(), Waits::scaledMs(seconds * 1000) + 1500);
    }
}

// The program is held up past the time-out while the modem's reply comes in: the reply, read
// late, still answers the command (a busy machine does not make a modem look deaf).
TEST_F(AtEngineTest, AReplyThatCameWhileTheProgramWasHeldUpIsNoTimeOut)
{
    openPort();
    prefs.Timeout = 1; // 250 ms scaled
    peer.onCommand = [this](const QByteArray &) {
        peer.send("\r\nOK\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    };
    QString reply;
    EXPECT_EQ(modem().SendCommand("at", reply), AtResult::Ok);
    peer.onCommand = {};
    EXPECT_EQ(modem().SendCommand("at", reply), AtResult::TimeOut) << "a modem that is silent";
}

TEST_F(AtEngineTest, ExpectLogsTheTextAndTheOutcome)
{
    openPort();
    newLogLines();
    answerWith({{0, "\r\nOK\r\n"}});
    EXPECT_EQ(modem().SendCommandExpect("atE0", "echo off..", "ok"), AtResult::Ok);
    answerWith({{0, "\r\nOK\r\n"}});
    EXPECT_EQ(modem().SendCommandExpect("at", "at", "OK"), AtResult::Ok);
    answerWith({{0, "\r\nERROR\r\n"}});
    EXPECT_EQ(modem().SendCommandExpect("at+vls=9", "at+vls=9", "ok"), AtResult::Error);
    answerWith({});
    EXPECT_EQ(modem().SendCommandExpect("at+fclass=8", "checking", "ok"), AtResult::TimeOut);
    answerWith({{0, "\r\nCONNECT\r\n"}});
    EXPECT_EQ(modem().SendCommandExpect("at+vrx", "Receive", "CONNECT"), AtResult::Ok);
    answerWith({{0, "\r\nCONNECT\r\n"}});
    EXPECT_EQ(modem().SendCommandExpect("at+vls=1", "line", "ok"), AtResult::Unexpected);

    EXPECT_EQ(newLogLines(),
              QStringList({"echo off..", "ok", "at", "OK", "at+vls=9", "error", "checking",
                           "time out", "Receive", "CONNECT", "line", "connect"}));
    EXPECT_EQ(peer.commands.mid(peer.commands.size() - 6),
              QList<QByteArray>({"atE0", "at", "at+vls=9", "at+fclass=8", "at+vrx", "at+vls=1"}));
}

TEST_F(AtEngineTest, OpensOnceAndClosesWithNotifications)
{
    QList<bool> states;
    QObject::connect(&modem(), &TfmModem::modemStateChanged,
                     [&states](bool on) { states.append(on); });
    openPort();
    EXPECT_TRUE(modem().PortOpen());
    EXPECT_TRUE(modem().OpenModemPort(Port, true)); // already open: no initialisation
    Waits::waitMs(200);
    EXPECT_TRUE(peer.received.isEmpty());

    EXPECT_TRUE(modem().CloseModemPort());
    EXPECT_FALSE(modem().PortOpen());
    EXPECT_EQ(states, QList<bool>({true, false}));
    EXPECT_EQ(newLogLines(), QStringList({"Com port 3 opened...", "Com port 3 closed..."}));

    // Sending on the closed port ends at once and sends nothing.
    QString reply;
    EXPECT_EQ(modem().SendCommand("at", reply), AtResult::TimeOut);
    EXPECT_FALSE(modem().SendCommandNoWait("at", "nothing"));
    EXPECT_TRUE(newLogLines().isEmpty());

    pointPortAt(dir.filePath("no-such-device"));
    EXPECT_FALSE(modem().OpenModemPort(Port, false));
    EXPECT_FALSE(modem().PortOpen());
}

TEST_F(AtEngineTest, TooLongCommandIsRefusedAtOnce)
{
    openPort();
    newLogLines();
    prefs.Timeout = 8; // 2 s scaled: a refusal that waited would show
    QElapsedTimer clock;
    clock.start();
    const QString tooLong(SerialPort::BufferSize, QLatin1Char('a'));
    QString reply = "unchanged";
    EXPECT_EQ(modem().SendCommand(tooLong, reply), AtResult::NoRoom);
    EXPECT_EQ(reply, "unchanged");
    EXPECT_EQ(modem().SendCommandExpect(tooLong, "long", "ok"), AtResult::NoRoom);
    EXPECT_FALSE(modem().SendCommandNoWait(tooLong, "long"));
    EXPECT_LT(clock.elapsed(), 900);
    Waits::waitMs(200);
    EXPECT_TRUE(peer.received.isEmpty());
    EXPECT_TRUE(newLogLines().isEmpty());

    EXPECT_TRUE(modem().SendCommandNoWait("at+vrx", "Receiving data..."));
    EXPECT_TRUE(waitFor([this] { return peer.commands.contains("at+vrx"); }));
    EXPECT_EQ(newLogLines(), QStringList({"Receiving data..."}));
}

TEST_F(AtEngineTest, NestedCommandEndsBothWaits)
{
    openPort();
    // The first command is answered late; the second, sent from a timer during the first
    // one's wait, at once. Its reply ends both waits.
    peer.onCommand = [this](const QByteArray &command) {
        sendLater(command == "at+first" ? 3000 : 0, "\r\nOK\r\n");
    };
    std::optional<AtResult> inner;
    QTimer::singleShot(200, &modem(), [&] {
        QString reply;
        inner = modem().SendCommand("at+second", reply);
    });
    prefs.Timeout = 8; // 2 s scaled, still before the first command's own reply
    QElapsedTimer clock;
    clock.start();
    QString reply;
    EXPECT_EQ(modem().SendCommand("at+first", reply), AtResult::Ok);
    EXPECT_EQ(inner, AtResult::Ok);
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST_F(AtEngineTest, VanishingDeviceEndsTheCommandAndShowsModemOff)
{
    QList<bool> states;
    QString lostReason;
    QObject::connect(&modem(), &TfmModem::modemStateChanged,
                     [&states](bool on) { states.append(on); });
    QObject::connect(&modem(), &TfmModem::deviceLost,
                     [&lostReason](const QString &reason) { lostReason = reason; });
    openPort();
    newLogLines();

    peer.onCommand = [this](const QByteArray &) {
        QTimer::singleShot(100, &peer, [this] { peer.hangUp(); });
    };
    prefs.Timeout = 8;
    QElapsedTimer clock;
    clock.start();
    QString reply;
    EXPECT_EQ(modem().SendCommand("atz", reply), AtResult::TimeOut);
    EXPECT_LT(clock.elapsed(), Waits::scaledMs(8000) / 2) << "ended by the loss, not the time-out";
    EXPECT_TRUE(waitFor([this] { return !modem().PortOpen(); }));
    EXPECT_EQ(states, QList<bool>({true, false}));
    EXPECT_FALSE(lostReason.isEmpty());
    const QStringList lines = newLogLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Com port 3 lost ("));
    EXPECT_EQ(lines[1], "Com port 3 closed...");

    // The link keeps working once a device is there again.
    PtyPeer again;
    answerLikeModem(again, {});
    pointPortAt(again.slavePath());
    EXPECT_TRUE(modem().CloseModemPort());
    modem().modemOn();
    EXPECT_TRUE(modem().PortOpen());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(again.commands.contains("atz"));
    EXPECT_EQ(states, QList<bool>({true, false, true}));
}
