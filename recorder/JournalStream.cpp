#include "JournalStream.h"

#include <QStringList>

#include <cstdio>
#include <sys/stat.h>

namespace JournalStream {

bool connected()
{
    static const bool value = [] {
        // "device:inode" of the journal's stream, both decimal.
        const QByteArray named = qgetenv("JOURNAL_STREAM");
        const qsizetype colon = named.indexOf(':');
        if (colon <= 0)
            return false;
        bool deviceOk = false;
        bool inodeOk = false;
        const qulonglong device = named.left(colon).toULongLong(&deviceOk);
        const qulonglong inode = named.mid(colon + 1).toULongLong(&inodeOk);
        struct stat st
        {};
        return deviceOk && inodeOk && ::fstat(2, &st) == 0 && qulonglong(st.st_dev) == device &&
               qulonglong(st.st_ino) == inode;
    }();
    return value;
}

QByteArray prefix(Priority priority)
{
    return connected() ? "<" + QByteArray::number(int(priority)) + ">" : QByteArray();
}

Priority priorityOfLogLine(const QString &line)
{
    static const QStringList errorStarts{QStringLiteral("Error"), QStringLiteral("Unable to ")};
    static const QStringList warningParts{QStringLiteral("The modem does not answer"),
                                          QStringLiteral(" lost ("), QStringLiteral("not back yet"),
                                          QStringLiteral("held no sound"),
                                          QStringLiteral("is missing from")};
    for (const QString &start : errorStarts)
        if (line.startsWith(start))
            return Priority::Error;
    for (const QString &part : warningParts)
        if (line.contains(part))
            return Priority::Warning;
    return Priority::Info;
}

void print(Priority priority, const QString &text)
{
    std::fprintf(stderr, "%s%s\n", prefix(priority).constData(), text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace JournalStream
