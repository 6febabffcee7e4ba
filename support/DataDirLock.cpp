#include "DataDirLock.h"

#include <QDir>
#include <QFileInfo>

DataDirLock::DataDirLock(const QString &dataDir)
    : m_lock(std::make_unique<QLockFile>(QDir(dataDir).filePath(QStringLiteral(".calvora.lock"))))
{
    // A lock whose process is gone (a crash, a kill) is taken over at once.
    m_lock->setStaleLockTime(0);
}

bool DataDirLock::acquire()
{
    QDir().mkpath(QFileInfo(m_lock->fileName()).absolutePath());
    return m_lock->tryLock(0);
}

QString DataDirLock::holderText() const
{
    qint64 pid = 0;
    QString host;
    QString program;
    if (!m_lock->getLockInfo(&pid, &host, &program))
        return QStringLiteral("another program");
    return QStringLiteral("process %1 (%2)").arg(pid).arg(program);
}
