// The table component: a file name, a load mode, field definitions, the database it belongs
// to and an optional master table whose current record decides which records are visible.
#pragma once

#include "TStoreDataset.h"

#include <QDateTime>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>

#include "TStoreDatabase.h"

enum class TableLoadMode
{
    lmClear, // an empty table built from FieldDefs
    lmFile,  // read from the table's file
};

enum class FieldType
{
    ftSmallint,
    ftWord,
    ftInteger,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftDate,
    ftTime,
    ftDateTime,
    ftAutoInc,
    ftString,
    ftBlob,
    ftMemo,
    ftFmtMemo,
    ftGraphic,
};

struct FieldDef
{
    QString Name;
    FieldType DataType = FieldType::ftString;
    int Size = 0; // declared size of a text field, 0 to 65535
    bool Required = false;
};

class TStoreTable final : public TStoreDataset
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TStoreTable)

public:
    // Save options. soBackup is ours: before a save replaces the file, the previous version
    // (the one last read or written by this table) is kept as TableFile + ".bak".
    enum SaveOption
    {
        soBackup = 1
    };

    explicit TStoreTable(QObject *parent = nullptr);
    ~TStoreTable() override;

    QString TableName() const { return m_tableName; }
    // Closes an open table; a non-empty name selects lmFile.
    void setTableName(const QString &name);
    TableLoadMode LoadMode() const { return m_loadMode; }
    // Closes an open table.
    void setLoadMode(TableLoadMode mode);

    // Used by lmClear only; lmFile replaces them with the file's own fields.
    QList<FieldDef> FieldDefs;

    TStoreDatabase *Database() const { return m_database; }
    void setDatabase(TStoreDatabase *database);

    // The file the table is read from and saved to.
    QString tableFile() const;
    // Where the previous version is kept when soBackup is set.
    QString backupFile() const { return tableFile() + QStringLiteral(".bak"); }

    int SaveOptions = 0;

    // Master-detail range: this table shows only its records whose RangeFieldNames equal the
    // master's MasterFields (names separated by ';'). Throws StoreError "Circular data
    // link" when the master is this table or one of its details.
    TStoreTable *MasterSource() const { return m_master; }
    void setMasterSource(TStoreTable *master);
    QString MasterFields;
    QString RangeFieldNames;

    // Writes the table as it is in memory to the named file. Throws StoreError; the file on
    // disk is then left as it was.
    void SaveToFile(const QString &fileName);

    // Saves when changed, reads the file again, applies the range again.
    void Refresh() override;

protected:
    void internalOpen() override;
    void writeOwnFile() override;
    void changeCountChanged() override;
    void afterInternalOpen() override;
    void AfterClose() override;

private:
    void masterChanged();
    void applyMasterRange(bool force);
    void loadFromFile();
    void writeImage(const QString &fileName, bool ownFile);
    void rememberFileStamp();

    QString m_tableName;
    TableLoadMode m_loadMode = TableLoadMode::lmClear;
    QPointer<TStoreDatabase> m_database;
    QPointer<TStoreTable> m_master;
    QList<QMetaObject::Connection> m_masterConnections;
    // Size and modification time of the file as this table last read or wrote it: only that
    // version is known to be good and may become the backup.
    qint64 m_fileSize = -1;
    QDateTime m_fileTime;
};
