// calvora-catalogue run on a data directory: rows of every folder as text and CSV, and a
// damaged table reported with the store's message.
#include "CatalogueToolRun.h"
#include "StoreTestUtil.h"
#include "catalogue/Catalogue.h"
#include "support/ScriptedMessageService.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

// An 8 kHz, 8-bit mono WAV file: its header and samples bytes of sound (the sizes as given).
QByteArray wavFile(int samples)
{
    return "RIFF" + le32(std::uint32_t(36 + samples)) + "WAVEfmt " + le32(16) + le16(1) + le16(1) +
           le32(8000) + le32(8000) + le16(1) + le16(8) + "data" + le32(std::uint32_t(samples)) +
           QByteArray(samples, char(128));
}

// Each listed row gets a recording in the recordings folder.
void giveEveryRowItsRecording(const QString &dataDir, const QString &listed)
{
    QDir().mkpath(dataDir + "/wav");
    const QStringList lines = listed.split('\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1))
        ASSERT_TRUE(writeFile(dataDir + "/wav/" + line.split('\t').value(5), wavFile(800)))
            << line.toStdString();
}

TEST(CatalogueToolTest, ListsAndExportsEveryFolderAndReportsDamage)
{
    QTemporaryDir dir;
    const QStringList at = {"--data-dir", dir.path()};
    ASSERT_EQ(runTool(at + QStringList{"add", "--date", "2024-03-15", "--time", "14:30:05",
                                       "--duration", "65", "--memo", "Quote \"me\", please"})
                  .code,
              0);
    {
        // A second folder with a row, and a row whose folder is gone.
        ScriptedMessageService messages;
        Catalogue c(dir.path(), messages, nullptr);
        ASSERT_TRUE(c.OpenCatalogue());
        // The first row ended on the modem's busy tone and is kept.
        const QString first = c.CallsTbl.FieldValues("id").toString();
        ASSERT_FALSE(first.isEmpty());
        c.FoldersTbl.Append();
        c.FoldersTbl.setFieldValue("FolderId", "W1");
        c.FoldersTbl.setFieldValue("FolderName", "Work, late");
        c.FoldersTbl.Post();
        c.FoldersTbl.SaveChanges();
        RecordingFacts facts;
        facts.end = RecordingEnd::modemEvent('b');
        facts.callerNumber = "5550100";
        facts.callerName = "Smith, Anne";
        ASSERT_TRUE(c.Details.store(first, facts));
        ASSERT_TRUE(c.Details.setPinned({first}, true));
        c.CallsTbl.Append();
        c.CallsTbl.setFieldValue("FolderId", "GONE");
        c.CallsTbl.setFieldValue("Comment", "orphan");
        c.CallsTbl.setFieldValue("DateS", c.formats.dateText(QDate(2024, 3, 17)));
        c.CallsTbl.setFieldValue("TimeS", c.formats.timeText(QTime(8, 0)));
        c.CallsTbl.Post();
        c.CallsTbl.SaveChanges();
    }
    ASSERT_EQ(
        runTool(at + QStringList{"add", "--folder", "Work, late", "--date", "2024-03-16", "--time",
                                 "09:00:00", "--duration", "2:00", "--memo", "line\nbreak"})
            .code,
        0);

    const ToolRun list = runTool(at + QStringList{"list"});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << list.out.toStdString();
    EXPECT_EQ(lines[0],
              "Folder\tDate\tTime\tDuration\tMemo\tFile\tEnded\tSilent\tKept\tCaller\tNumber");
    EXPECT_TRUE(lines[1].startsWith("General\t")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(
        "\t01:05\tQuote \"me\", please\t1_20240315_143005.wav\tModem: busy tone\t\tyes\t"
        "Smith, Anne\t5550100"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("\t02:00\tline break\t1_20240316_090000.wav\t\t\t\t\t"));
    EXPECT_TRUE(lines[3].startsWith("\t")) << "the orphan row is listed without a folder";

    const QString csv = dir.filePath("out.csv");
    ASSERT_EQ(runTool(at + QStringList{"export-csv", csv}).code, 0);
    const QStringList rows = QString::fromUtf8(readFile(csv)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[1].endsWith(
        ",01:05,\"Quote \"\"me\"\", please\",1_20240315_143005.wav,Modem: busy tone,,yes,"
        "\"Smith, Anne\",5550100"))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith("\"Work, late\",")) << rows[2].toStdString();

    giveEveryRowItsRecording(dir.path(), list.out);
    const ToolRun ok = runTool(at + QStringList{"check"});
    EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out, "Recordings.d: 3 records\nFolders.d: 2 records\n");

    // A damaged details table leaves every row listed, and says so.
    const QByteArray details = readFile(dir.filePath("RecordingDetails.d"));
    ASSERT_TRUE(writeFile(dir.filePath("RecordingDetails.d"), details.left(details.size() - 1)));
    const ToolRun withoutDetails = runTool(at + QStringList{"list"});
    EXPECT_EQ(withoutDetails.code, 0);
    EXPECT_EQ(withoutDetails.out.count('\n'), 4) << withoutDetails.out.toStdString();
    EXPECT_TRUE(withoutDetails.err.startsWith("RecordingDetails.d: Error opening table:"))
        << withoutDetails.err.toStdString();
    EXPECT_EQ(readFile(dir.filePath("RecordingDetails.d")), details.left(details.size() - 1))
        << "listing changes nothing";
    ASSERT_TRUE(writeFile(dir.filePath("RecordingDetails.d"), details));

    const QByteArray table = readFile(dir.filePath("Recordings.d"));
    ASSERT_TRUE(writeFile(dir.filePath("Recordings.d"), table.left(table.size() - 2)));
    const ToolRun bad = runTool(at + QStringList{"check"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "Recordings.d: Error opening table: Unexpected end of buffer\n");
    EXPECT_EQ(readFile(dir.filePath("Recordings.d")), table.left(table.size() - 2))
        << "check changes nothing";
    EXPECT_EQ(runTool(at + QStringList{"frobnicate"}).code, 2);
}

} // namespace

