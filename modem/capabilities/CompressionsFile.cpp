// Text is stored one byte per character (Latin-1): modem replies are bytes, and the fixed
// field size counts bytes.
#include "CompressionsFile.h"

#include "support/AtomicFile.h"

#include <QFile>

namespace CompressionsFile {

namespace {
QList<QString CompressionRow::*> fields()
{
    return {&CompressionRow::Description, &CompressionRow::cml, &CompressionRow::cmid,
            &CompressionRow::bps,         &CompressionRow::tm,  &CompressionRow::vsr,
            &CompressionRow::scs,         &CompressionRow::sel, &CompressionRow::VSMCommand};
}
} // namespace

QByteArray encode(const CompressionRow &row)
{
    QByteArray record;
    record.reserve(RecordBytes);
    for (QString CompressionRow::*field : fields()) {
        QByteArray text = (row.*field).toLatin1().left(CompressionRow::FieldLength);
        record.append(static_cast<char>(text.size()));
        text.resize(CompressionRow::FieldLength, '\0');
        record.append(text);
    }
    return record;
}

std::optional<CompressionRow> decode(const QByteArray &record)
{
    if (record.size() < RecordBytes)
        return std::nullopt;
    CompressionRow row;
    int offset = 0;
    for (QString CompressionRow::*field : fields()) {
        const int length = static_cast<unsigned char>(record[offset]);
        if (length > CompressionRow::FieldLength)
            return std::nullopt;
        row.*field = QString::fromLatin1(record.mid(offset + 1, length));
        offset += FieldBytes;
    }
    if (row.VSMCommand.contains(QLatin1Char(';')) && !row.VSMCommand.contains(QLatin1Char(',')))
        row.separator = QLatin1Char(';');
    return row;
}

bool write(const QString &path, const QList<CompressionRow> &rows)
{
    QByteArray content;
    for (qsizetype i = 0; i < rows.size() && i < MaxRows; ++i)
        content += encode(rows[i]);
    return AtomicFile::write(path, content);
}

QList<CompressionRow> readAll(const QString &path)
{
    QList<CompressionRow> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QByteArray content = file.read(qint64(RecordBytes) * MaxRows);
    for (qsizetype at = 0; at + RecordBytes <= content.size(); at += RecordBytes) {
        if (auto row = decode(content.mid(at, RecordBytes)))
            rows.append(*row);
        else
            break;
    }
    return rows;
}

std::optional<CompressionRow> readRow(const QString &path, int index)
{
    if (index < 0 || index >= MaxRows)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(qint64(index) * RecordBytes))
        return std::nullopt;
    return decode(file.read(RecordBytes));
}

} // namespace CompressionsFile
