// Finishing a WAV file whose sizes were not brought up to date before the recording stopped
// (the program was killed, the machine lost power).
#pragma once

#include <QString>
#include <optional>

struct RecoveredWav
{
    qint64 dataBytes = 0;
    quint32 avgBytesPerSec = 0;
};

// Sets the RIFF and data sizes from the file's length, dropping a last partial block.
// No value when the file is not a WAV file with a format and a data chunk.
std::optional<RecoveredWav> completeWavFile(const QString &path);
