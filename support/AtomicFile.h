// Replacing a file of the user's data safely: the new content goes to a file beside the old
// one, is flushed to disk, and only then takes the old one's name. A full disk, a killed
// program or a power cut leaves either the old file or the new one, never a mixture.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

// A file of the user's data that could not be saved; the file keeps its previous content.
class FileSaveError : public std::runtime_error
{
public:
    // osError is the errno of the failed step, 0 when none is known.
    FileSaveError(const QString &message, int osError);

    int osError() const { return m_osError; }
    // The system's text for osError ("No space left on device"); empty when none is known.
    QString reason() const;
    // The message, followed by the reason in parentheses when one is known.
    QString describe() const;

private:
    int m_osError;
};

namespace AtomicFile {

// Writes content as the file's new content. False when any step fails; the old file is
// then untouched, no temporary file is left behind and errno tells why.
bool write(const QString &path, const QByteArray &content);

// A save killed half-way leaves its temporary file beside the target for good. For each file
// name of names, saved in dir with write() and kept with a backup "<name>.bak" beside it,
// this removes the temporaries ".<name>.XXXXXX" and ".<name>.bak.XXXXXX" of write() (six
// characters of mkstemp's alphabet) and "<name>.bak.new", through which a backup is replaced.
// Nothing else is touched. Call it only while no save of these files can be running. Returns
// the paths removed.
QStringList removeStaleTemporaries(const QString &dir, const QStringList &names);

} // namespace AtomicFile
