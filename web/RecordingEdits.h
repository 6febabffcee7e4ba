// What the web page changes in the catalogue, through the window's own commands: a memo is
// one line of 1 to 255 characters; a deleted recording's row goes first, the table is saved,
// its details go, and only then its file is deleted. The folder the catalogue shows (where
// new recordings go) is the same afterwards. Each change is written to the event log.
#pragma once

#include <QString>

class Catalogue;
class RecordingsQuery;

class RecordingEdits
{
public:
    enum class Outcome
    {
        Done,
        NotFound,   // no row has the code
        BadInput,   // the memo is empty or too long
        SaveFailed, // the table could not be saved; nothing changed on disk
    };

    RecordingEdits(Catalogue &catalogue, RecordingsQuery &query);

    // who: how the event log names the client ("web page, 127.0.0.1"). stored is set to the
    // memo as the row keeps it (line breaks and other control characters become blanks).
    Outcome setMemo(const QString &id, const QString &memo, const QString &who, QString &stored);
    // fileLeft is set to what the window would have shown about a file that could not be
    // deleted (the row is gone all the same).
    Outcome remove(const QString &id, const QString &who, QString &fileLeft);

    static constexpr int MaxMemoLength = 255;

private:
    // Makes the row current in its folder; false without it.
    bool locate(const QString &id);
    void restoreFolder(const QString &folderId);

    Catalogue &m_catalogue;
    RecordingsQuery &m_query;
};
