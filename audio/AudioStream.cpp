// The writing and track-walking parts common to every audio stream.
#include "audio/AudioStream.h"

#include "audio/EACMError.h"

#include <QFileDevice>

TdeAbstractAudioWriter::TdeAbstractAudioWriter(QIODevice &stream)
    : TdeAbstractAudioStream(stream), m_start(stream.pos())
{}

void TdeAbstractAudioWriter::Write(const void *data, qint64 size)
{
    if (size <= 0)
        return;
    if (m_written == 0) {
        WriteHeader();
        WriteData(data, size);
        m_written += size;
        AfterFirstWrite();
    } else {
        WriteData(data, size);
        m_written += size;
    }
}

void TdeAbstractAudioWriter::writeChecked(const void *data, qint64 size)
{
    // A write cut short (the disk filled up in its middle) is continued: the write that then
    // fails names the reason ("No space left on device"), where the short one named none.
    const char *bytes = static_cast<const char *>(data);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = m_stream.write(bytes + done, size - done);
        if (n <= 0)
            break;
        done += n;
    }
    bool ok = done == size;
    // A buffered file reports a full disk only when its buffer goes out.
    if (ok) {
        if (auto *file = qobject_cast<QFileDevice *>(&m_stream))
            ok = file->flush();
    }
    if (!ok)
        throw EACMAudioStreamError(
            QStringLiteral("Cannot write the audio data: %1").arg(m_stream.errorString()));
}

void TdeAbstractAudioWriter::seekChecked(qint64 position)
{
    if (!m_stream.seek(position))
        throw EACMAudioStreamError(
            QStringLiteral("Cannot write the audio data: %1").arg(m_stream.errorString()));
}

void TdeAbstractAudioReader::selectLastTrack()
{
    SelectTrack(TrackCount() - 1);
    m_current = TrackCount() - 1;
    m_end = true;
}

void TdeAbstractAudioReader::selectNextTrack()
{
    if (m_current >= TrackCount() - 1) {
        m_end = true;
        return;
    }
    ++m_current;
    SelectTrack(m_current);
}
