// Stored records of a table and their file image.
#include "TStoreCursor.h"

#include "StoreError.h"

void TStoreCursor::load(std::string_view file)
{
    TableImage image;
    try {
        image = StoreFormat::parse(file);
    } catch (const StoreError &e) {
        throw StoreError(std::string("Error opening table: ") + e.what());
    }
    std::vector<StoredRecord> records;
    records.reserve(image.records.size());
    for (std::string &data : image.records)
        records.push_back({std::move(data), RecordState::Unchanged});
    image.records.clear();
    image.records.shrink_to_fit();
    m_image = std::move(image);
    m_records = std::move(records);
}

void TStoreCursor::create(const std::vector<FieldSpec> &specs)
{
    const std::string block = StoreFormat::buildFieldBlock(specs);
    StoreFormat::Writer writer(block, static_cast<std::int32_t>(specs.size()), nullptr);
    load(writer.finish());
}

std::string TStoreCursor::image() const
{
    std::size_t bytes = 0;
    for (const StoredRecord &r : m_records)
        if (r.isLive())
            bytes += r.data.size();
    StoreFormat::Writer writer(m_image.fieldBlock, static_cast<std::int32_t>(fields().size()),
                               m_image.hasNote ? &m_image.note : nullptr, bytes);
    for (const StoredRecord &r : m_records)
        if (r.isLive())
            writer.addRecord(r.data);
    return writer.finish();
}

void TStoreCursor::clear()
{
    m_image = TableImage();
    m_records.clear();
    m_records.shrink_to_fit();
}

int TStoreCursor::fieldIndex(std::string_view name) const
{
    const FieldList &f = fields();
    for (std::size_t i = 0; i < f.size(); ++i)
        if (sameFieldName(f[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::vector<StoreValue> TStoreCursor::values(std::size_t record) const
{
    std::vector<StoreValue> out;
    out.reserve(fields().size());
    for (int j = 0; j < static_cast<int>(fields().size()); ++j)
        out.push_back(value(record, j));
    return out;
}

std::size_t TStoreCursor::appendRecord(const std::vector<StoreValue> &values)
{
    m_records.push_back({encodeRecord(fields(), values), RecordState::New});
    return m_records.size() - 1;
}

void TStoreCursor::updateRecord(std::size_t record, const std::vector<StoreValue> &values)
{
    StoredRecord &r = m_records[record];
    r.data = encodeRecord(fields(), values);
    if (r.state == RecordState::Unchanged)
        r.state = RecordState::Changed;
}

void TStoreCursor::deleteRecord(std::size_t record)
{
    StoredRecord &r = m_records[record];
    if (r.state == RecordState::New) {
        r.state = RecordState::Discarded;
        r.data.clear();
        r.data.shrink_to_fit();
    } else {
        r.state = RecordState::Deleted;
    }
}
