// Playback of a one-hour recording in each compression: from Play until the sound sink takes
// the first decoded block, from a seek until it takes the first block at the new place, and the
// Play command's decoding of the whole recording for the trace. Needs a sound server (a null
// sink will do); without one the benchmarks are skipped.
#include "audio/StandardFormats.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "audio/codecs/CodecLayer.h"
#include "audio/out/MediaPlayer.h"
#include "audio/out/TfmAudio.h"
#include "support/MessageService.h"

#include <QAudioDevice>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <thread>
#include <vector>

namespace {

constexpr std::uint32_t Rate = 8000;

struct Compression
{
    const char *name;
    std::uint16_t tag, bits;
};
const Compression Compressions[] = {{"pcm8", 1, 8},  {"pcm16", 1, 16}, {"alaw", 6, 8},
                                    {"mulaw", 7, 8}, {"ima", 0x11, 4}, {"msadpcm", 2, 4},
                                    {"gsm", 0x31, 0}};

TdeWaveFormat format(std::uint16_t tag, std::uint16_t bits)
{
    TdeWaveFormat f;
    f.Buffer().fill(0);
    codecs::buildFormat(tag, Rate, 1, bits, f.Buffer());
    return f;
}

QTemporaryDir &dir()
{
    static QTemporaryDir d;
    return d;
}

// A one-hour file: a minute of speech-like sound in the compression, sixty times over.
QString hourFile(const Compression &c)
{
    static std::map<std::uint16_t, QString> made;
    const std::uint16_t key = std::uint16_t(c.tag * 64 + c.bits);
    if (made.count(key))
        return made[key];
    std::vector<std::uint8_t> pcm(std::size_t(Rate) * 60 * 2);
    for (std::size_t i = 0; i < pcm.size() / 2; ++i) {
        const double t = double(i) / Rate;
        const auto s = static_cast<std::int16_t>(
            std::lround((0.5 + 0.5 * std::sin(6.283 * 2.7 * t)) *
                        (6000 * std::sin(6.283 * 290 * t) + 3000 * std::sin(6.283 * 1210 * t))));
        pcm[2 * i] = std::uint8_t(s & 0xFF);
        pcm[2 * i + 1] = std::uint8_t((s >> 8) & 0xFF);
    }
    const TdeWaveFormat target = format(c.tag, c.bits);
    QByteArray minute;
    TdeAudioConvertor convertor;
    convertor.setFormatIn(format(1, 16));
    convertor.setFormatOut(target);
    convertor.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *d, qint64 n) {
        minute.append(reinterpret_cast<const char *>(d), n);
    };
    convertor.Open();
    convertor.Convert(pcm.data(), qint64(pcm.size()));
    convertor.flush();
    convertor.Close();

    const QString path = dir().filePath(QString("%1.wav").arg(c.name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    TdeRIFFAudioWriter writer(file);
    writer.setFormat(target);
    for (int i = 0; i < 60; ++i)
        writer.Write(minute.constData(), minute.size());
    writer.complete();
    made[key] = path;
    return path;
}

bool haveSound(benchmark::State &state)
{
    if (QMediaDevices::audioOutputs().isEmpty()) {
        state.SkipWithError("no sound server");
        return false;
    }
    return true;
}

// Runs the event loop until the sink has taken the first block; the time it took, in seconds.
double untilFirstBlock(MediaPlayer &player, const std::function<void()> &start)
{
    bool taken = false;
    player.onFirstBlock = [&] { taken = true; };
    QElapsedTimer clock;
    clock.start();
    start();
    while (!taken && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return double(clock.nsecsElapsed()) / 1e9;
}

void BM_PlayerStart(benchmark::State &state)
{
    if (!haveSound(state))
        return;
    const Compression &c = Compressions[state.range(0)];
    const QString path = hourFile(c);
    state.SetLabel(c.name);
    for (auto _ : state) {
        MediaPlayer player;
        player.FileName = path;
        state.SetIterationTime(untilFirstBlock(player, [&] {
            player.Open();
            player.Play();
        }));
    }
}

void BM_Seek(benchmark::State &state)
{
    if (!haveSound(state))
        return;
    const Compression &c = Compressions[state.range(0)];
    MediaPlayer player;
    player.FileName = hourFile(c);
    player.Open();
    state.SetLabel(c.name);
    qint64 target = 0;
    for (auto _ : state) {
        target = (target + 997 * 1000 + 123) % player.Length();
        state.SetIterationTime(untilFirstBlock(player, [&] {
            player.Seek(target);
            player.Resume();
        }));
    }
}

// The Play command: the format is checked, the trace's copy is decoded on another thread, and
// the player starts meanwhile; from Play until the sink takes the first block.
void BM_PlayCommandStart(benchmark::State &state)
{
    if (!haveSound(state))
        return;
    const Compression &c = Compressions[state.range(0)];
    const QString path = hourFile(c);
    state.SetLabel(c.name);
    for (auto _ : state) {
        MediaPlayer player;
        player.FileName = path;
        std::thread decode;
        state.SetIterationTime(untilFirstBlock(player, [&] {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            TdeRIFFAudioReader reader(file);
            TdeAudioConvertor probe;
            probe.setFormatIn(reader.TrackFormat(0));
            probe.setFormatOut(WorkingPcmFormat());
            probe.Open();
            probe.Close();
            decode = std::thread([&path] {
                QByteArray pcm;
                TdeAudioConvertor convertor;
                convertor.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *d,
                                                 qint64 n) {
                    pcm.append(reinterpret_cast<const char *>(d), n);
                };
                TfmAudio::decodeToWorkingPcm(path, convertor);
            });
            player.Open();
            player.Play();
        }));
        decode.join();
    }
}

// The trace's copy of the whole recording as working PCM (what LoadWav does), which the Play
// command leaves to another thread.
void BM_LoadWavHour(benchmark::State &state)
{
    const Compression &c = Compressions[state.range(0)];
    const QString path = hourFile(c);
    state.SetLabel(c.name);
    UnattendedMessageService messages;
    TfmAudio audio(messages);
    for (auto _ : state) {
        QBuffer pcm;
        pcm.open(QIODevice::ReadWrite);
        QElapsedTimer clock;
        clock.start();
        audio.LoadWav(path, pcm);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

BENCHMARK(BM_PlayerStart)->DenseRange(0, 6)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayCommandStart)
    ->DenseRange(0, 6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_Seek)->DenseRange(0, 6)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWavHour)
    ->DenseRange(0, 6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace
