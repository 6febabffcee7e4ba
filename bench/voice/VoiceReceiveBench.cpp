// One hour (and a four-hour call for memory) of a recording through the voice receive path: 8-bit
// unsigned 8 kHz modem bytes, DLE-shielded and read in serial-port-sized batches, unshielded,
// analysed for a hang-up and written as IMA ADPCM or GSM 6.10 into a WAV file on disk.
//
// --write-raw=FILE writes the same hour, unshielded, as raw bytes and exits, so that another
// converter can be timed on exactly this audio.
#include "BenchRun.h"
#include "audio/StandardFormats.h"
#include "audio/TdeCodec.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "modem/voice/VoiceReceiver.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

constexpr int Rate = 8000;
constexpr std::size_t Samples = std::size_t(Rate) * 3600;
// What one read of the serial port typically hands over.
constexpr std::size_t Batch = 1024;

// Speech-like audio: a voiced sound with a wandering pitch and two formants, cut into
// syllables by a slow envelope, with pauses and a little line noise. Peaks reach the
// bottom of the range, so the modem has 0x10 bytes to shield.
const std::vector<std::uint8_t> &rawHour()
{
    static const std::vector<std::uint8_t> samples = [] {
        std::vector<std::uint8_t> s(Samples);
        std::uint32_t noise = 2463534242u;
        double phase = 0;
        for (std::size_t i = 0; i < Samples; ++i) {
            const double t = double(i) / Rate;
            const double pitch = 120 + 30 * std::sin(2 * std::numbers::pi * 0.4 * t);
            phase += 2 * std::numbers::pi * pitch / Rate;
            const double syllable = std::max(0.0, std::sin(2 * std::numbers::pi * 2.3 * t));
            const double phrase = std::sin(2 * std::numbers::pi * 0.07 * t) > -0.6 ? 1.0 : 0.0;
            const double voice =
                0.55 * std::sin(phase) + 0.3 * std::sin(5 * phase) + 0.15 * std::sin(17 * phase);
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double v = 125 * syllable * phrase * voice + double(int(noise >> 29) - 4);
            s[i] = std::uint8_t(std::clamp(std::lround(128 + v), 0L, 255L));
        }
        return s;
    }();
    return samples;
}

// The hour as the modem sends it: every 0x10 doubled.
const std::vector<std::uint8_t> &modemHour()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b;
        b.reserve(Samples + Samples / 16);
        for (std::uint8_t v : rawHour()) {
            b.push_back(v);
            if (v == 0x10)
                b.push_back(v);
        }
        return b;
    }();
    return bytes;
}

TdeWaveFormat gsmFormat()
{
    for (int i = 0; i < CodecCatalogue::count(); ++i) {
        const TdeCodec &codec = CodecCatalogue::Codec(i);
        for (int f = 0; f < codec.formatCount(); ++f) {
            const TdeWaveFormat format = codec.Format(f).Format();
            if (format.FormatTag() == codecs::Tag::Gsm610 && format.SamplesPerSec() == 8000 &&
                format.Channels() == 1)
                return format;
        }
    }
    throw std::runtime_error("no GSM 6.10 8000 Hz mono format installed");
}

void receiveHour(benchmark::State &state, const TdeWaveFormat &fileFormat)
{
    const std::vector<std::uint8_t> &input = modemHour();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.wav"));
    qint64 fileSize = 0;
    int hangupCounter = 0;
    qint64 displayBlocks = 0;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            state.SkipWithError("cannot create the WAV file");
            return;
        }
        {
            TdeRIFFAudioWriter writer(file);
            writer.setFormat(fileFormat);
            VoiceReceiver receiver;
            receiver.onFileData = [&](const std::uint8_t *data, qint64 size) {
                writer.Write(data, size);
            };
            receiver.onDisplayBlock = [&](std::span<const std::uint8_t>) { ++displayBlocks; };
            VoiceReceiver::Setup setup;
            setup.modemFormat = WorkingPcmFormat();
            setup.fileFormat = fileFormat;
            setup.formatName = QStringLiteral("UNSIGNED PCM");
            setup.bitsPerSample = QStringLiteral("8");
            setup.sampleRate = Rate;
            setup.discTimeSeconds = 10;
            setup.analyse = true;
            setup.displayTrace = true;
            receiver.PrepareReceive(setup);
            for (std::size_t at = 0; at < input.size(); at += Batch)
                receiver.receiveBatch(input.data() + at, qint64(std::min(Batch, input.size() - at)),
                                      false);
            receiver.Finish();
            writer.complete();
            hangupCounter = receiver.HangupCounter();
        }
        fileSize = file.size();
        file.close();
    }
    state.counters["file_MB"] = double(fileSize) / 1e6;
    state.counters["hangup_counter"] = hangupCounter;
    state.counters["display_blocks"] = double(displayBlocks) / double(state.iterations());
    state.counters["x_realtime"] = benchmark::Counter(3600.0, benchmark::Counter::kIsRate);
}

