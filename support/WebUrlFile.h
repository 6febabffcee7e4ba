// The address of the web page a recorder serves, kept beside the data directory's lock while it
// runs, so that the window program, finding the directory held, can offer to open it.
#pragma once

#include <QString>

namespace WebUrlFile {

inline const QString FileName = QStringLiteral(".calvora-web-url");

// Writes url; false when the file cannot be written.
bool write(const QString &dataDir, const QString &url);
void remove(const QString &dataDir);
// The URL written there, when it is an http or https address; empty otherwise.
QString read(const QString &dataDir);

} // namespace WebUrlFile
