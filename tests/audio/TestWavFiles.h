// WAV files of a speech-like signal in any compression, written through the codec layer.
#pragma once

#include "AudioTestSignals.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "audio/TdeWaveFormat.h"

#include <QFile>
#include <QString>

namespace testaudio {

// The 16-bit mono PCM source at rate and the file written from it in tag's compression.
inline bool writeSpeechWav(const QString &path, std::uint16_t tag, double seconds,
                           std::uint16_t bits = 0, std::uint32_t rate = 8000,
                           std::vector<std::int16_t> *source = nullptr)
{
    const std::vector<std::int16_t> samples = speechLike(rate, std::size_t(seconds * rate), 1);
    if (source)
        *source = samples;
    const codecs::FormatBlock pcm16 = format(1, rate, 1, 16);
    const codecs::FormatBlock target = format(tag, rate, 1, bits);
    const std::vector<std::uint8_t> bytes =
        tag == 1 && bits == 16 ? toBytes(samples) : runStream(pcm16, target, toBytes(samples));
    if (bytes.empty())
        return false;
    TdeWaveFormat f;
    f.Buffer() = target;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    TdeRIFFAudioWriter writer(file);
    writer.setFormat(f);
    writer.Write(bytes.data(), qint64(bytes.size()));
    writer.complete();
    return true;
}

} // namespace testaudio
