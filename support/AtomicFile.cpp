// Written with POSIX calls rather than QSaveFile: every short write and every error of
// write, fsync and close is checked, because a disk that fills up mid-write reports itself
// only through them.
#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileSaveError::FileSaveError(const QString &message, int osError)
    : std::runtime_error(message.toStdString()), m_osError(osError)
{}

QString FileSaveError::reason() const
{
    return m_osError == 0 ? QString() : QString::fromLocal8Bit(std::strerror(m_osError));
}

QString FileSaveError::describe() const
{
    const QString message = QString::fromUtf8(what());
    const QString why = reason();
    return why.isEmpty() ? message : message + QStringLiteral(" (") + why + QLatin1Char(')');
}

namespace AtomicFile {

namespace {
bool writeAll(int fd, const char *data, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        done += n;
    }
    return true;
}

// The name part mkstemp puts in place of "XXXXXX".
bool isTemporarySuffix(QStringView suffix)
{
    if (suffix.size() != 6)
        return false;
    for (const QChar c : suffix) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')))
            return false;
    }
    return true;
}

void syncDirectory(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

bool write(const QString &path, const QByteArray &content)
{
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;

    struct stat old
    {};
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content.constData(), content.size()) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(temp.constData());
        errno = error;
        return false;
    }
    syncDirectory(info.absolutePath());
    return true;
}

QStringList removeStaleTemporaries(const QString &dir, const QStringList &names)
{
    QSet<QString> saved;
    QSet<QString> backupLinks;
    for (const QString &name : names) {
        saved << name << name + QStringLiteral(".bak");
        backupLinks << name + QStringLiteral(".bak.new");
    }

    QStringList removed;
    const QDir folder(dir);
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries) {
        // ".<name>." + six characters
        const bool temporary = entry.size() > 8 && entry.startsWith(QLatin1Char('.')) &&
                               entry.at(entry.size() - 7) == QLatin1Char('.') &&
                               isTemporarySuffix(QStringView(entry).right(6)) &&
                               saved.contains(entry.mid(1, entry.size() - 8));
        if (!temporary && !backupLinks.contains(entry))
            continue;
        const QString path = folder.filePath(entry);
        if (QFile::remove(path))
            removed << path;
    }
    return removed;
}

} // namespace AtomicFile