namespace {

// check follows every row to its recording: a row whose file is missing, empty, not a WAV file
// or a WAV header without sound is reported, and the exit status says so.
TEST(CatalogueToolTest, CheckReportsEveryRowWithoutARecording)
{
    QTemporaryDir dir;
    const QStringList at = {"--data-dir", dir.path()};
    struct Case
    {
        const char *time;
        QByteArray content; // of its file; none for a missing file
        bool present;
        const char *problem; // empty for a recording
    };
    const Case cases[] = {
        {"10:00:00", wavFile(8000), true, ""},
        {"10:00:01", {}, false, "is missing"},
        {"10:00:02", {}, true, "is empty"},
        {"10:00:03", wavFile(8000).left(20), true, "is not a WAV file"}, // a header cut short
        {"10:00:04", "Hello, this is not a recording at all, just text.", true,
         "is not a WAV file"},
        {"10:00:05", wavFile(0), true, "holds no sound"},
    };
    QDir().mkpath(dir.filePath("wav"));
    for (const Case &c : cases) {
        const ToolRun added = runTool(
            at + QStringList{"add", "--date", "2024-03-15", "--time", c.time, "--memo", c.time});
        ASSERT_EQ(added.code, 0) << added.err.toStdString();
        if (c.present) {
            ASSERT_TRUE(writeFile(dir.filePath("wav/" + added.out.trimmed()), c.content));
        }
    }

    const ToolRun checked = runTool(at + QStringList{"check"});
    EXPECT_EQ(checked.code, 1) << checked.err.toStdString();
    EXPECT_EQ(checked.out, "Recordings.d: 6 records\nFolders.d: 1 records\n");
    const QStringList reported = checked.err.split('\n', Qt::SkipEmptyParts);
    int problems = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time);
        const QString file = "1_20240315_" + QString(c.time).remove(':') + ".wav";
        const QStringList lines = reported.filter(file);
        if (QString(c.problem).isEmpty()) {
            EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
            continue;
        }
        ++problems;
        ASSERT_EQ(lines.size(), 1) << checked.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("Recordings.d: ")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(" in General: ")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].endsWith(file + " " + c.problem)) << lines[0].toStdString();
    }
    EXPECT_EQ(reported.size(), problems) << checked.err.toStdString();
}

// Tree.ini marks levels with leading '#', so a folder name cannot begin with one.
TEST(CatalogueToolTest, AFolderNameLosesTheLeadingMarksTheTreeFileCannotHold)
{
    QTemporaryDir dir;
    const QStringList at = {"--data-dir", dir.path()};
    const ToolRun added = runTool(at + QStringList{"add-folder", " #Work"});
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    ScriptedMessageService messages;
    Catalogue c(dir.path(), messages, nullptr);
    ASSERT_TRUE(c.OpenCatalogue());
    EXPECT_TRUE(c.FoldersTbl.Locate("FolderName", "Work"));
    EXPECT_FALSE(c.FoldersTbl.Locate("FolderName", "#Work"));
}

// A recording's file is named after its start; two rows must never share one.
TEST(CatalogueToolTest, AnAddThatWouldShareAFileNameIsRefused)
{
    QTemporaryDir dir;
    const QStringList add = {"--data-dir", dir.path(), "add",     "--date",
                             "2024-03-15", "--time",   "14:30:05"};
    const ToolRun first = runTool(add);
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    ASSERT_EQ(runTool({"--data-dir", dir.path(), "add-folder", "Work"}).code, 0);
    const ToolRun again = runTool(add + QStringList{"--folder", "Work"});
    EXPECT_NE(again.code, 0);
    EXPECT_TRUE(again.err.contains("A recording named " + first.out.trimmed() + " exists already"))
        << again.err.toStdString();
    EXPECT_EQ(runTool({"--data-dir", dir.path(), "list"}).out.count('\n'), 2)
        << "the header and the one row";
    EXPECT_EQ(runTool(add + QStringList{"--time", "14:30:06"}).code, 0)
        << "the last --time given counts";
}

} // namespace

