// Line-based reading of modem replies; a line ends at a carriage return or a line feed.
#include "ModemReply.h"

#include <QStringView>

namespace ModemReply {

namespace {
bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Calls f(line, start, endAfterTerminator) for every complete line until f returns true.
template <typename F> bool forEachCompleteLine(const QString &text, F f)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineEnd(text[i]))
            continue;
        const qsizetype lineEnd = i;
        qsizetype next = i + 1;
        // "\r\n" belongs to one line.
        if (text[i] == QLatin1Char('\r') && next < text.size() && text[next] == QLatin1Char('\n'))
            ++next;
        if (f(QStringView(text).mid(start, lineEnd - start), start, next))
            return true;
        start = next;
        i = next - 1;
    }
    return false;
}

QStringView trimmedView(QStringView line)
{
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && isBlankOrControl(line[b]))
        ++b;
    while (e > b && isBlankOrControl(line[e - 1]))
        --e;
    return line.mid(b, e - b);
}

bool lineIs(QStringView line, const char *upper, const char *lower)
{
    const QStringView t = trimmedView(line);
    return t == QLatin1String(upper) || t == QLatin1String(lower);
}

bool lineBegins(QStringView line, const char *upper, const char *lower)
{
    const QStringView t = trimmedView(line);
    return t.startsWith(QLatin1String(upper)) || t.startsWith(QLatin1String(lower));
}

bool anyLine(const QString &text, bool (*test)(QStringView, const char *, const char *),
             const char *upper, const char *lower)
{
    return forEachCompleteLine(
        text, [&](QStringView line, qsizetype, qsizetype) { return test(line, upper, lower); });
}

CallerIdLine findTagged(const QString &text, const char *upper, const char *lower)
{
    CallerIdLine found;
    forEachCompleteLine(text, [&](QStringView line, qsizetype, qsizetype end) {
        qsizetype at = line.indexOf(QLatin1String(upper));
        if (at < 0)
            at = line.indexOf(QLatin1String(lower));
        if (at < 0)
            return false;
        QStringView tagged = line.mid(at);
        const qsizetype eq = tagged.indexOf(QLatin1Char('='));
        if (eq >= 0)
            tagged = tagged.mid(eq + 1);
        found.found = true;
        found.value = cleanCallerText(tagged.toString());
        found.end = end;
        return true;
    });
    return found;
}
} // namespace

Kind classify(const QString &text)
{
    if (anyLine(text, lineIs, "OK", "ok"))
        return Kind::Ok;
    if (anyLine(text, lineBegins, "ERROR", "error"))
        return Kind::Error;
    if (anyLine(text, lineBegins, "CONNECT", "connect"))
        return Kind::Connect;
    return Kind::None;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Ok:
        return QStringLiteral("ok");
    case Kind::Error:
        return QStringLiteral("error");
    case Kind::Connect:
        return QStringLiteral("connect");
    case Kind::None:
        break;
    }
    return {};
}

CallerIdLine findCallerId(const QString &text)
{
    CallerIdLine line = findTagged(text, "ERRM", "errm");
    if (line.found) {
        line.isError = true;
        return line;
    }
    return findTagged(text, "NMBR", "nmbr");
}

bool hasRing(const QString &text)
{
    return anyLine(text, lineBegins, "RING", "ring");
}

QString replyBeforeOk(const QString &text)
{
    qsizetype okStart = -1;
    forEachCompleteLine(text, [&](QStringView line, qsizetype start, qsizetype) {
        if (!lineIs(line, "OK", "ok"))
            return false;
        okStart = start;
        return true;
    });
    return trimControls(okStart < 0 ? text : text.left(okStart));
}

void appendBounded(QString &replyText, const QString &received)
{
    replyText += received;
    if (replyText.size() > MaxReplyLength)
        replyText.remove(0, replyText.size() - MaxReplyLength);
}

QString cleanCallerText(const QString &text)
{
    QString clean;
    clean.reserve(std::min(text.size(), MaxCallerTextLength * 2));
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            continue;
        clean.append(c);
        if (clean.size() > MaxCallerTextLength * 2)
            break;
    }
    clean = trimControls(clean);
    if (clean.size() > MaxCallerTextLength)
        clean = trimControls(clean.left(MaxCallerTextLength));
    return clean;
}

QString trimControls(const QString &text)
{
    return trimmedView(QStringView(text)).toString();
}

} // namespace ModemReply
