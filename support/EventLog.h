// The event log: plain lines of what the program did with the modem and the user's main
// commands, kept across runs in "Events.log". The logger window shows the same list. The lines
// saved at the last crossing of the line limit are also kept in "Events.log.1", because the
// next save of the file replaces them.
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

    // Appends a line; once the list holds LineLimit lines or more it is saved and cleared, and
    // the saved lines are also kept in previousFilePath(). Throws FileCreateError when the save
    // to filePath() fails (the list is then kept); a failure to keep the copy is not an error.
    void AddLogLine(const QString &text);

    // Appends a line without looking at the limit; the next AddLogLine does.
    void appendLine(const QString &text);

    // Start-up: the lines of the file (when present), then the session line.
    void startSession();

    // Replaces the file with the current lines. Throws FileCreateError.
    void save() const;
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

    QString m_filePath;
    QStringList m_lines;
};
