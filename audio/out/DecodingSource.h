// A WAV file's audio decoded on demand to PCM, read by the sound sink as it plays: the file is
// read and converted a few thousand bytes at a time, and a seek restarts the decoder at the
// codec block that holds the position.
#pragma once

#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <functional>
#include <memory>

class DecodingSource final : public QIODevice
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DecodingSource)

public:
    // Opens path; raises MediaPlayerError (file not found, or a file it cannot play).
    explicit DecodingSource(const QString &path);
    ~DecodingSource() override;

    // The PCM form it delivers: the file's rate and channels, 16 bits (8 for 8-bit PCM files).
    const TdeWaveFormat &pcmFormat() const { return m_pcm; }
    qint64 lengthMs() const;
    // Restarts at the block holding ms (0 <= ms <= lengthMs()); returns the position reached.
    qint64 seekMs(qint64 ms);
    // Every byte of the file has been delivered.
    bool exhausted() const { return m_fileDone && m_ready.size() == m_readyAt; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

    // Called with the count of the first bytes delivered after a seek or opening.
    std::function<void()> onFirstBytes;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void decodeMore();
    void restartDecoder();

    QFile m_file;
    std::unique_ptr<TdeRIFFAudioReader> m_reader;
    TdeAudioConvertor m_converter;
    TdeWaveFormat m_format;
    TdeWaveFormat m_pcm;
    qint64 m_dataStart = 0;
    qint64 m_dataSize = 0;
    qint64 m_readPos = 0; // data offset of the next file byte to decode
    QByteArray m_ready;   // decoded bytes; m_readyAt of them are delivered
    qint64 m_readyAt = 0;
    bool m_fileDone = false;
    bool m_delivered = false;
};
