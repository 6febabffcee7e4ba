// The data directory that holds every file of the program (the program directory of old).
#pragma once

#include <QString>

namespace ProgramDir {

// --data-dir, else $CALVORA_HOME, else $XDG_DATA_HOME/calvora (~/.local/share/calvora).
QString resolve(const QString &commandLineDir);
// $XDG_DATA_HOME/calvora (~/.local/share/calvora): where a start without options and without
// $CALVORA_HOME keeps its data.
QString defaultPath();

// Creates the directory when missing and makes it current. False when either fails; the
// current directory is then left as it was.
bool prepare(const QString &dir);

// The directory made current by prepare(), as an absolute path without a trailing "/".
QString path();

// A file in the data directory.
QString file(const QString &name);

} // namespace ProgramDir
