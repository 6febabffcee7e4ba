// Tree text, Tree.ini and tree.d.
#include "FolderTreeFile.h"

#include "store/StoreError.h"
#include "store/TStoreTable.h"
#include "support/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>

namespace {

const QString TreeSection = QStringLiteral("Tree");
const QString FoldersSection = QStringLiteral("Folders");
const QString ExpandedSection = QStringLiteral("Expanded");

// A name is one line of text: a line break would forge another node or key.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
}

struct IniEntry
{
    QString key;
    QString value;
};

// The sections of a key/value file, read in one pass: names compare without regard to case,
// values are trimmed, keys keep their order in the file.
struct IniImage
{
    QList<QByteArray> lines;

    static IniImage read(const QString &path)
    {
        IniImage image;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return image;
        image.lines = file.readAll().split('\n');
        if (!image.lines.isEmpty() && image.lines.last().isEmpty())
            image.lines.removeLast();
        for (QByteArray &line : image.lines)
            if (line.endsWith('\r'))
                line.chop(1);
        return image;
    }

    static bool sectionName(const QByteArray &line, QString &name)
    {
        const QByteArray t = line.trimmed();
        if (!t.startsWith('['))
            return false;
        const qsizetype close = t.indexOf(']');
        if (close < 0)
            return false;
        name = QString::fromUtf8(t.mid(1, close - 1).trimmed());
        return true;
    }

    // The first section of that name, as the profile-file reader sees it.
    QList<IniEntry> section(const QString &wanted) const
    {
        QList<IniEntry> entries;
        bool inside = false;
        bool seen = false;
        QString name;
        for (const QByteArray &line : lines) {
            if (sectionName(line, name)) {
                if (inside)
                    break;
                inside = !seen && name.compare(wanted, Qt::CaseInsensitive) == 0;
                seen = seen || inside;
                continue;
            }
            if (!inside)
                continue;
            const QByteArray t = line.trimmed();
            if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
                continue;
            const qsizetype eq = t.indexOf('=');
            if (eq <= 0)
                continue;
            const QString key = QString::fromUtf8(t.left(eq).trimmed());
            if (key.isEmpty())
                continue;
            entries.append({key, QString::fromUtf8(line.mid(line.indexOf('=') + 1).trimmed())});
        }
        return entries;
    }

    // Keys of a section by lower-case name; the first of a name wins.
    QHash<QString, QString> lookup(const QString &wanted) const
    {
        QHash<QString, QString> values;
        for (const IniEntry &e : section(wanted)) {
            const QString key = e.key.toLower();
            if (!values.contains(key))
                values.insert(key, e.value);
        }
        return values;
    }

    // The lines without the named sections.
    QList<QByteArray> without(const QStringList &names) const
    {
        QList<QByteArray> kept;
        bool dropping = false;
        QString name;
        for (const QByteArray &line : lines) {
            if (sectionName(line, name)) {
                dropping = false;
                for (const QString &n : names)
                    dropping = dropping || name.compare(n, Qt::CaseInsensitive) == 0;
            }
            if (!dropping)
                kept.append(line);
        }
        while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
            kept.removeLast();
        return kept;
    }
};

} // namespace

InvalidLevelError::InvalidLevelError(int level, const QString &text)
    : std::runtime_error(QStringLiteral("Invalid level (%1) for item \"%2\"")
                             .arg(level)
                             .arg(text.left(200))
                             .toStdString()),
      m_level(level)
{}

namespace FolderTreeFile {

QString storableName(const QString &typed)
{
    QString name = typed;
    for (QChar &c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('#')))
        name = name.mid(1).trimmed();
    return name.left(MaxNameLength);
}

QByteArray toText(const FolderNodes &nodes)
{
    QByteArray text;
    for (const FolderNode &node : nodes) {
        text += QByteArray(std::max(node.level, 0), '\t');
        text += oneLine(node.text).toUtf8();
        text += "\r\n";
    }
    return text;
}

