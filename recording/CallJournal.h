// What is known about the call being recorded, kept in a small file beside "Recorded.wav"
// from the start of the recording until its row is in the catalogue. When the program is
// killed or the power goes, the next start catalogues the call from it as Stop would have:
// with its caller, its start and its folder, and without a second row when the file had
// already been given its final name.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

struct CallJournal
{
    static inline const QString FileName = QStringLiteral("Recorded.call");

    QDateTime start;
    QString caller;    // the memo: the caller-ID text (untrusted: never a path or a command)
    QString number;    // the caller's number as the modem sent it (also untrusted)
    QString name;      // the caller's name from the directory, if any
    QString folderId;  // the folder the recording goes to
    QString id;        // set at Stop: the code of the row about to be added
    QString finalName; // set at Stop: the WAV name "Recorded.wav" is about to get

    // Written atomically; false when it could not be.
    bool write(const QString &path) const;
    // No value when the file is missing or holds no valid start.
    static std::optional<CallJournal> read(const QString &path);
};
