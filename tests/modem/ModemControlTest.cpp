// Modem control over a pseudo-terminal: initialisation, caller-ID lines, ring counting,
// rejection, the ring span and the Modem On/Off commands.
#include "ModemFixture.h"

class ModemControlTest : public ModemFixture
{
protected:
    void bringUp()
    {
        ASSERT_TRUE(peer.isValid());
        answerLikeModem(peer, {});
        ASSERT_TRUE(modem().OpenModemPort(Port, true));
        modem().rearmAutoRecord();
        newLogLines();
    }

    void ring() { peer.send("\r\nRING\r\n"); }

    int hidden = 0;
    QStringList shown;

    void watchCallerId()
    {
        QObject::connect(&modem(), &TfmModem::callerIdShown,
                         [this](const QString &text) { shown.append(text); });
        QObject::connect(&modem(), &TfmModem::callerIdHidden, [this] { ++hidden; });
    }
};

TEST_F(ModemControlTest, InitialisesStepByStep)
{
    struct Case
    {
        const char *name;
        bool callerId;
        QString forCallerId;
        QByteArray failing; // answered ERROR
        QList<QByteArray> commands;
        QStringList log;
    };
    const QStringList common = {"Modem Reset..",
                                "ok",
                                "echo off..",
                                "ok",
                                "Modem on hook..",
                                "ok",
                                "Setting autoanswer off..",
                                "ok"};
    const QList<QByteArray> four = {"atz", "atE0", "ath0", "ats0=0"};
    const Case cases[] = {
        {"caller ID on",
         true,
         "at+vcid=1",
         {},
         four + QList<QByteArray>{"at+vcid=1"},
         common + QStringList{"Enable caller ID..", "ok"}},
        {"no caller ID command", true, "NONE", {}, four, common},
        {"caller ID off",
         false,
         "at+vcid=1",
         {},
         four + QList<QByteArray>{"at+vcid=0"},
         common + QStringList{"Disable caller ID..", "ok"}},
        {"a failing step", true, "at+vcid=1", "ath0", four + QList<QByteArray>{"at+vcid=1"},
         QStringList{"Modem Reset..", "ok", "echo off..", "ok", "Modem on hook..", "error",
                     "Setting autoanswer off..", "ok", "Enable caller ID..", "ok"}},
    };
    ASSERT_TRUE(peer.isValid());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prefs.CallerID = c.callerId;
        profile.ForCallerId = c.forCallerId;
        answerLikeModem(peer, {{c.failing.isEmpty() ? "none" : c.failing, "\r\nERROR\r\n"}});
        peer.commands.clear();
        ASSERT_TRUE(modem().OpenModemPort(Port, true));
        EXPECT_EQ(peer.commands, c.commands);
        EXPECT_EQ(newLogLines(), QStringList{"Com port 3 opened..."} + c.log);
        ASSERT_TRUE(modem().CloseModemPort());
        newLogLines();
    }
}

TEST_F(ModemControlTest, CallerIdIsTakenFromCompleteLines)
{
    struct Case
    {
        const char *name;
        std::vector<QByteArray> chunks;
        QString text;
        QString logLine;
    };
    const std::vector<Case> cases = {
        {"formatted",
         {"\r\nDATE = 1210\r\nTIME = 0930\r\nNMBR = 5551234\r\nNAME = JOHN\r\n\r\n"},
         "5551234",
         "Caller ID detected"},
        {"split number", {"\r\nNMBR = 555", "1234\r\n"}, "5551234", "Caller ID detected"},
        {"error line", {"\r\nERRM = NO DATA\r\n"}, "NO DATA", "NO DATA"},
        {"hostile text",
         {"\r\nNMBR = \x1b[31m<b>555</b>\x07" + QByteArray(200, '9') + "\r\n"},
         "[31m<b>555</b>" + QString(64 - 14, QLatin1Char('9')),
         "Caller ID detected"},
    };
    bringUp();
    watchCallerId();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        shown.clear();
        for (const QByteArray &chunk : c.chunks) {
            peer.send(chunk);
            Waits::waitMs(50);
        }
        ASSERT_TRUE(waitFor([this] { return !shown.isEmpty(); }));
        Waits::waitMs(100);
        EXPECT_EQ(shown, QStringList{c.text});
        EXPECT_EQ(modem().CallerText(), c.text);
        EXPECT_EQ(newLogLines(), QStringList{c.logLine});
    }

    prefs.CallerID = false;
    shown.clear();
    peer.send("\r\nNMBR = 5550000\r\n");
    Waits::waitMs(300);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(newLogLines().isEmpty());
}