QStringList splitLines(const QByteArray &text)
{
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

FolderNodes fromLines(const QStringList &lines)
{
    FolderNodes nodes;
    int previous = -1;
    for (const QString &line : lines) {
        int level = 0;
        while (level < line.size() &&
               (line[level] == QLatin1Char('\t') || line[level] == QLatin1Char(' ')))
            ++level;
        if (level > previous + 1) {
            InvalidLevelError error(level, line.mid(level));
            error.before = nodes;
            throw error;
        }
        FolderNode node;
        node.level = level;
        node.text = line.mid(level);
        nodes.append(node);
        previous = level;
    }
    return nodes;
}

void SaveTreeToIni(const FolderNodes &nodes, const QString &path)
{
    const IniImage old = IniImage::read(path);
    QList<QByteArray> lines = old.without({TreeSection, FoldersSection, ExpandedSection});
    auto section = [&](const QString &name, auto valueOf) {
        if (!lines.isEmpty())
            lines.append(QByteArray());
        lines.append('[' + name.toUtf8() + ']');
        for (int i = 0; i < nodes.size(); ++i)
            lines.append("Node" + QByteArray::number(i) + '=' + valueOf(nodes[i]));
    };
    section(TreeSection, [](const FolderNode &n) {
        return QByteArray(std::max(n.level, 0), '#') + oneLine(n.text).toUtf8();
    });
    section(FoldersSection, [](const FolderNode &n) { return oneLine(n.code).toUtf8(); });
    section(ExpandedSection,
            [](const FolderNode &n) { return n.expanded ? QByteArray("1") : QByteArray("0"); });

    QByteArray content;
    for (const QByteArray &line : lines)
        content += line + "\r\n";
    if (!AtomicFile::write(path, content)) {
        const int error = errno;
        throw FileSaveError(
            QStringLiteral("Unable to write to %1").arg(QFileInfo(path).absoluteFilePath()), error);
    }
}

FolderNodes LoadTreeFromIni(const QString &path)
{
    const IniImage image = IniImage::read(path);
    QStringList lines;
    for (const IniEntry &e : image.section(TreeSection))
        lines.append(QString(e.value).replace(QLatin1Char('#'), QLatin1Char('\t')));
    const QHash<QString, QString> codes = image.lookup(FoldersSection);
    const QHash<QString, QString> expanded = image.lookup(ExpandedSection);
    auto complete = [&](FolderNodes &nodes) {
        for (int i = 0; i < nodes.size(); ++i) {
            const QString key = QStringLiteral("node%1").arg(i);
            nodes[i].code = codes.value(key);
            bool ok = false;
            nodes[i].expanded = expanded.value(key).toInt(&ok) != 0 && ok;
        }
    };
    try {
        FolderNodes nodes = fromLines(lines);
        complete(nodes);
        return nodes;
    } catch (InvalidLevelError &e) {
        complete(e.before);
        throw;
    }
}

QString findOldTree(const QString &dir)
{
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        if (name.compare(OldTreeName, Qt::CaseInsensitive) == 0)
            return QDir(dir).filePath(name);
    return QString();
}

FolderNodes convertOldTree(const QString &oldTreePath, TStoreTable &folders)
{
    QFile file(oldTreePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    auto match = [&folders](FolderNodes &nodes) {
        for (FolderNode &node : nodes) {
            node.expanded = true;
            if (!folders.Active() || folders.RecordCount() == 0)
                continue;
            try {
                folders.Locate(QStringLiteral("FolderName"), node.text);
            } catch (const StoreError &) {
                // a name the field cannot hold matches no row
            }
            node.code = folders.FieldValues(QStringLiteral("FolderId")).toString();
        }
    };
    try {
        FolderNodes nodes = fromLines(splitLines(file.readAll()));
        match(nodes);
        return nodes;
    } catch (InvalidLevelError &e) {
        match(e.before);
        throw;
    }
}

} // namespace FolderTreeFile
