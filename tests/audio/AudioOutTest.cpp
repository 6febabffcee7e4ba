// The output component's queue against a scripted device: pre-buffer, held-back blocks, done
// reports, counts, the pool's reuse rule and the error texts; then a few real blocks through
// the sound server's null sink.
#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/out/AudioBlockPool.h"
#include "audio/out/TdeAudioDevice.h"
#include "audio/out/TdeAudioOut.h"
#include "support/Waits.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <gtest/gtest.h>

#include "ScriptedWaveOut.h"

namespace {

class AudioOutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        out.setFormat(WorkingPcmFormat());
        out.AutoOpen = false;
    }
    void settle() { QCoreApplication::processEvents(); }

    std::vector<std::uint8_t> block(std::uint8_t value, std::size_t size = 2048)
    {
        return std::vector<std::uint8_t>(size, value);
    }
    void play(std::uint8_t value, std::size_t size = 2048)
    {
        const auto b = block(value, size);
        out.Play(b.data(), std::uint32_t(b.size()));
    }

    ScriptedWaveOutState device;
    TdeAudioOut out{std::make_unique<ScriptedWaveOut>(device)};
};

template <class E, class F> QString raised(F &&f)
{
    try {
        f();
    } catch (const E &e) {
        return e.message();
    }
    return "nothing raised";
}

TEST_F(AudioOutTest, HoldsBackBufferCountBlocksThenWritesThemAllInOrder)
{
    out.setBufferCount(4);
    out.Open();
    for (std::uint8_t i = 1; i <= 4; ++i)
        play(i);
    EXPECT_TRUE(device.written.empty());
    EXPECT_EQ(out.heldBackCount(), 4);
    EXPECT_EQ(out.QueuedBuffers(), 0);
    play(5);
    ASSERT_EQ(device.writtenBytes.size(), 5u);
    for (std::uint8_t i = 0; i < 5; ++i)
        EXPECT_EQ(device.writtenBytes[i][0], i + 1);
    EXPECT_EQ(out.QueuedBuffers(), 5);
    EXPECT_EQ(out.heldBackCount(), 0);
    play(6);
    EXPECT_EQ(device.written.size(), 6u) << "the pre-buffer is filled once per opening";

    // A zero-size block and the MaximumBuffers limit.
    out.Play("x", 0);
    EXPECT_EQ(device.written.size(), 6u);
    out.Close();
    out.setBufferCount(0);
    out.setMaximumBuffers(2);
    out.Open();
    device.written.clear();
    for (std::uint8_t i = 0; i < 4; ++i)
        play(i);
    EXPECT_EQ(device.written.size(), 2u) << "blocks beyond the limit are dropped";
    EXPECT_EQ(out.QueuedBuffers(), 2);
}

TEST_F(AudioOutTest, ReportsEachPlayedBlockWithItsOwnDataAndCountsItUntilAfterwards)
{
    out.setBufferCount(0);
    std::vector<std::pair<std::uint8_t, std::uint32_t>> played;
    std::vector<int> queuedDuring;
    out.OnAudioPlayed = [&](TdeCustomAudioOut &sender, std::uint8_t *data, std::uint32_t size) {
        played.emplace_back(data[0], size);
        queuedDuring.push_back(sender.QueuedBuffers());
    };
    out.Open();
    play(7, 100);
    play(8, 300);
    ScriptedWaveOut::playOne(device);
    ScriptedWaveOut::playOne(device);
    EXPECT_TRUE(played.empty()) << "reports come between other events, not inside a call";
    settle();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0], std::make_pair(std::uint8_t(7), 100u));
    EXPECT_EQ(played[1], std::make_pair(std::uint8_t(8), 300u));
    EXPECT_EQ(queuedDuring, (std::vector<int>{2, 1}));
    EXPECT_EQ(out.QueuedBuffers(), 0);
    EXPECT_EQ(out.preparedCount(), 0);
    EXPECT_EQ(out.pool().freeCount(), 4u) << "headers and data go back to the pool";

    // The handler refills the very block it was given.
    int refills = 0;
    out.OnAudioPlayed = [&](TdeCustomAudioOut &sender, std::uint8_t *data, std::uint32_t size) {
        if (refills++ < 3) {
            data[0] = std::uint8_t(20 + refills);
            sender.Play(data, size);
        }
    };
    play(9);
    for (int i = 0; i < 4; ++i) {
        ScriptedWaveOut::playOne(device);
        settle();
    }
    ASSERT_EQ(device.writtenBytes.size(), 6u);
    EXPECT_EQ(device.writtenBytes[5][0], 23);
    EXPECT_EQ(out.QueuedBuffers(), 0);
}

TEST_F(AudioOutTest, ClosingReleasesHeldBackBlocksUnplayedAndIgnoresLateReports)
{
    out.setBufferCount(4);
    int reports = 0;
    out.OnAudioPlayed = [&](TdeCustomAudioOut &, std::uint8_t *, std::uint32_t) { ++reports; };
    out.Open();
    play(1);
    play(2);
    out.Close();
    EXPECT_TRUE(device.written.empty()) << "held-back blocks are never played";
    EXPECT_FALSE(out.Active());

    out.setBufferCount(0);
    out.Open();
    play(3);
    play(4);
    out.Close(); // the device returns both blocks later
    out.Open();  // and the new opening may reuse their memory
    play(5);
    settle();
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(out.QueuedBuffers(), 1) << "a report of the old opening does not count here";
    ScriptedWaveOut::playOne(device);
    settle();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(out.QueuedBuffers(), 0);

    // The handler may close the output; the block it was given is released once.
    out.OnAudioPlayed = [&](TdeCustomAudioOut &sender, std::uint8_t *, std::uint32_t) {
        sender.Close();
    };
    play(6);
    play(7);
    ScriptedWaveOut::playOne(device);
    settle();
    EXPECT_FALSE(out.Active());
}

