// Opening, saving and linking store tables.
#include "TStoreTable.h"

#include "StoreBackup.h"
#include "StoreError.h"
#include "StoreVariant.h"
#include "TStoreDatabase.h"
#include "support/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

FieldKind kindOf(TFieldType type)
{
    switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
        return FieldKind::SmallInt;
    case TFieldType::ftInteger:
        return FieldKind::Integer;
    case TFieldType::ftBoolean:
        return FieldKind::Boolean;
    case TFieldType::ftFloat:
        return FieldKind::Double;
    case TFieldType::ftCurrency:
        return FieldKind::Currency;
    case TFieldType::ftDate:
        return FieldKind::Date;
    case TFieldType::ftTime:
        return FieldKind::Time;
    case TFieldType::ftDateTime:
        return FieldKind::DateTime;
    case TFieldType::ftAutoInc:
        return FieldKind::AutoInc;
    case TFieldType::ftString:
        return FieldKind::String;
    case TFieldType::ftBlob:
        return FieldKind::Blob;
    case TFieldType::ftMemo:
        return FieldKind::Memo;
    case TFieldType::ftFmtMemo:
        return FieldKind::FmtMemo;
    case TFieldType::ftGraphic:
        return FieldKind::Graphic;
    }
    return FieldKind::Unknown;
}

TFieldType typeOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::SmallInt:
        return TFieldType::ftSmallint;
    case FieldKind::Integer:
        return TFieldType::ftInteger;
    case FieldKind::Boolean:
        return TFieldType::ftBoolean;
    case FieldKind::Double:
        return TFieldType::ftFloat;
    case FieldKind::Currency:
        return TFieldType::ftCurrency;
    case FieldKind::Date:
        return TFieldType::ftDate;
    case FieldKind::Time:
        return TFieldType::ftTime;
    case FieldKind::DateTime:
        return TFieldType::ftDateTime;
    case FieldKind::AutoInc:
        return TFieldType::ftAutoInc;
    case FieldKind::Blob:
        return TFieldType::ftBlob;
    case FieldKind::Memo:
        return TFieldType::ftMemo;
    case FieldKind::FmtMemo:
        return TFieldType::ftFmtMemo;
    case FieldKind::Graphic:
        return TFieldType::ftGraphic;
    default:
        return TFieldType::ftString;
    }
}

QStringList splitNames(const QString &names)
{
    QStringList out;
    for (const QString &n : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        out.append(n.trimmed());
    return out;
}

} // namespace

TStoreTable::TStoreTable(QObject *parent) : TStoreDataset(parent) {}

TStoreTable::~TStoreTable()
{
    for (const auto &c : std::as_const(m_masterConnections))
        disconnect(c);
    Close();
    if (m_database)
        m_database->tableClosed(this);
}

void TStoreTable::setTableName(const QString &name)
{
    Close();
    m_tableName = name;
    if (!name.isEmpty())
        m_loadMode = TLoadMode::lmFile;
}

void TStoreTable::setLoadMode(TLoadMode mode)
{
    Close();
    m_loadMode = mode;
}

void TStoreTable::setDatabase(TStoreDatabase *database)
{
    if (m_database == database)
        return;
    if (m_database)
        m_database->tableClosed(this);
    m_database = database;
    if (m_database && Active())
        m_database->tableOpened(this);
}

QString TStoreTable::TableFile() const
{
    if (m_database && !m_database->DatabasePath().isEmpty() &&
        !m_tableName.contains(QLatin1Char('/')))
        return m_database->DatabasePath() + m_tableName;
    return m_tableName;
}

void TStoreTable::setMasterSource(TStoreTable *master)
{
    if (master == m_master)
        return;
    for (const TStoreTable *t = master; t; t = t->m_master)
        if (t == this)
            throw EStoreError("Circular data link");
    for (const auto &c : std::as_const(m_masterConnections))
        disconnect(c);
    m_masterConnections.clear();
    m_master = master;
    if (master) {
        m_masterConnections = {
            connect(master, &TStoreDataset::dataSetChanged, this, &TStoreTable::masterChanged),
            connect(master, &TStoreDataset::currentChanged, this, &TStoreTable::masterChanged),
            connect(master, &TStoreDataset::recordChanged, this, &TStoreTable::masterChanged),
        };
    }
    if (Active())
        applyMasterRange(true);
}

void TStoreTable::masterChanged()
{
    if (Active())
        applyMasterRange(false);
}

