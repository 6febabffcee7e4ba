// The multi-selection of the recordings list (SelectedIds): the codes of the rows the user
// picked, in the order picked, with a quick membership test for drawing and walking the list.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QStringList>

class RecordingSelection final
{
public:
    bool contains(const QString &id) const { return m_index.contains(id.toUtf8()); }
    bool containsBytes(const QByteArray &id) const { return m_index.contains(id); }
    // Adds the code when absent, removes it when present.
    void toggle(const QString &id);
    // Adds the code when absent.
    void add(const QString &id);
    void clear();
    bool isEmpty() const { return m_ids.isEmpty(); }
    int size() const { return static_cast<int>(m_ids.size()); }
    const QStringList &ids() const { return m_ids; }

private:
    QStringList m_ids;
    QSet<QByteArray> m_index; // the codes as stored (UTF-8)
};
