// Unshielding the receive stream: doubled DLEs are one sample, DLE + char is an event.
#include "modem/voice/DleFilter.h"

#include <gtest/gtest.h>

TEST(DleFilterTest, SeparatesAudioFromEventsAcrossBatches)
{
    DleFilter filter;
    std::vector<uint8_t> audio;
    std::string events;
    const uint8_t first[] = {0x80, 0x10, 0x10, 0x7f, 0x10, 'b', 0x81, 0x10};
    filter.feed(first, sizeof first, audio, events);
    EXPECT_EQ(audio, (std::vector<uint8_t>{0x80, 0x10, 0x7f, 0x81}));
    EXPECT_EQ(events, "b");

    const uint8_t second[] = {0x10, 0x82, 0x10, 0x03};
    filter.feed(second, sizeof second, audio, events);
    EXPECT_EQ(audio, (std::vector<uint8_t>{0x80, 0x10, 0x7f, 0x81, 0x10, 0x82}))
        << "a DLE split from its partner across reads is still one sample";
    EXPECT_EQ(events, std::string("b\x03"));
}

TEST(DleFilterTest, EveryByteValueSurvivesShielding)
{
    std::vector<uint8_t> shielded;
    std::vector<uint8_t> original;
    for (int round = 0; round < 3; ++round) {
        for (int v = 0; v < 256; ++v) {
            original.push_back(uint8_t(v));
            shielded.push_back(uint8_t(v));
            if (v == 0x10)
                shielded.push_back(0x10);
        }
    }
    DleFilter filter;
    std::vector<uint8_t> audio;
    std::string events;
    for (std::size_t at = 0; at < shielded.size(); at += 7)
        filter.feed(shielded.data() + at, std::min<std::size_t>(7, shielded.size() - at), audio,
                    events);
    EXPECT_EQ(audio, original);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(dleEventName('d'), "dial tone");
    EXPECT_EQ(dleEventName('5'), "DTMF 5");
}
