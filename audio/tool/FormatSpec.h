// The command line's names of formats: "tag[:rate[:bits[:channels]]]", e.g. "ima-adpcm:8000:4:1".
#pragma once

#include "audio/TdeWaveFormat.h"

#include <QString>
#include <QStringList>
#include <optional>

struct FormatSpec
{
    quint16 tag = 0;
    quint32 rate = 0;     // 0: as the input
    quint16 bits = 0;     // 0: the tag's usual size (PCM: as a PCM input, else 16)
    quint16 channels = 0; // 0: as the input
};

// The tag keywords, in listing order.
QStringList FormatTagKeywords();
QString FormatTagKeyword(quint16 tag); // empty for a tag without a keyword

// Parses text; on failure returns nothing and sets error.
std::optional<FormatSpec> ParseFormatSpec(const QString &text, QString &error);
// The complete format for wanted, filling what it leaves open from input; on failure returns
// nothing and sets error.
std::optional<TdeWaveFormat> ResolveFormatSpec(const FormatSpec &wanted, const TdeWaveFormat &input,
                                               QString &error);
// The text that selects format, e.g. "gsm:8000:0:1".
QString FormatSpecText(const TdeWaveFormat &format);
