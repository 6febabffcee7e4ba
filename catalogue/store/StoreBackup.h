// The previous good version of a table file, kept beside it so that a file damaged on disk
// costs at most the last change.
#pragma once

#include <QString>

namespace StoreBackup {

// Makes backup a copy of file as it is now (a hard link where the file system allows it,
// else a copy written safely). False when no backup could be made; file is never touched.
bool keep(const QString &file, const QString &backup);

// Puts the backup's content in place of file, keeping the damaged file as damaged (when not
// empty). False when the backup is missing or cannot be copied.
bool restore(const QString &file, const QString &backup, const QString &damaged);

} // namespace StoreBackup
