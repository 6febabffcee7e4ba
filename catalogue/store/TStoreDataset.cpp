// Navigation, editing, search and ranges over a store table's records.
#include "TStoreDataset.h"

#include "StoreError.h"
#include "StoreVariant.h"

TStoreDataset::TStoreDataset(QObject *parent) : QObject(parent) {}

TStoreDataset::~TStoreDataset() = default;

void TStoreDataset::checkActive() const
{
    if (m_state == State::Inactive)
        throw StoreError("Cannot perform this operation on a closed dataset");
}

void TStoreDataset::checkBrowseMode()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        Post();
}

void TStoreDataset::notifyDataSet()
{
    if (m_disableCount > 0)
        m_pendingDataSet = true;
    else
        emit dataSetChanged();
}

void TStoreDataset::notifyCurrent()
{
    if (m_disableCount > 0)
        m_pendingCurrent = true;
    else
        emit currentChanged();
}

void TStoreDataset::DisableControls()
{
    ++m_disableCount;
}

void TStoreDataset::EnableControls()
{
    if (m_disableCount == 0 || --m_disableCount > 0)
        return;
    const bool dataSet = m_pendingDataSet, current = m_pendingCurrent;
    m_pendingDataSet = m_pendingCurrent = false;
    if (dataSet)
        emit dataSetChanged();
    if (dataSet || current)
        emit currentChanged();
}

void TStoreDataset::Open()
{
    if (Active())
        return;
    internalOpen();
    m_state = State::Browse;
    m_changeCount = 0;
    m_rangeActive = false;
    rebuildVisible();
    afterInternalOpen();
    emit stateChanged();
    notifyDataSet();
    notifyCurrent();
}

void TStoreDataset::Close()
{
    if (!Active())
        return;
    m_buffer.clear();
    m_state = State::Inactive;
    m_visible.clear();
    m_visible.shrink_to_fit();
    m_current = -1;
    m_bof = m_eof = true;
    m_rangeActive = false;
    m_rangeFields.clear();
    m_rangeKey.clear();
    m_cursor.clear();
    m_changeCount = 0;
    AfterClose();
    emit stateChanged();
    notifyDataSet();
    notifyCurrent();
}

void TStoreDataset::setCurrent(int index)
{
    m_current = index;
    m_bof = m_eof = false;
}

void TStoreDataset::First()
{
    checkBrowseMode();
    m_current = m_visible.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_visible.empty();
    notifyCurrent();
}

void TStoreDataset::Last()
{
    checkBrowseMode();
    m_current = RecordCount() - 1;
    m_eof = true;
    m_bof = m_visible.empty();
    notifyCurrent();
}

void TStoreDataset::Next()
{
    checkBrowseMode();
    if (m_current + 1 < RecordCount()) {
        setCurrent(m_current + 1);
        notifyCurrent();
    } else {
        m_eof = true;
    }
}

void TStoreDataset::Prior()
{
    checkBrowseMode();
    if (m_current > 0) {
        setCurrent(m_current - 1);
        notifyCurrent();
    } else {
        m_bof = true;
    }
}

void TStoreDataset::setRecNo(int recNo)
{
    checkBrowseMode();
    if (m_visible.empty())
        return;
    const int index = std::clamp(recNo, 1, RecordCount()) - 1;
    const bool moved = index != m_current;
    setCurrent(index);
    if (moved)
        notifyCurrent();
}

void TStoreDataset::bumpChanges(int delta)
{
    const bool before = m_changeCount > 0;
    m_changeCount += delta;
    if (before != (m_changeCount > 0) || delta != 0)
        changeCountChanged();
}

void TStoreDataset::Append()
{
    checkBrowseMode();
    m_buffer.assign(m_cursor.fields().size(), StoreValue());
    // A detail record belongs to the master's current record.
    if (m_rangeActive)
        for (std::size_t k = 0; k < m_rangeFields.size(); ++k)
            m_buffer[std::size_t(m_rangeFields[k])] = m_rangeKey[k];
    m_state = State::Insert;
    bumpChanges(+1);
    emit stateChanged();
}

