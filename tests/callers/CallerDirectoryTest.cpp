// The caller directory on disk: importing contacts, looking callers up by any form of their
// number, naming withheld and unavailable callers, and a file that cannot be read left alone.
#include "callers/CallerDirectory.h"
#include "callers/CallerId.h"
#include "callers/CallerNames.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WholeFile.h"

namespace {

const QList<VCardReader::Contact> Contacts = {
    {"Anne Smith", {"+44 20 7946 0018", "07700 900123"}},
    {"Bob Jones", {"+1 212 555 0142"}},
};

TEST(CallerDirectoryTest, ImportedCallersAreFoundByAnyFormOfTheirNumberAfterReopening)
{
    QTemporaryDir dir;
    {
        CallerDirectory callers(dir.path());
        ASSERT_TRUE(callers.load());
        ASSERT_TRUE(callers.setHomeCountry("GB"));
        const CallerDirectory::ImportCounts counts = callers.import(Contacts);
        EXPECT_EQ(counts.added, 2);
        ASSERT_TRUE(callers.save()) << callers.error().toStdString();
    }
    CallerDirectory callers(dir.path());
    ASSERT_TRUE(callers.load());
    EXPECT_EQ(callers.homeCountry(), "GB");
    ASSERT_EQ(callers.entries().size(), 2);
    struct Case
    {
        const char *callerId;
        const char *name;
    };
    const Case cases[] = {
        {"+44 20 7946 0018", "Anne Smith"},
        {"020 7946 0018", "Anne Smith"},
        {"02079460018", "Anne Smith"},
        {"00442079460018", "Anne Smith"},
        {"07700900123", "Anne Smith"},
        {"001 212 555 0142", "Bob Jones"},
        {"02079460019", ""},
        {"P", "Withheld"},
        {"O", "Unavailable"},
        {"", "Unavailable"},
        {"Restricted", "Withheld"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.callerId);
        EXPECT_EQ(callers.callerName(c.callerId), c.name);
    }
}

TEST(CallerDirectoryTest, TheHomeCountryChangesWhichEntryANationalNumberMeans)
{
    QTemporaryDir dir;
    CallerDirectory callers(dir.path());
    ASSERT_TRUE(callers.setHomeCountry("DE"));
    callers.import({{"Berlin Office", {"+49 30 123456"}}, {"London Office", {"+44 20 7946 0018"}}});
    EXPECT_EQ(callers.callerName("030 123456"), "Berlin Office");
    EXPECT_EQ(callers.callerName("0030123456"), "");
    EXPECT_EQ(callers.callerName("020 7946 0018"), "");
    ASSERT_TRUE(callers.setHomeCountry("GB"));
    EXPECT_EQ(callers.callerName("020 7946 0018"), "London Office");
    EXPECT_EQ(callers.callerName("0049 30 123456"), "Berlin Office");
    EXPECT_FALSE(callers.setHomeCountry("XX"));
    EXPECT_EQ(callers.homeCountry(), "GB");
}

TEST(CallerDirectoryTest, ImportingAgainAddsOnlyWhatIsNew)
{
    QTemporaryDir dir;
    CallerDirectory callers(dir.path());
    ASSERT_TRUE(callers.setHomeCountry("GB"));
    callers.import(Contacts);
    const CallerDirectory::ImportCounts again =
        callers.import(Contacts + QList<VCardReader::Contact>{
                                      {"Anne Smith", {"02079460018", "01632 960001"}},
                                      {"Carol", {"020 7946 0018"}},
                                      {"Dave", {"P"}},
                                  });
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.extended, 1);
    EXPECT_EQ(again.unchanged, 4);
    ASSERT_EQ(callers.entries().size(), 2);
    EXPECT_EQ(callers.entries()[0].numbers,
              QStringList({"+44 20 7946 0018", "07700 900123", "01632 960001"}));
    EXPECT_EQ(callers.callerName("01632960001"), "Anne Smith");
}

// Unreadable or foreign content is never replaced by an empty directory.
TEST(CallerDirectoryTest, AFileThatIsNotADirectoryIsReportedAndKept)
{
    QTemporaryDir dir;
    CallerDirectory callers(dir.path());
    const QByteArray foreign = "Name,Number\nAnne,020 7946 0018\n";
    ASSERT_TRUE(writeFile(callers.filePath(), foreign));
    EXPECT_FALSE(callers.load());
    EXPECT_TRUE(callers.error().contains("not a caller directory"))
        << callers.error().toStdString();
    callers.import(Contacts);
    EXPECT_FALSE(callers.save());
    EXPECT_EQ(readFile(callers.filePath()), foreign);
}

