// What the user does with the recordings of the list and with folders of the catalogue:
// Select all, Delete, Move to a folder, Copy WAV files to a directory, the memo, and deleting
// folders with their recordings. Each works on the current row of CallsTbl and on the
// multi-selection, asks its questions through the message service, saves what it changed,
// and clears the selection when it is done. No widget: the main window presents these.
#pragma once

#include "RecordingSelection.h"

#include <QSet>
#include <QString>
#include <QStringList>

class Catalogue;
class MessageService;

class RecordingOperations final
{
public:
    RecordingOperations(Catalogue &catalogue, MessageService &messages);

    // Every row of the list joins the selection; the last row is current afterwards.
    void selectAll(RecordingSelection &selection);

    // After "Delete selected record(s)?": the current row and the selected rows go, the table
    // is saved, and then their WAV files are deleted (a file that cannot be deleted is
    // reported). False when cancelled or nothing could be saved.
    bool deleteRecordings(RecordingSelection &selection);

    // Puts the current row and the selected rows into the folder, saves, reads the table
    // again (moved rows leave the list) and keeps the list's position. False when the table
    // could not be saved.
    bool MoveRecordings(const QString &folderCode, RecordingSelection &selection);

    // Copies the WAV files of the selected rows, or of the current row when none is
    // selected, into dir under their own names. An existing file is replaced only after the
    // user agreed; a failed copy is reported with its file and leaves nothing behind, and no
    // further file is copied. A row whose file is missing is skipped. Returns the files copied.
    int copyToFolder(const QString &dir, RecordingSelection &selection);
    // The file name proposed for a copy of the current row alone ("<name>.wav").
    QString currentFileName();

    // Asks for the current row's memo ("Comment"); a non-empty answer replaces it (one line,
    // at most 255 characters) and is saved.
    bool editMemo();

    // Deletes the folders (their Folders.d rows) and all their recordings: the rows go and
    // both tables are saved before any WAV file is deleted, and files that could not be
    // deleted are reported. No file is touched when a save fails. False when a save failed.
    bool deleteFolders(const QStringList &folderCodes);

    // Removes the rows with these codes from every folder without asking (the caller asked),
    // saves the table and then drops their details; the list goes on showing its folder and,
    // when it is still there, its row. The files are the caller's to dispose of. Returns the
    // codes removed; none when the table could not be saved.
    QStringList removeRows(const QSet<QString> &ids);

    static const int MaxMemoLength = 255;

private:
    // Visible rows (0-based, ascending) of the selected codes, and of the current row.
    QList<int> rowsOf(const RecordingSelection &selection, bool withCurrent) const;
    // The WAV file of the current row after bringing a legacy name up to date.
    QString currentFile();
    // Deletes the files once their rows are gone and saved; names, in one warning, those that stay.
    void removeFiles(const QStringList &candidates);

    Catalogue &m_catalogue;
    MessageService &m_messages;
};
