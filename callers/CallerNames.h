// The names of callers for a running program: the caller directory, read again whenever its
// file has changed, so that contacts imported with calvora-catalogue while the program runs
// name the next call.
#pragma once

#include "callers/CallerDirectory.h"

#include <QDateTime>

class CallerNames final
{
public:
    explicit CallerNames(const QString &dataDir);

    // "Withheld", "Unavailable", the directory's name for the number, or empty (a number the
    // directory does not hold, or a directory file that cannot be read).
    QString nameFor(const QString &callerIdNumber);

private:
    CallerDirectory m_directory;
    // The file as last read: a save replaces it, which changes its time or its size.
    bool m_read = false;
    QDateTime m_modified;
    qint64 m_size = -1;
};
