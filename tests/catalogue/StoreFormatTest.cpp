// The table file byte for byte: creating, writing every field kind, and refusing damaged files
// with the store's messages.
#include "StoreTestUtil.h"
#include "catalogue/store/StoreError.h"

#include <QDate>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

class StoreFormatTest : public ::testing::Test
{
protected:
    QString path(const char *name = "Recordings.d") const { return dir.filePath(name); }

    // Opens the file as a table; returns the error text, or "" when it opened.
    QString openError(const QByteArray &bytes)
    {
        EXPECT_TRUE(writeFile(path(), bytes));
        table.setTableName(path());
        try {
            table.Open();
        } catch (const StoreError &e) {
            EXPECT_FALSE(table.Active());
            return QString::fromUtf8(e.what());
        }
        return QString();
    }

    QTemporaryDir dir;
    TStoreTable table;
};

TEST_F(StoreFormatTest, NewRecordingsTableIsHeaderAndDescriptorsOnly)
{
    table.setLoadMode(TableLoadMode::lmClear);
    defineRecordings(table);
    table.Open();
    table.SaveToFile(path());

    const QByteArray block = recordingsBlock();
    const QByteArray expected = le32(17 + static_cast<std::uint32_t>(block.size())) + 'S' +
                                le32(0) + le32(7) + le32(static_cast<std::uint32_t>(block.size())) +
                                block;
    EXPECT_EQ(readFile(path()), expected);
    EXPECT_EQ(block, QByteArray("XXX.id A\x12XXX.Channel i\x12XXX.FolderId K\x12XXX.DateS C\x12"
                                "XXX.TimeS G\x12XXX.Duration A\x12XXX.Comment s255\x12\x14"));
}

TEST_F(StoreFormatTest, EmptyValuesTakeOnlyTheirLengthBytesAndReadAsZeroOrNull)
{
    table.setLoadMode(TableLoadMode::lmClear);
    defineRecordings(table);
    table.Open();
    table.Append();
    table.setFieldValue("Channel", 0);
    table.setFieldValue("Comment", QString());
    table.Post();
    table.SaveToFile(path());

    const QByteArray file = readFile(path());
    EXPECT_EQ(file.right(7), QByteArray(7, '\0'));
    EXPECT_EQ(file.size(), 17 + recordingsBlock().size() + 7);
    EXPECT_EQ(file.mid(5, 4), le32(1));

    table.setTableName(path());
    table.Open();
    ASSERT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.FieldValues("Channel"), QVariant(0));
    EXPECT_TRUE(table.FieldValues("Comment").isNull());
    EXPECT_TRUE(table.FieldValues("id").isNull());
}

