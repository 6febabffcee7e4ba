// Compressions.d: the modem's recognised compressions as fixed 279-byte records, no header.
// Each of the nine fields takes 31 bytes: a length byte (0..30) and 30 bytes of text.
#pragma once

#include "CompressionRow.h"

#include <QByteArray>
#include <QList>

namespace CompressionsFile {

constexpr int FieldBytes = 1 + CompressionRow::FieldLength;
constexpr int RecordBytes = 9 * FieldBytes; // 279
constexpr int MaxRows = 101;                // indices 0..100

QByteArray encode(const CompressionRow &row);
// A record whose length bytes exceed 30 is damaged: no value.
std::optional<CompressionRow> decode(const QByteArray &record);

// Replaces the file with these rows (at most MaxRows are written). False when it cannot be
// written; the old file is then left as it was.
bool write(const QString &path, const QList<CompressionRow> &rows);

// Every complete record of the file; empty when the file is missing.
QList<CompressionRow> readAll(const QString &path);

// Row index of the file, or no value when the file has no such complete, sound record.
std::optional<CompressionRow> readRow(const QString &path, int index);

} // namespace CompressionsFile