void TStoreDataset::Edit()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_visible.empty()) {
        Append();
        return;
    }
    m_editRecord = m_visible[std::size_t(m_current)];
    m_buffer = m_cursor.values(m_editRecord);
    m_state = State::Edit;
    bumpChanges(+1);
    emit stateChanged();
}

void TStoreDataset::Post()
{
    checkActive();
    if (m_state == State::Edit) {
        if (m_editRecord >= m_cursor.recordCount())
            throw StoreError("Error saving record: Record is not found");
        if (!m_cursor.record(m_editRecord).isLive())
            throw StoreError("Error saving record: Record has been deleted");
        m_cursor.updateRecord(m_editRecord, m_buffer);
        m_buffer.clear();
        m_state = State::Browse;
        emit stateChanged();
        if (m_disableCount > 0)
            m_pendingDataSet = true;
        else
            emit recordChanged(m_current);
        notifyCurrent();
    } else if (m_state == State::Insert) {
        const std::size_t index = m_cursor.appendRecord(m_buffer);
        m_buffer.clear();
        // A posted record joins the visible list whatever the range; a refresh sorts it out.
        m_visible.push_back(static_cast<std::uint32_t>(index));
        setCurrent(RecordCount() - 1);
        m_state = State::Browse;
        emit stateChanged();
        notifyDataSet();
        notifyCurrent();
    }
}

void TStoreDataset::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    m_buffer.clear();
    m_state = State::Browse;
    bumpChanges(-1);
    emit stateChanged();
    notifyCurrent();
}

void TStoreDataset::Delete()
{
    checkActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    if (m_visible.empty())
        throw StoreError("Cannot perform this operation on an empty dataset");
    if (BeforeDelete)
        BeforeDelete(*this);
    if (m_current < 0 || m_current >= RecordCount())
        throw StoreError("Error deleting record: Record is not found");
    const std::size_t record = m_visible[std::size_t(m_current)];
    if (record >= m_cursor.recordCount())
        throw StoreError("Error deleting record: Record is not found");
    if (!m_cursor.record(record).isLive())
        throw StoreError("Error deleting record: Record has been deleted");
    m_cursor.deleteRecord(record);
    m_visible.erase(m_visible.begin() + m_current);
    if (m_visible.empty()) {
        m_current = -1;
        m_bof = m_eof = true;
    } else {
        setCurrent(std::min(m_current, RecordCount() - 1));
    }
    bumpChanges(+1);
    notifyDataSet();
    notifyCurrent();
    if (AfterDelete)
        AfterDelete(*this);
}

QString TStoreDataset::fieldName(int field) const
{
    return QString::fromStdString(Field(field).name);
}

int TStoreDataset::fieldIndex(const QString &name) const
{
    return m_cursor.fieldIndex(name.toStdString());
}

int TStoreDataset::requireField(const QString &name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw StoreError("Field '" + name.left(64).toStdString() + "' not found");
    return index;
}

QVariant TStoreDataset::FieldValues(const QString &name) const
{
    checkActive();
    const int field = requireField(name);
    if (m_state == State::Edit || m_state == State::Insert)
        return StoreVariant::fromStore(Field(field), m_buffer[std::size_t(field)]);
    if (m_current < 0)
        return QVariant();
    return valueAt(m_current, field);
}

void TStoreDataset::setFieldValue(const QString &name, const QVariant &value)
{
    checkActive();
    const int field = requireField(name);
    if (m_state != State::Edit && m_state != State::Insert)
        throw StoreError("Table is not in edit or insert mode");
    m_buffer[std::size_t(field)] = StoreVariant::toStore(Field(field), value);
}

