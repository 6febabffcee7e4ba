// The virtual modem's engine on a made-up clock: script timing, waitfor, the voice stream.
#include "vmodem/ScriptStep.h"
#include "vmodem/VirtualModem.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace vmodem;
using namespace std::chrono_literals;

namespace {

const char *const ProfileText = "AT+VSM=? =>\n"
                                "| 1,\"UNSIGNED PCM\",8,0,8000,0,0\n"
                                "| 131,\"ULAW\",8,0,8000,0,0\n";

class VmodemEngine : public ::testing::Test
{
protected:
    void SetUp() override { make(ProfileText); }

    void make(const std::string &profileText, double speed = 1.0)
    {
        std::string error;
        std::optional<Profile> p = Profile::parse(profileText, error);
        ASSERT_TRUE(p) << error;
        m_log.clear();
        m_modem = std::make_unique<VirtualModem>(
            *p, [this](const std::string &line) { m_log += line + "\n"; }, speed);
    }

    void steps(const std::string &script)
    {
        std::string error;
        auto parsed = parseScript(script, error);
        ASSERT_TRUE(parsed) << error;
        m_modem->addSteps(*parsed);
    }

    // Runs the clock forward in 10 ms ticks, collecting what the modem sends.
    std::string run(std::chrono::milliseconds span)
    {
        std::string out;
        const VirtualModem::TimePoint end = m_now + span;
        while (m_now < end) {
            m_now += 10ms;
            m_modem->advance(m_now);
            out += m_modem->output();
            m_modem->clearOutput();
        }
        return out;
    }

    std::string host(const std::string &bytes)
    {
        m_modem->hostBytes(bytes, m_now);
        m_modem->advance(m_now);
        std::string out = m_modem->output();
        m_modem->clearOutput();
        return out;
    }

    std::unique_ptr<VirtualModem> m_modem;
    std::string m_log;
    VirtualModem::TimePoint m_now = VirtualModem::TimePoint{} + 1h;
};

std::string unshield(const std::string &stream)
{
    std::string out;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        out.push_back(stream[i]);
        if (stream[i] == '\x10')
            ++i;
    }
    return out;
}

TEST_F(VmodemEngine, WaitForMatchesCommandsInOrderEvenWhenSentBefore)
{
    host("ATE0\r");
    host("AT+VCID=1\r");
    steps("waitfor at+vcid=1; ring; waitfor ath; ring; waitfor ath; raw X");
    EXPECT_EQ(run(100ms), "\r\nRING\r\n");              // the earlier AT+VCID=1 counts
    EXPECT_EQ(host("ATH\r"), "\r\nOK\r\n\r\nRING\r\n"); // one ATH releases one waitfor
    EXPECT_EQ(run(1000ms), "");
    EXPECT_EQ(host("ATH0\r"), "\r\nOK\r\nX");
}

TEST_F(VmodemEngine, CallRingsAtItsCadenceWithCallerIdAfterTheFirstRing)
{
    host("AT+VCID=1\r");
    steps("call 3 1000 NMBR=P end=gaveup");
    std::string sent;
    std::vector<std::pair<std::string, long>> timeline; // what came when, in ms
    for (int t = 10; t <= 3000; t += 10) {
        const std::string part = run(10ms);
        if (!part.empty())
            timeline.emplace_back(part, t);
    }
    ASSERT_EQ(timeline.size(), 4u);
    EXPECT_EQ(timeline[0], std::make_pair(std::string("\r\nRING\r\n"), 10L));
    EXPECT_EQ(timeline[1], std::make_pair(std::string("\r\nNMBR = P\r\n"), 510L));
    EXPECT_EQ(timeline[2], std::make_pair(std::string("\r\nRING\r\n"), 1010L));
    EXPECT_EQ(timeline[3], std::make_pair(std::string("\r\nRING\r\n"), 2010L));
    EXPECT_EQ(m_modem->line().currentLabel(), "silence"); // the caller gave up

    // Without AT+VCID=1 the modem keeps the caller ID to itself.
    make(ProfileText);
    steps("call 2 1000 NMBR=5551234");
    EXPECT_EQ(run(2000ms), "\r\nRING\r\n\r\nRING\r\n");
    EXPECT_NE(m_log.find("caller ID not sent"), std::string::npos);
}

