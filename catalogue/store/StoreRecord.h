// Values of a stored record. A record is kept exactly as the table file holds it: one length
// byte per field, then the present values in field order. Values are decoded from it on demand,
// which keeps a large table compact and makes loading and saving a matter of copying bytes.
#pragma once

#include "StoreField.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// No value (null), an integer kind, a floating-point kind, or the bytes of a text or binary.
using StoreValue = std::variant<std::monostate, std::int64_t, double, std::string>;

using FieldList = std::vector<FieldDesc>;

// The value bytes of a field in an encoded record (for the referenced kinds, the bytes after
// the 32-bit length). Empty when the field's length byte is zero. The record must be valid.
std::string_view fieldBytes(const FieldList &fields, std::string_view record, int field);

// The field's value: 0 for absent numbers, an empty string for absent text and binary.
// SmallStr text is cut to the declared size.
StoreValue decodeField(const FieldList &fields, std::string_view record, int field);

// Converts a value to the field's storage: numbers to the kind's range, text cut to the
// declared size (String values also to the longest a file may hold), without splitting a
// UTF-8 sequence. Null stays null.
StoreValue toStorage(const FieldDesc &field, const StoreValue &value);

// Encodes a whole record; values.size() must equal fields.size(). Null, zero and empty values
// get a zero length byte and take no room.
std::string encodeRecord(const FieldList &fields, const std::vector<StoreValue> &values);

// The order the store compares values in: numbers by value; text byte by byte, case-sensitive,
// a shorter text that is a prefix of a longer one being smaller; null and empty text are
// equal and smaller than anything else.
int compareValues(const StoreValue &a, const StoreValue &b);

// Cuts text to at most maxBytes bytes without splitting a UTF-8 sequence.
std::string cutText(std::string_view text, std::size_t maxBytes);