QVariant TStoreDataset::valueAt(int row, int field) const
{
    if (row < 0 || row >= RecordCount() || field < 0 || field >= fieldCount())
        return QVariant();
    return StoreVariant::fromStore(Field(field),
                                   m_cursor.value(m_visible[std::size_t(row)], field));
}

std::string_view TStoreDataset::bytesAt(int row, int field) const
{
    if (row < 0 || row >= RecordCount() || field < 0 || field >= fieldCount())
        return {};
    return m_cursor.bytes(m_visible[std::size_t(row)], field);
}

RecordState TStoreDataset::stateAt(int row) const
{
    return m_cursor.record(m_visible[std::size_t(row)]).state;
}

bool TStoreDataset::inRange(std::size_t record) const
{
    for (std::size_t k = 0; k < m_rangeFields.size(); ++k) {
        const int field = m_rangeFields[k];
        const FieldDesc &f = Field(field);
        const StoreValue &key = m_rangeKey[k];
        if (isTextKind(f.kind)) {
            std::string_view bytes = m_cursor.bytes(record, field);
            if (f.kind == FieldKind::SmallStr && bytes.size() > f.size)
                bytes = bytes.substr(0, f.size);
            const auto *text = std::get_if<std::string>(&key);
            if (bytes != (text ? std::string_view(*text) : std::string_view()))
                return false;
        } else if (compareValues(m_cursor.value(record, field), key) != 0) {
            return false;
        }
    }
    return true;
}

void TStoreDataset::rebuildVisible()
{
    m_visible.clear();
    const std::size_t count = m_cursor.recordCount();
    for (std::size_t i = 0; i < count; ++i)
        if (m_cursor.record(i).isLive() && (!m_rangeActive || inRange(i)))
            m_visible.push_back(static_cast<std::uint32_t>(i));
    m_current = m_visible.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_visible.empty();
}

void TStoreDataset::reloaded()
{
    rebuildVisible();
    notifyDataSet();
    notifyCurrent();
}

void TStoreDataset::setRange(std::vector<int> fields, std::vector<StoreValue> key)
{
    checkBrowseMode();
    m_rangeFields = std::move(fields);
    m_rangeKey = std::move(key);
    m_rangeActive = true;
    reloaded();
}

void TStoreDataset::cancelRange()
{
    if (!m_rangeActive)
        return;
    checkBrowseMode();
    m_rangeActive = false;
    m_rangeFields.clear();
    m_rangeKey.clear();
    reloaded();
}

bool TStoreDataset::Locate(const QString &fields, const QVariant &values)
{
    checkBrowseMode();
    const QStringList names = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (m_visible.empty() || names.isEmpty())
        return false;
    QVariantList list;
    if (names.size() == 1)
        list.append(values);
    else
        list = values.toList();
    if (list.size() != names.size())
        return false;

    std::vector<int> keyFields;
    std::vector<StoreValue> key;
    for (int k = 0; k < names.size(); ++k) {
        const int field = requireField(names[k].trimmed());
        if (!list[k].isValid() || list[k].isNull())
            return false;
        try {
            key.push_back(StoreVariant::toStore(Field(field), list[k]));
        } catch (const StoreError &) {
            return false; // a value the field cannot hold equals none of its values
        }
        keyFields.push_back(field);
    }
    for (int row = 0; row < RecordCount(); ++row) {
        const std::size_t record = m_visible[std::size_t(row)];
        bool equal = true;
        for (std::size_t k = 0; k < keyFields.size() && equal; ++k) {
            StoreValue v = m_cursor.value(record, keyFields[k]);
            equal = compareValues(v, key[k]) == 0;
        }
        if (equal) {
            const bool moved = row != m_current;
            setCurrent(row);
            if (moved)
                notifyCurrent();
            return true;
        }
    }
    return false;
}

void TStoreDataset::Refresh()
{
    checkBrowseMode();
    reloaded();
}

void TStoreDataset::SaveChanges()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        Post();
    if (m_changeCount > 0)
        writeOwnFile();
}
