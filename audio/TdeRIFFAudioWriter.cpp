// The RIFF writer: header at the first write, sizes patched when done.
#include "audio/TdeRIFFAudioWriter.h"

#include "audio/EACMError.h"

#include <QtEndian>

namespace {

void putU32(char *p, quint32 value)
{
    qToLittleEndian(value, p);
}

} // namespace

TdeRIFFAudioWriter::TdeRIFFAudioWriter(QIODevice &stream) : TdeAbstractAudioWriter(stream) {}

TdeRIFFAudioWriter::~TdeRIFFAudioWriter()
{
    if (m_written > 0 && !m_finished) {
        try {
            Finish();
        } catch (const EACMError &) {
            // Nothing can report it here; complete() is the way to learn of it.
        }
    }
}

void TdeRIFFAudioWriter::WriteHeader()
{
    // PCM keeps the 16-byte form without cbSize; other formats carry cbSize and their bytes.
    const quint32 fmtSize = Format.FormatTag() == 1 ? 16u : 18u + quint32(Format.ExtraSize());
    QByteArray head;
    head.reserve(28 + int(fmtSize));
    char number[4];
    head.append("RIFF", 4);
    putU32(number, 0);
    head.append(number, 4);
    head.append("WAVE", 4);
    head.append("fmt ", 4);
    putU32(number, fmtSize);
    head.append(number, 4);
    head.append(reinterpret_cast<const char *>(Format.Buffer().data()), int(fmtSize));
    writeChecked(head.constData(), head.size());
    m_dataHeader = m_stream.pos();
    head.clear();
    head.append("data", 4);
    putU32(number, 0);
    head.append(number, 4);
    writeChecked(head.constData(), head.size());
}

qint64 TdeRIFFAudioWriter::MaxDataSize() const
{
    const qint64 headerBytes = m_written > 0 ? m_dataHeader + 8 - m_start : 28 + 18 + 110;
    return qint64(0xFFFFFFFFu) + 8 - headerBytes;
}

void TdeRIFFAudioWriter::WriteData(const void *data, qint64 size)
{
    // Past 4 GiB the sizes would wrap and the file would read as something else.
    if (m_written + size > MaxDataSize())
        throw EACMAudioStreamError(
            QStringLiteral("Cannot write the audio data: the WAV file would exceed 4 GiB."));
    writeChecked(data, size);
}

// The sizes count the bytes whose writing succeeded: after a failed write (a full disk) the
// stream's position may lie beyond them, and the file must still read as what it holds.
void TdeRIFFAudioWriter::patchSizes()
{
    const qint64 end = m_dataHeader + 8 + m_written;
    char number[4];
    seekChecked(m_start + 4);
    putU32(number, quint32(end - (m_start + 8)));
    writeChecked(number, 4);
    seekChecked(m_dataHeader + 4);
    putU32(number, quint32(end - (m_dataHeader + 8)));
    writeChecked(number, 4);
    seekChecked(end);
}

void TdeRIFFAudioWriter::refreshSizes()
{
    if (m_written > 0)
        patchSizes();
}

void TdeRIFFAudioWriter::Finish()
{
    m_finished = true;
    patchSizes();
}

void TdeRIFFAudioWriter::complete()
{
    if (m_written > 0 && !m_finished)
        Finish();
}
