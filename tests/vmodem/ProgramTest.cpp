// The virtual modem program over a real pseudo-terminal: dialogue, profiles, calls, link.
#include "VmodemHarness.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

struct Dialogue
{
    const char *command;
    const char *reply; // what follows the echo, framing included
};

TEST(VmodemProgram, AnswersTheVoiceDialogueWithEchoAndFraming)
{
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({}));
    ASSERT_TRUE(modem.openPort());

    // Echo is on after start: the command comes back before the reply.
    EXPECT_EQ(modem.command("AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(modem.command("ATE0"), "ATE0\r\r\nOK\r\n");
    const Dialogue cases[] = {
        {"AT", "\r\nOK\r\n"},
        {"at", "\r\nOK\r\n"},
        {"At+gmm?", "\r\n+GMM: V90\r\n\r\nOK\r\n"},
        {"ATI3", "\r\nCX93001-EIS_V0.2013-V92\r\n\r\nOK\r\n"},
        {"AT+BOGUS", "\r\nERROR\r\n"},
        {"ATS0=0", "\r\nOK\r\n"},
        {"ath0", "\r\nOK\r\n"},
        {"at+vcid=1", "\r\nOK\r\n"},
        {"at+fclass=8", "\r\nOK\r\n"},
        {"at+vsm=?", "\r\n1,\"UNSIGNED PCM\",8,0,8000,0,0\r\n129,\"IMA ADPCM\",4,0,8000,0,0\r\n"
                     "130,\"UNSIGNED PCM\",8,0,8000,0,00\r\n140,\"2 Bit ADPCM\",2,0,8000,0,0\r\n"
                     "141,\"4 Bit ADPCM\",4,0,8000,0,0\r\n\r\nOK\r\n"},
        {"at+VGR=?", "\r\n(0-255)\r\n\r\nOK\r\n"},
        {"at+VGT=?", "\r\n(0-255)\r\n\r\nOK\r\n"},
        {"at+vgr=127", "\r\nOK\r\n"},
        {"at+vsd=127,255", "\r\nOK\r\n"},
        {"at+vsm=1,8000", "\r\nOK\r\n"},
        {"at+vls=1", "\r\nOK\r\n"},
    };
    for (const Dialogue &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(modem.command(c.command), c.reply);
    }
    const std::string lines = modem.command("at+vls=?");
    EXPECT_NE(lines.find("\r\n0,\"\",B0000000,B0000000,B0000000\r\n1,\"T\",0BC01800"),
              std::string::npos);

    // ATZ turns the echo back on.
    EXPECT_EQ(modem.command("ATZ"), "\r\nOK\r\n");
    EXPECT_EQ(modem.command("AT"), "AT\r\r\nOK\r\n");
    EXPECT_TRUE(modem.waitForLog("<< at+vsm=1,8000"));
    EXPECT_TRUE(modem.waitForLog(">> OK"));

    // SIGTERM ends it cleanly.
    modem.process().terminate();
    ASSERT_TRUE(modem.process().waitForFinished(10000));
    EXPECT_EQ(modem.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(modem.process().exitCode(), 0);
    EXPECT_TRUE(modem.hungUp());
}

TEST(VmodemProgram, ProfileFromAFileAndRefusedStarts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile dead(dir.filePath("dead.txt"));
    ASSERT_TRUE(dead.open(QIODevice::WriteOnly));
    dead.write("name: silent test modem\ndead: yes\n");
    dead.close();
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({"--profile", dead.fileName()}));
    ASSERT_TRUE(modem.openPort());
    modem.send("AT\r");
    EXPECT_EQ(modem.readFor(500ms), "");
    EXPECT_TRUE(modem.waitForLog("<< AT"));

    QFile bad(dir.filePath("bad.profile"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("voice: perhaps\n");
    bad.close();
    const QStringList refused[] = {{"--profile", "no-such-profile"},
                                   {"--profile", bad.fileName()},
                                   {"--script", "ring; jump"},
                                   {"--speed", "0"},
                                   {"--pace", "-2"},
                                   {"--scenario", dir.filePath("missing.scenario")},
                                   {"--frobnicate"}};
    for (const QStringList &arguments : refused) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess process;
        process.start(vmodemProgram(), arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()); // no terminal was made
        EXPECT_FALSE(process.readAllStandardError().isEmpty());
    }
}

TEST(VmodemProgram, DataProfileRefusesVoice)
{
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({"--profile", "data"}));
    ASSERT_TRUE(modem.openPort());
    modem.command("ATE0");
    const Dialogue cases[] = {
        {"at", "\r\nOK\r\n"},
        {"at+fclass=8", "\r\nERROR\r\n"},
        {"at+vls=0", "\r\nERROR\r\n"},
        {"at+vcid=1", "\r\nERROR\r\n"},
        {"AT+GMM?", "\r\nERROR\r\n"},
        {"ATI3", "\r\nU.S. Robotics 56K FAX USB V1.2.23\r\n\r\nOK\r\n"},
    };
    for (const Dialogue &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(modem.command(c.command), c.reply);
    }
}

TEST(VmodemProgram, ScriptedCallRingsWithCallerIdBetweenTheFirstTwoRings)
{
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({"--script", "waitfor at+vcid=1; call 3 600 "
                                         "DATE=1210|TIME=0930|NMBR=5551234|NAME=JOHN SMITH"}));
    ASSERT_TRUE(modem.openPort());
    modem.command("ATE0");
    EXPECT_EQ(modem.command("at+vcid=1"), "\r\nOK\r\n");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(modem.readUntil("\r\nRING\r\n", 10s), "\r\nRING\r\n");
    const auto firstRing = std::chrono::steady_clock::now();
    EXPECT_EQ(modem.readUntil("\r\nRING\r\n", 10s),
              "\r\nDATE = 1210\r\n\r\nTIME = 0930\r\n\r\nNMBR = 5551234\r\n"
              "\r\nNAME = JOHN SMITH\r\n\r\nRING\r\n");
    const auto secondRing = std::chrono::steady_clock::now();
    EXPECT_EQ(modem.readUntil("\r\nRING\r\n", 10s), "\r\nRING\r\n");
    // The cadence holds within a generous margin for a loaded machine.
    EXPECT_LT(firstRing - start, 3s);
    EXPECT_GT(secondRing - firstRing, 500ms);
    EXPECT_LT(secondRing - firstRing, 4s);
    EXPECT_TRUE(modem.waitForLog(">> NMBR = 5551234"));
}

