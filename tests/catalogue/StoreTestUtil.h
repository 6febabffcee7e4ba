// Helpers shared by the table store tests: table files built byte by byte, and the catalogue's
// recordings schema.
#pragma once

#include "WholeFile.h"
#include "catalogue/store/TStoreTable.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

namespace StoreTest {

inline QByteArray le32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

inline QByteArray le16(std::uint16_t v)
{
    return le32(v).left(2);
}

// The descriptors of Recordings.d as the catalogue creates them.
inline QByteArray recordingsBlock()
{
    QByteArray block;
    for (const char *d : {"XXX.id A", "XXX.Channel i", "XXX.FolderId K", "XXX.DateS C",
                          "XXX.TimeS G", "XXX.Duration A", "XXX.Comment s255"})
        block += QByteArray(d) + '\x12';
    return block + '\x14';
}

// A table file: header, block, optional note, records; the total length is filled in.
inline QByteArray tableFile(const QByteArray &block, int fieldCount, std::int32_t declared,
                            const QByteArray &records, const QByteArray &noteBlock = {})
{
    QByteArray body = 'S' + le32(static_cast<std::uint32_t>(declared)) +
                      le32(static_cast<std::uint32_t>(fieldCount)) +
                      le32(static_cast<std::uint32_t>(block.size())) + block + noteBlock + records;
    return le32(static_cast<std::uint32_t>(body.size() + 4)) + body;
}

// One Recordings.d record: id, Channel, FolderId, DateS, TimeS, Duration, Comment.
inline QByteArray recordingRecord(const QByteArray &id, int channel, const QByteArray &folder,
                                  const QByteArray &date, const QByteArray &time,
                                  const QByteArray &duration, const QByteArray &comment)
{
    QByteArray lengths, values;
    auto text = [&](const QByteArray &t) {
        lengths += static_cast<char>(t.size());
        values += t;
    };
    text(id);
    lengths += static_cast<char>(channel ? 4 : 0);
    if (channel)
        values += le32(static_cast<std::uint32_t>(channel));
    text(folder);
    text(date);
    text(time);
    text(duration);
    lengths += static_cast<char>(comment.isEmpty() ? 0 : 4);
    if (!comment.isEmpty())
        values += le32(static_cast<std::uint32_t>(comment.size())) + comment;
    return lengths + values;
}

inline void defineRecordings(TStoreTable &table)
{
    table.FieldDefs = {
        {"id", FieldType::ftString, 10},       {"Channel", FieldType::ftInteger, 0},
        {"FolderId", FieldType::ftString, 20}, {"DateS", FieldType::ftString, 12},
        {"TimeS", FieldType::ftString, 16},    {"Duration", FieldType::ftString, 10},
        {"Comment", FieldType::ftString, 255},
    };
}

} // namespace StoreTest
