// What a recording cut off by a crash leaves: an 8 kHz 8-bit mono WAV header whose sizes were
// never written, followed by the sound received (silence here).
#pragma once

#include <QByteArray>
#include <QIODevice>

inline void writeCutOffRecording(QIODevice &out, int dataBytes)
{
    out.write(QByteArray("RIFF\0\0\0\0WAVEfmt "
                         "\x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0"
                         "data\0\0\0\0",
                         44));
    out.write(QByteArray(dataBytes, char(128)));
}
