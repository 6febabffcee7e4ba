// Rules for calls: which rule a caller meets, the memo a template gives, the rules file kept
// across a restart, and a damaged rules file that loses nothing.
#include "callers/CallFiling.h"
#include "callers/CallerDirectory.h"
#include "callers/CallerRule.h"
#include "callers/CallerRulesFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WholeFile.h"

namespace {

using Match = CallerRule::Match;

CallerRule rule(Match match, const QString &value = {})
{
    CallerRule r;
    r.match = match;
    r.value = value;
    return r;
}

TEST(CallerRulesTest, EachMatchMeetsItsCallersOnly)
{
    struct Case
    {
        CallerRule rule;
        const char *number;
        const char *entry;
        QStringList groups;
        bool matches;
    };
    const Case cases[] = {
        {rule(Match::NumberIs, "020 7946 0018"), "+442079460018", "", {}, true},
        {rule(Match::NumberIs, "+44 20 7946 0018"), "02079460018", "", {}, true},
        {rule(Match::NumberIs, "020 7946 0018"), "02079460019", "", {}, false},
        {rule(Match::NumberIs, "5551234"), "555-1234", "", {}, true},
        {rule(Match::NumberIs, "P"), "P", "", {}, false},
        {rule(Match::NumberStartsWith, "0800"), "0800 123 456", "", {}, true},
        {rule(Match::NumberStartsWith, "0800"), "08 00123456", "", {}, true},
        {rule(Match::NumberStartsWith, "0800"), "0900123456", "", {}, false},
        {rule(Match::NumberStartsWith, "+44 20"), "02079460018", "", {}, true},
        {rule(Match::NumberStartsWith, "+1"), "02079460018", "", {}, false},
        {rule(Match::NumberStartsWith, "-"), "02079460018", "", {}, false},
        {rule(Match::NumberStartsWith, "0"), "O", "", {}, false},
        {rule(Match::Entry, "dr who"), "5551234", "Dr Who", {}, true},
        {rule(Match::Entry, "Dr Who"), "5551234", "", {}, false},
        {rule(Match::Entry, "Dr Who"), "5551234", "Dr Whom", {}, false},
        {rule(Match::Group, "Family"), "5551234", "Anne", {"Work", "family"}, true},
        {rule(Match::Group, "Family"), "5551234", "Anne", {"Work"}, false},
        {rule(Match::Group, " "), "5551234", "Anne", {" "}, false},
        {rule(Match::Withheld), "P", "", {}, true},
        {rule(Match::Withheld), "Anonymous", "", {}, true},
        {rule(Match::Withheld), "O", "", {}, false},
        {rule(Match::Unavailable), "O", "", {}, true},
        {rule(Match::Unavailable), "", "", {}, true},
        {rule(Match::Unavailable), "5551234", "", {}, false},
        {rule(Match::Any), "", "", {}, true},
        {rule(Match::Any), "5551234", "Anne", {}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 / %3 %4")
                         .arg(CallerRule::matchText(c.rule.match), c.rule.value, c.number, c.entry)
                         .toStdString());
        RuleCaller caller;
        caller.number = c.number;
        caller.kind = CallerId::kindOf(c.number);
        caller.entryName = c.entry;
        caller.groups = c.groups;
        caller.homeCountry = "GB";
        EXPECT_EQ(CallerRules::matches(c.rule, caller), c.matches);
    }
}

TEST(CallerRulesTest, TheFirstMatchingRuleApplies)
{
    const QList<CallerRule> rules = {rule(Match::Withheld), rule(Match::NumberStartsWith, "555"),
                                     rule(Match::NumberIs, "5551234"), rule(Match::Any)};
    RuleCaller caller;
    caller.number = "5551234";
    caller.kind = CallerId::Kind::Number;
    EXPECT_EQ(CallerRules::firstMatch(rules, caller), 1);
    EXPECT_EQ(CallerRules::firstMatch(rules.mid(0, 1), caller), -1);
}

TEST(CallerRulesTest, MemoTemplatesFillInTheirFieldsOnce)
{
    const QDate date(2024, 3, 15);
    struct Case
    {
        const char *memoTemplate, *name, *number, *memo;
    };
    const Case cases[] = {
        {"{name} ({number}) on {date}", "Anne", "5551234", "Anne (5551234) on 2024-03-15"},
        {"{name}{name}", "{number}", "5551234", "{number}{number}"},
        {"{nam} {Name} {", "Anne", "1", "{nam} {Name} {"},
        {"tab\there\nand a line", "", "", "tab here and a line"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CallerRules::memoFrom(c.memoTemplate, c.name, c.number, date), c.memo);
    EXPECT_EQ(CallerRules::memoFrom(QString(300, 'x'), "", "", date).size(),
              CallerRule::MaxTextLength);
    EXPECT_EQ(CallerRules::namedMemo("Anne", "5551234"), "Anne (5551234)");
    EXPECT_EQ(CallerRules::namedMemo("", "5551234"), "5551234");
    EXPECT_EQ(CallerRules::namedMemo("Withheld", "P"), "P");
}

TEST(CallerRulesTest, TheRulesFileKeepsEveryRuleInOrder)
{
    QTemporaryDir dir;
    CallerRule skip = rule(Match::Group, "Doctors\ttab");
    skip.neverRecord = true;
    CallerRule filed = rule(Match::NumberStartsWith, "0800");
    filed.folderId = "K3J2";
    filed.memoTemplate = "Sales: {name}, {date}=";
    const QList<CallerRule> rules = {skip, filed, rule(Match::Unavailable), rule(Match::Any)};
    {
        CallerRulesFile file(dir.path());
        ASSERT_TRUE(file.load());
        EXPECT_TRUE(file.rules().isEmpty()) << "no file: no rules";
        file.setRules(rules);
        file.setNamedMemo(true);
        ASSERT_TRUE(file.save()) << file.error().toStdString();
    }
    CallerRulesFile file(dir.path());
    ASSERT_TRUE(file.load());
    EXPECT_TRUE(file.problems().isEmpty()) << file.problems().join('\n').toStdString();
    EXPECT_TRUE(file.namedMemo());
    ASSERT_EQ(file.rules().size(), 4);
    EXPECT_EQ(file.rules()[0].value, "Doctors tab");
    EXPECT_TRUE(file.rules()[0].neverRecord);
    EXPECT_EQ(file.rules()[1], filed);
    EXPECT_EQ(file.rules()[3], rule(Match::Any));
    EXPECT_FALSE(QDir(dir.path()).entryList(QDir::Files).join(' ').contains("damaged"));
}

// A damaged line costs its rule only: the others apply, the file says which lines it could
// not read, and the first save keeps the damaged file beside.
TEST(CallerRulesTest, ADamagedFileLosesNothingAndIsReported)
{
    QTemporaryDir dir;
    CallerRulesFile file(dir.path());
    const QByteArray damaged = "Calvora rules 1\n"
                               "Rule\tmatch=withheld\tnever-record=yes\n"
                               "Rule\tmatch=number-sounds-like\tvalue=5\n"
                               "Rule\tmatch=number-is\n"
                               "Rule\tvalue=5551234\n"
                               "Rule\tmatch=any\tcolour=red\n"
                               "\x01\xff\xfe garbage\n"
                               "Rule\tmatch=number-is\tvalue=5551234\tfolder=F1\n";
    ASSERT_TRUE(writeFile(file.filePath(), damaged));
    ASSERT_TRUE(file.load());
    ASSERT_EQ(file.rules().size(), 2);
    EXPECT_TRUE(file.rules()[0].neverRecord);
    EXPECT_EQ(file.rules()[1].folderId, "F1");
    const QString problems = file.problems().join('\n');
    EXPECT_EQ(file.problems().size(), 5) << problems.toStdString();
    for (const char *said :
         {"line 3: unknown match 'number-sounds-like'", "line 4: number is needs a value",
          "line 5: no match", "line 6: cannot read 'colour=red'", "line 7: cannot read"})
        EXPECT_TRUE(problems.contains(said)) << said << "\n" << problems.toStdString();

    file.setRules(file.rules().mid(1));
    ASSERT_TRUE(file.save()) << file.error().toStdString();
    EXPECT_EQ(readFile(file.filePath() + ".damaged"), damaged);
    ASSERT_TRUE(writeFile(file.filePath(), "Not rules at all\n"));
    ASSERT_TRUE(file.load());
    EXPECT_TRUE(file.rules().isEmpty());
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readFile(file.filePath() + ".damaged"), damaged) << "an earlier copy stays";
    EXPECT_EQ(readFile(file.filePath() + ".damaged-2"), "Not rules at all\n");
    ASSERT_TRUE(file.load());
    EXPECT_TRUE(file.problems().isEmpty());

    // A file far larger than any list of rules is not read, and not replaced.
    const QByteArray huge = "Calvora rules 1\n" + QByteArray(5 * 1024 * 1024, 'x');
    ASSERT_TRUE(writeFile(file.filePath(), huge));
    EXPECT_FALSE(file.load());
    EXPECT_TRUE(file.problems().join('\n').contains("too large"));
    EXPECT_FALSE(file.save());
    EXPECT_EQ(readFile(file.filePath()), huge);
}

// The decision for a call: the caller's name from the directory, the rule that applies, and
// the memo, with the named-memo option and with a template.
TEST(CallerRulesTest, TheFilingOfACallNamesTheCallerAndFollowsTheFirstRule)
{
    QTemporaryDir dir;
    CallerDirectory directory(dir.path());
    ASSERT_TRUE(directory.setHomeCountry("GB"));
    directory.import({{"Anne", {"020 7946 0018"}, {"Family"}}, {"Bob", {"5550100"}, {}}});
    ASSERT_TRUE(directory.save());
    CallerRulesFile file(dir.path());
    CallerRule family = rule(Match::Group, "family");
    family.memoTemplate = "{name} on {date}";
    family.folderId = "F1";
    CallerRule withheld = rule(Match::Withheld);
    withheld.neverRecord = true;
    CallerRule unknown = rule(Match::Unavailable);
    unknown.memoTemplate = "{name}: {number}";
    file.setRules({family, withheld, unknown});
    file.setNamedMemo(true);
    ASSERT_TRUE(file.save());

    CallerNames names(dir.path());
    QStringList reported;
    CallFiling filing(dir.path(), names, [&](const QString &text) { reported << text; });
    const QDateTime start(QDate(2024, 3, 15), QTime(9, 30));
    struct Case
    {
        const char *callerId;
        const char *name;
        int rule;
        bool neverRecord;
        const char *folder;
        const char *memo;
    };
    const Case cases[] = {
        {"+442079460018", "Anne", 0, false, "F1", "Anne on 2024-03-15"},
        {"5550100", "Bob", -1, false, "", "Bob (5550100)"},
        {"5550199", "", -1, false, "", "5550199"},
        {"P", "Withheld", 1, true, "", "P"},
        {"", "Unavailable", 2, false, "", "Unavailable:"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.callerId);
        const CallFiling::Decision d = filing.decide(c.callerId, start);
        EXPECT_EQ(d.number, c.callerId);
        EXPECT_EQ(d.name, c.name);
        EXPECT_EQ(d.rule, c.rule);
        EXPECT_EQ(d.neverRecord, c.neverRecord);
        EXPECT_EQ(d.folderId, c.folder);
        EXPECT_EQ(d.memo, c.memo);
    }
    EXPECT_TRUE(reported.isEmpty());

    // Rules saved meanwhile apply to the next call; a damaged line is reported once.
    ASSERT_TRUE(
        writeFile(file.filePath(), "Calvora rules 1\nRule\tmatch=any\tmemo=x\nRule\tbad\n"));
    EXPECT_EQ(filing.decide("5550100", start).memo, "x");
    filing.decide("5550100", start);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains("line 3")) << reported[0].toStdString();
}

} // namespace
