// Reply lines come in many shapes (commas or semicolons, quoted or bare names, rates in
// parentheses, 3, 5 or 7 fields); fields are taken from the front one at a time.
#include "CompressionRow.h"

#include "ReplyText.h"

#include <QStringList>

bool CompressionRow::operator==(const CompressionRow &o) const
{
    return Description == o.Description && cml == o.cml && cmid == o.cmid && bps == o.bps &&
           tm == o.tm && vsr == o.vsr && scs == o.scs && sel == o.sel && VSMCommand == o.VSMCommand;
}

namespace {

// Deletes every "(...)" group; false when a "(" has no ")" after it.
bool withoutGroups(QString text, QString &result)
{
    while (true) {
        const qsizetype open = text.indexOf(QLatin1Char('('));
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char(')'), open);
        if (close < 0)
            return false;
        text.remove(open, close - open + 1);
    }
    result = text;
    return true;
}

QString takeField(QString &line, QChar separator)
{
    line = line.trimmed();
    QString field;
    if (line.startsWith(QLatin1Char('('))) {
        field = line.left(line.indexOf(QLatin1Char(')')) + 1);
    } else {
        const qsizetype at = line.indexOf(separator);
        field = at >= 0 ? line.left(at) : line;
    }
    line.remove(0, field.size());
    line = line.trimmed();
    if (!line.isEmpty())
        line.remove(0, 1);
    removeFirstParentheses(field);
    return field.left(CompressionRow::FieldLength);
}

QString firstValue(const QString &field)
{
    for (QChar stop : {QLatin1Char(','), QLatin1Char('-')}) {
        const qsizetype at = field.indexOf(stop);
        if (at >= 0)
            return field.left(at);
    }
    return field;
}

// Each rate found replaces the choice, so the order below decides which rate wins.
QString chooseRate(const QString &rates, const QString &bps)
{
    QStringList order;
    if (bps == QLatin1String("2") || bps == QLatin1String("4") || bps == QLatin1String("8") ||
        bps == QLatin1String("0"))
        order = {"4800", "11025", "9200", "7200", "8000"};
    else if (bps == QLatin1String("12") || bps == QLatin1String("16"))
        order = {"4800", "9200", "11025", "8000", "7200"};
    else if (bps.isEmpty())
        order = {"4800", "9200", "11025", "7200", "8000"};
    QString chosen;
    for (const QString &rate : order) {
        if (rates.contains(rate))
            chosen = rate;
    }
    return chosen;
}

std::optional<QString> classify(QString &cmid)
{
    QString name = cmid.toUpper();
    if (name == QLatin1String("SIGNED LINEAR")) {
        cmid = QStringLiteral("SIGNED PCM");
        name = cmid;
    }
    auto has = [&](std::initializer_list<const char *> words) {
        for (const char *w : words) {
            if (name.contains(QLatin1String(w)))
                return true;
        }
        return false;
    };
    if (has({"UNSIGNED PCM", "LINEAR"}))
        return QStringLiteral("UNSIGNED PCM");
    if (has({"SIGNED PCM"}))
        return QStringLiteral("SIGNED PCM");
    if (has({"ULAW", "M-LAW", "U-LAW", "G.711U"}))
        return QStringLiteral("ULAW");
    if (has({"ALAW", "A-LAW", "G.711A"}))
        return QStringLiteral("ALAW");
    return std::nullopt;
}

} // namespace

std::optional<CompressionRow> ParseVsmLine(const QString &input)
{
    CompressionRow row;
    QString line = input;
    const qsizetype prefix = line.toUpper().indexOf(QLatin1String("+VSM:"));
    if (prefix >= 0)
        line.remove(prefix, 5);

    if (line.contains(QLatin1Char(',')))
        row.separator = QLatin1Char(',');
    else if (line.contains(QLatin1Char(';')))
        row.separator = QLatin1Char(';');
    else
        return std::nullopt;

    QString outside;
    if (!withoutGroups(line, outside))
        return std::nullopt;
    const qsizetype fields = outside.count(row.separator) + 1;

    line = line.trimmed();
    if (fields == 3) {
        row.cml = takeField(line, row.separator);
        row.cmid = takeField(line, row.separator);
        row.vsr = chooseRate(takeField(line, row.separator), row.bps);
    } else if (fields == 5 || fields == 7) {
        row.cml = takeField(line, row.separator);
        row.cmid = takeField(line, row.separator);
        row.bps = takeField(line, row.separator);
        row.tm = takeField(line, row.separator);
        row.vsr = chooseRate(takeField(line, row.separator), row.bps);
        if (fields == 7) {
            row.scs = firstValue(takeField(line, row.separator));
            row.sel = firstValue(takeField(line, row.separator));
        }
    }

    const std::optional<QString> description = classify(row.cmid);
    if (!description)
        return std::nullopt;
    row.Description = *description;

    const QString bits = row.bps.trimmed();
    if (bits.isEmpty() || bits == QLatin1String("0")) {
        const QString name = row.cmid.toUpper();
        if (name.contains(QLatin1String("8-BIT")) || name.contains(QLatin1String("8BIT")))
            row.bps = QStringLiteral("8"); // NOLINT(bugprone-branch-clone): 8-bit wins over 16
        else if (name.contains(QLatin1String("16-BIT")) || name.contains(QLatin1String("16BIT")))
            row.bps = QStringLiteral("16");
        else
            row.bps = QStringLiteral("8");
    }
    return row;
}

QString BuildVsmCommand(const CompressionRow &row)
{
    QString command = QStringLiteral("at+vsm=");
    for (const QString *part : {&row.cml, &row.vsr, &row.scs, &row.sel}) {
        if (!part->isEmpty())
            command += *part + row.separator;
    }
    if (command.endsWith(row.separator))
        command.chop(1);
    return command;
}
