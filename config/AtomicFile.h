// Replacing a file of the user's data safely: the new content goes to a file beside the old
// one, is flushed to disk, and only then takes the old one's name. A full disk, a killed
// program or a power cut leaves either the old file or the new one, never a mixture.
#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Writes content as the file's new content. False when any step fails; the old file is
// then untouched and no temporary file is left behind.
bool write(const QString &path, const QByteArray &content);

} // namespace AtomicFile
