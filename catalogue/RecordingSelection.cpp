// SelectedIds.
#include "RecordingSelection.h"

void RecordingSelection::toggle(const QString &id)
{
    const QByteArray key = id.toUtf8();
    if (m_index.remove(key))
        m_ids.removeOne(id);
    else {
        m_index.insert(key);
        m_ids.append(id);
    }
}

void RecordingSelection::add(const QString &id)
{
    const QByteArray key = id.toUtf8();
    if (m_index.contains(key))
        return;
    m_index.insert(key);
    m_ids.append(id);
}

void RecordingSelection::clear()
{
    m_ids.clear();
    m_index.clear();
}
