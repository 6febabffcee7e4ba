// The vCard reader works on bytes line by line: lines are unfolded first (a line beginning
// with a blank continues the one before; in a quoted-printable value a line ending in "="
// does), then each line is split into its name, its parameters and its value.
#include "VCardReader.h"

#include <QStringDecoder>

namespace VCardReader {

namespace {

struct Line
{
    QByteArray name;          // upper case, without a group prefix ("item1.TEL" gives "TEL")
    QList<QByteArray> params; // upper-cased "TYPE=CELL", "QUOTED-PRINTABLE", ...
    QByteArray value;         // raw, not yet decoded
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The physical lines of the content; CRLF, LF and a lone CR all end a line.
QList<QByteArray> physicalLines(const QByteArray &content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines.append(content.mid(start));
    return lines;
}

// Finds where a line's name and parameters end (the first ':' outside double quotes) as the
// line grows by unfolding: only the text added since the last look is scanned, so that a
// hostile file of endless folds without a colon costs linear time.
class ColonFinder
{
public:
    // The colon's position in line, -1 while there is none; line only grows between calls.
    qsizetype find(const QByteArray &line)
    {
        for (; m_colon < 0 && m_scanned < line.size(); ++m_scanned) {
            if (line[m_scanned] == '"')
                m_quoted = !m_quoted;
            else if (line[m_scanned] == ':' && !m_quoted)
                m_colon = m_scanned;
        }
        return m_colon;
    }

private:
    qsizetype m_scanned = 0;
    qsizetype m_colon = -1;
    bool m_quoted = false;
};

qsizetype valueColon(const QByteArray &line)
{
    return ColonFinder().find(line);
}

bool isQuotedPrintable(const QByteArray &head)
{
    return head.toUpper().contains("QUOTED-PRINTABLE");
}

// Joins folded lines and quoted-printable soft line breaks into logical lines.
QList<QByteArray> logicalLines(const QByteArray &content)
{
    QList<QByteArray> logical;
    ColonFinder colon;
    bool quotedPrintable = false; // of the current line, known once its colon is
    bool headRead = false;        // whether quotedPrintable is known
    for (const QByteArray &line : physicalLines(content)) {
        const bool softBreakPending = !logical.isEmpty() && quotedPrintable &&
                                      logical.last().endsWith('=') &&
                                      logical.last().size() > colon.find(logical.last()) + 1;
        if (softBreakPending) {
            logical.last().chop(1); // the "=" of the soft break
            logical.last().append(line);
        } else if (!logical.isEmpty() && !line.isEmpty() && isBlank(line[0])) {
            logical.last().append(line.constData() + 1, line.size() - 1);
        } else {
            logical.append(line);
            colon = ColonFinder();
            quotedPrintable = false;
            headRead = false;
        }
        const qsizetype at = colon.find(logical.last());
        if (at >= 0 && !headRead) {
            quotedPrintable = isQuotedPrintable(logical.last().left(at));
            headRead = true;
        }
    }
    return logical;
}

// Splits at ';' outside double quotes.
QList<QByteArray> splitParams(const QByteArray &head)
{
    QList<QByteArray> parts;
    QByteArray part;
    bool quoted = false;
    for (const char c : head) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            parts.append(part);
            part.clear();
        } else {
            part.append(c);
        }
    }
    parts.append(part);
    return parts;
}

bool parseLine(const QByteArray &text, Line &line)
{
    const qsizetype colon = valueColon(text);
    if (colon < 0)
        return false;
    QList<QByteArray> parts = splitParams(text.left(colon));
    QByteArray name = parts.takeFirst().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    line.name = dot < 0 ? name : name.mid(dot + 1);
    line.params.clear();
    for (const QByteArray &p : parts)
        line.params.append(p.trimmed().toUpper());
    line.value = text.mid(colon + 1);
    return true;
}

// The value of a parameter "KEY=value" (without quotes), or a null array when absent.
QByteArray param(const Line &line, const QByteArray &key)
{
    for (const QByteArray &p : line.params) {
        if (p.startsWith(key + '=')) {
            QByteArray v = p.mid(key.size() + 1);
            v.replace('"', QByteArray());
            return v.isNull() ? QByteArray("") : v;
        }
    }
    return QByteArray();
}

bool hasParam(const Line &line, const QByteArray &bare)
{
    for (const QByteArray &p : line.params)
        if (p == bare)
            return true;
    return false;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "=XX" gives the byte XX; an "=" not followed by two hex digits is kept as it is.
QByteArray decodeQuotedPrintable(const QByteArray &value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && hexValue(value[i + 1]) >= 0 &&
            hexValue(value[i + 2]) >= 0) {
            bytes.append(char(hexValue(value[i + 1]) * 16 + hexValue(value[i + 2])));
            i += 2;
        } else {
            bytes.append(value[i]);
        }
    }
    return bytes;
}

QByteArray decodeTransfer(const Line &line)
{
    const QByteArray encoding = param(line, "ENCODING");
    if (encoding == "QUOTED-PRINTABLE" || hasParam(line, "QUOTED-PRINTABLE"))
        return decodeQuotedPrintable(line.value);
    if (encoding == "B" || encoding == "BASE64" || hasParam(line, "BASE64"))
        return QByteArray::fromBase64(line.value);
    return line.value;
}

