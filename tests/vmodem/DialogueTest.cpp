// The modem's command half: profiles, compression lists and replies, without a terminal.
#include "vmodem/AtDialogue.h"
#include "vmodem/Compression.h"
#include "vmodem/Profile.h"

#include "vmodem/ScriptStep.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace vmodem;

namespace {

Profile parsed(const std::string &text)
{
    std::string error;
    std::optional<Profile> p = Profile::parse(text, error);
    EXPECT_TRUE(p) << error;
    return p ? *p : Profile{};
}

TEST(VmodemProfile, ReadsSettingsRepliesAndMultiLineText)
{
    const Profile p = parsed("# comment\n"
                             "name: Test modem\r\n"
                             "voice: no\ncallerid: no\n"
                             "ati3 => CX93001\n"
                             "AT+GMM? => ERROR\n"
                             "AT+VTS=* => SILENT\n"
                             "AT+X=* => OK\n"
                             "AT+FCLASS=? => OK ONLY\n"
                             "AT+X=1 => ERROR\n"
                             "AT+VSM=? =>\n"
                             "| 1,\"UNSIGNED PCM\",8,0,8000,0,0\n"
                             "|\n"
                             "|  indented\n");
    EXPECT_EQ(p.name, "Test modem");
    EXPECT_FALSE(p.voice);
    EXPECT_FALSE(p.callerId);
    EXPECT_FALSE(p.dead);
    ASSERT_NE(p.find("ATI3"), nullptr);
    EXPECT_EQ(p.find("ATI3")->lines, std::vector<std::string>{"CX93001"});
    EXPECT_EQ(p.find("AT+GMM?")->kind, ProfileReply::Kind::Error);
    EXPECT_EQ(p.find("AT+VTS=1,2")->kind, ProfileReply::Kind::Silent);
    EXPECT_EQ(p.find("AT+X=1")->kind, ProfileReply::Kind::Error); // exact beats the pattern
    EXPECT_EQ(p.find("AT+X=2")->kind, ProfileReply::Kind::Ok);
    EXPECT_EQ(p.find("AT+FCLASS=?")->kind, ProfileReply::Kind::OkOnly);
    EXPECT_EQ(p.find("AT+Y"), nullptr);
    EXPECT_EQ(p.textOf("AT+VSM=?"),
              (std::vector<std::string>{"1,\"UNSIGNED PCM\",8,0,8000,0,0", "", " indented"}));
}

TEST(VmodemProfile, ReportsTheLineOfAnError)
{
    struct Case
    {
        const char *text;
        const char *error;
    };
    const Case cases[] = {
        {"| orphan\n", "line 1:"},
        {"name: x\nvoice: maybe\n", "line 2:"},
        {"colour: blue\n", "unknown key"},
        {"\n\nGMM => x\n", "line 3: a command must begin with AT"},
        {"just text\n", "line 1:"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_FALSE(Profile::parse(c.text, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(VmodemCompression, ReadsTheListShapesRealModemsSend)
{
    struct Case
    {
        const char *line;
        int number;
        Encoding encoding;
        int rate;      // allowed
        int otherRate; // not allowed, 0 for none
    };
    const Case cases[] = {
        {"1,\"UNSIGNED PCM\",8,0,8000,0,0", 1, Encoding::Unsigned8, 8000, 7200},
        {"130,\"UNSIGNED PCM\",8,0,8000,0,00", 130, Encoding::Unsigned8, 8000, 0},
        {"+VSM: 129,\"IMA ADPCM\",4,0,(7200,8000),0,0", 129, Encoding::ImaAdpcm, 7200, 11025},
        {"140,\"2 Bit ADPCM\",2,0,(7200,8000,11025),0,0", 140, Encoding::Unsupported, 11025, 0},
        {"128,\"8-BIT LINEAR\",8,0,(7200,8000),(0),(0)", 128, Encoding::Unsigned8, 7200, 0},
        {"131,\"ULAW\",8,0,(7200,8000),(0),(0)", 131, Encoding::MuLaw, 8000, 0},
        {"132,\"ALAW\",8,0,(7200,8000),(0),(0)", 132, Encoding::ALaw, 8000, 0},
        {"133,\"LINEAR\",16,0,(7200,8000),(0),(0)", 133, Encoding::Linear16, 8000, 0},
        {"0,\"SIGNED PCM\",8,0,(8000),(0),(0)", 0, Encoding::Signed8, 8000, 0},
        {"4,\"G711U\",8,0,(8000),(0),(0)", 4, Encoding::MuLaw, 8000, 0},
        {"5,\"G.711A\",8,0,(8000),(0),(0)", 5, Encoding::ALaw, 8000, 0},
        {"7,\"Mu-Law\",8,0,(7200-8000,11025),0,0", 7, Encoding::MuLaw, 7600, 9000},
        {"128,\"8-BIT LINEAR\",(7200,8000,11025)", 128, Encoding::Unsigned8, 11025, 0},
        {"1;CELP;1;0;(9600)", 1, Encoding::Unsupported, 9600, 8000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const std::vector<Compression> list = parseCompressionList({c.line});
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].number, c.number);
        EXPECT_EQ(list[0].encoding, c.encoding);
        EXPECT_TRUE(list[0].allowsRate(c.rate));
        if (c.otherRate) {
            EXPECT_FALSE(list[0].allowsRate(c.otherRate));
        }
    }
    EXPECT_TRUE(parseCompressionList({"", "OK", "garbage", "(1,2"}).empty());
}

// Runs commands against a profile and returns the final result of each.
class VmodemDialogue : public ::testing::Test
{
protected:
    void use(const std::string &profileText) { m_profile = parsed(profileText); }
    std::string final(AtDialogue &d, const std::string &command)
    {
        const AtResult r = d.handle(command);
        return r.lines.empty() ? "" : r.lines.back();
    }
    Profile m_profile;
};

const char *const VoiceProfile = "AT+VSM=? =>\n"
                                 "| 1,\"UNSIGNED PCM\",8,0,8000,0,0\n"
                                 "| 129,\"IMA ADPCM\",4,0,8000,0,0\n"
                                 "| 140,\"2 Bit ADPCM\",2,0,8000,0,0\n"
                                 "| 131,\"ULAW\",8,0,(7200,8000),0,0\n"
                                 "ATI3 => MODEL\n";

TEST_F(VmodemDialogue, AnswersCommandsAsAVoiceModem)
{
    use(VoiceProfile);
    AtDialogue d(m_profile);
    struct Case
    {
        const char *command;
        const char *final;
    };
    const Case cases[] = {
        {"AT", "OK"},
        {"at", "OK"},
        {"ATI3", "OK"},
        {"ATI5", "ERROR"},
        {"AT+GMM?", "ERROR"},
        {"AT+VRX", "ERROR"}, // voice class first
        {"AT+FCLASS=2", "ERROR"},
        {"AT+FCLASS=8", "OK"},
        {"AT+VSM=140", "ERROR"}, // unsupported
        {"AT+VSM=7", "ERROR"},
        {"AT+VSM=131,11025", "ERROR"},
        {"AT+VSM=131,7200", "OK"},
        {"AT+VSM=1,8000,0,0", "OK"},
        {"AT + vgr = 120", "OK"},
        {"AT+VGR=300", "ERROR"},
        {"AT+VLS=1", "OK"},
        {"AT+VSD=127,255", "OK"},
        {"ATS0=0", "OK"},
        {"ATS0=256", "ERROR"},
        {"ATH0", "OK"},
        {"ATHX", "ERROR"},
        {"AT+VCID=1", "OK"},
        {"AT+VCID=3", "ERROR"},
        {"ATE0", "OK"},
        {"AT+VRX", "CONNECT"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(final(d, c.command), c.final);
    }
    EXPECT_FALSE(d.echo());
    EXPECT_EQ(d.callerIdMode(), 1);
    ASSERT_NE(d.compression(), nullptr);
    EXPECT_EQ(d.compression()->number, 1);
    EXPECT_EQ(d.handle("AT+VSM?").lines.front(), "1,8000,0,0");
    EXPECT_EQ(d.handle("ATS0=7").bytes, "\r\nOK\r\n");
    EXPECT_EQ(d.handle("ATS0?").bytes, "\r\n007\r\n\r\nOK\r\n");
    EXPECT_EQ(d.handle("AT+VRX").action, AtResult::Action::Receive);

    EXPECT_EQ(final(d, "ATZ"), "OK");
    EXPECT_TRUE(d.echo());
    EXPECT_EQ(d.callerIdMode(), 0);
    EXPECT_EQ(final(d, "AT+VRX"), "ERROR"); // ATZ left voice mode
}

TEST_F(VmodemDialogue, ProfileRefusalsAndOverridesWin)
{
    use(std::string(VoiceProfile) + "callerid: no\nAT+VID => OK\nAT+VLS=2 => ERROR\n");
    AtDialogue d(m_profile);
    EXPECT_EQ(final(d, "AT+VCID=1"), "ERROR");
    EXPECT_EQ(final(d, "AT+VCID=0"), "OK");
    EXPECT_EQ(final(d, "AT+VID"), "OK"); // unknown to the built-in set, accepted by the profile
    EXPECT_EQ(final(d, "AT+VLS=2"), "ERROR");
    EXPECT_EQ(final(d, "AT+VLS=1"), "OK");

    use("voice: no\n");
    AtDialogue data(m_profile);
    for (const char *command : {"AT+FCLASS=8", "AT+VLS=0", "AT+VCID=1", "AT+VSM=?", "AT+VGR=?"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(final(data, command), "ERROR");
    }
    EXPECT_EQ(data.handle("AT+FCLASS=?").lines.front(), "0,1");
}

} // namespace

namespace {

TEST(VmodemShippedFiles, EveryProfileAndScenarioBesideTheProgramParses)
{
    const QString bin = qEnvironmentVariable("CALVORA_BIN_DIR");
    const QStringList profiles = QDir(bin + "/vmodem-profiles").entryList({"*.profile"});
    for (const char *name : {"voice", "data", "nocid", "dead", "rockwell", "softmodem"})
        EXPECT_TRUE(profiles.contains(QString(name) + ".profile")) << name;
    for (const QString &name : profiles) {
        SCOPED_TRACE(name.toStdString());
        std::string error;
        const std::optional<Profile> p =
            Profile::load((bin + "/vmodem-profiles/" + name).toStdString(), error);
        ASSERT_TRUE(p) << error;
        if (p->voice && !p->dead) {
            AtDialogue d(*p);
            // Some modems offer only methods nothing can stream (a ZyXEL's CELP and ADPCM).
            const bool streams = name != "zyxel.profile";
            ASSERT_EQ(d.compression() != nullptr, streams);
            if (streams) {
                EXPECT_EQ(d.compression()->encoding, Encoding::Unsigned8);
            }
        }
    }
    const QStringList scenarios = QDir(bin + "/vmodem-scenarios").entryList({"*.scenario"});
    EXPECT_FALSE(scenarios.isEmpty());
    for (const QString &name : scenarios) {
        SCOPED_TRACE(name.toStdString());
        QFile f(bin + "/vmodem-scenarios/" + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        std::string error;
        const auto steps = parseScript(f.readAll().toStdString(), error);
        ASSERT_TRUE(steps) << error;
        EXPECT_FALSE(steps->empty());
    }
}

} // namespace
