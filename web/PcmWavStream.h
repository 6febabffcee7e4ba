// A recording as a 16-bit PCM WAV file for browsers, which cannot play IMA ADPCM, GSM 6.10 or
// most other compressions of the codec layer: the audio is decoded on demand, a few blocks at
// a time, so that any byte range of the converted file is served without decoding what comes
// before it (the decoder restarts at the codec block that holds the range's start). The size
// of the converted file is known from the first: every whole block decodes to the same
// number of samples, and the last, partial block is decoded once when opening.
#pragma once

#include "audio/TdeAudioConvertor.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <memory>

class PcmWavStream final : public QIODevice
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PcmWavStream)

public:
    static constexpr qint64 HeaderSize = 44;

    // Nothing, with the reason in error, when path is not a WAV file the codec layer reads.
    static std::unique_ptr<PcmWavStream> open(const QString &path, QString &error);
    ~PcmWavStream() override;

    // The size of the whole converted file.
    qint64 convertedSize() const { return HeaderSize + m_pcmSize; }
    // The bytes first..last (inclusive) of the converted file become the device's content;
    // then it is opened for reading.
    bool openRange(qint64 first, qint64 last);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_last - m_first + 1; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    PcmWavStream() = default;
    QByteArray header() const;
    // Decoded bytes of the data part, at offset, into out; false when the file fails.
    bool readPcm(qint64 offset, char *out, qint64 count);
    void restartAt(qint64 block);
    bool decodeMore();

    QFile m_file;
    TdeAudioConvertor m_converter;
    TdeWaveFormat m_format, m_pcm;
    qint64 m_dataStart = 0, m_dataSize = 0;
    qint64 m_blockAlign = 1;
    qint64 m_pcmPerBlock = 0; // decoded bytes of one whole block
    qint64 m_pcmSize = 0;
    qint64 m_first = 0, m_last = -1;

    QByteArray m_pending;    // decoded bytes starting at data offset m_pendingAt
    qint64 m_pendingAt = -1; // -1: no decoder position yet
    qint64 m_nextBlock = 0;  // the next block to decode
};