TEST_F(VmodemEngine, PaceRunsTheScriptsPausesFasterButNotTheStream)
{
    m_modem->setPace(5);
    host("ATE0\r");
    host("AT+VCID=1\r");
    steps("call 3 1000 NMBR=P end=gaveup; wait 2000; voice ramp");
    std::vector<std::pair<std::string, long>> timeline; // what came when, in ms
    for (int t = 10; t <= 1000; t += 10) {
        const std::string part = run(10ms);
        if (!part.empty())
            timeline.emplace_back(part, t);
    }
    const std::vector<std::pair<std::string, long>> expected = {{"\r\nRING\r\n", 10},
                                                                {"\r\nNMBR = P\r\n", 110},
                                                                {"\r\nRING\r\n", 210},
                                                                {"\r\nRING\r\n", 410}};
    EXPECT_EQ(timeline, expected);
    EXPECT_NE(m_log.find("== wait 2000"), std::string::npos) << "the log keeps the written time";
    EXPECT_EQ(m_modem->line().currentLabel(), "ramp") << "the wait after the call took 0.4 s";

    // The voice stream still runs at 8000 samples a second.
    host("AT+FCLASS=8\r");
    host("AT+VSM=1,8000\r");
    EXPECT_EQ(host("AT+VRX\r"), "\r\nCONNECT\r\n");
    const std::string stream = unshield(run(1000ms));
    EXPECT_NEAR(static_cast<double>(stream.size()), 8000.0, 100.0);
}

TEST_F(VmodemEngine, RepeatRunsTheScriptAgainOnlyWhenItWaits)
{
    steps("ring; wait 100; repeat");
    EXPECT_EQ(run(350ms), "\r\nRING\r\n\r\nRING\r\n\r\nRING\r\n\r\nRING\r\n");
    make(ProfileText);
    steps("ring; repeat; raw X");
    EXPECT_EQ(run(100ms), "\r\nRING\r\nX");
}

TEST_F(VmodemEngine, StreamIsPacedByTheClockTimesTheSpeed)
{
    make(ProfileText, 2.0);
    host("ATE0\r");
    host("AT+FCLASS=8\r");
    EXPECT_EQ(host("AT+VRX\r"), "\r\nCONNECT\r\n");
    const std::string stream = run(1000ms);
    EXPECT_EQ(unshield(stream).size(), 16000u); // 8000 samples a second, twice as fast
}

TEST_F(VmodemEngine, StreamPausesWhileTheHostDoesNotReadAndLosesNothing)
{
    steps("voice ramp");
    host("AT+FCLASS=8\r");
    host("AT+VRX\r");
    for (int i = 0; i < 300; ++i) { // 3 s without reading
        m_now += 10ms;
        m_modem->advance(m_now);
    }
    EXPECT_LT(m_modem->output().size(), VirtualModem::MaxBacklog + 8000);
    std::string stream = m_modem->output();
    m_modem->clearOutput();
    stream += run(2000ms);
    const std::string data = unshield(stream);
    EXPECT_EQ(data.size(), 5u * 8000);
    for (std::size_t i = 1; i < data.size(); ++i)
        ASSERT_EQ(static_cast<unsigned char>(data[i]),
                  (static_cast<unsigned char>(data[i - 1]) + 1) % 256);
}

TEST_F(VmodemEngine, LineProgrammeFollowsTheStreamNotTheWallClock)
{
    steps("voice tone:1000 100; voice silence 50; voice ramp");
    run(5000ms); // the programme waits for the stream
    host("AT+FCLASS=8\r");
    host("AT+VRX\r");
    const std::string data = unshield(run(200ms));
    ASSERT_EQ(data.size(), 1600u);
    const std::string tone = data.substr(0, 800);
    EXPECT_NE(tone.find_first_not_of('\x80'), std::string::npos);
    EXPECT_EQ(data.substr(800, 400), std::string(400, '\x80'));
    EXPECT_EQ(static_cast<unsigned char>(data[1200]), 0u); // the ramp starts at level 0
    EXPECT_EQ(static_cast<unsigned char>(data[1201]), 1u);

    // A segment without an end gives way at once to the next one.
    steps("voice silence");
    const std::string after = unshield(run(100ms));
    EXPECT_EQ(after, std::string(800, '\x80'));
}

