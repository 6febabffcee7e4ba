// The wave format record's fields, persistence and description.
#include "audio/TdeWaveFormat.h"

#include "audio/EACMError.h"
#include "audio/FormatChooser.h"
#include "audio/codecs/CodecLayer.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>

TdeWaveFormat::TdeWaveFormat()
{
    SetDefaults();
}

bool TdeWaveFormat::IsEqual(const TdeWaveFormat &other) const
{
    return m_buffer == other.m_buffer;
}

void TdeWaveFormat::SetDefaults()
{
    setFormatTag(1);
    setChannels(2);
    setSamplesPerSec(11025);
    setAvgBytesPerSec(22050);
    setBlockAlign(2);
    setBitsPerSample(8);
    setWord(16, 0);
}

int TdeWaveFormat::ExtraSize() const
{
    return std::min<int>(CbSize(), MaxExtraSize);
}

void TdeWaveFormat::setCbSize(std::uint16_t value)
{
    if (value > MaxExtraSize)
        throw EACMError(QStringLiteral("The wave format buffer is too small."));
    setWord(16, value);
}

std::uint16_t TdeWaveFormat::word(int at) const
{
    return static_cast<std::uint16_t>(m_buffer[at] | (m_buffer[at + 1] << 8));
}

std::uint32_t TdeWaveFormat::dword(int at) const
{
    return word(at) | (static_cast<std::uint32_t>(word(at + 2)) << 16);
}

void TdeWaveFormat::setWord(int at, std::uint16_t value)
{
    m_buffer[at] = static_cast<std::uint8_t>(value & 0xFF);
    m_buffer[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void TdeWaveFormat::setDword(int at, std::uint32_t value)
{
    setWord(at, static_cast<std::uint16_t>(value & 0xFFFF));
    setWord(at + 2, static_cast<std::uint16_t>(value >> 16));
}

void TdeWaveFormat::SaveToStream(QIODevice &stream) const
{
    const qint64 written = stream.write(reinterpret_cast<const char *>(m_buffer.data()), Size);
    if (written != Size)
        throw EACMError(
            QStringLiteral("Cannot write the wave format: %1").arg(stream.errorString()));
}

qint64 TdeWaveFormat::LoadFromStream(QIODevice &stream)
{
    char bytes[Size];
    const qint64 count = stream.read(bytes, Size);
    if (count <= 0)
        return 0;
    std::copy(bytes, bytes + count, m_buffer.begin());
    return count;
}

void TdeWaveFormat::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileAccessError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    LoadFromStream(file);
}

QByteArray TdeWaveFormat::toBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_buffer.data()), Size);
}

int TdeWaveFormat::loadFromBytes(const QByteArray &bytes)
{
    const int count = static_cast<int>(std::min<qsizetype>(bytes.size(), Size));
    std::copy(bytes.begin(), bytes.begin() + count, m_buffer.begin());
    return count;
}

QString TdeWaveFormat::FormatDescription() const
{
    QString prefix;
    std::string name;
    if (codecs::tagDetails(FormatTag(), name) == codecs::Result::Ok)
        prefix = QString::fromStdString(name) + QStringLiteral(": ");
    std::string text;
    if (codecs::formatDetails(m_buffer, text) != codecs::Result::Ok)
        return QString();
    return prefix + QString::fromStdString(text);
}

bool TdeWaveFormat::Choose(FormatChooser *chooser, const QString &title)
{
    codecs::FormatBlock work = m_buffer;
    const codecs::Result result =
        chooser ? chooser->choose(work, title) : codecs::Result::NotSupported;
    if (result == codecs::Result::Ok) {
        m_buffer = work;
        return true;
    }
    if (result == codecs::Result::Cancelled)
        return false;
    CheckAudioResult<EACMConversionError>(result, QStringLiteral("Error selecting format."));
    return false;
}
