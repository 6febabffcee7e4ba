// Receiving a modem's voice stream into a recording and finding the end of the call.
#include "modem/voice/VoiceReceiver.h"
#include "audio/StandardFormats.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

std::vector<uint8_t> shield(const std::vector<uint8_t> &samples)
{
    std::vector<uint8_t> out;
    for (uint8_t s : samples) {
        out.push_back(s);
        if (s == 0x10)
            out.push_back(0x10);
    }
    return out;
}

std::vector<uint8_t> tone(double hz, int count, double amplitude = 127.0)
{
    std::vector<uint8_t> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out[std::size_t(i)] = uint8_t(
            std::lround(128.0 + amplitude * std::sin(2 * std::numbers::pi * hz * i / 8000)));
    return out;
}

std::vector<uint8_t> noise(int count)
{
    std::vector<uint8_t> out(static_cast<std::size_t>(count));
    uint32_t seed = 99;
    for (uint8_t &s : out) {
        seed = seed * 1103515245u + 12345u;
        s = uint8_t((seed >> 16) & 0xFF);
    }
    return out;
}

class VoiceReceiverTest : public ::testing::Test
{
protected:
    VoiceReceiverTest()
    {
        receiver.onFileData = [this](const uint8_t *data, qint64 size) {
            file.insert(file.end(), data, data + size);
        };
        receiver.onDisplayBlock = [this](std::span<const uint8_t>) { ++displayBlocks; };
        receiver.log = [this](const QString &line) { logLines << line; };
    }

    VoiceReceiver::Setup setup(int discTime = 10, const char *name = "UNSIGNED PCM")
    {
        VoiceReceiver::Setup s;
        s.modemFormat = WorkingPcmFormat();
        s.fileFormat = WorkingPcmFormat();
        s.formatName = name;
        s.bitsPerSample = "8";
        s.discTimeSeconds = discTime;
        return s;
    }

    // Feeds the bytes in uneven batches, as a serial port delivers them; true on hang-up.
    bool feed(const std::vector<uint8_t> &bytes, bool autoCall)
    {
        std::size_t at = 0;
        int size = 1;
        while (at < bytes.size()) {
            const std::size_t n = std::min<std::size_t>(std::size_t(size), bytes.size() - at);
            if (receiver.receiveBatch(bytes.data() + at, qint64(n), autoCall))
                return true;
            at += n;
            size = size * 7 % 1000 + 1;
        }
        return false;
    }

    VoiceReceiver receiver;
    std::vector<uint8_t> file;
    int displayBlocks = 0;
    QStringList logLines;
};

TEST_F(VoiceReceiverTest, EverySampleReachesTheRecordingIncludingDleAndTheLastPartialBlock)
{
    std::vector<uint8_t> samples = noise(10000);
    samples[100] = samples[101] = 0x10;
    receiver.PrepareReceive(setup());
    EXPECT_FALSE(feed(shield(samples), false));
    receiver.Finish();
    EXPECT_EQ(file, samples);
    EXPECT_EQ(displayBlocks, 10000 / 1536);
    EXPECT_FALSE(receiver.Receiving());
}

TEST_F(VoiceReceiverTest, SignedSamplesBecomeUnsignedInBothPaths)
{
    receiver.PrepareReceive(setup(10, "SIGNED PCM"));
    std::vector<uint8_t> samples(2048, 0x00); // signed zero
    samples[5] = 0x7f;
    feed(shield(samples), false);
    receiver.Finish();
    ASSERT_EQ(file.size(), 2048u);
    EXPECT_EQ(file[0], 0x80);
    EXPECT_EQ(file[5], 0xff);
}

TEST_F(VoiceReceiverTest, SilenceEndsAnAutomaticCallOnlyAfterTheDisconnectTime)
{
    receiver.PrepareReceive(setup(1)); // 5 blocks of history
    EXPECT_FALSE(feed(shield(noise(1536 * 3)), true));
    const std::vector<uint8_t> quiet(1536 * 4, 128);
    EXPECT_FALSE(feed(quiet, true)) << "the last five blocks are not all silent yet";
    EXPECT_TRUE(feed(std::vector<uint8_t>(1536 * 3, 128), true));
    EXPECT_TRUE(logLines.contains("Silence..."));
    EXPECT_EQ(logLines.last(), "Disconnect line...");
    EXPECT_EQ(receiver.hangupCause().kind, VoiceReceiver::Hangup::Silence);
}

