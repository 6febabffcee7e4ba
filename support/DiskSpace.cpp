#include "DiskSpace.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace DiskSpace {

std::optional<qint64> freeBytes(const QString &folder)
{
    QString path = QDir(folder).absolutePath();
    while (!QFileInfo(path).isDir() && !QDir(path).isRoot())
        path = QFileInfo(path).absolutePath();
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    return storage.bytesAvailable();
}

} // namespace DiskSpace