TEST_F(StoreFormatTest, EveryKindIsWrittenAsItsTypeCodeAndValueBytes)
{
    struct Case
    {
        FieldType type;
        int size;
        QVariant value;
        const char *code;
        QByteArray bytes; // length byte, then the value bytes
    };
    const QDate date(2024, 3, 15);
    const QTime time(14, 30, 5, 123);
    const int day = static_cast<int>(date.toJulianDay() - QDate(1, 1, 1).toJulianDay() + 1);
    const int ms = time.msecsSinceStartOfDay();
    auto f64 = [](double d) { return QByteArray(reinterpret_cast<const char *>(&d), 8); };
    const std::vector<Case> cases = {
        {FieldType::ftSmallint, 0, -2, "l", "\x02" + le16(0xFFFE)},
        {FieldType::ftWord, 0, 513, "l", "\x02" + le16(513)},
        {FieldType::ftInteger, 0, -70000, "i", "\x04" + le32(static_cast<std::uint32_t>(-70000))},
        {FieldType::ftBoolean, 0, true, "b", "\x02" + le16(0xFFFF)},
        {FieldType::ftFloat, 0, 2.5, "f", "\x08" + f64(2.5)},
        {FieldType::ftCurrency, 0, 19.99, "c", "\x08" + f64(19.99)},
        {FieldType::ftDate, 0, date, "d", "\x04" + le32(static_cast<std::uint32_t>(day))},
        {FieldType::ftTime, 0, time, "v", "\x04" + le32(static_cast<std::uint32_t>(ms))},
        {FieldType::ftDateTime, 0, QDateTime(date, time), "t", "\x08" + f64(day * 86400000.0 + ms)},
        {FieldType::ftAutoInc, 0, 7, "a", "\x04" + le32(7)},
        {FieldType::ftString, 10, QString("abc"), "A",
         "\x03"
         "abc"},
        {FieldType::ftString, 0, QVariant(), "0", QByteArray(1, '\0')},
        {FieldType::ftString, 35, QString("z"), "Z", "\x01z"},
        {FieldType::ftString, 36, QString("hello"), "s36", "\x04" + le32(5) + "hello"},
        {FieldType::ftBlob, 0, QByteArray("\x00\x01", 2), "o",
         "\x04" + le32(2) + QByteArray("\x00\x01", 2)},
        {FieldType::ftMemo, 0, QByteArray("memo"), "m", "\x04" + le32(4) + "memo"},
        {FieldType::ftFmtMemo, 0, QByteArray("r"), "r", "\x04" + le32(1) + "r"},
        {FieldType::ftGraphic, 0, QByteArray("g"), "g", "\x04" + le32(1) + "g"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        TStoreTable t;
        t.setLoadMode(TableLoadMode::lmClear);
        t.FieldDefs = {{"My Field", c.type, c.size}};
        t.Open();
        t.Append();
        t.setFieldValue("my_field", c.value);
        t.Post();
        t.SaveToFile(path("Kinds.d"));

        const QByteArray block = "XXX.My_Field " + QByteArray(c.code) + "\x12\x14";
        EXPECT_EQ(readFile(path("Kinds.d")), tableFile(block, 1, 1, c.bytes));

        t.setTableName(path("Kinds.d"));
        t.Open();
        ASSERT_EQ(t.RecordCount(), 1);
        EXPECT_EQ(t.FieldValues("MY_FIELD"), c.value);
    }
}

TEST_F(StoreFormatTest, TextLongerThanTheFieldIsCutAndExactFitRoundTrips)
{
    table.setLoadMode(TableLoadMode::lmClear);
    defineRecordings(table);
    table.Open();
    table.Append();
    table.setFieldValue("id", "0123456789");
    table.setFieldValue("Duration", "0123456789X");
    table.setFieldValue("Comment", QString(300, QLatin1Char('m')));
    table.Post();
    table.SaveToFile(path());
    table.setTableName(path());
    table.Open();
    EXPECT_EQ(table.FieldValues("id").toString(), "0123456789");
    EXPECT_EQ(table.FieldValues("Duration").toString(), "0123456789");
    EXPECT_EQ(table.FieldValues("Comment").toString(), QString(255, QLatin1Char('m')));

    // A cut never splits a character: 'é' takes two bytes.
    table.Edit();
    table.setFieldValue("id", "abcdefghi\u00e9");
    EXPECT_EQ(table.FieldValues("id").toString(), "abcdefghi");
}

TEST_F(StoreFormatTest, NoteBlockIsKeptAndWrittenBackUnchanged)
{
    const QByteArray records =
        recordingRecord("A1", 1, "F1", "15.03.2024", "14:30:05", "00:05", "note me");
    const QByteArray file = tableFile(recordingsBlock(), 7, 1, records, "*" + le16(5) + "hello");
    ASSERT_EQ(openError(file), QString());
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.FieldValues("Comment").toString(), "note me");
    table.SaveToFile(path("Copy.d"));
    EXPECT_EQ(readFile(path("Copy.d")), file);
}

