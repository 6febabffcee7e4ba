// The event log: plain lines of what the program did with the modem and the user's main
// commands, kept across runs in "Events.log". The logger window shows the same list. The lines
// saved at the last crossing of the line limit are also kept in "Events.log.1", because the
// next save of the file replaces them.
//
// Every line is written to the file as it is added (not flushed to the disk: a power cut can
// still take the last seconds), so that a crash or a kill loses nothing: the file always holds
// what its last whole write put there (at the session start, at the line limit, at exit)
// followed by the lines added since. Until the first limit that is the list itself; after a
// limit it is the lines saved there followed by the list, and the exit save then leaves only
// the list, the saved lines living on in "Events.log.1".
#pragma once

#include "support/AtomicFile.h"

#include <QObject>
#include <QStringList>

// The log file could not be written; the lines stay in memory.
class FileCreateError : public FileSaveError
{
public:
    // osError: the errno of the failure, 0 when unknown.
    explicit FileCreateError(const QString &path, int osError = 0);
};

class EventLog final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventLog)

public:
    static constexpr int LineLimit = 1000;
    static inline const QString SessionLine =
        QStringLiteral("------------ New session ------------");

    explicit EventLog(QString filePath, QObject *parent = nullptr);

    // Appends a line, to the list and to the file; once the list holds LineLimit lines or more
    // it is saved and cleared, and the saved lines are also kept in previousFilePath(). Throws
    // FileCreateError when the save to filePath() fails (the list is then kept); a failure to
    // append to the file or to keep the copy is not an error.
    void AddLogLine(const QString &text);

    // Appends a line, to the list and to the file, without looking at the limit; the next
    // AddLogLine does. When the file cannot be written the line stays in the list and goes to
    // the file with the next line that can be written. Never throws.
    void appendLine(const QString &text);

    // Start-up: the lines of the file (when present), then the session line, then the lines
    // added before the first session started (they belong to this run, the session line marks
    // where it begins). The file holds the same when this returns, unless it cannot be
    // written. Throws FileCreateError only when the session line reaches the limit and the
    // save fails.
    void startSession();

    // Replaces the file with the current lines. Throws FileCreateError.
    void save();
    void saveTo(const QString &path) const;

    const QStringList &lines() const { return m_lines; }
    const QString &filePath() const { return m_filePath; }
    // Where the lines saved at the last crossing of the limit are kept: filePath() + ".1".
    QString previousFilePath() const { return previousFilePath(m_filePath); }
    static QString previousFilePath(const QString &filePath);

signals:
    void lineAppended(const QString &line);
    void cleared();

private:
    QByteArray fileContent() const;
    void saveAndClear();
    // Appends to the file the lines of the list it does not hold yet; false when that fails.
    bool writePendingLines();
    QStringList loadFile(qint64 maxBytes) const;

    QString m_filePath;
    QStringList m_lines;
    // How many lines at the head of the list the file holds, at its end.
    qsizetype m_linesInFile = 0;
    bool m_sessionStarted = false;
    // The size of the file before the first line added ahead of the session went to it; -1
    // while none did. The session start reads the file up to there.
    qint64 m_sizeBeforeEarlyLines = -1;
};
