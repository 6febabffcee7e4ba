#include "CallerNames.h"

#include "callers/CallerId.h"

CallerNames::CallerNames(const QString &dataDir) : m_directory(dataDir) {}

void CallerNames::refresh()
{
    // A file that cannot be read names nobody until it is mended.
    if (m_watch.changed(m_directory.filePath()))
        m_directory.load();
}

QString CallerNames::nameFor(const QString &callerIdNumber)
{
    refresh();
    return m_directory.callerName(callerIdNumber);
}

std::optional<CallerEntry> CallerNames::entryFor(const QString &callerIdNumber)
{
    refresh();
    if (CallerId::kindOf(callerIdNumber) != CallerId::Kind::Number)
        return std::nullopt;
    const int at = m_directory.find(callerIdNumber);
    return at < 0 ? std::nullopt : std::optional<CallerEntry>(m_directory.entries()[at]);
}

QString CallerNames::homeCountry()
{
    refresh();
    return m_directory.homeCountry();
}