TEST_F(AudioOutTest, FailuresCarryTheirTexts)
{
    EXPECT_EQ(raised<EACMAudioIOError>([&] { play(1); }),
              "Cannot perform this action while not active.");
    device.openCode = WaveOutDevice::BadFormat;
    EXPECT_EQ(raised<EACMAudioOutError>([&] { out.Open(); }),
              "Error opening audio device for output.\r\nThe selected audio format is not "
              "supported on this machine.");
    EXPECT_FALSE(out.Active());
    device.openCode = 0;
    out.Open();
    out.setActive(true); // already open: nothing
    EXPECT_EQ(device.opened, 1);
    EXPECT_EQ(raised<EACMAudioIOError>([&] { out.setMaximumBuffers(3); }),
              "Cannot perform this action while active.");
    out.setBufferCount(0);
    out.Close();
    out.Open();
    device.writeCode = WaveOutDevice::InvalidHandle;
    EXPECT_EQ(raised<EACMAudioOutError>([&] { play(1); }),
              "Error playing buffer.\r\nThe specified handle is invalid.");
    EXPECT_EQ(out.preparedCount(), 1) << "kept until the next close";
    device.pauseCode = WaveOutDevice::InvalidHandle;
    EXPECT_EQ(raised<EACMAudioOutError>([&] { out.setPaused(true); }),
              "An error occurred whilst trying to pause an output device\r\nThe specified handle "
              "is invalid.");
    device.restartCode = WaveOutDevice::InvalidHandle;
    EXPECT_EQ(raised<EACMAudioOutError>([&] { out.setPaused(false); }),
              "An error occurred whilst trying to restart an output device\r\nThe specified "
              "handle is invalid.");
    out.Close();
    EXPECT_EQ(out.preparedCount(), 0);
}

TEST(AudioBlockPoolTest, ReusesAFreedBlockForTheSameSizeOrALittleLess)
{
    struct Case
    {
        std::size_t request;
        bool reused;
    };
    for (const Case c : {Case{2048, true}, Case{1500, true}, Case{1025, true}, Case{1024, false},
                         Case{1000, false}, Case{4096, false}}) {
        SCOPED_TRACE(c.request);
        AudioBlockPool pool;
        std::uint8_t *first = pool.take(2048);
        pool.give(first);
        EXPECT_EQ(pool.take(c.request) == first, c.reused);
    }
    AudioBlockPool pool;
    std::uint8_t *big = pool.take(3000);
    std::uint8_t *exact = pool.take(2000);
    std::uint8_t *close = pool.take(2100);
    pool.give(big);
    pool.give(close);
    pool.give(exact);
    EXPECT_EQ(pool.take(2000), exact) << "an exact size first";
    EXPECT_EQ(pool.take(2000), close) << "then the smallest surplus";
    EXPECT_EQ(pool.allocatedCount(), 3u);
    pool.release();
    EXPECT_EQ(pool.allocatedCount(), 0u);
}

TEST(AudioDevicesTest, ListsDevicesAndSetsTheVolumeOnlyWhereItCan)
{
    AudioDevices::rebuild({}, {});
    EXPECT_EQ(AudioDevices::outputCount(), 0);
    EXPECT_EQ(AudioDevices::firstWithVolume(), nullptr);
    AudioDevices::rebuild(QMediaDevices::audioInputs(), QMediaDevices::audioOutputs());

    TdeAudioOutDevice fixed;
    fixed.id = "test-device";
    EXPECT_THROW(
        {
            try {
                fixed.SetVolume(100);
            } catch (const EACMDeviceOutError &e) {
                EXPECT_EQ(e.message(), "This device does not support volume control.");
                throw;
            }
        },
        EACMDeviceError);
    fixed.Support = TdeAudioOutDevice::Volume;
    for (const auto &[v, level] : {std::pair{0, 0.0}, {32767, 0.5}, {65535, 1.0}}) {
        fixed.SetVolume(std::uint16_t(v));
        EXPECT_NEAR(OutputVolumes::instance().level("test-device"), level, 1e-4);
    }
}

// Real blocks through the sound server: every block is reported in order, not before the
// sink could have played it, and the counts return to zero.
TEST(AudioOutSinkTest, PlaysQueuedBlocksThroughTheSoundServer)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
    TdeAudioOut out;
    out.AutoOpen = false;
    out.setFormat(WorkingPcmFormat());
    out.setBufferCount(4);
    std::vector<std::uint8_t> reported;
    out.OnAudioPlayed = [&](TdeCustomAudioOut &, std::uint8_t *data, std::uint32_t) {
        reported.push_back(data[0]);
    };
    out.Open();
    QElapsedTimer clock;
    clock.start();
    for (std::uint8_t i = 0; i < 6; ++i) {
        std::vector<std::uint8_t> b(800, std::uint8_t(100 + i)); // 0.1 s each
        out.Play(b.data(), 800);
    }
    EXPECT_EQ(out.QueuedBuffers(), 6);
    ASSERT_TRUE(Waits::waitUntil([&] { return reported.size() == 6; }, 5000));
    EXPECT_GE(clock.elapsed(), 400) << "0.6 s of sound cannot be done at once";
    EXPECT_EQ(reported, (std::vector<std::uint8_t>{100, 101, 102, 103, 104, 105}));
    EXPECT_TRUE(Waits::waitUntil([&] { return out.QueuedBuffers() == 0; }, 1000));
    EXPECT_TRUE(out.Active()) << "the owner decides when to close";
    out.Close();
}

} // namespace
