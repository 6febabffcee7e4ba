#include "CallerNames.h"

#include <QFileInfo>

CallerNames::CallerNames(const QString &dataDir) : m_directory(dataDir) {}

QString CallerNames::nameFor(const QString &callerIdNumber)
{
    const QFileInfo file(m_directory.filePath());
    const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
    const qint64 size = file.exists() ? file.size() : -1;
    if (!m_read || modified != m_modified || size != m_size) {
        m_directory.load(); // a file that cannot be read names nobody until it is mended
        m_read = true;
        m_modified = modified;
        m_size = size;
    }
    return m_directory.callerName(callerIdNumber);
}
