// The voice encoders: G.711 against sox for every 16-bit sample, IMA ADPCM by decoding it.
#include "vmodem/VoiceEncoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <numbers>

using namespace vmodem;

namespace {

std::vector<std::int16_t> everySample()
{
    std::vector<std::int16_t> all;
    for (int v = -32768; v <= 32767; ++v)
        all.push_back(static_cast<std::int16_t>(v));
    return all;
}

// sox's encoding of 16-bit little-endian samples, or empty when sox cannot run.
QByteArray soxEncode(const std::vector<std::int16_t> &samples, const QString &encoding)
{
    QTemporaryDir dir;
    QFile in(dir.filePath("in.raw"));
    if (!in.open(QIODevice::WriteOnly))
        return {};
    for (std::int16_t s : samples) {
        const char bytes[2] = {static_cast<char>(s & 0xff), static_cast<char>((s >> 8) & 0xff)};
        in.write(bytes, 2);
    }
    in.close();
    QProcess sox;
    sox.start("sox", {"-D",
                      "-t",
                      "raw",
                      "-r",
                      "8000",
                      "-e",
                      "signed-integer",
                      "-b",
                      "16",
                      "-c",
                      "1",
                      "-L",
                      in.fileName(),
                      "-t",
                      "raw",
                      "-e",
                      encoding,
                      "-b",
                      "8",
                      dir.filePath("out.raw")});
    if (!sox.waitForFinished(60000) || sox.exitCode() != 0)
        return {};
    QFile out(dir.filePath("out.raw"));
    return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
}

TEST(VmodemEncoder, G711AgreesWithSoxForEverySample)
{
    if (QStandardPaths::findExecutable("sox").isEmpty())
        GTEST_SKIP() << "sox is not installed";
    const std::vector<std::int16_t> all = everySample();
    struct Case
    {
        const char *soxName;
        Encoding encoding;
    };
    for (const Case &c : {Case{"mu-law", Encoding::MuLaw}, Case{"a-law", Encoding::ALaw}}) {
        SCOPED_TRACE(c.soxName);
        const QByteArray expected = soxEncode(all, c.soxName);
        ASSERT_EQ(expected.size(), 65536);
        std::string ours;
        makeBuiltinEncoder(c.encoding)->encode(all, ours);
        ASSERT_EQ(ours.size(), 65536u);
        int mismatches = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            if (ours[i] != expected[static_cast<qsizetype>(i)] && ++mismatches <= 5)
                ADD_FAILURE() << "sample " << all[i] << ": ours "
                              << int(static_cast<unsigned char>(ours[i])) << ", sox "
                              << int(static_cast<unsigned char>(
                                     expected[static_cast<qsizetype>(i)]));
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// The published IMA ADPCM decoder, low nibble first.
std::vector<int> decodeIma(const std::string &bytes)
{
    static const std::array<int, 16> indexStep = {-1, -1, -1, -1, 2, 4, 6, 8,
                                                  -1, -1, -1, -1, 2, 4, 6, 8};
    static const std::array<int, 89> steps = {
        7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
        25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
        88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
        307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
        1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
        3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
        12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
    std::vector<int> out;
    int predicted = 0;
    int index = 0;
    for (char byte : bytes) {
        for (int code :
             {static_cast<unsigned char>(byte) & 0x0f, static_cast<unsigned char>(byte) >> 4}) {
            const int step = steps[static_cast<std::size_t>(index)];
            int diff = step >> 3;
            if (code & 4)
                diff += step;
            if (code & 2)
                diff += step >> 1;
            if (code & 1)
                diff += step >> 2;
            predicted = std::clamp(predicted + ((code & 8) ? -diff : diff), -32768, 32767);
            index = std::clamp(index + indexStep[static_cast<std::size_t>(code)], 0, 88);
            out.push_back(predicted);
        }
    }
    return out;
}

TEST(VmodemEncoder, ImaAdpcmDecodesBackToTheSignal)
{
    std::vector<std::int16_t> tone;
    for (int i = 0; i < 8000; ++i)
        tone.push_back(
            static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * 440 * i / 8000.0)));
    auto encoder = makeBuiltinEncoder(Encoding::ImaAdpcm);
    EXPECT_EQ(encoder->samplesPerUnit(), 2);
    std::string bytes;
    // Fed in odd-sized pieces: the half-filled byte carries over.
    encoder->encode(std::span(tone).first(1001), bytes);
    encoder->encode(std::span(tone).subspan(1001), bytes);
    ASSERT_EQ(bytes.size(), 4000u);
    const std::vector<int> decoded = decodeIma(bytes);
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 200; i < tone.size(); ++i) { // after the predictor has settled
        signal += double(tone[i]) * tone[i];
        noise += double(tone[i] - decoded[i]) * (tone[i] - decoded[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 20.0);
}

TEST(VmodemEncoder, LinearEncodingsPlaceTheSampleBits)
{
    const std::int16_t samples[] = {-32768, -256, 0, 255, 4096, 32767};
    std::string u8, s8, s16;
    makeBuiltinEncoder(Encoding::Unsigned8)->encode(samples, u8);
    makeBuiltinEncoder(Encoding::Signed8)->encode(samples, s8);
    makeBuiltinEncoder(Encoding::Linear16)->encode(samples, s16);
    EXPECT_EQ(u8, std::string("\x00\x7f\x80\x80\x90\xff", 6));
    EXPECT_EQ(s8, std::string("\x80\xff\x00\x00\x10\x7f", 6));
    EXPECT_EQ(s16, std::string("\x00\x80\x00\xff\x00\x00\xff\x00\x00\x10\xff\x7f", 12));
    EXPECT_EQ(makeBuiltinEncoder(Encoding::Unsupported), nullptr);
}

} // namespace