TEST_F(VmodemEngine, DleExclamationEndsTheStreamEvenSplitOrAfterAShieldedDle)
{
    for (const std::string &ending : {std::string("\x10!"), std::string("\x10\x10\x10!")}) {
        SCOPED_TRACE(ending.size());
        make(ProfileText);
        host("ATE0\r");
        host("AT+FCLASS=8\r");
        host("AT+VRX\r");
        run(100ms);
        EXPECT_TRUE(m_modem->receiving());
        host(ending.substr(0, ending.size() - 1));
        EXPECT_TRUE(m_modem->receiving());
        EXPECT_EQ(host("!"), "\x10\x03\r\nOK\r\n");
        EXPECT_FALSE(m_modem->receiving());
        EXPECT_EQ(run(100ms), "");
        EXPECT_EQ(host("AT\r"), "\r\nOK\r\n");
    }
}

TEST_F(VmodemEngine, ClosingThePortStopsTheStreamAndDropsWhatWasPending)
{
    host("AT+FCLASS=8\r");
    host("AT+VRX\r");
    m_now += 100ms;
    m_modem->advance(m_now);
    EXPECT_FALSE(m_modem->output().empty());
    m_modem->setHostOpen(false);
    EXPECT_TRUE(m_modem->output().empty());
    EXPECT_FALSE(m_modem->receiving());
    steps("ring");
    EXPECT_EQ(run(100ms), ""); // nobody listens
    m_modem->setHostOpen(true);
    EXPECT_EQ(host("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(VmodemEngine, CommandLineEditingAndNoise)
{
    EXPECT_EQ(host("ATE0\r"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(host("\n"), "");                // the LF after a CR is no command
    EXPECT_EQ(host("hello\r"), "");           // no AT prefix: ignored
    EXPECT_EQ(host("ATX\b\r"), "\r\nOK\r\n"); // backspace takes the X back
    EXPECT_EQ(host(std::string(300, 'A') + "\r"), "\r\nERROR\r\n");
    EXPECT_EQ(host("AT+NOPE\r"), "\r\nERROR\r\n");
}

TEST_F(VmodemEngine, DeadModemSaysNothing)
{
    make("dead: yes\n");
    EXPECT_EQ(host("AT\r"), "");
    EXPECT_EQ(host("ATZ\r"), "");
    EXPECT_NE(m_log.find("<< ATZ"), std::string::npos);
}

// A PCM WAV file with the given header fields and sample bytes.
void writeWav(const QString &path, int channels, int rate, int bits, const std::string &samples)
{
    auto le = [](std::uint32_t v, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
        return out;
    };
    const int block = channels * bits / 8;
    std::string file = "RIFF" + le(static_cast<std::uint32_t>(36 + samples.size()), 4) + "WAVE";
    file += "fmt " + le(16, 4) + le(1, 2) + le(static_cast<std::uint32_t>(channels), 2) +
            le(static_cast<std::uint32_t>(rate), 4) +
            le(static_cast<std::uint32_t>(rate * block), 4) +
            le(static_cast<std::uint32_t>(block), 2) + le(static_cast<std::uint32_t>(bits), 2);
    file += "data" + le(static_cast<std::uint32_t>(samples.size()), 4) + samples;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(file.data(), static_cast<qint64>(file.size()));
}

TEST_F(VmodemEngine, PlaysWavFilesOnceThenTheNextSegment)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string bytes;
    for (int i = 0; i < 400; ++i)
        bytes.push_back(static_cast<char>(0x10 + i % 32)); // DLE among them
    writeWav(dir.filePath("mono8.wav"), 1, 8000, 8, bytes);
    // 16-bit stereo at 16 kHz: 800 frames of (+4096, -4096) mix down to silence, 400 samples.
    std::string stereo;
    for (int i = 0; i < 800; ++i)
        stereo += std::string("\x00\x10\x00\xf0", 4);
    writeWav(dir.filePath("stereo16.wav"), 2, 16000, 16, stereo);
    QFile damaged(dir.filePath("damaged.wav"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("RIFF\x10\x00\x00\x00WAVEfmt ");
    damaged.close();

    steps("voice " + dir.filePath("mono8.wav").toStdString() + "; voice " +
          dir.filePath("stereo16.wav").toStdString() + "; voice " +
          dir.filePath("damaged.wav").toStdString() + " 50; voice tone:1000");
    host("AT+FCLASS=8\r");
    host("AT+VRX\r");
    const std::string data = unshield(run(200ms));
    ASSERT_EQ(data.size(), 1600u);
    EXPECT_EQ(data.substr(0, 400), bytes);
    EXPECT_EQ(data.substr(400, 400), std::string(400, '\x80'));
    EXPECT_EQ(data.substr(800, 400), std::string(400, '\x80')); // the damaged file: silence
    EXPECT_NE(data.substr(1200).find_first_not_of('\x80'), std::string::npos);
    EXPECT_NE(m_log.find("damaged.wav"), std::string::npos);
}

TEST_F(VmodemEngine, UsesTheEncoderFactoryItIsGiven)
{
    class Marker final : public VoiceEncoder
    {
    public:
        void encode(std::span<const std::int16_t> samples, std::string &out) override
        {
            out.append(samples.size(), 'Z');
        }
    };
    std::string error;
    m_modem = std::make_unique<VirtualModem>(*Profile::parse(ProfileText, error), nullptr, 1.0,
                                             [](Encoding e) -> std::unique_ptr<VoiceEncoder> {
                                                 if (e == Encoding::MuLaw)
                                                     return std::make_unique<Marker>();
                                                 return makeBuiltinEncoder(e);
                                             });
    host("ATE0\r");
    host("AT+FCLASS=8\r");
    host("AT+VSM=131\r");
    host("AT+VRX\r");
    EXPECT_EQ(run(100ms), std::string(800, 'Z'));
}

TEST(VmodemScript, ParsesStepsAndRefusesBadOnes)
{
    std::string error;
    auto steps = parseScript("# comment\n"
                             "wait 5; raw a\\;b\\r\\n\\x10; event b\n"
                             "voice /tmp/some file.wav 300\n"
                             "call 2 4000 NAME=JOHN SMITH|NMBR=5551234 end=gaveup\n",
                             error);
    ASSERT_TRUE(steps) << error;
    ASSERT_EQ(steps->size(), 10u);
    EXPECT_EQ((*steps)[0].ms, 5);
    EXPECT_EQ((*steps)[1].text, "a;b\r\n\x10");
    EXPECT_EQ((*steps)[2].text, "b");
    EXPECT_EQ((*steps)[3].text, "/tmp/some file.wav");
    EXPECT_EQ((*steps)[3].ms, 300);
    EXPECT_EQ((*steps)[4].kind, Step::Kind::Ring);
    EXPECT_EQ((*steps)[5].ms, 1500);
    EXPECT_EQ((*steps)[6].kind, Step::Kind::CallerId);
    EXPECT_EQ(formatCallerId((*steps)[6].fields),
              "\r\nNAME = JOHN SMITH\r\n\r\nNMBR = 5551234\r\n");
    EXPECT_EQ((*steps)[7].ms, 2500);
    EXPECT_EQ((*steps)[8].kind, Step::Kind::Ring);
    EXPECT_EQ((*steps)[9].kind, Step::Kind::CallEnd);
    EXPECT_EQ((*steps)[9].text, "gaveup");

    for (const char *bad : {"wait", "wait -1", "ring 2", "cid NMBR", "raw \\q", "raw \\x1",
                            "call 0 1000", "call 2", "event bb", "fly away", "voice"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseScript(bad, error));
    }
}

} // namespace
