// What the retention rules remove, decided without files or tables: each rule alone and
// together, pinned recordings and excluded folders kept, folders with rules of their own, and
// the free-space rule deleting rather than trashing.
#include "catalogue/RetentionPlanner.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 Day = 24 * 3600;
constexpr qint64 MB = 1024 * 1024;
constexpr qint64 Now = 800000 * Day;

// "id:folder:days ago:MB[:pinned]"; "?" for days ago is a start that cannot be read.
std::vector<RetentionItem> items(const QStringList &rows)
{
    std::vector<RetentionItem> out;
    for (const QString &row : rows) {
        const QStringList p = row.split(':');
        RetentionItem item;
        item.id = p[0];
        item.folderId = p[1];
        if (p[2] != "?")
            item.start = Now - p[2].toLongLong() * Day - 60; // a minute more than whole days
        item.bytes = p[3].toLongLong() * MB;
        item.pinned = p.size() > 4;
        out.push_back(item);
    }
    return out;
}

// "id rule" per removal, oldest first, "!" after the rule for a deletion.
QStringList removals(const std::vector<RetentionItem> &in, const RetentionPlan &plan)
{
    QStringList out;
    for (const RetentionRemoval &r : plan.removals)
        out << in[std::size_t(r.item)].id + ' ' + retentionRuleName(r.rule) +
                   (r.deleteOutright ? "!" : "");
    return out;
}

struct Case
{
    const char *what;
    QStringList recordings;
    RetentionRules rules;
    std::optional<qint64> freeMB;
    QStringList removed;
    int shortfalls = 0;
};

RetentionRules rules(int days, int mb, int freeMB = 0, QHash<QString, FolderRetention> folders = {})
{
    RetentionRules r;
    r.all = {days, mb};
    r.minFreeMB = freeMB;
    r.folders = std::move(folders);
    return r;
}

const FolderRetention Excluded{FolderRetention::Mode::Excluded, {}};
FolderRetention own(int days, int mb)
{
    return {FolderRetention::Mode::Own, {days, mb}};
}

TEST(RetentionPlannerTest, EachRuleRemovesWhatItShouldAndKeepsWhatIsKept)
{
    const QStringList five = {"a:G:50:1", "b:G:40:1:pin", "c:G:30:1", "d:G:20:1", "e:G:10:1"};
    const Case cases[] = {
        {"every rule off", five, rules(0, 0), 0, {}},
        {"older than 25 days, the pinned one kept", five, rules(25, 0), {}, {"a age", "c age"}},
        {"exactly the days kept is not older", {"a:G:30:1"}, rules(31, 0), {}, {}},
        {"3 MB for all: the oldest go, the pinned stays",
         five,
         rules(0, 3),
         {},
         {"a size", "c size"}},
        {"age first, then the size left over", five, rules(45, 3), {}, {"a age", "c size"}},
        {"an excluded folder keeps everything and is not counted",
         {"x:X:90:5", "a:G:50:1", "b:G:10:1"},
         rules(60, 1, 0, {{"X", Excluded}}),
         {},
         {"a size"}},
        {"a folder's own limits replace the shared ones",
         {"w1:W:20:1", "w2:W:10:1", "g1:G:20:1", "g2:G:10:1"},
         rules(30, 0, 0, {{"W", own(15, 0)}}),
         {},
         {"w1 age"}},
        {"a folder's own size counts only its own recordings",
         {"w1:W:20:2", "w2:W:10:2", "g1:G:30:9"},
         rules(0, 0, 0, {{"W", own(0, 3)}}),
         {},
         {"w1 size"}},
        {"free space: the oldest are deleted until enough is free",
         five,
         rules(0, 0, 10),
         8,
         {"a free!", "c free!"}},
        {"free space turns trashing the oldest into deleting them",
         five,
         rules(45, 0, 10),
         9,
         {"a age!"}},
        {"enough free space removes nothing", five, rules(0, 0, 10), 10, {}},
        {"free space unknown: the rule waits", five, rules(0, 0, 10), std::nullopt, {}},
        {"a start that cannot be read is never removed",
         {"u:G:?:5", "a:G:5:1"},
         rules(1, 2),
         {},
         {"a age"},
         1},
        {"pinned recordings keep a folder above its limit",
         {"a:G:5:3:pin", "b:G:4:3:pin"},
         rules(0, 4),
         {},
         {},
         1},
        {"free space that cannot be reached is said",
         {"a:G:5:1", "b:G:4:1:pin"},
         rules(0, 0, 10),
         5,
         {"a free!"},
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<RetentionItem> in = items(c.recordings);
        const std::optional<qint64> free =
            c.freeMB ? std::optional<qint64>(*c.freeMB * MB) : std::nullopt;
        const RetentionPlan plan = planRetention(in, c.rules, Now, free);
        EXPECT_EQ(removals(in, plan), c.removed);
        EXPECT_EQ(plan.shortfalls.size(), c.shortfalls) << plan.shortfalls.join('|').toStdString();
    }
}

TEST(RetentionPlannerTest, ThePlanSaysHowMuchAndFromWhenToWhen)
{
    const std::vector<RetentionItem> in = items({"c:G:30:3", "a:G:50:1", "b:G:40:2", "d:G:1:4"});
    const RetentionPlan plan = planRetention(in, rules(20, 0), Now, std::nullopt);
    ASSERT_EQ(removals(in, plan), (QStringList{"a age", "b age", "c age"})) << "oldest first";
    EXPECT_EQ(plan.bytes, 6 * MB);
    EXPECT_EQ(plan.oldest, Now - 50 * Day - 60);
    EXPECT_EQ(plan.newest, Now - 30 * Day - 60);
    EXPECT_EQ(plan.ruleNames(), QStringList{"age"});
}

} // namespace
