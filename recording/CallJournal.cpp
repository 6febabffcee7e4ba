// One "key=value" line per field; the values are single bounded lines, so that a hostile
// caller-ID text cannot add fields of its own.
#include "CallJournal.h"

#include "support/AtomicFile.h"

#include <QFile>

namespace {
constexpr qsizetype MaxValue = 256;
constexpr qint64 MaxFile = 4096;

QString oneLine(const QString &text)
{
    QString line = text.left(MaxValue);
    for (QChar &c : line)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return line;
}
} // namespace

bool CallJournal::write(const QString &path) const
{
    QByteArray content;
    auto field = [&content](const char *key, const QString &value) {
        content += key;
        content += '=';
        content += oneLine(value).toUtf8();
        content += '\n';
    };
    field("Start", start.toString(Qt::ISODateWithMs));
    field("Caller", caller);
    field("Number", number);
    field("Name", name);
    field("Folder", folderId);
    field("Id", id);
    field("Final", finalName);
    return AtomicFile::write(path, content);
}

std::optional<CallJournal> CallJournal::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    CallJournal journal;
    for (const QByteArray &raw : file.read(MaxFile).split('\n')) {
        const qsizetype eq = raw.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = raw.left(eq);
        const QString value = oneLine(QString::fromUtf8(raw.mid(eq + 1)));
        if (key == "Start")
            journal.start = QDateTime::fromString(value, Qt::ISODateWithMs);
        else if (key == "Caller")
            journal.caller = value;
        else if (key == "Number")
            journal.number = value;
        else if (key == "Name")
            journal.name = value;
        else if (key == "Folder")
            journal.folderId = value;
        else if (key == "Id")
            journal.id = value;
        else if (key == "Final")
            journal.finalName = value;
    }
    if (!journal.start.isValid())
        return std::nullopt;
    return journal;
}
