// The planner walks the recordings oldest first once per rule; a large catalogue costs one
// sort and a few linear passes.
#include "RetentionPlanner.h"

#include <QHash>
#include <algorithm>

namespace {

constexpr qint64 SecondsPerDay = 24 * 3600;
constexpr qint64 BytesPerMB = 1024 * 1024;

struct Planner
{
    std::span<const RetentionItem> items;
    const RetentionRules &rules;
    std::vector<int> order;     // removable items, oldest first
    std::vector<int> removedBy; // per item: -1, or the index of its removal
    // Per item, its folder's part in the rules, looked up once.
    std::vector<FolderRetention> folders;
    RetentionPlan plan;

    const FolderRetention &folderOf(int i) const { return folders[std::size_t(i)]; }

    void remove(int i, RetentionRule rule, bool outright)
    {
        removedBy[std::size_t(i)] = int(plan.removals.size());
        plan.removals.push_back({i, rule, outright});
    }

    // Removes the oldest removable items of a scope while the scope's size is above limit.
    template <class InScope> void keepUnder(qint64 limit, InScope inScope, const QString &what)
    {
        qint64 total = 0;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (removedBy[i] < 0 && inScope(int(i)))
                total += items[i].bytes;
        for (int i : order) {
            if (total <= limit)
                break;
            if (removedBy[std::size_t(i)] >= 0 || !inScope(i))
                continue;
            remove(i, RetentionRule::FolderSize, false);
            total -= items[std::size_t(i)].bytes;
        }
        if (total > limit)
            plan.shortfalls << QStringLiteral("%1 stay above %2 MB: the rest are kept")
                                   .arg(what)
                                   .arg(limit / BytesPerMB);
    }
};

} // namespace

QString retentionRuleName(RetentionRule rule)
{
    switch (rule) {
    case RetentionRule::Age:
        return QStringLiteral("age");
    case RetentionRule::FolderSize:
        return QStringLiteral("size");
    case RetentionRule::FreeSpace:
        return QStringLiteral("free");
    }
    return QString();
}

QStringList RetentionPlan::ruleNames() const
{
    QStringList names;
    for (const RetentionRemoval &r : removals)
        if (!names.contains(retentionRuleName(r.rule)))
            names << retentionRuleName(r.rule);
    names.sort();
    return names;
}

RetentionPlan planRetention(std::span<const RetentionItem> items, const RetentionRules &rules,
                            qint64 now, std::optional<qint64> freeBytes,
                            const std::function<QString(const QString &code)> &folderName)
{
    Planner p{items, rules, {}, std::vector<int>(items.size(), -1), {}, {}};
    if (!rules.any())
        return {};
    p.folders.reserve(items.size());
    if (rules.folders.isEmpty()) {
        p.folders.resize(items.size());
    } else {
        // Rows of a folder come in runs; the last folder's answer is kept.
        const QString *last = nullptr;
        for (const RetentionItem &item : items) {
            if (!last || item.folderId != *last)
                p.folders.push_back(rules.folder(item.folderId));
            else
                p.folders.push_back(p.folders.back());
            last = &item.folderId;
        }
    }

    // Candidates: neither pinned, nor of unknown age, nor in an excluded folder.
    p.order.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const RetentionItem &item = items[i];
        if (!item.pinned && item.start &&
            p.folderOf(int(i)).mode != FolderRetention::Mode::Excluded)
            p.order.push_back(int(i));
    }
    std::stable_sort(p.order.begin(), p.order.end(), [&](int a, int b) {
        return *items[std::size_t(a)].start < *items[std::size_t(b)].start;
    });

    for (int i : p.order) {
        const FolderRetention &f = p.folderOf(i);
        const int days =
            f.mode == FolderRetention::Mode::Own ? f.limits.maxDays : rules.all.maxDays;
        if (days > 0 && now - *items[std::size_t(i)].start > qint64(days) * SecondsPerDay)
            p.remove(i, RetentionRule::Age, false);
    }

    if (rules.all.maxMB > 0)
        p.keepUnder(
            qint64(rules.all.maxMB) * BytesPerMB,
            [&](int i) { return p.folderOf(i).mode == FolderRetention::Mode::Shared; },
            QStringLiteral("The recordings of all folders"));
    QStringList ownFolders = rules.folders.keys();
    ownFolders.sort();
    for (const QString &code : ownFolders) {
        const FolderRetention f = rules.folders.value(code);
        const QString name = folderName ? folderName(code) : QString();
        if (f.mode == FolderRetention::Mode::Own && f.limits.maxMB > 0)
            p.keepUnder(
                qint64(f.limits.maxMB) * BytesPerMB,
                [&](int i) {
                    const FolderRetention &f = p.folderOf(i);
                    return f.mode == FolderRetention::Mode::Own &&
                           items[std::size_t(i)].folderId == code;
                },
                QStringLiteral("The recordings of folder %1").arg(name.isEmpty() ? code : name));
    }

    if (rules.minFreeMB > 0 && freeBytes) {
        const qint64 need = qint64(rules.minFreeMB) * BytesPerMB - *freeBytes;
        qint64 freed = 0;
        for (int i : p.order) {
            if (freed >= need)
                break;
            const int at = p.removedBy[std::size_t(i)];
            if (at >= 0)
                p.plan.removals[std::size_t(at)].deleteOutright = true;
            else
                p.remove(i, RetentionRule::FreeSpace, true);
            freed += items[std::size_t(i)].bytes;
        }
        if (need > 0 && freed < need)
            p.plan.shortfalls << QStringLiteral("The disk keeps less than %1 MB free: the rest "
                                                "of the recordings are kept")
                                     .arg(rules.minFreeMB);
    }

    std::sort(p.plan.removals.begin(), p.plan.removals.end(),
              [&](const RetentionRemoval &a, const RetentionRemoval &b) {
                  return *items[std::size_t(a.item)].start < *items[std::size_t(b.item)].start;
              });
    for (const RetentionRemoval &r : p.plan.removals) {
        const RetentionItem &item = items[std::size_t(r.item)];
        p.plan.bytes += item.bytes;
        if (!p.plan.oldest)
            p.plan.oldest = item.start;
        p.plan.newest = item.start;
    }
    return std::move(p.plan);
}
