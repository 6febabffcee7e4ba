// Any reply a modem may send, however malformed, is parsed without a crash, a hang or a
// field longer than the table can hold: each line as a compression line, the whole text as
// a gain-range reply.
#include "modem/capabilities/CompressionRow.h"
#include "modem/capabilities/GainRange.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace {
void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isClass(const QString &description)
{
    return description == QLatin1String("UNSIGNED PCM") ||
           description == QLatin1String("SIGNED PCM") || description == QLatin1String("ULAW") ||
           description == QLatin1String("ALAW");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Modem replies are bytes; the program reads them as Latin-1.
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));

    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const std::optional<CompressionRow> row = ParseVsmLine(line.trimmed());
        if (!row)
            continue;
        check(isClass(row->Description));
        for (const QString *field :
             {&row->cml, &row->cmid, &row->bps, &row->tm, &row->vsr, &row->scs, &row->sel})
            check(field->size() <= CompressionRow::FieldLength);
        const QString command = BuildVsmCommand(*row);
        check(command.startsWith(QLatin1String("at+vsm=")));
    }

    for (const char *prefix : {"+VGR:", "+VGT:"}) {
        const GainPair pair = ParseGainRange(text, QLatin1String(prefix), {7, 9});
        check(pair == GainPair{7, 9} || pair == GainPair{-1, -1} || pair.first < pair.second);
        check(middleGainCommand(QStringLiteral("at+vgr="), pair)
                  .startsWith(QLatin1String("at+vgr=")));
    }
    return 0;
}
