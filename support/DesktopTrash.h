// Moving a file to the desktop's trash (the freedesktop.org trash, as the file manager shows
// it), so that a removal can be undone; where no trash can take the file, it is deleted.
#pragma once

#include <QString>

namespace DesktopTrash {

enum class Outcome
{
    Trashed, // in the trash, restorable from the file manager
    Deleted, // no trash could take it: deleted
    Failed,  // neither: the file is where it was
};

// pathInTrash receives where a trashed file went.
Outcome moveToTrashOrDelete(const QString &path, QString *pathInTrash = nullptr);

} // namespace DesktopTrash
