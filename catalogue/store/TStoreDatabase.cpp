// The tables' grouping component.
#include "TStoreDatabase.h"

#include "TStoreTable.h"

TStoreDatabase::TStoreDatabase(QObject *parent) : QObject(parent) {}

TStoreDatabase::~TStoreDatabase()
{
    const QList<TStoreTable *> tables = openTables();
    for (TStoreTable *table : tables) {
        table->Close();
        table->setDatabase(nullptr);
    }
}

void TStoreDatabase::setDatabasePath(const QString &path)
{
    m_path = path;
    if (!m_path.isEmpty() && !m_path.endsWith(QLatin1Char('/')))
        m_path += QLatin1Char('/');
}

QList<TStoreTable *> TStoreDatabase::openTables() const
{
    QList<TStoreTable *> out;
    for (const auto &t : m_open)
        if (t)
            out.append(t.data());
    return out;
}

QList<TStoreTable *> TStoreDatabase::changedTables() const
{
    QList<TStoreTable *> out;
    for (const auto &t : m_changed)
        if (t)
            out.append(t.data());
    return out;
}

void TStoreDatabase::tableOpened(TStoreTable *table)
{
    if (!m_open.contains(table))
        m_open.append(table);
}

void TStoreDatabase::tableClosed(TStoreTable *table)
{
    m_open.removeAll(table);
    m_changed.removeAll(table);
}

void TStoreDatabase::tableChanged(TStoreTable *table, bool changed)
{
    m_changed.removeAll(table);
    if (changed)
        m_changed.append(table);
}
