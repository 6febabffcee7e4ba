// Decoding a WAV file for the sink in small steps.
#include "audio/out/DecodingSource.h"

#include "audio/EACMError.h"
#include "audio/out/MediaPlayer.h"
#include "audio/out/QtWaveOut.h"

namespace {
// File bytes decoded per step: small, so that the first sound comes at once.
constexpr qint64 StepBytes = 4096;
} // namespace

DecodingSource::DecodingSource(const QString &path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw MediaPlayerError(MediaPlayer::FileNotFound,
                               MediaPlayer::ErrorText(MediaPlayer::FileNotFound));
    try {
        m_reader = std::make_unique<TdeRIFFAudioReader>(m_file);
        m_format = m_reader->TrackFormat(0);
        m_reader->SelectTrack(0);
        m_dataStart = m_file.pos();
        m_dataSize = m_reader->AvailableSize();
        m_pcm.setFormatTag(1);
        m_pcm.setChannels(m_format.Channels());
        m_pcm.setSamplesPerSec(m_format.SamplesPerSec());
        const int bits = m_format.FormatTag() == 1 && m_format.BitsPerSample() == 8 ? 8 : 16;
        m_pcm.setBitsPerSample(std::uint16_t(bits));
        m_pcm.setBlockAlign(std::uint16_t(m_pcm.Channels() * bits / 8));
        m_pcm.setAvgBytesPerSec(m_pcm.SamplesPerSec() * m_pcm.BlockAlign());
        m_pcm.setCbSize(0);
        if (m_format.AvgBytesPerSec() == 0 || m_format.BlockAlign() == 0 || !sinkFormat(m_pcm))
            throw EACMAudioReadError(QStringLiteral("Invalid file format."));
        m_converter.setFormatIn(m_format);
        m_converter.setFormatOut(m_pcm);
        m_converter.Open();
    } catch (const EACMError &) {
        throw MediaPlayerError(MediaPlayer::InvalidFile,
                               MediaPlayer::ErrorText(MediaPlayer::InvalidFile));
    }
    m_converter.OnAudioConverted = [this](TdeAudioConvertor &, const std::uint8_t *data,
                                          qint64 size) {
        m_ready.append(reinterpret_cast<const char *>(data), size);
    };
    QIODevice::open(QIODevice::ReadOnly);
}

DecodingSource::~DecodingSource() = default;

qint64 DecodingSource::lengthMs() const
{
    return m_dataSize * 1000 / m_format.AvgBytesPerSec();
}

qint64 DecodingSource::seekMs(qint64 ms)
{
    const qint64 align = m_format.BlockAlign();
    const qint64 block = ms * qint64(m_format.AvgBytesPerSec()) / 1000 / align;
    m_readPos = std::min(block * align, m_dataSize);
    restartDecoder();
    return m_readPos * 1000 / m_format.AvgBytesPerSec();
}

void DecodingSource::restartDecoder()
{
    // A codec's state belongs to the bytes before the seek; it starts afresh at the block.
    m_converter.Close();
    m_converter.Open();
    m_ready.clear();
    m_readyAt = 0;
    m_fileDone = false;
    m_delivered = false;
}

qint64 DecodingSource::bytesAvailable() const
{
    return m_ready.size() - m_readyAt + QIODevice::bytesAvailable();
}

void DecodingSource::decodeMore()
{
    if (m_readyAt > 0) {
        m_ready.remove(0, m_readyAt);
        m_readyAt = 0;
    }
    while (!m_fileDone && m_ready.isEmpty()) {
        char bytes[StepBytes];
        qint64 got = 0;
        if (m_file.seek(m_dataStart + m_readPos))
            got = m_file.read(bytes, std::min(StepBytes, m_dataSize - m_readPos));
        try {
            if (got > 0) {
                m_readPos += got;
                m_converter.Convert(bytes, got);
            } else {
                m_converter.flush();
                m_fileDone = true;
            }
        } catch (const EACMError &) {
            m_fileDone = true; // a damaged block ends the playback there
        }
    }
}

qint64 DecodingSource::readData(char *data, qint64 maxSize)
{
    qint64 done = 0;
    while (done < maxSize) {
        if (m_readyAt == m_ready.size()) {
            decodeMore();
            if (m_ready.isEmpty())
                break;
        }
        const qint64 n = std::min(maxSize - done, qint64(m_ready.size()) - m_readyAt);
        std::memcpy(data + done, m_ready.constData() + m_readyAt, std::size_t(n));
        m_readyAt += n;
        done += n;
    }
    if (done > 0 && !m_delivered) {
        m_delivered = true;
        if (onFirstBytes)
            onFirstBytes();
    }
    return done;
}