void ReceiveHourImaAdpcm(benchmark::State &state)
{
    receiveHour(state, ImaAdpcmDefaultFormat());
}
void ReceiveHourGsm610(benchmark::State &state)
{
    receiveHour(state, gsmFormat());
}

BENCHMARK(ReceiveHourImaAdpcm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(ReceiveHourGsm610)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// Resident memory of this process in kB, from /proc/self/status.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A call of four hours, faster than real time: the program's resident memory must stay flat
// from the first minute to the last (rss_growth_MB), whatever the call's length.
void FourHourCallMemory(benchmark::State &state)
{
    const std::vector<std::uint8_t> &hour = modemHour();
    const std::size_t minute = hour.size() / 60;
    QTemporaryDir dir;
    long afterFirstMinute = 0;
    long atEnd = 0;
    for (auto _ : state) {
        QFile file(dir.filePath(QStringLiteral("call.wav")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            state.SkipWithError("cannot create the WAV file");
            return;
        }
        TdeRIFFAudioWriter writer(file);
        writer.setFormat(ImaAdpcmDefaultFormat());
        VoiceReceiver receiver;
        receiver.onFileData = [&](const std::uint8_t *data, qint64 size) {
            writer.Write(data, size);
        };
        receiver.onDisplayBlock = [](std::span<const std::uint8_t>) {};
        VoiceReceiver::Setup setup;
        setup.modemFormat = WorkingPcmFormat();
        setup.fileFormat = ImaAdpcmDefaultFormat();
        setup.formatName = QStringLiteral("UNSIGNED PCM");
        setup.bitsPerSample = QStringLiteral("8");
        setup.expectConnect = true;
        receiver.PrepareReceive(setup);
        const QByteArray connect("\r\nCONNECT\r\n");
        receiver.receiveBatch(reinterpret_cast<const std::uint8_t *>(connect.constData()),
                              connect.size(), false);
        for (int h = 0; h < 4; ++h) {
            for (std::size_t at = 0; at < hour.size(); at += Batch) {
                receiver.receiveBatch(hour.data() + at, qint64(std::min(Batch, hour.size() - at)),
                                      false);
                // The program refreshes the file's sizes every two seconds.
                if (at % (Batch * 16) == 0)
                    writer.refreshSizes();
                if (h == 0 && at <= minute && at + Batch > minute)
                    afterFirstMinute = residentKb();
            }
        }
        receiver.Finish();
        writer.complete();
        atEnd = residentKb();
    }
    state.counters["rss_first_minute_MB"] = double(afterFirstMinute) / 1024;
    state.counters["rss_end_MB"] = double(atEnd) / 1024;
    state.counters["rss_growth_MB"] = double(atEnd - afterFirstMinute) / 1024;
}

BENCHMARK(FourHourCallMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

bool writeRaw(const char *path)
{
    std::FILE *out = std::fopen(path, "wb");
    if (!out)
        return false;
    const std::vector<std::uint8_t> &raw = rawHour();
    const bool ok = std::fwrite(raw.data(), 1, raw.size(), out) == raw.size();
    return std::fclose(out) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    constexpr const char *RawFlag = "--write-raw=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], RawFlag, std::strlen(RawFlag)) == 0) {
            if (writeRaw(argv[i] + std::strlen(RawFlag)))
                return 0;
            std::fprintf(stderr, "cannot write %s\n", argv[i] + std::strlen(RawFlag));
            return 1;
        }
    }
    return runBenchmarks(argc, argv);
}