// The caller's name from the directory joins the log line; the shown caller text stays the
// number, and an error line or an unknown number is logged as before.
TEST_F(ModemControlTest, TheCallerIdLogLineNamesTheCaller)
{
    modem().setCallerNamer([](const QString &number) {
        if (number == QLatin1String("5551234"))
            return QStringLiteral("Anne Smith");
        if (number == QLatin1String("P"))
            return QStringLiteral("Withheld");
        if (number == QLatin1String("5550666"))
            return QStringLiteral("Line\nbreak\x07") + QString(100, QLatin1Char('x'));
        return QString();
    });
    struct Case
    {
        QByteArray line;
        QString text;
        QString logLine;
    };
    const Case cases[] = {
        {"\r\nNMBR = 5551234\r\n", "5551234", "Caller ID detected: Anne Smith"},
        {"\r\nNMBR = P\r\n", "P", "Caller ID detected: Withheld"},
        {"\r\nNMBR = 5559999\r\n", "5559999", "Caller ID detected"},
        {"\r\nERRM = NO DATA\r\n", "NO DATA", "NO DATA"},
        {"\r\nNMBR = 5550666\r\n", "5550666",
         "Caller ID detected: Linebreak" + QString(64 - 9, QLatin1Char('x'))},
    };
    bringUp();
    watchCallerId();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        shown.clear();
        peer.send(c.line);
        ASSERT_TRUE(waitFor([this] { return !shown.isEmpty(); }));
        EXPECT_EQ(shown, QStringList{c.text});
        EXPECT_EQ(newLogLines(), QStringList{c.logLine});
    }
}

TEST_F(ModemControlTest, RingsAreCountedUntilTheSpanEnds)
{
    ini.WriteInteger("General", "RingTimeOut", 800);
    prefs.RejectRings = 3;
    bringUp();
    // The calls here follow each other faster than on any real line.
    modem().setCallGapMs(500);
    watchCallerId();
    ASSERT_TRUE(modem().RingSpanKnown());
    EXPECT_EQ(modem().RingSpanMs(), 800);

    // Answered after the second ring: a name holding "OK" does not hide the RING after it.
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    peer.send("\r\nNMBR = 5551234\r\nNAME = BROOKS\r\n");
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 2; }));
    EXPECT_FALSE(modem().StartRecordRequest());
    ASSERT_TRUE(waitFor([this] { return modem().StartRecordRequest(); }));
    EXPECT_TRUE(modem().AutoCall());
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(newLogLines(), QStringList({"ring", "Caller ID detected", "ring"}));
    EXPECT_EQ(modem().CallerText(), "5551234");

    // Rejected at the third ring; when ringing stops, no recording is requested. This call
    // brings no caller ID and does not take the one of the call before.
    modem().setStartRecordRequest(false);
    modem().EnableAutoRecord();
    newLogLines();
    for (int i = 1; i <= 4; ++i) {
        ring();
        ASSERT_TRUE(waitFor([this, i] { return modem().RingCount() == i; }));
        EXPECT_EQ(modem().CallRejected(), i >= 3);
        EXPECT_EQ(modem().CallerText(), "");
    }
    ASSERT_TRUE(waitFor([this] { return !modem().CallRejected(); }));
    EXPECT_FALSE(modem().StartRecordRequest());
    EXPECT_EQ(modem().RingCount(), 0);
    EXPECT_EQ(newLogLines(),
              QStringList({"ring", "ring", "Call recording rejected...", "ring", "ring",
                           "Calling party hung up", "Enabling autoRecord mode"}));

    // Disarmed, RING lines are not acted on.
    modem().DisableAutoRecord();
    ring();
    Waits::waitMs(1200);
    EXPECT_EQ(modem().RingCount(), 0);
    EXPECT_FALSE(modem().StartRecordRequest());

    modem().EnableAutoRecord();
    // A caller ID sent before the first RING (as some lines do) belongs to that call.
    peer.send("\r\nNMBR = 5550000\r\n");
    Waits::waitMs(100);
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    EXPECT_EQ(modem().CallerText(), "5550000");
}

