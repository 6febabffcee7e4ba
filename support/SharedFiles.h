// The program's shared, read-only files (the help page, the virtual modem's profiles, scenarios
// and voice samples). In a build tree they lie beside the programs; installed under a prefix,
// the programs are in <prefix>/bin and the files in <prefix>/share/calvora, so any prefix works.
#pragma once

#include <QString>

namespace SharedFiles {

// The folder of the shared files, as an absolute path without a trailing "/".
QString dir();

// A shared file or folder, given by its path inside that folder.
QString path(const QString &name);

// Whether the running program is an installed one (its shared files under share/calvora).
bool installed();

} // namespace SharedFiles
