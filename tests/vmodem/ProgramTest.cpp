// The virtual modem program over a real pseudo-terminal: dialogue, profiles, calls, link.
#include "VmodemHarness.h"

#include <gtest/gtest.h>

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
    ASSERT_TRUE(modem.start({"--script", "waitfor at+vcid=1; call 3 1500 "
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
    EXPECT_GT(secondRing - firstRing, 1200ms);
    EXPECT_LT(secondRing - firstRing, 4s);
    EXPECT_TRUE(modem.waitForLog(">> NMBR = 5551234"));
}

TEST(VmodemProgram, LinkPointsAtTheTerminalAndGoesAtExit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string link = dir.filePath("ttyVMODEM").toStdString();
    ASSERT_EQ(::symlink("/nonexistent", link.c_str()), 0); // a stale link is replaced
    VmodemHarness modem;
    ASSERT_TRUE(modem.start({"--link", QString::fromStdString(link)}));
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), modem.path());

    modem.inject("exit");
    ASSERT_TRUE(modem.process().waitForFinished(10000));
    EXPECT_EQ(modem.process().exitCode(), 0);
    struct stat st
    {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0);
    EXPECT_NE(::access(modem.path().c_str(), F_OK), 0); // the device has vanished
}

} // namespace
