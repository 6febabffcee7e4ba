// The details table RecordingDetails.d beside the catalogue: what this program knows about a
// recording beyond its Recordings.d row (why it ended, its length and levels, whether it is
// silent, whether the user keeps it, who called), one row per recording, keyed by the recording's
// code. It is ours alone: Recordings.d and Folders.d never change because of it, and a missing or
// damaged details table costs the details, never a recording.
#pragma once

#include "EndReason.h"
#include "store/TStoreTable.h"

#include <QHash>
#include <QStringList>
#include <functional>
#include <optional>

struct RecordingFacts
{
    RecordingEnd end;
    qint64 lengthMs = -1; // -1: not known
    // Levels of the voice as fractions of full scale (0..1); -1 when no block was analysed.
    double peak = -1;
    double rms = -1;
    bool silent = false; // shorter than SilentSeconds, or no voice in any analysed block
    bool pinned = false; // "Keep": never removed by a retention rule
    // The file's size when last seen, so that retention need not look at every file; -1 when
    // not known.
    qint64 bytes = -1;
    // The caller as the call's caller ID gave it, and the caller directory's name for it
    // ("Withheld" and "Unavailable" included); empty when not known.
    QString callerNumber;
    QString callerName;

    // A recording shorter than this is silent whatever it holds.
    static constexpr double SilentSeconds = 2.0;
};

class RecordingDetails final
{
public:
    static inline const QString TableName = QStringLiteral("RecordingDetails.d");
    static QList<FieldDef> fields();

    // The table's file is TableName in database's directory. log receives the lines that say
    // what happened to the table; it may be empty.
    RecordingDetails(TStoreDatabase &database, std::function<void(const QString &)> log);
    Q_DISABLE_COPY_MOVE(RecordingDetails)

    // Opens the table, starting a missing one. One that cannot be read (or lacks a field) is
    // restored from its backup, or started anew with the damaged file kept aside as
    // "RecordingDetails.d.damaged"; each case is said in the log. Never throws; when even an
    // empty table cannot be written, the details are kept in memory for this run.
    // recordings: rows of Recordings.d, for the log line of a missing table.
    void open(int recordings);
    // The table as it is on disk, for reading: nothing is created, restored or written. A
    // missing table is empty. False, with the reason in error, when it cannot be read.
    bool openReadOnly(QString &error);
    void close();
    bool isOpen() const { return m_table.Active(); }

    std::optional<RecordingFacts> facts(const QString &id) const;
    bool isPinned(const QString &id) const;
    int rowCount() const { return m_table.Active() ? m_table.RecordCount() : 0; }
    // What retention needs of a recording, read without decoding the rest: its pin and its
    // file's size (-1 when not known). False without a row.
    bool kept(const QString &id, bool &pinned, qint64 &bytes) const;
    // Every row, in table order, for a pass over the whole catalogue.
    void forEach(const std::function<void(const QString &id, const RecordingFacts &)> &visit) const;

    // Replaces the recording's facts (its pin stays as it was) and saves. False when the
    // table could not be saved (said in the log); the facts stay in memory.
    bool store(const QString &id, const RecordingFacts &facts);
    // Pins or unpins recordings, adding rows for recordings without details, and saves.
    bool setPinned(const QStringList &ids, bool pinned);
    // Remembers the files' sizes (bytes by code), adding rows for recordings without details,
    // and saves.
    bool storeSizes(const QHash<QString, qint64> &bytes);
    // The rows of recordings that were removed go too, and the table is saved.
    bool remove(const QStringList &ids);

    QString tableFile() const { return m_table.tableFile(); }

private:
    void createTable();
    bool recover(const QString &reason);
    bool hasAllFields() const;
    bool hasCoreFields() const; // the code and the end: enough to read
    // A table of an earlier version lacks fields added since: its rows are copied into a
    // table with every field. False when that cannot be done (the table is then unreadable).
    bool bringUpToDate();
    void index();
    int rowOf(const QString &id) const;
    // Edits the recording's row, or appends one for it, sets its fields and posts it.
    void writeRow(const QString &id, const std::function<void()> &setFields);
    RecordingFacts factsAt(int row) const;
    bool save();
    void log(const QString &line) const;

    TStoreTable m_table;
    std::function<void(const QString &)> m_log;
    QHash<QString, int> m_rows; // code → visible row
    int m_pinField = -1, m_bytesField = -1;
};
