// Whether a file changed since it was last read: a save replaces the file, which changes its
// time or its size. Cheaper than a file-system watcher for a file read once per call.
#pragma once

#include <QDateTime>
#include <QFileInfo>

class FileChangeWatch final
{
public:
    // True the first time and whenever the file's time, size or existence differ from the
    // last call; the new state is remembered.
    bool changed(const QString &path)
    {
        const QFileInfo file(path);
        const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
        const qint64 size = file.exists() ? file.size() : -1;
        const bool result = !m_read || modified != m_modified || size != m_size;
        m_read = true;
        m_modified = modified;
        m_size = size;
        return result;
    }

private:
    bool m_read = false;
    QDateTime m_modified;
    qint64 m_size = -1;
};
