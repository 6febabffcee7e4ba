// Free space on the disk that holds a folder.
#pragma once

#include <QString>
#include <optional>

namespace DiskSpace {

// Bytes this user may still write on the disk of folder (of its nearest existing parent when
// the folder is not made yet); no value when the file system does not tell.
std::optional<qint64> freeBytes(const QString &folder);

} // namespace DiskSpace
