// Field kinds of the table store: their one-character type codes in the table file and how
// much room a value takes in a record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class FieldKind : std::uint8_t
{
    Unknown,
    SmallInt,
    Integer,
    Boolean,
    Double,
    Currency,
    Date,
    Time,
    DateTime,
    AutoInc,
    SmallStr,
    String,
    Blob,
    Memo,
    FmtMemo,
    Graphic,
};

// The store's own names of the kinds ("SmallInt", "String", "BLOB", ...).
std::string_view fieldKindName(FieldKind kind);

// Text, binary: values of variable length. Text fields have a declared size in bytes.
bool isTextKind(FieldKind kind);
// String and the binary kinds: written as a 32-bit length and the bytes, length byte 4.
bool isReferencedKind(FieldKind kind);
// Kinds whose value is a floating-point number.
bool isFloatKind(FieldKind kind);

// A text field of this declared size or less is a SmallStr held inline in the record.
constexpr int SmallStrMaxSize = 35;
// Longest String value a table file may hold, and longest binary value.
constexpr std::int32_t StringMaxLength = 8191;
constexpr std::int32_t BlobMaxLength = 1073741823;
// A String code "s" with no digits declares this size.
constexpr int DefaultStringSize = 100;

// One field as the table file describes it.
struct FieldDesc
{
    std::string name;
    std::string alias = "XXX";
    FieldKind kind = FieldKind::Unknown;
    std::uint16_t size = 0;        // declared size of a text field, else 0
    std::uint16_t recordBytes = 0; // room the value takes in a record
    std::uint16_t offset = 0;      // where the value sits in a record
};

// Bytes a value of the kind takes in a record (size + 1 for SmallStr).
std::uint16_t recordBytesOf(FieldKind kind, int size);

// The type code written in a descriptor: "i", "A", "s255", ...
std::string typeCodeOf(FieldKind kind, int size);

// Parses a type code; false for an unknown or malformed one.
bool parseTypeCode(std::string_view code, FieldKind &kind, int &size);

// Field names match without regard to (ASCII) letter case.
bool sameFieldName(std::string_view a, std::string_view b);
