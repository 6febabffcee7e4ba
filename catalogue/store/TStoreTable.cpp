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

FieldKind kindOf(FieldType type)
{
    switch (type) {
    case FieldType::ftSmallint:
    case FieldType::ftWord:
        return FieldKind::SmallInt;
    case FieldType::ftInteger:
        return FieldKind::Integer;
    case FieldType::ftBoolean:
        return FieldKind::Boolean;
    case FieldType::ftFloat:
        return FieldKind::Double;
    case FieldType::ftCurrency:
        return FieldKind::Currency;
    case FieldType::ftDate:
        return FieldKind::Date;
    case FieldType::ftTime:
        return FieldKind::Time;
    case FieldType::ftDateTime:
        return FieldKind::DateTime;
    case FieldType::ftAutoInc:
        return FieldKind::AutoInc;
    case FieldType::ftString:
        return FieldKind::String;
    case FieldType::ftBlob:
        return FieldKind::Blob;
    case FieldType::ftMemo:
        return FieldKind::Memo;
    case FieldType::ftFmtMemo:
        return FieldKind::FmtMemo;
    case FieldType::ftGraphic:
        return FieldKind::Graphic;
    }
    return FieldKind::Unknown;
}

FieldType typeOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::SmallInt:
        return FieldType::ftSmallint;
    case FieldKind::Integer:
        return FieldType::ftInteger;
    case FieldKind::Boolean:
        return FieldType::ftBoolean;
    case FieldKind::Double:
        return FieldType::ftFloat;
    case FieldKind::Currency:
        return FieldType::ftCurrency;
    case FieldKind::Date:
        return FieldType::ftDate;
    case FieldKind::Time:
        return FieldType::ftTime;
    case FieldKind::DateTime:
        return FieldType::ftDateTime;
    case FieldKind::AutoInc:
        return FieldType::ftAutoInc;
    case FieldKind::Blob:
        return FieldType::ftBlob;
    case FieldKind::Memo:
        return FieldType::ftMemo;
    case FieldKind::FmtMemo:
        return FieldType::ftFmtMemo;
    case FieldKind::Graphic:
        return FieldType::ftGraphic;
    default:
        return FieldType::ftString;
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
        m_loadMode = TableLoadMode::lmFile;
}

void TStoreTable::setLoadMode(TableLoadMode mode)
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

QString TStoreTable::tableFile() const
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
            throw StoreError("Circular data link");
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
        cancelRange();
        return;
    }
    const QStringList masterNames = splitNames(MasterFields);
    const QStringList rangeNames = splitNames(RangeFieldNames);
    if (masterNames.isEmpty() || masterNames.size() != rangeNames.size())
        return;
    std::vector<int> fields;
    std::vector<StoreValue> key;
    for (int k = 0; k < masterNames.size(); ++k) {
        const int masterField = m_master->fieldIndex(masterNames[k]);
        const int field = fieldIndex(rangeNames[k]);
        if (masterField < 0 || field < 0)
            return;
        // The key is the text of the master's value, put into the detail field's storage.
        const QVariant value = m_master->FieldValues(masterNames[k]);
        StoreValue part;
        try {
            part = StoreVariant::toStore(Field(field), QVariant(value.toString()));
        } catch (const StoreError &) {
            part = StoreValue();
        }
        if (std::holds_alternative<std::monostate>(part) && isTextKind(Field(field).kind))
            part = std::string();
        fields.push_back(field);
        key.push_back(std::move(part));
    }
    if (!force && rangeActive() && key == RangeKey())
        return;
    setRange(std::move(fields), std::move(key));
}

void TStoreTable::internalOpen()
{
    if (m_loadMode == TableLoadMode::lmClear) {
        std::vector<FieldSpec> specs;
        for (const FieldDef &def : std::as_const(FieldDefs)) {
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
    const QString path = tableFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError("Error opening file " + path.toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StoreError("Error opening file " + path.toStdString());
    m_cursor.load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    rememberFileStamp();

    FieldDefs.clear();
    for (const FieldDesc &f : m_cursor.fields())
        FieldDefs.append(
            {QString::fromStdString(f.name), typeOf(f.kind), isTextKind(f.kind) ? f.size : 0});
}

void TStoreTable::afterInternalOpen()
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

void TStoreTable::changeCountChanged()
{
    if (m_database)
        m_database->tableChanged(this, changeCount() > 0);
}

void TStoreTable::rememberFileStamp()
{
    const QFileInfo info(tableFile());
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
            StoreBackup::keep(fileName, backupFile());
    }
    const QByteArray bytes =
        QByteArray::fromRawData(image.data(), static_cast<qsizetype>(image.size()));
    if (!AtomicFile::write(fileName, bytes)) {
        const int error = errno;
        throw StoreError("Cannot create file \"" + fileName.toStdString() + "\". " +
                         std::strerror(error));
    }
    if (ownFile)
        rememberFileStamp();
}

void TStoreTable::writeOwnFile()
{
    if (m_loadMode == TableLoadMode::lmFile)
        writeImage(tableFile(), true);
}

void TStoreTable::SaveToFile(const QString &fileName)
{
    checkActive();
    const bool own =
        QFileInfo(fileName).absoluteFilePath() == QFileInfo(tableFile()).absoluteFilePath();
    writeImage(fileName, own);
}

void TStoreTable::Refresh()
{
    checkBrowseMode();
    if (changeCount() > 0)
        writeOwnFile();
    if (m_loadMode == TableLoadMode::lmFile)
        loadFromFile();
    if (m_master && m_master->Active())
        applyMasterRange(true); // rebuilds the visible list with the current key
    else
        reloaded();
}
