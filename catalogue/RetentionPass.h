// One pass of the retention rules over the catalogue: every recording of every folder is
// gathered with its file's size and its pin, the planner decides, and the removals go the way
// Delete goes (the rows are saved first, then the files follow: to the desktop's trash, or
// deleted where there is none or where only a deletion frees space). Every removal is logged.
// Files' sizes come from the details table; a file is looked at only when its size is needed
// and not known yet, and what is learnt is kept there for the next pass.
#pragma once

#include "RetentionPlanner.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Catalogue;
class MessageService;

class RetentionPass final
{
public:
    // Free space of the disk holding a folder, in bytes; no value when unknown.
    using FreeSpace = std::function<std::optional<qint64>(const QString &folder)>;

    // log receives one line per removal and per failure.
    RetentionPass(Catalogue &catalogue, MessageService &messages,
                  std::function<void(const QString &)> log);

    // Defaults: the file system's free space, the local clock.
    FreeSpace freeSpace;
    std::function<QDateTime()> clock;

    // Gathers the recordings (every folder) and plans.
    const RetentionPlan &plan(const RetentionRules &rules);
    const RetentionPlan &lastPlan() const { return m_plan; }
    // The recordings the last plan was made from; its removals index them.
    const std::vector<RetentionItem> &items() const { return m_items; }

    // One line per recording the plan removes: file, folder, start, size, rule and where the
    // file goes.
    QStringList describeRemovals() const;
    // "3 recordings, 12.4 MB, oldest 2024-01-02 10:00, newest 2024-02-01 09:30".
    QString summary() const;

    // Carries out the last plan. Returns the recordings removed (their rows are gone and saved).
    int apply();

    // Size in MB with one decimal.
    static QString megabytes(qint64 bytes);

private:
    struct Recording
    {
        std::size_t record = 0; // in the table's stored records
        QString file;           // full path once looked for; empty when missing
        bool looked = false;    // the file was looked for
    };
    // The WAV name the row gives; empty when its date or time cannot be read.
    QString fileName(int item) const;
    void gather(bool needSizes);
    // Finds the recording's file (recordings folder, earlier folders, a name of an earlier
    // version) and its size.
    void look(int item);
    QString text(std::size_t record, const char *field) const;
    QString folderName(const QString &code) const;
    QString startText(int item) const;
    QString describe(const RetentionRemoval &removal) const;

    Catalogue &m_catalogue;
    MessageService &m_messages;
    std::function<void(const QString &)> m_log;
    std::vector<RetentionItem> m_items;
    std::vector<Recording> m_recordings;
    RetentionPlan m_plan;
};
