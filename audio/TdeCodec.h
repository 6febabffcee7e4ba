// The codec catalogue: every installed codec driver with its names and the formats it
// offers, built on first use and rebuilt by Refresh.
#pragma once

#include "audio/TdeWaveFormat.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

struct CodecFormat
{
    QString Text;     // the format's display text, at most 128 characters
    QByteArray Block; // the format, MaxFormatSize bytes
    // The block as a wave format record (bytes past the block are zero).
    TdeWaveFormat Format() const;
};

class TdeCodec final
{
public:
    struct SupportFlags
    {
        bool Codec = false;
        bool Converter = false;
        bool Filter = false;
        bool Hardware = false;
        bool Async = false;
        bool Local = false;
        bool Disabled = false;
    };

    // Reads the driver's details and formats; raises EACMCodecError when a step fails.
    explicit TdeCodec(quint32 driverId);

    quint32 DriverId() const { return m_driverId; }
    const QString &ShortName() const { return m_shortName; }
    const QString &LongName() const { return m_longName; }
    const QString &Copyright() const { return m_copyright; }
    const QString &Licensing() const { return m_licensing; }
    const QString &Features() const { return m_features; }
    int priority() const { return m_priority; }
    const SupportFlags &Support() const { return m_support; }
    int maxFormatSize() const { return m_maxFormatSize; }
    int maxExtraSize() const { return m_maxFormatSize - 18; }
    // The format tags the driver owns.
    const QList<quint16> &Tags() const { return m_tags; }

    int formatCount() const { return int(m_formats.size()); }
    const CodecFormat &Format(int index) const { return m_formats[std::size_t(index)]; }

private:
    quint32 m_driverId;
    QString m_shortName;
    QString m_longName;
    QString m_copyright;
    QString m_licensing;
    QString m_features;
    int m_priority = 0;
    SupportFlags m_support;
    int m_maxFormatSize = 18;
    QList<quint16> m_tags;
    std::vector<CodecFormat> m_formats;
};

// The program-wide list of codecs.
class CodecCatalogue final
{
public:
    // Frees every codec and enumerates the installed drivers again; a driver that cannot be
    // examined is left out.
    static void Refresh();
    static int count();
    static const TdeCodec &Codec(int index);

private:
    static std::vector<std::unique_ptr<TdeCodec>> &list();
    static void ensureBuilt();
};
