// Compressions.d: fixed 279-byte records.
#include "modem/capabilities/CompressionsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CompressionsFileTest, RowsAreFixedRecordsOfLengthPrefixedFields)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Compressions.d");
    CompressionRow row = *ParseVsmLine("128,\"8-BIT LINEAR\",8,0,(7200,8000,11025)");
    row.VSMCommand = BuildVsmCommand(row);
    CompressionRow second = *ParseVsmLine("1;G.711U;(8000)");
    second.VSMCommand = BuildVsmCommand(second);
    ASSERT_TRUE(CompressionsFile::write(path, {row, second}));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 2 * 279);
    EXPECT_EQ(bytes[0], 12); // "UNSIGNED PCM"
    EXPECT_EQ(bytes.mid(1, 12), "UNSIGNED PCM");
    EXPECT_EQ(bytes[31], 3);
    EXPECT_EQ(bytes.mid(32, 3), "128");
    EXPECT_EQ(bytes[8 * 31], 15);
    EXPECT_EQ(bytes.mid(8 * 31 + 1, 15), "at+vsm=128,8000");
    EXPECT_EQ(bytes.mid(279, 5), QByteArray("\x04ULAW"));

    EXPECT_EQ(CompressionsFile::readAll(path), QList<CompressionRow>({row, second}));
    EXPECT_EQ(CompressionsFile::readRow(path, 1)->VSMCommand, "at+vsm=1;8000");
    EXPECT_FALSE(CompressionsFile::readRow(path, 2).has_value());
    EXPECT_FALSE(CompressionsFile::readRow(path, -1).has_value());
}

TEST(CompressionsFileTest, AtMostAHundredAndOneRowsAndDamagedRecordsAreRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Compressions.d");
    QList<CompressionRow> rows(150, *ParseVsmLine("1;G.711U;(8000)"));
    ASSERT_TRUE(CompressionsFile::write(path, rows));
    EXPECT_EQ(QFile(path).size(), 101 * 279);

    QByteArray damaged = CompressionsFile::encode(rows[0]);
    damaged[31] = char(200); // a length beyond the field
    EXPECT_FALSE(CompressionsFile::decode(damaged).has_value());
    EXPECT_FALSE(CompressionsFile::decode(damaged.left(100)).has_value());
    EXPECT_TRUE(CompressionsFile::readAll(dir.filePath("missing.d")).isEmpty());
}
