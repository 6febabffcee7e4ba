// The table file (.d): a header, the field description block, an optional note block and the
// records. Reading checks every length against the data, so a damaged file fails with the
// store's message instead of being trusted.
#pragma once

#include "StoreRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A field to create a table with: name, kind and (text kinds only) declared size.
struct FieldSpec
{
    std::string name;
    FieldKind kind = FieldKind::Unknown;
    int size = 0;
};

// Everything a table file holds.
struct TableImage
{
    std::string fieldBlock; // the descriptors exactly as read, written back unchanged
    FieldList fields;
    bool hasNote = false;
    std::string note;
    std::vector<std::string> records; // encoded records in file order
};

namespace StoreFormat {

constexpr char TableSignature = 'S';
constexpr char ErrorSignature = 'E';
constexpr char NoteMark = '*';
constexpr char DescriptorEnd = 0x12;
constexpr char BlockEnd = 0x14;
constexpr std::size_t HeaderSize = 17;

// Builds the field description block for new fields. Text sizes must be 0 to 65535.
// Throws StoreError "Error creating table (no field descriptions)" for an empty list.
std::string buildFieldBlock(const std::vector<FieldSpec> &specs);

// Parses count descriptors from a block; throws StoreError on a broken block.
FieldList parseFieldBlock(std::string_view block, std::int32_t count);

// Reads a whole table file. Throws StoreError with the bare reason ("Unexpected end of
// buffer", ...); the caller puts "Error opening table: " before it.
TableImage parse(std::string_view file);

// Builds a file image record by record.
class Writer
{
public:
    Writer(std::string_view fieldBlock, std::int32_t fieldCount, const std::string *note,
           std::size_t expectedBytes = 0);
    void addRecord(std::string_view encoded);
    // Fills in the record count and the total length and hands over the image.
    std::string finish();

private:
    std::string m_out;
    std::int32_t m_count = 0;
};

} // namespace StoreFormat
