// The codecs against their own decoders: exhaustive G.711, bounded errors of the ADPCMs
// and GSM, block alignment, partial blocks, and the codec layer's queries.
#include "AudioTestSignals.h"

#include "audio/codecs/CodecLayer.h"
#include "audio/codecs/G711.h"
#include "audio/codecs/ImaAdpcm.h"

#include <gtest/gtest.h>

using namespace codecs;
using namespace testaudio;

namespace {

TEST(G711Test, EveryCodeRoundTrips)
{
    for (int c = 0; c < 256; ++c) {
        const auto code = static_cast<std::uint8_t>(c);
        EXPECT_EQ(alawEncode(alawDecode(code)), code) << c;
        // mu-law has two zeros; the encoder writes the positive one.
        EXPECT_EQ(mulawEncode(mulawDecode(code)), c == 0x7F ? 0xFF : code) << c;
    }
    EXPECT_EQ(mulawDecode(0x00), -32124);
    EXPECT_EQ(mulawDecode(0x80), 32124);
    EXPECT_EQ(alawDecode(0xD5), 8);
    EXPECT_EQ(alawDecode(0xAA), 32256);
}

TEST(G711Test, EverySampleStaysWithinHalfAStep)
{
    // The quantiser's step is 1/16 of the segment's start, so the error is at most 1/32 of
    // the value plus the finest half step; mu-law clips at 32124.
    for (int x = -32768; x <= 32767; ++x) {
        const int bound = std::abs(x) / 32 + 16;
        const int clipped = std::clamp(x, -32124, 32124);
        ASSERT_LE(std::abs(alawDecode(alawEncode(x)) - x), bound) << x;
        ASSERT_LE(std::abs(mulawDecode(mulawEncode(x)) - clipped), bound) << x;
    }
}

struct RoundTrip
{
    const char *name;
    std::uint16_t tag;
    std::uint32_t rate;
    std::uint16_t channels;
    std::uint16_t bits;
    double minSnrDb; // of the decoded signal against the source
};

TEST(CodecTest, EncodedAudioDecodesWithinEachCodecsBound)
{
    // Bounds: PCM 16 exact; PCM 8 rounds to 1/256 of full scale (about 36 dB on this
    // signal); G.711 keeps about 37 dB; the ADPCMs at 4 bits keep more than 20 dB on
    // speech-like audio even with a partial near 8 kHz's Nyquist limit; GSM is a vocoder
    // that keeps the spectral envelope rather than the waveform (about 13 dB here), so its
    // level is checked too, and its bytes against libgsm through sox elsewhere.
    const RoundTrip cases[] = {
        {"pcm16", Tag::Pcm, 8000, 1, 16, 100},  {"pcm8", Tag::Pcm, 8000, 2, 8, 30},
        {"alaw", Tag::ALaw, 8000, 1, 0, 30},    {"mulaw", Tag::MuLaw, 11025, 2, 0, 30},
        {"ima", Tag::ImaAdpcm, 8000, 1, 0, 20}, {"ima stereo", Tag::ImaAdpcm, 22050, 2, 0, 20},
        {"ms", Tag::MsAdpcm, 8000, 1, 0, 20},   {"ms stereo", Tag::MsAdpcm, 44100, 2, 0, 20},
        {"gsm", Tag::Gsm610, 8000, 1, 0, 8},
    };
    for (const RoundTrip &c : cases) {
        SCOPED_TRACE(c.name);
        const FormatBlock coded = format(c.tag, c.rate, c.channels, c.bits);
        const FormatBlock pcm = format(Tag::Pcm, c.rate, c.channels, 16);
        const std::vector<std::int16_t> source = speechLike(c.rate, c.rate * 2 + 77, c.channels);
        const std::vector<std::uint8_t> encoded = runStream(pcm, coded, toBytes(source), 1000);
        ASSERT_FALSE(encoded.empty());
        const std::uint32_t spb = samplesPerBlock(coded);
        const std::size_t align = WaveFields::read(coded).blockAlign;
        EXPECT_EQ(encoded.size() % align, 0u) << "whole blocks only";
        const std::vector<std::int16_t> decoded = toSamples(runStream(coded, pcm, encoded, 777));
        // The last block is completed with silence.
        const std::size_t frames = decoded.size() / c.channels;
        EXPECT_GE(frames, source.size() / c.channels);
        EXPECT_LT(frames, source.size() / c.channels + spb);
        EXPECT_EQ(frames % spb, 0u);
        EXPECT_GE(snrDb(source, decoded), c.minSnrDb);
        if (c.tag == Tag::Pcm && c.bits == 16) {
            EXPECT_TRUE(std::equal(source.begin(), source.end(), decoded.begin()));
        }
        if (c.tag == Tag::Gsm610) {
            // Level within 3 dB once the vocoder has settled (after the first block).
            double in = 0;
            double out = 0;
            for (std::size_t i = 320; i < source.size(); ++i) {
                in += double(source[i]) * source[i];
                out += double(decoded[i]) * decoded[i];
            }
            EXPECT_NEAR(10 * std::log10(out / in), 0.0, 3.0);
        }
    }
}

TEST(CodecTest, ImaBlockHoldsItsFirstSampleAndDecodesAShortLastBlock)
{
    const FormatBlock ima = format(Tag::ImaAdpcm, 8000, 1);
    const WaveFields f = WaveFields::read(ima);
    EXPECT_EQ(f.blockAlign, 256);
    EXPECT_EQ(f.extraWord(0), 505);
    EXPECT_EQ(f.avgBytes, 4055u);

    std::vector<std::int16_t> samples = speechLike(8000, 505);
    std::vector<std::uint8_t> block(256);
    ImaEncoderState state;
    imaEncodeBlock(samples.data(), 1, 256, state, block.data());
    EXPECT_EQ(readS16(block.data()), samples[0]);

    // A file's last block may stop early: 4 header bytes and two groups give 17 samples.
    std::vector<std::int16_t> decoded(505);
    EXPECT_EQ(imaDecodeBlock(block.data(), 12, 1, decoded.data()), 17u);
    std::vector<std::int16_t> full(505);
    imaDecodeBlock(block.data(), 256, 1, full.data());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.begin() + 17, full.begin()));
}

