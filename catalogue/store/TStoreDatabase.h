// Groups the tables of one database: an optional directory their file names are taken in,
// and the lists of open and of changed tables.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class TStoreTable;

class TStoreDatabase final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TStoreDatabase)

public:
    explicit TStoreDatabase(QObject *parent = nullptr);
    // Closes the open tables without saving them.
    ~TStoreDatabase() override;

    // A directory prefix for table names without a directory part; "/" is appended when
    // missing. Empty: names are used as they are, relative to the current directory.
    QString DatabasePath() const { return m_path; }
    void setDatabasePath(const QString &path);

    QList<TStoreTable *> openTables() const;
    QList<TStoreTable *> changedTables() const;

private:
    friend class TStoreTable;
    void tableOpened(TStoreTable *table);
    void tableClosed(TStoreTable *table);
    void tableChanged(TStoreTable *table, bool changed);

    QString m_path;
    QList<QPointer<TStoreTable>> m_open;
    QList<QPointer<TStoreTable>> m_changed;
};
