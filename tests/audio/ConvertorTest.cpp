// The converter's chain, buffers, states and events; the result-code texts; the catalogue.
#include "AudioTestSignals.h"

#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeCodec.h"

#include <gtest/gtest.h>

using namespace testaudio;

namespace {

TdeWaveFormat record(const codecs::FormatBlock &block)
{
    TdeWaveFormat f;
    f.Buffer() = block;
    return f;
}

TdeWaveFormat fmt(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels,
                  std::uint16_t bits = 0)
{
    return record(format(tag, rate, channels, bits));
}

struct Collected
{
    std::vector<std::uint8_t> bytes;
    int events = 0;
    void attach(TdeAudioConvertor &c)
    {
        c.OnAudioConverted = [this](TdeAudioConvertor &, const std::uint8_t *data, qint64 size) {
            EXPECT_GT(size, 0);
            bytes.insert(bytes.end(), data, data + size);
            ++events;
        };
    }
};

template <class F> QString errorText(F action)
{
    try {
        action();
    } catch (const EACMError &e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

TEST(ConvertorTest, ChainGoesThroughPcmInAtMostThreeStages)
{
    using namespace codecs;
    struct Case
    {
        const char *name;
        TdeWaveFormat in;
        TdeWaveFormat out;
        std::vector<TdeWaveFormat> chain;
    };
    const TdeWaveFormat ima = ImaAdpcmDefaultFormat();
    const TdeWaveFormat pcm16 = fmt(Tag::Pcm, 8000, 1, 16);
    const TdeWaveFormat pcm16at22k = fmt(Tag::Pcm, 22050, 1, 16);
    const TdeWaveFormat ulaw = fmt(Tag::MuLaw, 8000, 1);
    const TdeWaveFormat ms22k = fmt(Tag::MsAdpcm, 22050, 1);
    const Case cases[] = {
        {"direct", ima, pcm16, {ima, pcm16}},
        {"through the suggested PCM", ima, WorkingPcmFormat(), {ima, pcm16, WorkingPcmFormat()}},
        {"codec to codec", ulaw, ima, {ulaw, pcm16, ima}},
        {"codec to codec at another rate", ulaw, ms22k, {ulaw, pcm16, pcm16at22k, ms22k}},
        {"PCM to PCM", WorkingPcmFormat(), pcm16at22k, {WorkingPcmFormat(), pcm16at22k}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TdeAudioConvertor convertor;
        convertor.setFormatIn(c.in);
        convertor.setFormatOut(c.out);
        convertor.Open();
        ASSERT_EQ(convertor.ChainFormats().size(), c.chain.size());
        for (std::size_t i = 0; i < c.chain.size(); ++i)
            EXPECT_TRUE(convertor.ChainFormats()[i].IsEqual(c.chain[i])) << i;
        EXPECT_EQ(convertor.stageCount(), int(c.chain.size()) - 1);
        convertor.Close();
    }

    TdeAudioConvertor impossible;
    TdeWaveFormat mp3;
    mp3.setFormatTag(0x55);
    impossible.setFormatIn(mp3);
    impossible.setFormatOut(WorkingPcmFormat());
    EXPECT_EQ(errorText([&] { impossible.Open(); }), "The requested operation cannot be performed.")
        << "no codec suggests a PCM form for an unknown tag";
    EXPECT_FALSE(impossible.Active());
    TdeWaveFormat stereoGsm = fmt(codecs::Tag::Gsm610, 8000, 1);
    stereoGsm.setChannels(2);
    impossible.setFormatIn(WorkingPcmFormat());
    impossible.setFormatOut(stereoGsm);
    EXPECT_EQ(errorText([&] { impossible.Open(); }), "The requested operation cannot be performed.")
        << "no codec takes stereo GSM";
    EXPECT_FALSE(impossible.Active());
}

TEST(ConvertorTest, StatesAreChecked)
{
    TdeAudioConvertor c;
    EXPECT_EQ(errorText([&] { c.Convert("x", 1); }),
              "Cannot perform this action while not active.");
    EXPECT_EQ(errorText([&] { c.Close(); }), "Cannot perform this action while not active.");
    c.setFormatOut(WorkingPcmFormat());
    c.setActive(true);
    c.setActive(true); // no change, no error
    EXPECT_EQ(errorText([&] { c.Open(); }), "Cannot perform this action while active.");
    EXPECT_EQ(errorText([&] { c.setRequestRealTime(true); }),
              "Cannot perform this action while active.");
    // A new input format waits for the next opening.
    c.setFormatIn(ImaAdpcmDefaultFormat());
    EXPECT_TRUE(c.ChainFormats().front().IsEqual(TdeWaveFormat()));
    c.setActive(false);
    c.Open();
    EXPECT_TRUE(c.ChainFormats().front().IsEqual(ImaAdpcmDefaultFormat()));
}

TEST(ConvertorTest, ShortFeedsAreHeldAndTheBufferIsFixedAtTheFirstConversion)
{
    TdeAudioConvertor c;
    Collected out;
    out.attach(c);
    c.setFormatIn(ImaAdpcmDefaultFormat());
    c.setFormatOut(fmt(codecs::Tag::Pcm, 8000, 1, 16));
    c.Open();
    const std::vector<std::uint8_t> ima =
        runStream(format(codecs::Tag::Pcm, 8000, 1, 16), ImaAdpcmDefaultFormat().Buffer(),
                  toBytes(speechLike(8000, 505 * 8)));
    ASSERT_EQ(ima.size(), 8u * 256);

    c.Convert(ima.data(), 200); // less than a block
    EXPECT_EQ(out.events, 0);
    EXPECT_FALSE(c.Stage(0).prepared());
    c.Convert(ima.data() + 200, 100);
    EXPECT_EQ(out.events, 1);
    EXPECT_EQ(out.bytes.size(), 505u * 2);
    EXPECT_EQ(c.Stage(0).Capacity(), 900) << "three times the 300 bytes held then";
    EXPECT_EQ(c.Stage(0).Held(), 44);
    c.Convert(ima.data() + 300, 800);
    EXPECT_EQ(out.bytes.size(), 4u * 505 * 2);
    EXPECT_EQ(errorText([&] { c.Convert(ima.data() + 1100, 948); }),
              "Audio is too large to fit into conversion buffer");
    EXPECT_TRUE(c.Active());

    // The held bytes are decoded in full, short block and all, when the stream ends.
    c.Convert(ima.data() + 1100, 800);
    // 108 bytes stay after seven blocks: a header and 26 groups of 8 samples.
    EXPECT_EQ(c.Stage(0).Held(), 108);
    c.flush();
    EXPECT_EQ(out.bytes.size(), (7u * 505 + 26 * 8 + 1) * 2);
}

TEST(ConvertorTest, PcmCapacityFollowsTheFirstFeed)
{
    TdeAudioConvertor c;
    c.setFormatIn(WorkingPcmFormat());
    c.setFormatOut(fmt(codecs::Tag::Pcm, 8000, 1, 16));
    c.Open();
    const std::vector<std::uint8_t> bytes(400, 0x80);
    c.Convert(bytes.data(), 100);
    EXPECT_EQ(c.Stage(0).Capacity(), 300);
    EXPECT_EQ(errorText([&] { c.Convert(bytes.data(), 400); }),
              "Audio is too large to fit into conversion buffer");
}

TEST(ConvertorTest, RecordingChainMatchesTheCodecsAndKeepsEveryBlock)
{
    // The modem's IMA ADPCM in 2048-byte blocks to 8-bit PCM, as the live trace takes it.
    TdeAudioConvertor c;
    Collected out;
    out.attach(c);
    c.setFormatIn(ImaAdpcmDefaultFormat());
    c.setFormatOut(WorkingPcmFormat());
    c.Open();
    const std::vector<std::int16_t> source = speechLike(8000, 505 * 40);
    const std::vector<std::uint8_t> ima = runStream(
        format(codecs::Tag::Pcm, 8000, 1, 16), ImaAdpcmDefaultFormat().Buffer(), toBytes(source));
    for (std::size_t at = 0; at < ima.size(); at += 2048)
        c.Convert(ima.data() + at, qint64(std::min<std::size_t>(2048, ima.size() - at)));
    c.flush();
    c.Close();
    const std::vector<std::int16_t> pcm16 = toSamples(
        runStream(ImaAdpcmDefaultFormat().Buffer(), format(codecs::Tag::Pcm, 8000, 1, 16), ima));
    ASSERT_EQ(out.bytes.size(), pcm16.size());
    for (std::size_t i = 0; i < pcm16.size(); ++i)
        ASSERT_EQ(out.bytes[i], std::clamp((pcm16[i] + 128) >> 8, -128, 127) + 128) << i;
}

TEST(AudioResultTest, CodesHaveTheirTexts)
{
    struct Case
    {
        int code;
        const char *text;
    };
    const Case cases[] = {
        {2, "Bad device ID."},
        {3, "Driver not enabled."},
        {4, "Device already allocated."},
        {5, "The specified handle is invalid."},
        {6, "A suitable driver is not available to provide valid format selections."},
        {7, "The system is unable to allocate resources."},
        {8, "Function not supported."},
        {10, "At least one flag is invalid."},
        {11, "At least one parameter is invalid."},
        {12, "Device handle in use."},
        {32, "The selected audio format is not supported on this machine."},
        {33, "Audio device is still playing."},
        {34, "Cannot perform this action on a header that has not been prepared."},
        {35, "Device is synchronous."},
        {512, "The requested operation cannot be performed."},
        {513, "The conversion stream is already in use."},
        {514, "Cannot perform this action on a header that has not been prepared."},
        {9, "An unexpected error has occurred (code #9)."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(errorText([&] { CheckAudioResult<EACMCodecError>(c.code, QString()); }), c.text);
    }
    EXPECT_NO_THROW(CheckAudioResult<EACMError>(0, "context"));
    EXPECT_THROW(CheckAudioResult<EACMConversionError>(8, "x"), EACMConversionError);
    EXPECT_EQ(errorText([] { CheckAudioResult<EACMError>(8, "Error opening driver."); }),
              "Error opening driver.\r\nFunction not supported.");
}

TEST(CatalogueTest, ListsEveryCodecWithItsFormats)
{
    CodecCatalogue::Refresh();
    ASSERT_EQ(CodecCatalogue::count(), 6);
    QStringList names;
    int total = 0;
    for (int i = 0; i < CodecCatalogue::count(); ++i) {
        const TdeCodec &codec = CodecCatalogue::Codec(i);
        names << codec.ShortName();
        total += codec.formatCount();
        for (int f = 0; f < codec.formatCount(); ++f) {
            EXPECT_EQ(codec.Format(f).Block.size(), codec.maxFormatSize());
            EXPECT_FALSE(codec.Format(f).Format().FormatDescription().isEmpty());
        }
    }
    EXPECT_EQ(names, QStringList({"PCM", "IMA ADPCM", "MS-ADPCM", "CCITT A-Law", "CCITT u-Law",
                                  "GSM 6.10"}));
    // PCM: 4 rates x 2 sizes x 2 channel counts; GSM: 4 mono rates; the rest 4 x 2.
    EXPECT_EQ(total, 16 + 8 + 8 + 8 + 8 + 4);
    const TdeCodec &ima = CodecCatalogue::Codec(1);
    EXPECT_TRUE(ima.Format(0).Format().IsEqual(ImaAdpcmDefaultFormat()));
    EXPECT_TRUE(ima.Support().Codec);
    EXPECT_EQ(ima.maxExtraSize(), 2);
}

} // namespace
