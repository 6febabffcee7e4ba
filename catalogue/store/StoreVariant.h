// Values of the table store as the program sees them (QVariant), and back. Text is held as
// UTF-8; text that is not valid UTF-8 (files written on older systems) reads as Latin-1.
#pragma once

#include "StoreRecord.h"

#include <QString>
#include <QVariant>
#include <string_view>

namespace StoreVariant {

// The value a field reads as: an empty text or binary reads as null, a number of zero as 0.
QVariant fromStore(const FieldDesc &field, const StoreValue &value);

// A value written to a field, in the field's storage (text cut to its size). Null stays null.
// Throws StoreError when the value cannot become the field's kind.
StoreValue toStore(const FieldDesc &field, const QVariant &value);

// Text bytes of the store as a string.
QString text(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

} // namespace StoreVariant