namespace {

// Contacts from an address book's vCard file become the caller directory; files that cannot
// be read say so and leave the directory as it was.
TEST(CatalogueToolTest, ContactsAreImportedListedAndUnreadableFilesRefused)
{
    QTemporaryDir dir;
    const QStringList at = {"--data-dir", dir.path()};
    const QString vcf = dir.filePath("contacts.vcf");
    ASSERT_TRUE(writeFile(vcf, "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                               "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Zo=C3=AB =\r\nAdams\r\n"
                               "TEL;CELL:+44 20 7946 0018\r\nTEL;HOME:01632 960001\r\nEND:VCARD\r\n"
                               "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bob\r\n"
                               "TEL;VALUE=uri:tel:+1-212-555-0142\r\n"
                               "CATEGORIES:Work,Law\\, Tax,work\r\nEND:VCARD\r\n"
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No Number\r\nEND:VCARD\r\n"));
    ASSERT_EQ(runTool(at + QStringList{"contacts", "home-country", "gb"}).out, "GB\n");

    const ToolRun imported = runTool(at + QStringList{"contacts", "import", vcf});
    ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "2 callers added, 0 given more numbers, 0 already known, 1 cards "
                            "without a name or a number left out\n");
    const ToolRun again = runTool(at + QStringList{"contacts", "import", vcf});
    EXPECT_TRUE(again.out.startsWith("0 callers added, 0 given more numbers, 2 already known"))
        << again.out.toStdString();

    const ToolRun list = runTool(at + QStringList{"contacts", "list"});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    EXPECT_EQ(list.out,
              QString::fromUtf8("Name\tNumbers\tGroups\nZo\xC3\xAB Adams\t+44 20 7946 0018, "
                                "01632 960001\t\nBob\t+1-212-555-0142\tWork, Law, Tax\n"));
    const QByteArray directory = readFile(dir.filePath("Callers.txt"));
    struct Lookup
    {
        const char *number;
        int code;
        QString out;
    };
    const Lookup lookups[] = {
        {"02079460018", 0, QString::fromUtf8("Zo\xC3\xAB Adams\n")},
        {"0016 32 960001", 1, ""},
        {"001 212 555 0142", 0, "Bob\n"},
        {"P", 0, "Withheld\n"},
        {"O", 0, "Unavailable\n"},
        {"020 7946 0019", 1, ""},
    };
    for (const Lookup &l : lookups) {
        SCOPED_TRACE(l.number);
        const ToolRun r = runTool(at + QStringList{"contacts", "lookup", l.number});
        EXPECT_EQ(r.code, l.code);
        EXPECT_EQ(r.out, l.out);
    }

    const QString notVCard = dir.filePath("photo.jpg");
    ASSERT_TRUE(writeFile(notVCard, "\xFF\xD8\xFF\xE0 not a card"));
    struct Case
    {
        QString file;
        QString error;
    };
    const Case cases[] = {
        {dir.filePath("missing.vcf"), "Cannot read " + dir.filePath("missing.vcf") + ": "},
        {dir.path(), "Cannot read " + dir.path() + ": "},
        {notVCard, notVCard + " holds no vCard contacts\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const ToolRun failed = runTool(at + QStringList{"contacts", "import", c.file});
        EXPECT_EQ(failed.code, 1);
        EXPECT_TRUE(failed.err.startsWith(c.error)) << failed.err.toStdString();
        EXPECT_EQ(failed.out, "");
    }
    EXPECT_EQ(readFile(dir.filePath("Callers.txt")), directory);

    const ToolRun badCountry = runTool(at + QStringList{"contacts", "home-country", "XX"});
    EXPECT_EQ(badCountry.code, 2);
    EXPECT_TRUE(badCountry.err.startsWith("Unknown country code XX"));
    EXPECT_EQ(runTool(at + QStringList{"contacts", "frobnicate"}).code, 2);

    // A directory file damaged by hand is reported, not replaced by what could be read.
    ASSERT_TRUE(writeFile(dir.filePath("Callers.txt"), "garbage\n"));
    const ToolRun damaged = runTool(at + QStringList{"contacts", "import", vcf});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_TRUE(damaged.err.contains("Callers.txt: not a caller directory"))
        << damaged.err.toStdString();
    EXPECT_EQ(readFile(dir.filePath("Callers.txt")), "garbage\n");
}

} // namespace