// UTF-8 unless the line names a Latin-1 family charset; bytes that are not UTF-8 (old
// exports without a charset) are read as Latin-1 rather than shown as replacement marks.
QString decodeText(const Line &line)
{
    const QByteArray bytes = decodeTransfer(line);
    const QByteArray charset = param(line, "CHARSET");
    if (charset.startsWith("ISO-8859") || charset == "LATIN1" || charset == "WINDOWS-1252")
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Components split at unescaped ';', each with its escapes ("\n", "\,", "\;", "\\") undone.
QStringList components(const QString &value)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            part.append(next == QLatin1Char('n') || next == QLatin1Char('N') ? QLatin1Char(' ')
                                                                             : next);
        } else if (c == QLatin1Char(';')) {
            parts.append(part);
            part.clear();
        } else {
            part.append(c);
        }
    }
    parts.append(part);
    return parts;
}

// One line of plain text: controls become blanks, runs of blanks one, at most MaxTextLength.
QString showable(const QString &text)
{
    QString clean = text;
    for (QChar &c : clean)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char(' ');
    clean = clean.simplified();
    if (clean.size() > MaxTextLength)
        clean = clean.left(MaxTextLength).trimmed();
    return clean;
}

// N is "Family;Given;Additional;Prefix;Suffix"; shown in the order people say it.
QString nameFromN(const QString &value)
{
    const QStringList n = components(value);
    QStringList words;
    for (const int i : {3, 1, 2, 0, 4})
        if (i < n.size())
            words.append(QString(n[i]).replace(QLatin1Char(','), QLatin1Char(' ')));
    return showable(words.join(QLatin1Char(' ')));
}

QString percentDecoded(const QString &text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

// A TEL value: plain text in 2.1 and 3.0, a "tel:" URI in 4.0 (parameters such as ";ext="
// dropped). Other URIs (sip:, mailto:) hold no number to match a caller by.
QString number(const Line &line)
{
    QString value = decodeText(line).trimmed();
    const bool uri = param(line, "VALUE") == "URI";
    if (value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        value = percentDecoded(value.mid(4).section(QLatin1Char(';'), 0, 0));
    } else if (uri) {
        return QString();
    } else {
        value = components(value).join(QLatin1Char(' '));
    }
    value = showable(value);
    for (const QChar c : value)
        if (c.isDigit())
            return value;
    return QString();
}

// CATEGORIES is a list split at unescaped ','; each name is a group of the contact.
void addGroups(const QString &value, QStringList &groups)
{
    QString group;
    auto keep = [&] {
        const QString name = showable(group);
        if (!name.isEmpty() && !groups.contains(name, Qt::CaseInsensitive) &&
            groups.size() < MaxGroupsPerCard)
            groups.append(name);
        group.clear();
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size())
            group.append(value[++i]);
        else if (c == QLatin1Char(','))
            keep();
        else
            group.append(c);
    }
    keep();
}

struct Card
{
    QString fn, n, org;
    QStringList numbers;
    QStringList groups;
};

void finish(const Card &card, Result &result)
{
    QString name = card.fn;
    if (name.isEmpty())
        name = card.n;
    if (name.isEmpty())
        name = card.org;
    if (name.isEmpty() || card.numbers.isEmpty())
        ++result.skipped;
    else
        result.contacts.append({name, card.numbers, card.groups});
}

void take(const Line &line, Card &card)
{
    if (line.name == "FN" && card.fn.isEmpty()) {
        card.fn = showable(components(decodeText(line)).join(QLatin1Char(';')));
    } else if (line.name == "N" && card.n.isEmpty()) {
        card.n = nameFromN(decodeText(line));
    } else if (line.name == "ORG" && card.org.isEmpty()) {
        card.org = showable(components(decodeText(line)).value(0));
    } else if (line.name == "TEL" && card.numbers.size() < MaxNumbersPerCard) {
        const QString n = number(line);
        if (!n.isEmpty() && !card.numbers.contains(n))
            card.numbers.append(n);
    } else if (line.name == "CATEGORIES") {
        addGroups(decodeText(line), card.groups);
    }
}

// A file saved as UTF-16 (some Windows address books) is read as UTF-8 from here on.
QByteArray asUtf8(const QByteArray &content)
{
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return QString(utf16(content)).toUtf8();
    }
    if (content.startsWith("\xEF\xBB\xBF"))
        return content.mid(3);
    return content;
}

} // namespace

Result read(const QByteArray &content)
{
    Result result;
    Card card;
    int depth = 0; // cards nest in 2.1 (AGENT); only the outer card's lines count
    Line line;
    for (const QByteArray &text : logicalLines(asUtf8(content))) {
        if (!parseLine(text, line))
            continue;
        const bool isVCard = line.value.trimmed().toUpper() == "VCARD";
        if (line.name == "BEGIN" && isVCard) {
            if (++depth == 1)
                card = Card();
        } else if (line.name == "END" && isVCard) {
            if (depth == 1)
                finish(card, result);
            depth = std::max(0, depth - 1);
        } else if (depth == 1) {
            take(line, card);
        }
    }
    // A file cut short still gives its last card.
    if (depth >= 1)
        finish(card, result);
    return result;
}

} // namespace VCardReader
