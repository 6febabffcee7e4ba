// Keeping and restoring table backups. The backup is replaced by a rename, so at every moment
// either the old backup or the new one exists under its name.
#include "StoreBackup.h"

#include "support/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace StoreBackup {

namespace {
QByteArray readAll(const QString &path, bool &ok)
{
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok)
        return {};
    QByteArray bytes = f.readAll();
    ok = f.error() == QFileDevice::NoError;
    return bytes;
}
} // namespace

bool keep(const QString &file, const QString &backup)
{
    const QByteArray source = QFile::encodeName(QFileInfo(file).absoluteFilePath());
    const QByteArray target = QFile::encodeName(QFileInfo(backup).absoluteFilePath());
    // A kill before the rename leaves this name behind; start-up removes it.
    const QByteArray temp = target + ".new";
    ::unlink(temp.constData());
    // The saved file is about to be replaced by a rename, so the old content stays in this
    // link untouched: no copy is needed.
    if (::link(source.constData(), temp.constData()) == 0) {
        if (::rename(temp.constData(), target.constData()) == 0)
            return true;
        ::unlink(temp.constData());
    }
    bool ok = false;
    const QByteArray bytes = readAll(file, ok);
    return ok && AtomicFile::write(backup, bytes);
}

bool restore(const QString &file, const QString &backup, const QString &damaged)
{
    bool ok = false;
    const QByteArray bytes = readAll(backup, ok);
    if (!ok)
        return false;
    if (!damaged.isEmpty() && QFile::exists(file)) {
        QFile::remove(damaged);
        QFile::copy(file, damaged);
    }
    return AtomicFile::write(file, bytes);
}

} // namespace StoreBackup
