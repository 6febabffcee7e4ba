// The profile-file format: "[section]" lines, "key=value" lines, ";" comments. Names match
// without regard to letter case and keep the case they were first written with. Untouched
// lines are kept byte for byte, so a damaged line never costs the rest of the file.
#include "TIniFile.h"

#include "support/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

QString decode(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

bool sameName(const QByteArray &stored, const QString &wanted)
{
    return decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

// The name of a "[section]" line, or an empty array when the line is not one.
bool sectionName(const QByteArray &line, QByteArray &name)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    name = t.mid(1, close - 1).trimmed();
    return true;
}

bool keyName(const QByteArray &line, QByteArray &name)
{
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return false;
    name = t.left(eq).trimmed();
    return !name.isEmpty();
}

QByteArray valueOf(const QByteArray &line)
{
    return line.mid(line.indexOf('=') + 1).trimmed();
}

struct Location
{
    int sectionLine = -1;
    int keyLine = -1;
    int lastContentLine = -1; // last non-blank line of the section, where new keys go after
};

// Finds the first section of that name and, within it, the first key of that name.
Location locate(const QList<QByteArray> &lines, const QString &section, const QString &key)
{
    Location at;
    QByteArray name;
    for (int i = 0; i < lines.size(); ++i) {
        if (sectionName(lines[i], name)) {
            if (at.sectionLine >= 0)
                break;
            if (sameName(name, section))
                at.sectionLine = at.lastContentLine = i;
            continue;
        }
        if (at.sectionLine < 0)
            continue;
        if (!lines[i].trimmed().isEmpty())
            at.lastContentLine = i;
        if (at.keyLine < 0 && !key.isEmpty() && keyName(lines[i], name) && sameName(name, key))
            at.keyLine = i;
    }
    return at;
}

// A value is one line of text: line breaks inside it would forge other keys.
QByteArray storable(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v.toUtf8();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

IniWriteError::IniWriteError(const QString &path, int osError)
    : FileSaveError(QStringLiteral("Unable to write to %1").arg(path), osError)
{}

TIniFile::TIniFile(QString fileName) : m_fileName(std::move(fileName)) {}

QList<QByteArray> TIniFile::readLines() const
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

void TIniFile::writeLines(const QList<QByteArray> &lines)
{
    QByteArray content;
    for (const QByteArray &line : lines) {
        content += line;
        content += '\n';
    }
    if (!AtomicFile::write(m_fileName, content)) {
        const int error = errno;
        throw IniWriteError(QFileInfo(m_fileName).absoluteFilePath(), error);
    }
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const QList<QByteArray> lines = readLines();
    const Location at = locate(lines, section, key);
    if (at.keyLine < 0)
        return def;
    return decode(valueOf(lines[at.keyLine])).left(MaxValueLength);
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    QList<QByteArray> lines = readLines();
    const Location at = locate(lines, section, key);
    if (at.keyLine >= 0) {
        QByteArray storedKey;
        keyName(lines[at.keyLine], storedKey);
        lines[at.keyLine] = storedKey + '=' + storable(value);
    } else if (at.sectionLine >= 0) {
        lines.insert(at.lastContentLine + 1, storable(key) + '=' + storable(value));
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QByteArray());
        lines.append('[' + storable(section) + ']');
        lines.append(storable(key) + '=' + storable(value));
    }
    writeLines(lines);
}

bool TIniFile::parseInteger(const QString &text, int &value)
{
    const QString t = text.trimmed();
    bool ok = false;
    if (t.size() > 2 && (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X")))) {
        const uint bits = t.mid(2).toUInt(&ok, 16);
        if (ok)
            value = static_cast<int>(bits);
        return ok;
    }
    const int decimal = t.toInt(&ok, 10);
    if (ok)
        value = decimal;
    return ok;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    int value = def;
    return parseInteger(ReadString(section, key, QString()), value) ? value : def;
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

qsizetype TIniFile::ReadBinaryStream(const QString &section, const QString &key,
                                     QByteArray &stream) const
{
    const QByteArray text = ReadString(section, key, QString()).toLatin1();
    qsizetype decoded = 0;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            break;
        stream.append(static_cast<char>(high * 16 + low));
        ++decoded;
    }
    return decoded;
}

void TIniFile::WriteBinaryStream(const QString &section, const QString &key,
                                 const QByteArray &bytes)
{
    WriteString(section, key, QString::fromLatin1(bytes.toHex().toUpper()));
}

bool TIniFile::SectionExists(const QString &section) const
{
    return !readSection(section).isEmpty();
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    return locate(readLines(), section, key).keyLine >= 0;
}

QStringList TIniFile::readSection(const QString &section) const
{
    const QList<QByteArray> lines = readLines();
    const Location at = locate(lines, section, QString());
    QStringList keys;
    if (at.sectionLine < 0)
        return keys;
    QByteArray name;
    for (int i = at.sectionLine + 1; i < lines.size() && !sectionName(lines[i], name); ++i) {
        if (keyName(lines[i], name))
            keys.append(decode(name));
    }
    return keys;
}

void TIniFile::EraseSection(const QString &section)
{
    QList<QByteArray> lines = readLines();
    QList<QByteArray> kept;
    bool erasing = false;
    bool erasedAny = false;
    QByteArray name;
    for (const QByteArray &line : lines) {
        if (sectionName(line, name)) {
            erasing = sameName(name, section);
            erasedAny = erasedAny || erasing;
        }
        if (!erasing)
            kept.append(line);
    }
    if (erasedAny)
        writeLines(kept);
}
