// The chunk walk of a RIFF WAVE file.
#include "audio/TdeRIFFAudioReader.h"

#include "audio/EACMError.h"

#include <QtEndian>
#include <algorithm>
#include <string_view>

namespace {

[[noreturn]] void invalid(const QString &reason)
{
    throw EACMAudioReadError(QStringLiteral("Invalid file format."), reason);
}

bool plausibleId(const char *id)
{
    return std::all_of(id, id + 4, [](char c) { return c >= 0x20 && c <= 0x7E; });
}

} // namespace

TdeRIFFAudioReader::TdeRIFFAudioReader(QIODevice &stream) : TdeAbstractAudioReader(stream)
{
    parse();
}

void TdeRIFFAudioReader::parse()
{
    if (m_stream.isSequential())
        invalid(QStringLiteral("The file cannot be read from any position."));
    char head[12];
    const qint64 headSize = m_stream.read(head, 12);
    if (headSize <= 0)
        invalid(QStringLiteral("The file is empty."));
    if (headSize != 12)
        invalid(QStringLiteral("The file is too short (%1 bytes) to be a WAV file.").arg(headSize));
    if (std::string_view(head, 4) != "RIFF" || std::string_view(head + 8, 4) != "WAVE")
        invalid(QStringLiteral("The file does not begin as a RIFF WAVE file."));
    if (qFromLittleEndian<quint32>(head + 4) == 0)
        invalid(QStringLiteral("The RIFF header gives the file no length."));

    const qint64 end = m_stream.size();
    bool haveFormat = false;
    bool haveData = false;
    while (m_stream.pos() < end) {
        char chunk[8];
        // A fragment shorter than a chunk header after the last chunk is ignored.
        if (m_stream.read(chunk, 8) != 8)
            break;
        QByteArray id = QByteArray(chunk, 4).toUpper();
        const quint32 size = qFromLittleEndian<quint32>(chunk + 4);
        const qint64 body = m_stream.pos();
        if (id == "FMT ") {
            if (size > quint32(TdeWaveFormat::Size))
                invalid(QStringLiteral("The format chunk is %1 bytes long, more than a format "
                                       "description holds.")
                            .arg(size));
            Format.SetDefaults();
            char bytes[TdeWaveFormat::Size];
            const qint64 got = m_stream.read(bytes, size);
            if (got > 0)
                std::copy(bytes, bytes + got, Format.Buffer().begin());
            haveFormat = true;
        } else if (id == "DATA") {
            m_dataStart = body;
            m_dataSize = size;
            haveData = true;
        }
        if (haveFormat && haveData)
            break;
        const qint64 next = body + qint64(size);
        if (next >= end || !m_stream.seek(next))
            break;
        // Other writers follow an odd-sized chunk with a pad byte. When the bytes after the
        // chunk cannot be a chunk identifier but the ones a byte later can, step over it.
        if (size % 2 == 1) {
            char ahead[5];
            if (m_stream.read(ahead, 5) == 5 && !plausibleId(ahead) && plausibleId(ahead + 1))
                m_stream.seek(next + 1);
            else
                m_stream.seek(next);
        }
    }
    if (!haveFormat)
        invalid(QStringLiteral("The file has no format chunk."));
    if (!haveData)
        invalid(QStringLiteral("The file has no data chunk."));
    SelectTrack(0);
}

TdeWaveFormat TdeRIFFAudioReader::TrackFormat(int) const
{
    return Format;
}

void TdeRIFFAudioReader::SelectTrack(int)
{
    m_stream.seek(m_dataStart);
}

qint64 TdeRIFFAudioReader::ReadTrack(int track, void *buffer, qint64 count)
{
    SelectTrack(track);
    const qint64 wanted = std::min(count, m_dataSize);
    if (wanted <= 0)
        return 0;
    const qint64 got = m_stream.read(static_cast<char *>(buffer), wanted);
    return std::max<qint64>(got, 0);
}

qint64 TdeRIFFAudioReader::AvailableSize() const
{
    return std::clamp<qint64>(m_stream.size() - m_dataStart, 0, m_dataSize);
}

qint64 TdeRIFFAudioReader::ReadData(void *buffer, qint64 count)
{
    const qint64 left = m_dataStart + m_dataSize - m_stream.pos();
    const qint64 wanted = std::min(count, left);
    if (wanted <= 0)
        return 0;
    const qint64 got = m_stream.read(static_cast<char *>(buffer), wanted);
    return std::max<qint64>(got, 0);
}