TEST(CodecTest, LayerAnswersQueriesLikeACompressionManager)
{
    const FormatBlock ima = format(Tag::ImaAdpcm, 8000, 1);
    const FormatBlock pcm16 = format(Tag::Pcm, 8000, 1, 16);
    const FormatBlock pcm8 = format(Tag::Pcm, 8000, 1, 8);
    const FormatBlock gsm = format(Tag::Gsm610, 8000, 1);
    EXPECT_EQ(streamQuery(ima, pcm16), Result::Ok);
    EXPECT_EQ(streamQuery(pcm16, ima), Result::Ok);
    EXPECT_EQ(streamQuery(ima, pcm8), Result::NotPossible) << "codecs speak 16-bit PCM";
    EXPECT_EQ(streamQuery(ima, gsm), Result::NotPossible);
    EXPECT_EQ(streamQuery(pcm8, format(Tag::Pcm, 44100, 2, 16)), Result::Ok);

    FormatBlock suggestion = ima;
    suggestion[0] = 1;
    ASSERT_EQ(formatSuggest(ima, suggestion), Result::Ok);
    EXPECT_EQ(suggestion, pcm16);
    FormatBlock notPcm = ima;
    EXPECT_EQ(formatSuggest(ima, notPcm), Result::NotPossible);

    std::string text;
    FormatBlock broken = ima;
    broken[12] = 0xFF; // a block size that is no multiple of 4
    EXPECT_EQ(formatDetails(broken, text), Result::NotSupported);
    EXPECT_EQ(formatDetails(gsm, text), Result::Ok);
    EXPECT_EQ(text, "8.000 kHz, Mono, 1625 bytes/s");

    // GSM is mono only; G.711 has no 16-bit form.
    FormatBlock none{};
    EXPECT_NE(buildFormat(Tag::Gsm610, 8000, 2, 0, none), Result::Ok);
    EXPECT_NE(buildFormat(Tag::MuLaw, 8000, 1, 16, none), Result::Ok);
    EXPECT_NE(buildFormat(Tag::Pcm, 500, 1, 16, none), Result::Ok);
}

TEST(CodecTest, RateChangeKeepsDurationAndTone)
{
    const FormatBlock from = format(Tag::Pcm, 8000, 1, 8);
    const FormatBlock to = format(Tag::Pcm, 44100, 2, 16);
    std::vector<std::uint8_t> in(8000);
    const double pi = 3.14159265358979323846;
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] =
            static_cast<std::uint8_t>(128 + std::lround(100 * std::sin(2 * pi * 500 * i / 8000.0)));
    const std::vector<std::int16_t> out = toSamples(runStream(from, to, in, 1536));
    ASSERT_EQ(out.size(), 2u * 44100);
    double peak = 0;
    for (std::size_t i = 2000; i < out.size() - 2000; ++i) {
        EXPECT_EQ(out[i], out[i ^ 1]) << "both channels carry the mono source";
        peak = std::max(peak, double(std::abs(out[i])));
        const double expected = 100 * 256 * std::sin(2 * pi * 500 * (i / 2) / 44100.0);
        ASSERT_NEAR(out[i], expected, 300) << i;
    }
    EXPECT_GT(peak, 25000);
}

} // namespace
