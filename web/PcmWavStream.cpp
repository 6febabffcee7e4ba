#include "PcmWavStream.h"

#include "audio/EACMError.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/codecs/CodecLayer.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

// Blocks decoded per step: enough for a network write, little enough to start at once.
constexpr qint64 BlocksPerStep = 16;

void putLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

} // namespace

std::unique_ptr<PcmWavStream> PcmWavStream::open(const QString &path, QString &error)
{
    std::unique_ptr<PcmWavStream> s(new PcmWavStream);
    s->m_file.setFileName(path);
    if (!s->m_file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the recording's file cannot be read: ") + s->m_file.errorString();
        return nullptr;
    }
    try {
        TdeRIFFAudioReader reader(s->m_file);
        s->m_format = reader.TrackFormat(0);
        reader.SelectTrack(0);
        s->m_dataStart = s->m_file.pos();
        s->m_dataSize = reader.AvailableSize();
    } catch (const EACMError &e) {
        error = QStringLiteral("the recording's file is not a WAV file this program reads");
        return nullptr;
    }
    const TdeWaveFormat &f = s->m_format;
    const std::uint32_t samples = codecs::samplesPerBlock(f.Buffer());
    if (f.Channels() == 0 || f.Channels() > 2 || f.SamplesPerSec() == 0 || f.BlockAlign() == 0 ||
        samples == 0) {
        error = QStringLiteral("the recording's compression cannot be played");
        return nullptr;
    }
    s->m_pcm.setFormatTag(1);
    s->m_pcm.setChannels(f.Channels());
    s->m_pcm.setSamplesPerSec(f.SamplesPerSec());
    s->m_pcm.setBitsPerSample(16);
    s->m_pcm.setBlockAlign(std::uint16_t(f.Channels() * 2));
    s->m_pcm.setAvgBytesPerSec(f.SamplesPerSec() * f.Channels() * 2);
    s->m_pcm.setCbSize(0);
    s->m_blockAlign = f.BlockAlign();
    s->m_pcmPerBlock = qint64(samples) * f.Channels() * 2;
    const bool passThrough = f.FormatTag() == 1 && f.BitsPerSample() == 16;
    if (!passThrough) {
        try {
            s->m_converter.setFormatIn(f);
            s->m_converter.setFormatOut(s->m_pcm);
            s->m_converter.Open();
        } catch (const EACMError &) {
            error = QStringLiteral("the recording's compression cannot be played");
            return nullptr;
        }
        PcmWavStream *self = s.get();
        s->m_converter.OnAudioConverted = [self](TdeAudioConvertor &, const std::uint8_t *data,
                                                 qint64 size) {
            self->m_pending.append(reinterpret_cast<const char *>(data), size);
        };
    }
    const qint64 wholeBlocks = s->m_dataSize / s->m_blockAlign;
    s->m_pcmSize = wholeBlocks * s->m_pcmPerBlock;
    if (s->m_dataSize % s->m_blockAlign != 0) {
        // The partial last block: decoded once to learn how much it gives.
        s->restartAt(wholeBlocks);
        while (s->decodeMore()) {
        }
        s->m_pcmSize += s->m_pending.size();
        s->m_pendingAt = -1;
    }
    return s;
}

PcmWavStream::~PcmWavStream() = default;

bool PcmWavStream::openRange(qint64 first, qint64 last)
{
    if (first < 0 || last < first || last >= convertedSize())
        return false;
    m_first = first;
    m_last = last;
    // Unbuffered: pos() in readData is the position asked for, with no read-ahead between.
    return QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

QByteArray PcmWavStream::header() const
{
    QByteArray h;
    h.reserve(HeaderSize);
    const quint32 data = quint32(std::min<qint64>(m_pcmSize, 0xFFFFFFFFLL - 36));
    h.append("RIFF");
    putLe32(h, 36 + data);
    h.append("WAVEfmt ");
    putLe32(h, 16);
    putLe16(h, 1);
    putLe16(h, m_pcm.Channels());
    putLe32(h, m_pcm.SamplesPerSec());
    putLe32(h, m_pcm.AvgBytesPerSec());
    putLe16(h, m_pcm.BlockAlign());
    putLe16(h, 16);
    h.append("data");
    putLe32(h, data);
    return h;
}

void PcmWavStream::restartAt(qint64 block)
{
    if (m_converter.Active()) {
        // A codec's state belongs to the bytes before the restart.
        m_converter.Close();
        m_converter.Open();
    }
    m_pending.clear();
    m_pendingAt = block * m_pcmPerBlock;
    m_nextBlock = block;
}

bool PcmWavStream::decodeMore()
{
    const qint64 from = m_nextBlock * m_blockAlign;
    if (from >= m_dataSize)
        return false;
    const qint64 count = std::min(m_dataSize - from, BlocksPerStep * m_blockAlign);
    if (!m_file.seek(m_dataStart + from))
        return false;
    const QByteArray bytes = m_file.read(count);
    if (bytes.isEmpty())
        return false;
    m_nextBlock += (bytes.size() + m_blockAlign - 1) / m_blockAlign;
    if (!m_converter.Active()) {
        m_pending.append(bytes);
        return true;
    }
    try {
        m_converter.Convert(bytes.constData(), bytes.size());
        if (m_nextBlock * m_blockAlign >= m_dataSize)
            m_converter.flush();
    } catch (const EACMError &) {
        return false;
    }
    return true;
}

bool PcmWavStream::readPcm(qint64 offset, char *out, qint64 count)
{
    while (count > 0) {
        const bool inPending = m_pendingAt >= 0 && offset >= m_pendingAt &&
                               offset <= m_pendingAt + m_pending.size() + m_pcmPerBlock;
        if (!inPending)
            restartAt(offset / m_pcmPerBlock);
        // Bytes before the offset are no longer needed.
        if (offset > m_pendingAt && offset - m_pendingAt <= m_pending.size()) {
            m_pending.remove(0, offset - m_pendingAt);
            m_pendingAt = offset;
        }
        while (m_pendingAt + m_pending.size() <= offset && decodeMore()) {
            if (offset - m_pendingAt > m_pending.size()) {
                m_pendingAt += m_pending.size();
                m_pending.clear();
            }
        }
        const qint64 available = m_pendingAt + m_pending.size() - offset;
        if (available <= 0 || offset < m_pendingAt) {
            // The decoder gave less than the size promised: silence keeps the length honest.
            std::memset(out, 0, size_t(count));
            return true;
        }
        const qint64 n = std::min(count, available);
        std::memcpy(out, m_pending.constData() + (offset - m_pendingAt), size_t(n));
        out += n;
        offset += n;
        count -= n;
    }
    return true;
}

qint64 PcmWavStream::readData(char *data, qint64 maxSize)
{
    const qint64 at = m_first + pos();
    const qint64 count = std::min(maxSize, m_last + 1 - at);
    if (count <= 0)
        return 0;
    qint64 done = 0;
    if (at < HeaderSize) {
        const QByteArray h = header();
        done = std::min(count, HeaderSize - at);
        std::memcpy(data, h.constData() + at, size_t(done));
    }
    if (done < count && !readPcm(at + done - HeaderSize, data + done, count - done))
        return -1;
    return count;
}