// A ring span shorter than the line's cadence ends between two rings of one call. The RINGs
// after it belong to the same call and keep its caller ID (and its rejection); a caller ID
// after the ringing ended, or a RING after a quiet line, begins another call.
TEST_F(ModemControlTest, RingsAfterTheSpanEndedBelongToTheSameCall)
{
    ini.WriteInteger("General", "RingTimeOut", 300);
    prefs.RejectRings = 2;
    bringUp();
    modem().setCallGapMs(1500);
    const auto rearm = [this] {
        modem().setStartRecordRequest(false);
        modem().EnableAutoRecord();
    };

    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    peer.send("\r\nNMBR = 5551234\r\n");
    ASSERT_TRUE(waitFor([this] { return modem().CallerText() == "5551234"; }));
    const quint64 call = modem().callNumber();
    ASSERT_TRUE(waitFor([this] { return modem().StartRecordRequest(); }));
    rearm(); // as when the call is skipped, or its recording could not start
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    EXPECT_EQ(modem().callNumber(), call);
    EXPECT_EQ(modem().CallerText(), "5551234");

    peer.send("\r\nNMBR = 5559999\r\n");
    ASSERT_TRUE(waitFor([this] { return modem().CallerText() == "5559999"; }));
    EXPECT_EQ(modem().callNumber(), call + 1) << "a caller ID after the ringing ended";

    Waits::waitMs(1800);
    rearm();
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    EXPECT_EQ(modem().callNumber(), call + 2) << "a RING after a quiet line";
    EXPECT_EQ(modem().CallerText(), "");

    // Rejected at the second ring; when it rings on after the span, it stays rejected.
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().CallRejected(); }));
    ASSERT_TRUE(waitFor([this] { return !modem().CallRejected(); }));
    newLogLines();
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    EXPECT_TRUE(modem().CallRejected());
    ASSERT_TRUE(waitFor([this] { return !modem().CallRejected(); }));
    EXPECT_FALSE(modem().StartRecordRequest());
    EXPECT_EQ(newLogLines(),
              QStringList({"ring", "Calling party hung up", "Enabling autoRecord mode"}));
    EXPECT_EQ(modem().callNumber(), call + 2);
}

TEST_F(ModemControlTest, LearnsTheRingSpanFromTheFirstCall)
{
    bringUp();
    EXPECT_FALSE(modem().RingSpanKnown());
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 1; }));
    Waits::waitMs(500);
    ring();
    ASSERT_TRUE(waitFor([this] { return modem().RingCount() == 2; }));
    ASSERT_TRUE(modem().RingSpanKnown());
    const int span = modem().RingSpanMs();
    EXPECT_GE(span, 650);
    EXPECT_LE(span, 2600); // a slow machine delays the second RING
    EXPECT_EQ(span % 130, 0);
    EXPECT_EQ(ini.ReadInteger("General", "RingTimeOut", 0), span);

    ASSERT_TRUE(waitFor([this] { return modem().StartRecordRequest(); }));

    // A repeated RING straight after the first is not taken for the cadence.
    TIniFile fresh(dir.filePath("fresh.ini"));
    fresh.WriteString("Ports", "COM3", peer.slavePath());
    ASSERT_TRUE(modem().CloseModemPort());
    TfmModem second(fresh, prefs, profile, log, messages);
    ASSERT_TRUE(second.OpenModemPort(Port, false));
    second.EnableAutoRecord();
    ring();
    ASSERT_TRUE(waitFor([&] { return second.RingCount() == 1; }));
    ring();
    ASSERT_TRUE(waitFor([&] { return second.RingCount() == 2; }));
    EXPECT_FALSE(second.RingSpanKnown());
}

TEST_F(ModemControlTest, ModemOnAndOff)
{
    QList<bool> states;
    int failed = 0;
    int switchedOff = 0;
    QObject::connect(&modem(), &TfmModem::modemStateChanged,
                     [&states](bool on) { states.append(on); });
    QObject::connect(&modem(), &TfmModem::portOpenFailed, [&failed] { ++failed; });
    QObject::connect(&modem(), &TfmModem::switchedOff, [&switchedOff] { ++switchedOff; });
    answerLikeModem(peer, {});

    modem().modemOn();
    EXPECT_TRUE(modem().PortOpen());
    EXPECT_TRUE(modem().AutoRecordArmed());
    QStringList lines = newLogLines();
    EXPECT_EQ(lines.first(), "-- Modem on clicked");
    EXPECT_EQ(lines.last(), "Enabling autoRecord mode");
    EXPECT_TRUE(peer.commands.contains("atz"));

    modem().modemOn(); // already on: only the log line
    EXPECT_EQ(newLogLines(), QStringList{"-- Modem on clicked"});

    modem().modemOff();
    EXPECT_FALSE(modem().PortOpen());
    EXPECT_EQ(switchedOff, 1);
    EXPECT_EQ(newLogLines(), QStringList({"-- Modem off clicked", "Com port 3 closed..."}));

    pointPortAt(dir.filePath("unplugged"));
    modem().modemOn();
    EXPECT_FALSE(modem().PortOpen());
    EXPECT_EQ(messages.texts, QStringList{"Error during opening com port 3"});
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(states, QList<bool>({true, false}));
}
