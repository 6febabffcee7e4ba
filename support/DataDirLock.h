// One program at a time on a data directory: the window program and the headless recorder
// take this lock, so that two of them never write the same catalogue and log.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class DataDirLock
{
public:
    explicit DataDirLock(const QString &dataDir);

    // True when the lock is ours now. Otherwise holderText() names who holds it.
    bool acquire();
    // "process 1234 (calvora-recorder)" for the program holding the lock.
    QString holderText() const;

private:
    std::unique_ptr<QLockFile> m_lock;
};
