// QFile::moveToTrash is asked only where the home trash can exist, and where it went is
// checked: when it cannot set up a trash directory it has been seen to put "files" and
// "info" folders into the current directory instead, which is no trash at all.
#include "DesktopTrash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

namespace DesktopTrash {

namespace {

// The home trash can be used when it is a directory or can be made one.
bool homeTrashUsable()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    const QFileInfo trash(data + QStringLiteral("/Trash"));
    if (trash.exists())
        return trash.isDir() && trash.isWritable();
    return QDir().mkpath(trash.filePath());
}

// ".../Trash/files/x", ".../.Trash-1000/files/x" or ".../.Trash/1000/files/x".
bool inATrash(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isAbsolute() || !file.exists())
        return false;
    const QDir files = file.dir();
    if (files.dirName() != QLatin1String("files"))
        return false;
    QDir trash = files;
    if (!trash.cdUp())
        return false;
    const QString name = trash.dirName();
    if (name == QLatin1String("Trash") || name.startsWith(QLatin1String(".Trash-")))
        return true;
    return trash.cdUp() && trash.dirName() == QLatin1String(".Trash");
}

// Takes back a move that went to no trash: the file and its info entry go, and so do the
// folders made for them when they are left empty.
void undoStrayMove(const QString &moved)
{
    const QFileInfo file(moved);
    QFile::remove(moved);
    QDir files = file.dir();
    QDir top = files;
    top.cdUp();
    QFile::remove(top.filePath(QStringLiteral("info/")) + file.fileName() +
                  QStringLiteral(".trashinfo"));
    top.rmdir(QStringLiteral("info"));
    top.rmdir(QStringLiteral("files"));
}

} // namespace

Outcome moveToTrashOrDelete(const QString &path, QString *pathInTrash)
{
    const bool onHomeDisk =
        QStorageInfo(path).rootPath() == QStorageInfo(QDir::homePath()).rootPath();
    if (!onHomeDisk || homeTrashUsable()) {
        QString moved;
        if (QFile::moveToTrash(path, &moved)) {
            if (inATrash(moved)) {
                if (pathInTrash)
                    *pathInTrash = moved;
                return Outcome::Trashed;
            }
            undoStrayMove(moved);
            return Outcome::Deleted;
        }
    }
    return QFile::remove(path) ? Outcome::Deleted : Outcome::Failed;
}

} // namespace DesktopTrash