TEST_F(StoreFormatTest, DamagedFilesFailWithTheStoreMessages)
{
    const QByteArray block = recordingsBlock();
    const QByteArray good = recordingRecord("A1", 1, "F1", "15.03.2024", "14:30:05", "00:05", "x");
    QByteArray fourRecords;
    for (int i = 0; i < 4; ++i)
        fourRecords += good;
    auto withComment = [&](int length) {
        QByteArray r = recordingRecord("A1", 1, "F1", "", "", "", "x");
        return r.left(r.size() - 5) + le32(static_cast<std::uint32_t>(length)) +
               QByteArray(length > 0 ? length : 0, 'c');
    };
    QByteArray longId = good;
    longId[0] = 12; // id is text 10: at most 11 bytes in the record

    struct Case
    {
        const char *name;
        QByteArray file;
        QString message; // empty: the file loads
    };
    const std::vector<Case> cases = {
        {"too short", "\x05\0\0", "Error opening table: Buffer structure corruption!"},
        {"header cut", tableFile(block, 7, 0, "").left(12),
         "Error opening table: Buffer structure corruption!"},
        {"error report", QByteArray("\0\0\0\0E", 5) + "disk failure",
         "Error opening table: disk failure"},
        {"block longer than file", tableFile(block, 7, 0, "").left(17) + block.left(10),
         "Error opening table: Buffer structure corruption!"},
        {"descriptor without end", tableFile(block.left(block.size() - 2), 7, 0, ""),
         "Error opening table: Error in buffer structure (field description section)"},
        {"unknown type code", tableFile("XXX.x Q9\x12\x14", 1, 0, ""),
         "Error opening table: Error in buffer structure (field description section)"},
        {"no fields", tableFile("\x14", 0, 3, ""),
         "Error opening table: Error in buffer structure (field description section)"},
        {"fewer records than declared", tableFile(block, 7, 5, fourRecords),
         "Error opening table: Number of records read (4) does not match declared record "
         "count (5)"},
        {"negative count", tableFile(block, 7, -1, ""),
         "Error opening table: Number of records read (0) does not match declared record "
         "count (-1)"},
        {"truncated last record", tableFile(block, 7, 4, fourRecords.left(fourRecords.size() - 3)),
         "Error opening table: Unexpected end of buffer"},
        {"text too long for field", tableFile(block, 7, 1, longId),
         "Error opening table: Field 'id' has wrong length 12 in record 1"},
        {"string of 8191 bytes", tableFile(block, 7, 1, withComment(8191)), QString()},
        {"string of 8192 bytes", tableFile(block, 7, 2, good + withComment(8192)),
         "Error opening table: String field 'Comment' has wrong length 8192 in record 2"},
        {"negative string length", tableFile(block, 7, 1, withComment(-1)),
         "Error opening table: String field 'Comment' has wrong length -1 in record 1"},
        {"string length byte not 4",
         tableFile(block, 7, 1, QByteArray("\0\0\0\0\0\0\x03", 7) + "abc"),
         "Error opening table: Field 'Comment' has wrong length 3 in record 1"},
        {"negative blob length", tableFile("XXX.b o\x12\x14", 1, 1, "\x04" + le32(0x80000000u)),
         "Error opening table: BLOB field 'b' has wrong length -2147483648 in record 1"},
        {"note cut short", tableFile(block, 7, 0, "", "*" + le16(50) + "abcdefghij"),
         "Error opening table: Unexpected end of buffer"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(openError(c.file), c.message);
        table.Close();
    }
}

TEST_F(StoreFormatTest, MissingFileFailsWithItsResolvedName)
{
    table.setTableName(path("Nowhere.d"));
    try {
        table.Open();
        FAIL() << "opened a missing file";
    } catch (const StoreError &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Error opening file " + path("Nowhere.d"));
    }
    EXPECT_FALSE(table.Active());
}

TEST_F(StoreFormatTest, CreatingWithoutFieldsFails)
{
    table.setLoadMode(TableLoadMode::lmClear);
    EXPECT_THROW(table.Open(), StoreError);
    try {
        table.Open();
    } catch (const StoreError &e) {
        EXPECT_STREQ(e.what(), "Error creating table (no field descriptions)");
    }
}

} // namespace

namespace {

TEST(StoreCompareTest, NumbersByValueTextByBytesAndEmptyFirst)
{
    using V = StoreValue;
    struct Case
    {
        V a, b;
        int expected;
    };
    const std::vector<Case> cases = {
        {V(std::int64_t(2)), V(std::int64_t(10)), -1},
        {V(std::int64_t(3)), V(3.0), 0},
        {V(2.5), V(std::int64_t(2)), 1},
        {V(std::string("B")), V(std::string("a")), -1}, // case-sensitive, by byte value
        {V(std::string("ab")), V(std::string("abc")), -1},
        {V(std::string("abc")), V(std::string("abc")), 0},
        {V(std::string("")), V(std::string("0")), -1},
        {V(), V(std::string("")), 0},
        {V(std::string("\xC3\xA9")), V(std::string("z")), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(&c - cases.data());
        EXPECT_EQ(compareValues(c.a, c.b), c.expected);
        EXPECT_EQ(compareValues(c.b, c.a), -c.expected);
    }
}

} // namespace
