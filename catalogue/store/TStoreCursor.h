// The storage behind one open table: its fields, its stored records with their states, and
// the reading and writing of its file image. Needs nothing but the standard library.
#pragma once

#include "StoreFormat.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class RecordState : std::uint8_t
{
    Unchanged, // as read from the file
    Changed,   // edited and posted since the file was read
    New,       // appended and posted since the file was read
    Deleted,   // an unchanged or changed record that was deleted; not written
    Discarded, // a new record that was deleted; its values are dropped; not written
};

struct StoredRecord
{
    std::string data; // the encoded record, as in the file
    RecordState state = RecordState::Unchanged;

    bool isLive() const { return state != RecordState::Deleted && state != RecordState::Discarded; }
};

class TStoreCursor
{
public:
    // Reads a file image. Throws StoreError "Error opening table: " + the reason; the
    // cursor is then left as it was.
    void load(std::string_view file);

    // An empty table with the given fields. Throws StoreError for an empty list.
    void create(const std::vector<FieldSpec> &specs);

    // The whole table as a file image: live records in stored order.
    std::string image() const;

    void clear();

    const FieldList &fields() const { return m_image.fields; }
    // Index of a field by name in any letter case, or -1.
    int fieldIndex(std::string_view name) const;

    bool hasNote() const { return m_image.hasNote; }
    const std::string &note() const { return m_image.note; }

    std::size_t recordCount() const { return m_records.size(); }
    const StoredRecord &record(std::size_t i) const { return m_records[i]; }

    StoreValue value(std::size_t record, int field) const
    {
        return decodeField(m_image.fields, m_records[record].data, field);
    }
    std::string_view bytes(std::size_t record, int field) const
    {
        return fieldBytes(m_image.fields, m_records[record].data, field);
    }
    std::vector<StoreValue> values(std::size_t record) const;

    // A posted insert: a new record at the end; returns its index.
    std::size_t appendRecord(const std::vector<StoreValue> &values);
    // A posted edit: an unchanged record becomes changed.
    void updateRecord(std::size_t record, const std::vector<StoreValue> &values);
    // A deletion: a new record is discarded and loses its values, any other is deleted.
    void deleteRecord(std::size_t record);

private:
    TableImage m_image; // fields and note; its records move into m_records
    std::vector<StoredRecord> m_records;
};
