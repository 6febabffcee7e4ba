// End to end against the virtual modem: COM3 is the link the virtual modem makes to its
// pseudo-terminal, so a restarted virtual modem appears on the same port again.
#include "ModemFixture.h"
#include "VirtualModemProcess.h"

class VirtualModemTest : public ModemFixture
{
protected:
    VirtualModemTest()
    {
        prefs.Timeout = 3;
        pointPortAt(link());
        QObject::connect(&modem(), &TfmModem::callerIdShown,
                         [this](const QString &text) { shown.append(text); });
        QObject::connect(&modem(), &TfmModem::callerIdHidden, [this] { ++hidden; });
        QObject::connect(&modem(), &TfmModem::modemStateChanged,
                         [this](bool on) { states.append(on); });
    }

    QString link() const { return dir.filePath("modem-link"); }

    void startModem(VirtualModemProcess &process)
    {
        ASSERT_TRUE(process.start({"--profile", "voice", "--link", link()}))
            << qPrintable(VirtualModemProcess::program());
    }

    void bringUp()
    {
        startModem(vmodem);
        modem().modemOn();
        ASSERT_TRUE(modem().PortOpen());
        ASSERT_TRUE(modem().AutoRecordArmed());
        newLogLines();
    }

    VirtualModemProcess vmodem;
    QStringList shown;
    int hidden = 0;
    QList<bool> states;
};

TEST_F(VirtualModemTest, InitialisesAndFollowsACallWithCallerId)
{
    ini.WriteInteger("General", "RingTimeOut", 900);
    startModem(vmodem);
    modem().modemOn();
    EXPECT_EQ(newLogLines(),
              QStringList({"-- Modem on clicked", "Com port 3 opened...", "Modem Reset..", "ok",
                           "echo off..", "ok", "Modem on hook..", "ok", "Setting autoanswer off..",
                           "ok", "Enable caller ID..", "ok", "Enabling autoRecord mode"}));
    for (const char *command : {"<< atz", "<< atE0", "<< ath0", "<< ats0=0", "<< at+vcid=1"})
        EXPECT_TRUE(vmodem.log().contains(command)) << command;

    vmodem.step("call 3 500 DATE=1210|TIME=0930|NMBR=5551234|NAME=JOHN");
    ASSERT_TRUE(waitFor([this] { return modem().StartRecordRequest(); }, 20000));
    EXPECT_EQ(modem().RingCount(), 3);
    EXPECT_TRUE(modem().AutoCall());
    EXPECT_EQ(shown, QStringList{"5551234"});
    EXPECT_EQ(modem().CallerText(), "5551234");
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(newLogLines(), QStringList({"ring", "Caller ID detected", "ring", "ring"}));
    EXPECT_EQ(states, QList<bool>{true});
}

TEST_F(VirtualModemTest, RejectsAfterTheSetNumberOfRings)
{
    ini.WriteInteger("General", "RingTimeOut", 900);
    prefs.RejectRings = 2;
    bringUp();
    vmodem.step("call 3 500 NMBR=5550000 end=gaveup");
    ASSERT_TRUE(waitFor([this] { return log.lines().contains("Calling party hung up"); }, 20000));
    EXPECT_EQ(newLogLines(),
              QStringList({"ring", "Caller ID detected", "Call recording rejected...", "ring",
                           "ring", "Calling party hung up", "Enabling autoRecord mode"}));
    EXPECT_FALSE(modem().StartRecordRequest());
    EXPECT_FALSE(modem().AutoCall());
    EXPECT_EQ(modem().RingCount(), 0);
    EXPECT_EQ(hidden, 2); // at the rejection and when ringing stopped
}

TEST_F(VirtualModemTest, LearnsTheRingSpanFromAFastCadence)
{
    bringUp();
    EXPECT_FALSE(modem().RingSpanKnown());
    vmodem.step("call 2 600");
    ASSERT_TRUE(waitFor([this] { return modem().RingSpanKnown(); }, 20000));
    // The gap is counted in whole tenths of a second: a busy machine that handles the first
    // RING a little late loses one tenth (650); a slow one delays the second RING.
    EXPECT_GE(modem().RingSpanMs(), 650);
    EXPECT_LE(modem().RingSpanMs(), 2600);
    EXPECT_EQ(ini.ReadInteger("General", "RingTimeOut", 0), modem().RingSpanMs());
    ASSERT_TRUE(waitFor([this] { return modem().StartRecordRequest(); }, 20000));
    EXPECT_EQ(modem().RingCount(), 2);
}

TEST_F(VirtualModemTest, ModemOffAndOnAgain)
{
    bringUp();
    modem().modemOff();
    EXPECT_FALSE(modem().PortOpen());
    EXPECT_EQ(newLogLines(), QStringList({"-- Modem off clicked", "Com port 3 closed..."}));
    EXPECT_TRUE(waitFor([this] { return vmodem.log().contains("port closed by the host"); }));

    modem().modemOn();
    EXPECT_TRUE(modem().PortOpen());
    EXPECT_EQ(vmodem.log().count("<< atz"), 2);
    EXPECT_EQ(newLogLines().last(), "Enabling autoRecord mode");
    EXPECT_EQ(states, QList<bool>({true, false, true}));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(VirtualModemTest, SurvivesTheModemVanishing)
{
    bringUp();
    vmodem.step("exit");
    ASSERT_TRUE(waitFor([this] { return !modem().PortOpen(); }));
    EXPECT_TRUE(vmodem.waitForExit(10000));
    const QStringList lines = newLogLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Com port 3 lost ("));
    EXPECT_EQ(lines[1], "Com port 3 closed...");
    EXPECT_EQ(states, QList<bool>({true, false}));

    // While it is gone, Modem On says so; once it is back, Modem On brings it up again.
    modem().modemOn();
    EXPECT_EQ(messages.texts, QStringList{"Error during opening com port 3"});
    VirtualModemProcess again;
    startModem(again);
    modem().modemOn();
    EXPECT_TRUE(modem().PortOpen());
    EXPECT_EQ(newLogLines().mid(3, 3),
              QStringList({"Com port 3 opened...", "Modem Reset..", "ok"}));
    EXPECT_EQ(states, QList<bool>({true, false, true}));
}