// Lines of kinds this version does not know, damaged lines and tabs in names.
TEST(CallerDirectoryTest, DamagedAndUnknownLinesArePassedOver)
{
    QTemporaryDir dir;
    CallerDirectory callers(dir.path());
    ASSERT_TRUE(writeFile(callers.filePath(), "Calvora callers 1\r\n"
                                              "HomeCountry\tGB\r\n"
                                              "Group\tFamily\tAnne\n"
                                              "Caller\tNo number\n"
                                              "Caller\t\t020 7946 0099\n"
                                              "HomeCountry\tXX\n"
                                              "Caller\tAnne\t020 7946 0018\t\t \n"));
    ASSERT_TRUE(callers.load());
    EXPECT_EQ(callers.homeCountry(), "GB");
    ASSERT_EQ(callers.entries().size(), 1);
    EXPECT_EQ(callers.entries()[0].numbers, QStringList{"020 7946 0018"});
    callers.import({{"Tab\tIn\nName", {"5551234"}}});
    ASSERT_TRUE(callers.save());
    ASSERT_TRUE(callers.load());
    ASSERT_EQ(callers.entries().size(), 2);
    EXPECT_EQ(callers.entries()[1].name, "Tab In Name");
}

// Groups sit on a line of their own after their entry, so that a version without groups reads
// the same entries; a later import adds the groups an entry lacks.
TEST(CallerDirectoryTest, GroupsAreKeptBesideTheirEntryAndGrowOnImport)
{
    QTemporaryDir dir;
    CallerDirectory callers(dir.path());
    callers.import({{"Anne", {"5551234"}, {"Family", "Doctors"}}, {"Bob", {"5559876"}, {}}});
    ASSERT_TRUE(callers.save());
    EXPECT_EQ(readFile(callers.filePath()), "Calvora callers 1\nCaller\tAnne\t5551234\n"
                                            "Groups\tFamily\tDoctors\nCaller\tBob\t5559876\n");
    const CallerDirectory::ImportCounts again =
        callers.import({{"Bob", {"5559876"}, {"Work"}}, {"Anne", {"5551234"}, {"family"}}});
    EXPECT_EQ(again.extended, 1);
    EXPECT_EQ(again.unchanged, 1);
    ASSERT_TRUE(callers.save());
    ASSERT_TRUE(callers.load());
    ASSERT_EQ(callers.entries().size(), 2);
    EXPECT_EQ(callers.entries()[0].groups, QStringList({"Family", "Doctors"}));
    EXPECT_EQ(callers.entries()[1].groups, QStringList{"Work"});

    ASSERT_TRUE(writeFile(callers.filePath(), "Calvora callers 1\nGroups\tStray\n"
                                              "Caller\tNo number\nGroups\tLost\n"
                                              "Caller\tAnne\t5551234\nGroups\tA\t\t b \n"));
    ASSERT_TRUE(callers.load());
    ASSERT_EQ(callers.entries().size(), 1);
    EXPECT_EQ(callers.entries()[0].groups, QStringList({"A", "b"}));
}

TEST(CallerDirectoryTest, WithheldAndUnavailableForms)
{
    using CallerId::Kind;
    const std::pair<const char *, Kind> cases[] = {
        {"P", Kind::Withheld},
        {"p", Kind::Withheld},
        {" P ", Kind::Withheld},
        {"Private", Kind::Withheld},
        {"O", Kind::Unavailable},
        {"", Kind::Unavailable},
        {"Out of area", Kind::Unavailable},
        {"5551234", Kind::Number},
        {"PO", Kind::Number},
    };
    for (const auto &[text, kind] : cases)
        EXPECT_EQ(CallerId::kindOf(text), kind) << text;
}

} // namespace

namespace {

// A running program sees contacts imported after it started, without a restart.
TEST(CallerNamesTest, TheDirectoryIsReadAgainWhenItsFileChanges)
{
    QTemporaryDir dir;
    CallerNames names(dir.path());
    EXPECT_EQ(names.nameFor("020 7946 0018"), "");
    EXPECT_EQ(names.nameFor("P"), "Withheld");

    CallerDirectory callers(dir.path());
    ASSERT_TRUE(callers.setHomeCountry("GB"));
    callers.import({{"Anne", {"+44 20 7946 0018"}}});
    ASSERT_TRUE(callers.save());
    EXPECT_EQ(names.nameFor("020 7946 0018"), "Anne");

    callers.import({{"Bob Jones", {"+44 20 7946 0019"}}});
    ASSERT_TRUE(callers.save());
    EXPECT_EQ(names.nameFor("020 7946 0019"), "Bob Jones");
    EXPECT_EQ(names.nameFor("020 7946 0018"), "Anne");

    ASSERT_TRUE(QFile::remove(callers.filePath()));
    EXPECT_EQ(names.nameFor("020 7946 0018"), "");
}

} // namespace