void TStoreTable::applyMasterRange(bool force)
{
    if (!m_master || !m_master->Active()) {
        CancelRange();
        return;
    }
    const QStringList masterNames = splitNames(MasterFields);
    const QStringList rangeNames = splitNames(RangeFieldNames);
    if (masterNames.isEmpty() || masterNames.size() != rangeNames.size())
        return;
    std::vector<int> fields;
    std::vector<StoreValue> key;
    for (int k = 0; k < masterNames.size(); ++k) {
        const int masterField = m_master->FieldIndex(masterNames[k]);
        const int field = FieldIndex(rangeNames[k]);
        if (masterField < 0 || field < 0)
            return;
        // The key is the text of the master's value, put into the detail field's storage.
        const QVariant value = m_master->FieldValues(masterNames[k]);
        StoreValue part;
        try {
            part = StoreVariant::toStore(Field(field), QVariant(value.toString()));
        } catch (const EStoreError &) {
            part = StoreValue();
        }
        if (std::holds_alternative<std::monostate>(part) && isTextKind(Field(field).kind))
            part = std::string();
        fields.push_back(field);
        key.push_back(std::move(part));
    }
    if (!force && RangeActive() && key == RangeKey())
        return;
    SetRange(std::move(fields), std::move(key));
}

void TStoreTable::InternalOpen()
{
    if (m_loadMode == TLoadMode::lmClear) {
        std::vector<FieldSpec> specs;
        for (const TFieldDef &def : std::as_const(FieldDefs)) {
            FieldKind kind = kindOf(def.DataType);
            const int size = std::clamp(def.Size, 0, 0xFFFF);
            if (kind == FieldKind::String && size <= SmallStrMaxSize)
                kind = FieldKind::SmallStr;
            specs.push_back({def.Name.toStdString(), kind, isTextKind(kind) ? size : 0});
        }
        m_cursor.create(specs);
    } else {
        loadFromFile();
    }
    if (m_database)
        m_database->tableOpened(this);
}

void TStoreTable::loadFromFile()
{
    const QString path = TableFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EStoreError("Error opening file " + path.toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EStoreError("Error opening file " + path.toStdString());
    m_cursor.load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    rememberFileStamp();

    FieldDefs.clear();
    for (const FieldDesc &f : m_cursor.fields())
        FieldDefs.append(
            {QString::fromStdString(f.name), typeOf(f.kind), isTextKind(f.kind) ? f.size : 0});
}

void TStoreTable::AfterInternalOpen()
{
    if (m_master && m_master->Active())
        applyMasterRange(true);
}

void TStoreTable::AfterClose()
{
    m_fileSize = -1;
    m_fileTime = QDateTime();
    if (m_database)
        m_database->tableClosed(this);
}

void TStoreTable::ChangeCountChanged()
{
    if (m_database)
        m_database->tableChanged(this, ChangeCount() > 0);
}

void TStoreTable::rememberFileStamp()
{
    const QFileInfo info(TableFile());
    m_fileSize = info.exists() ? info.size() : -1;
    m_fileTime = info.exists() ? info.lastModified() : QDateTime();
}

void TStoreTable::writeImage(const QString &fileName, bool ownFile)
{
    const std::string image = m_cursor.image();
    if (ownFile && (SaveOptions & soBackup)) {
        // Only the version this table read or wrote is known to be good; a file changed or
        // damaged behind its back does not replace the backup.
        const QFileInfo info(fileName);
        if (info.exists() && info.size() == m_fileSize && info.lastModified() == m_fileTime)
            StoreBackup::keep(fileName, BackupFile());
    }
    const QByteArray bytes =
        QByteArray::fromRawData(image.data(), static_cast<qsizetype>(image.size()));
    if (!AtomicFile::write(fileName, bytes)) {
        const int error = errno;
        throw EStoreError("Cannot create file \"" + fileName.toStdString() + "\". " +
                          std::strerror(error));
    }
    if (ownFile)
        rememberFileStamp();
}

void TStoreTable::WriteOwnFile()
{
    if (m_loadMode == TLoadMode::lmFile)
        writeImage(TableFile(), true);
}

void TStoreTable::SaveToFile(const QString &fileName)
{
    CheckActive();
    const bool own =
        QFileInfo(fileName).absoluteFilePath() == QFileInfo(TableFile()).absoluteFilePath();
    writeImage(fileName, own);
}

void TStoreTable::Refresh()
{
    CheckBrowseMode();
    if (ChangeCount() > 0)
        WriteOwnFile();
    if (m_loadMode == TLoadMode::lmFile)
        loadFromFile();
    if (m_master && m_master->Active())
        applyMasterRange(true); // rebuilds the visible list with the current key
    else
        Reloaded();
}