TEST(VmodemProgram, LinkScenarioAndLogFileOptions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string link = dir.filePath("ttyVMODEM").toStdString();
    ASSERT_EQ(::symlink("/nonexistent", link.c_str()), 0); // a stale link is replaced
    QFile scenario(dir.filePath("call.scenario"));
    ASSERT_TRUE(scenario.open(QIODevice::WriteOnly));
    scenario.write("# rings once the host has reset the modem\nwaitfor ATZ\nring\n");
    scenario.close();
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({"--link", QString::fromStdString(link), "--scenario",
                             scenario.fileName(), "--log", dir.filePath("vmodem.log")}));
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), modem.path());

    ASSERT_TRUE(modem.openPort());
    EXPECT_EQ(modem.command("ATZ"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(modem.readUntil("\r\nRING\r\n"), "\r\nRING\r\n");
    modem.inject("exit");
    ASSERT_TRUE(modem.process().waitForFinished(10000));
    EXPECT_EQ(modem.process().exitCode(), 0);
    struct stat st
    {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0);
    // The host sees the device hang up.
    EXPECT_TRUE(modem.hungUp());
    QFile log(dir.filePath("vmodem.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("<< ATZ\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(">> RING\n"));
    EXPECT_TRUE(text.contains("== exit\n"));
}

} // namespace

namespace {

// Data bytes and DLE events of a voice stream; false when a DLE is followed by nothing.
struct Unshielded
{
    std::string data;
    std::string events;
};

Unshielded unshield(const std::string &stream)
{
    Unshielded u;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        if (stream[i] != '\x10') {
            u.data.push_back(stream[i]);
        } else if (i + 1 < stream.size()) {
            ++i;
            if (stream[i] == '\x10')
                u.data.push_back('\x10');
            else
                u.events.push_back(stream[i]);
        }
    }
    return u;
}

TEST(VmodemProgram, VoiceStreamShieldsDleAndEndsOnHostRequest)
{
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({"--voice", "ramp"}));
    ASSERT_TRUE(modem.openPort());
    modem.command("ATE0");
    modem.command("at+fclass=8");
    modem.command("at+vsm=1,8000");
    modem.send("at+vrx\r");
    EXPECT_EQ(modem.readUntil("\r\nCONNECT\r\n"), "\r\nCONNECT\r\n");

    const auto start = std::chrono::steady_clock::now();
    std::string stream = modem.readFor(600ms);
    modem.inject("event b");
    ASSERT_TRUE(modem.waitForLog(">> <DLE>b"));
    stream += modem.readFor(300ms);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    modem.send("\x10!");
    const std::string ending = "\x10\x03\r\nOK\r\n";
    const std::string tail = modem.readUntil(ending);
    ASSERT_GE(tail.size(), ending.size());
    EXPECT_EQ(tail.substr(tail.size() - ending.size()), ending);
    stream += tail.substr(0, tail.size() - ending.size());

    const Unshielded u = unshield(stream);
    EXPECT_EQ(u.events, "b");
    // A ramp through every byte value: the data run on without a gap, 0x10 included.
    ASSERT_GT(u.data.size(), 2000u);
    for (std::size_t i = 1; i < u.data.size(); ++i) {
        ASSERT_EQ(static_cast<unsigned char>(u.data[i]),
                  (static_cast<unsigned char>(u.data[i - 1]) + 1) % 256)
            << "at byte " << i;
    }
    // Paced at 8000 bytes a second: never ahead of the clock, and not far behind it.
    EXPECT_LT(static_cast<double>(u.data.size()), 8000 * (seconds + 0.5));
    EXPECT_GT(static_cast<double>(u.data.size()), 8000 * seconds * 0.5);

    // Back in command mode.
    EXPECT_EQ(modem.command("AT"), "\r\nOK\r\n");
}

TEST(VmodemProgram, HostClosingThePortEndsTheStreamAndTheModemWaitsForTheNextOpen)
{
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({}));
    ASSERT_TRUE(modem.openPort());
    modem.command("ATE0");
    modem.command("at+fclass=8");
    modem.send("at+vrx\r");
    EXPECT_EQ(modem.readUntil("\r\nCONNECT\r\n"), "\r\nCONNECT\r\n");
    EXPECT_FALSE(modem.readFor(300ms).empty());
    modem.closePort();
    ASSERT_TRUE(modem.waitForLog("voice receive ended (the port closed)"));
    modem.inject("ring"); // lost: nobody listens

    ASSERT_TRUE(modem.waitForLog(">> RING (port closed: lost)"));
    ASSERT_TRUE(modem.openPort());
    // No stale voice bytes or RING before the reply; the echo stays off as the host left it.
    EXPECT_EQ(modem.command("AT"), "\r\nOK\r\n");
    modem.inject("ring");
    EXPECT_EQ(modem.readUntil("\r\nRING\r\n"), "\r\nRING\r\n");
}

} // namespace
