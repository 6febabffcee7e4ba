// The names of callers for a running program: the caller directory, read again whenever its
// file has changed, so that contacts imported with calvora-catalogue while the program runs
// name the next call.
#pragma once

#include "callers/CallerDirectory.h"
#include "callers/FileChangeWatch.h"

#include <optional>

class CallerNames final
{
public:
    explicit CallerNames(const QString &dataDir);

    // "Withheld", "Unavailable", the directory's name for the number, or empty (a number the
    // directory does not hold, or a directory file that cannot be read).
    QString nameFor(const QString &callerIdNumber);
    // The directory entry holding the number, when one does.
    std::optional<CallerEntry> entryFor(const QString &callerIdNumber);
    // The region national numbers belong to (see CallerDirectory::homeCountry).
    QString homeCountry();

private:
    void refresh();

    CallerDirectory m_directory;
    FileChangeWatch m_watch;
};
