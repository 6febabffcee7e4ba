// Gain range replies come bare ("0-255"), in parentheses, or after a list of other values.
#include "GainRange.h"

#include "ReplyText.h"

GainPair ParseGainRange(const QString &reply, const QString &prefix, GainPair current)
{
    QString text = reply;
    const qsizetype at = text.toUpper().indexOf(prefix.toUpper());
    if (at >= 0)
        text.remove(at, 5);
    removeFirstParentheses(text);
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0)
        text.remove(0, comma + 1);
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash < 0)
        return current;
    bool ok = false;
    int low = text.left(dash).trimmed().toInt(&ok);
    if (!ok)
        low = 0;
    int high = text.mid(dash + 1).trimmed().toInt(&ok);
    if (!ok)
        high = 255;
    return low < high ? GainPair{low, high} : GainPair{-1, -1};
}

QString middleGainCommand(const QString &command, GainPair range)
{
    // Integer division truncates toward zero, so (-1, -1) gives -1. The sum is taken wide:
    // a modem may report numbers near the integer limits.
    return command + QString::number((qint64(range.first) + range.second) / 2);
}
