// The wave format record: a 128-byte image of the extended wave format header plus codec
// bytes, compared, copied and stored byte for byte.
#pragma once

#include "audio/codecs/WaveFields.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <stdexcept>

class FormatChooser;
class QIODevice;

class TdeWaveFormat
{
public:
    static constexpr int Size = 128;
    static constexpr int MaxExtraSize = 110;

    // A zero-filled record set to the defaults (PCM, stereo, 11025 Hz, 8 bits).
    TdeWaveFormat();
    virtual ~TdeWaveFormat() = default;
    TdeWaveFormat(const TdeWaveFormat &other) = default;
    TdeWaveFormat &operator=(const TdeWaveFormat &other) = default;

    virtual bool IsEqual(const TdeWaveFormat &other) const;
    // Sets the seven header fields to the defaults; the codec bytes keep their content.
    virtual void SetDefaults();

    void Assign(const TdeWaveFormat &other) { m_buffer = other.m_buffer; }

    std::uint16_t FormatTag() const { return word(0); }
    std::uint16_t Channels() const { return word(2); }
    std::uint32_t SamplesPerSec() const { return dword(4); }
    std::uint32_t AvgBytesPerSec() const { return dword(8); }
    std::uint16_t BlockAlign() const { return word(12); }
    std::uint16_t BitsPerSample() const { return word(14); }
    std::uint16_t CbSize() const { return word(16); }
    // cbSize clamped to the room in the record (0..110).
    int ExtraSize() const;

    void setFormatTag(std::uint16_t value) { setWord(0, value); }
    void setChannels(std::uint16_t value) { setWord(2, value); }
    void setSamplesPerSec(std::uint32_t value) { setDword(4, value); }
    void setAvgBytesPerSec(std::uint32_t value) { setDword(8, value); }
    void setBlockAlign(std::uint16_t value) { setWord(12, value); }
    void setBitsPerSample(std::uint16_t value) { setWord(14, value); }
    // Raises EACMError "The wave format buffer is too small." above 110.
    void setCbSize(std::uint16_t value);

    // The whole buffer, as the codec layer and the sound output take it.
    const codecs::FormatBlock &Buffer() const { return m_buffer; }
    codecs::FormatBlock &Buffer() { return m_buffer; }

    // Writes the 128 bytes at the device's position; a short write raises EACMError.
    void SaveToStream(QIODevice &stream) const;
    // Reads up to 128 bytes into the start of the buffer; the bytes not supplied keep their
    // content. Returns the count read. No validation is made.
    qint64 LoadFromStream(QIODevice &stream);
    // Reads a .cpn file (the record's bytes, no header). Raises FileAccessError when the file
    // cannot be opened.
    void LoadFromFile(const QString &path);

    // The stream form (the component property FormatBuffer): exactly the 128 bytes.
    QByteArray toBytes() const;
    // Loads like LoadFromStream from bytes; returns the count used (at most 128).
    int loadFromBytes(const QByteArray &bytes);

    // "<tag name>: <format text>" in the codec layer's wording; empty for an unknown format.
    QString FormatDescription() const;

    // Lets the user pick a format in chooser (see FormatChooser.h); true when a format was
    // picked and the record now holds it. A null chooser fails with "Function not supported.".
    bool Choose(FormatChooser *chooser, const QString &title);

private:
    std::uint16_t word(int at) const;
    std::uint32_t dword(int at) const;
    void setWord(int at, std::uint16_t value);
    void setDword(int at, std::uint32_t value);

    codecs::FormatBlock m_buffer{};
};

inline bool operator==(const TdeWaveFormat &a, const TdeWaveFormat &b)
{
    return a.IsEqual(b);
}

// A file the system would not open, with the system's reason.
class FileAccessError : public std::runtime_error
{
public:
    explicit FileAccessError(const QString &message) : std::runtime_error(message.toStdString()) {}
};
