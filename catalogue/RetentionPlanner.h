// Deciding what the retention rules remove: given the recordings (their folder, start, size on
// disk and pin), the rules and the disk's free space, which recordings go, by which rule, and
// whether each goes to the trash or must be deleted. No files, no tables: a pure function,
// so that it can be tested with any catalogue and measured on a large one.
#pragma once

#include "config/StorageSettings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>
#include <vector>

struct RetentionItem
{
    QString id;
    QString folderId;
    // Seconds since the epoch of the recording's start; no value when its date or time cannot
    // be read (such a recording is never removed: its age is not known).
    std::optional<qint64> start;
    // Its file's size; 0 when the file is missing, -1 when not known (allowed only while no
    // rule needs sizes).
    qint64 bytes = 0;
    bool pinned = false;
};

enum class RetentionRule
{
    Age,        // older than the days kept
    FolderSize, // the oldest of recordings that take more than the space allowed
    FreeSpace,  // the oldest, until the disk has the free space asked for
};

struct RetentionRemoval
{
    int item = 0; // index into the items given
    RetentionRule rule = RetentionRule::Age;
    // Deleted rather than moved to the trash: the trash lives on the same disk, so only a
    // deletion frees space there.
    bool deleteOutright = false;
};

struct RetentionPlan
{
    std::vector<RetentionRemoval> removals; // oldest first
    qint64 bytes = 0;                       // their files' sizes together
    std::optional<qint64> oldest, newest;   // starts of the oldest and newest removed
    // Limits the rules cannot meet without removing recordings that are kept (pinned, in an
    // excluded folder, or of unknown age), for the log.
    QStringList shortfalls;

    bool empty() const { return removals.empty(); }
    // The rules that remove something: "age", "size", "free" (as agreeRetentionRules takes them).
    QStringList ruleNames() const;
};

// now: seconds since the epoch. freeBytes: the recordings disk's free space; without a value the
// free-space rule does nothing. folderName names a folder (by its code) in the shortfalls as the
// user knows it; unset, or for a folder it cannot name, the code stands in.
RetentionPlan planRetention(std::span<const RetentionItem> items, const RetentionRules &rules,
                            qint64 now, std::optional<qint64> freeBytes,
                            const std::function<QString(const QString &code)> &folderName = {});

// "age", "size", "free".
QString retentionRuleName(RetentionRule rule);
