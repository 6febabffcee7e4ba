// The recordings catalogue: the tables Recordings.d and Folders.d, opened (or created) at
// start-up, the rows of finished recordings, their WAV file names, and the hooks that run when
// a row is deleted. The list follows the folder table's current row.
#pragma once

#include "CommandStates.h"
#include "RecordingDetails.h"
#include "RecordingNames.h"
#include "UniqueCode.h"
#include "store/StoreError.h"
#include "store/TStoreDatabase.h"
#include "store/TStoreTable.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <functional>

class EventLog;
class MessageService;

class Catalogue final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Catalogue)

public:
    // dataDir holds the tables (the program directory); log may be null.
    Catalogue(const QString &dataDir, MessageService &messages, EventLog *log,
              QObject *parent = nullptr);
    ~Catalogue() override;

    TStoreDatabase Database1;
    TStoreTable FoldersTbl; // the master: its current row is the folder shown
    TStoreTable CallsTbl;   // the recordings, a detail of FoldersTbl
    // Our own table beside them: why each recording ended, its levels, its pin.
    RecordingDetails Details;

    // Read at the moment of use. Defaults: dataDir + "/wav/", caller ID on, the local clock,
    // the system's formats.
    std::function<QString()> recordingsDir;
    // Folders that held the recordings before the recordings folder was changed; a row's file
    // missing from the recordings folder is looked for there. Unset: none.
    std::function<QStringList()> earlierRecordingsDirs;
    std::function<bool()> callerIdEnabled;
    std::function<QDateTime()> clock;
    DateTimeFormats formats;

    // The folder tree's part of start-up, set by its owner: empty the tree, add the root node
    // of a new Folders.d, and load the tree from its file at the end.
    std::function<void()> clearFolderTree;
    std::function<void(const QString &name, const QString &code)> addRootFolderNode;
    std::function<void()> loadFolderTree;

    // Opens both tables, creating a missing one (Folders.d with the folder "General"). A table
    // that cannot be read is restored from its backup, or started anew with the damaged file
    // kept aside. False when a table is left closed. The details table opens last; whatever
    // becomes of it does not change the result.
    bool OpenCatalogue();
    // Rows of Recordings.d in every folder.
    int recordingCount() const;
    // The code of the current row; empty without one.
    QString currentRecordingId() const;

    // Adds the row of a finished recording to the current folder and saves. The row becomes
    // current. False (after a message) when the row could not be saved; it stays in memory
    // and goes to the file with the next save.
    // A valid id is used as the row's code (one chosen before the row was added); a valid
    // folderId puts the row in that folder when it still exists. The folder shown stays
    // shown, with its current row: a row filed into another folder is found there.
    bool AddRecordingRow(const QDateTime &start, int seconds, const QString &callerText,
                         const QString &id = {}, const QString &folderId = {});

    // The base name of the current row's WAV file; empty without a current row or when its
    // date or time cannot be read.
    QString RecordingFileName() const;
    // Recordings directory + RecordingFileName() + ".wav", or the file of that name in an
    // earlier recordings folder when only that one exists; empty when the name is.
    QString recordingFilePath() const;
    // The path AddRecordingRow's row for a recording started at start will name.
    QString recordingFilePathFor(const QDateTime &start) const;
    // The recordings folder and the earlier ones, each ending in "/", the current one first.
    QStringList recordingFolders() const;
    // The code of the folder shown; empty without one.
    QString currentFolderId() const;
    // The folder holds a row with this code (both become current when found).
    bool hasRecording(const QString &folderId, const QString &id);
    // Some folder holds a row with this code; nothing moves.
    bool holdsRecording(const QString &id) const;
    // A file named after the current row's code by an earlier version gets its current name.
    void RenameLegacyFile();

    QString NewUniqueCode();

    // The delete hooks of CallsTbl: the row's WAV file goes with it; the table is saved.
    void CallsTblBeforeDelete();
    void CallsTblAfterDelete();

    // Updates the command states from the list's row count (nothing while updates are off).
    void DataSource1DataChange();
    // A line in the event log, when the catalogue has one.
    void log(const QString &line);
    // Off while a recording runs; turning it on updates the states at once.
    void setListUpdatesEnabled(bool enabled);
    bool listUpdatesEnabled() const { return m_listUpdatesEnabled; }
    CommandStates commandStates() const;

    // First visible row at or after fromRow whose memo contains text (ASCII letters compared
    // in upper case unless matchCase), or -1.
    int findMemo(const QString &text, bool matchCase, int fromRow) const;

    // Saves a table, reporting a failure to the user and the log. False on failure.
    bool saveTable(TStoreTable &table);

signals:
    void commandStatesChanged(const CommandStates &states);

private:
    bool openOrCreate(TStoreTable &table, const std::function<void()> &create);
    void createRecordings();
    void createFolders();
    bool recover(TStoreTable &table, const std::function<void()> &create);
    // Shows a table error to the user and writes it to the log.
    void reportStoreError(const StoreError &e);
    QString wavDir() const;
    // Shows the folder and row again that were shown before a row was added elsewhere.
    void showAgain(const QString &folderId, const QString &rowId);

    QString m_dataDir;
    MessageService &m_messages;
    EventLog *m_log;
    UniqueCodeGenerator m_codes;
    bool m_listUpdatesEnabled = true;
    QString m_deletingId; // the row a single Delete is taking, between its two hooks
};