TEST_F(VoiceReceiverTest, AUsersRecordingGoesOnThroughSilenceAndTones)
{
    receiver.PrepareReceive(setup(1));
    EXPECT_FALSE(feed(std::vector<uint8_t>(1536 * 20, 128), false));
    EXPECT_FALSE(feed(tone(425, 1536 * 14), false));
    EXPECT_GE(receiver.HangupCounter(), 12);
    const uint8_t busy[] = {0x10, 'b'};
    EXPECT_FALSE(receiver.receiveBatch(busy, 2, false));
}

TEST_F(VoiceReceiverTest, TwelvePeriodicBlocksEndAnAutomaticCallEvenWhenCountedTogether)
{
    receiver.PrepareReceive(setup(30));
    // One batch of 13 blocks of busy tone carries the count from 0 past 12 at once.
    EXPECT_TRUE(receiver.receiveBatch(tone(425, 1536 * 13).data(), 1536 * 13, true));
    EXPECT_GE(receiver.HangupCounter(), 12);
    EXPECT_TRUE(logLines.contains("Periodic signal..."));
    EXPECT_EQ(receiver.hangupCause().kind, VoiceReceiver::Hangup::PeriodicSignal);
}

TEST_F(VoiceReceiverTest, TheModemsBusyToneEventEndsAnAutomaticCall)
{
    receiver.PrepareReceive(setup(30));
    std::vector<uint8_t> bytes = shield(noise(500));
    bytes.push_back(0x10);
    bytes.push_back('b');
    EXPECT_TRUE(receiver.receiveBatch(bytes.data(), qint64(bytes.size()), true));
    EXPECT_TRUE(logLines.contains("Modem event: busy tone"));
    EXPECT_EQ(receiver.hangupCause().kind, VoiceReceiver::Hangup::ModemEvent);
    EXPECT_EQ(receiver.hangupCause().event, 'b');
    receiver.Finish();
    EXPECT_EQ(file.size(), 500u) << "the event is not audio";
}

// The modem's reports that the far end or the handset has gone end an automatic call, and the
// first of them is the reason; the handset lifted, DTMF and the like do not.
TEST_F(VoiceReceiverTest, TheModemsEndOfCallEventsEndAnAutomaticCall)
{
    struct Case
    {
        const char *events;
        char ending; // 0: the call goes on
    };
    const Case cases[] = {{"b", 'b'}, {"d", 'd'}, {"s", 's'}, {"q", 'q'},  {"h", 'h'},
                          {"l", 'l'}, {"H", 0},   {"5#", 0},  {"Hd", 'd'}, {"hb", 'h'}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.events);
        receiver.PrepareReceive(setup(30));
        std::vector<uint8_t> bytes = shield(noise(300));
        for (const char *e = c.events; *e; ++e) {
            bytes.push_back(0x10);
            bytes.push_back(uint8_t(*e));
        }
        EXPECT_EQ(receiver.receiveBatch(bytes.data(), qint64(bytes.size()), true), c.ending != 0);
        if (c.ending != 0) {
            EXPECT_EQ(receiver.hangupCause().event, c.ending);
        }
        receiver.Finish();
    }
}

// The level is that of the voice blocks: a steady 400 Hz tone at half scale (not periodic by
// the analysis) has a peak of 0.5 and an RMS of 0.5 / sqrt(2); silence adds nothing to it.
TEST_F(VoiceReceiverTest, TheVoicesLevelIsMeasuredFromTheVoiceBlocks)
{
    receiver.PrepareReceive(setup(30));
    std::vector<uint8_t> line(1536 * 4, 128);
    const std::vector<uint8_t> voice = tone(400, 1536 * 6, 64.0);
    line.insert(line.end(), voice.begin(), voice.end());
    EXPECT_FALSE(feed(shield(line), false));
    const LevelMeter &levels = receiver.levels();
    EXPECT_EQ(levels.blocks(), 10);
    EXPECT_EQ(levels.voiceBlocks(), 6);
    EXPECT_NEAR(levels.peak(), 0.5, 1.0 / 128);
    EXPECT_NEAR(levels.rms(), 0.5 / std::sqrt(2.0), 0.01);

    receiver.PrepareReceive(setup(30));
    EXPECT_EQ(receiver.levels().blocks(), 0) << "each recording is measured afresh";
    EXPECT_FALSE(feed(std::vector<uint8_t>(1536 * 3, 128), false));
    EXPECT_EQ(receiver.levels().voiceBlocks(), 0);
    EXPECT_EQ(receiver.levels().peak(), 0.0);
}

} // namespace
