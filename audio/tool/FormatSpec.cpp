// Parsing and resolving format names of the command line.
#include "FormatSpec.h"

#include "audio/codecs/CodecLayer.h"

namespace {

struct Keyword
{
    const char *name;
    quint16 tag;
};

constexpr Keyword Keywords[] = {
    {"pcm", codecs::Tag::Pcm},          {"ulaw", codecs::Tag::MuLaw},
    {"alaw", codecs::Tag::ALaw},        {"ima-adpcm", codecs::Tag::ImaAdpcm},
    {"ms-adpcm", codecs::Tag::MsAdpcm}, {"gsm", codecs::Tag::Gsm610},
};

bool parseField(const QString &text, quint32 limit, quint32 &value)
{
    if (text.isEmpty())
        return true; // left open
    bool ok = false;
    const uint v = text.toUInt(&ok);
    if (!ok || v > limit)
        return false;
    value = v;
    return true;
}

} // namespace

QStringList FormatTagKeywords()
{
    QStringList list;
    for (const Keyword &k : Keywords)
        list << QString::fromLatin1(k.name);
    return list;
}

QString FormatTagKeyword(quint16 tag)
{
    for (const Keyword &k : Keywords) {
        if (k.tag == tag)
            return QString::fromLatin1(k.name);
    }
    return QString();
}

std::optional<FormatSpec> ParseFormatSpec(const QString &text, QString &error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    FormatSpec wanted;
    const QString name = parts[0].toLower();
    bool known = false;
    for (const Keyword &k : Keywords) {
        if (name == QLatin1String(k.name)) {
            wanted.tag = k.tag;
            known = true;
        }
    }
    if (!known) {
        error = QStringLiteral("unknown format \"%1\" (known: %2)")
                    .arg(parts[0].left(40), FormatTagKeywords().join(QStringLiteral(", ")));
        return std::nullopt;
    }
    quint32 rate = 0;
    quint32 bits = 0;
    quint32 channels = 0;
    if (parts.size() > 4 || (parts.size() > 1 && !parseField(parts[1], 10000000, rate)) ||
        (parts.size() > 2 && !parseField(parts[2], 64, bits)) ||
        (parts.size() > 3 && !parseField(parts[3], 64, channels))) {
        error = QStringLiteral("bad format \"%1\": expected TAG[:RATE[:BITS[:CHANNELS]]]")
                    .arg(text.left(80));
        return std::nullopt;
    }
    wanted.rate = rate;
    wanted.bits = quint16(bits);
    wanted.channels = quint16(channels);
    return wanted;
}

std::optional<TdeWaveFormat> ResolveFormatSpec(const FormatSpec &wanted, const TdeWaveFormat &input,
                                               QString &error)
{
    const quint32 rate = wanted.rate ? wanted.rate : input.SamplesPerSec();
    quint16 channels = wanted.channels ? wanted.channels : input.Channels();
    if (wanted.tag == codecs::Tag::Gsm610 && !wanted.channels)
        channels = 1; // GSM is mono; a stereo input is mixed down
    quint16 bits = wanted.bits;
    if (!bits && wanted.tag == codecs::Tag::Pcm)
        bits = input.FormatTag() == codecs::Tag::Pcm && input.BitsPerSample() == 8 ? 8 : 16;
    TdeWaveFormat format;
    format.Buffer().fill(0);
    if (codecs::buildFormat(wanted.tag, rate, channels, bits, format.Buffer()) !=
        codecs::Result::Ok) {
        error = QStringLiteral("no %1 format with %2 Hz, %3 bits, %4 channel(s)")
                    .arg(FormatTagKeyword(wanted.tag))
                    .arg(rate)
                    .arg(bits ? QString::number(bits) : QStringLiteral("default"))
                    .arg(channels);
        return std::nullopt;
    }
    return format;
}

QString FormatSpecText(const TdeWaveFormat &format)
{
    return QStringLiteral("%1:%2:%3:%4")
        .arg(FormatTagKeyword(format.FormatTag()))
        .arg(format.SamplesPerSec())
        .arg(format.BitsPerSample())
        .arg(format.Channels());
}
