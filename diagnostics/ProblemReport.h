// The problem report: the user's description, the diagnostics report and the configuration
// sent to the vendor's support address through the user's mail program. When the mail program
// cannot take the files, everything goes once more pasted into the body.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Diagnostics;
class EventLog;
class MessageService;
class QueryBuffer;
class TMAPIMail;

class ProblemReport final
{
public:
    static inline const QString Subject = QStringLiteral("ORV v1.8.3 support");

    // The collaborators must outlive this object.
    ProblemReport(Diagnostics &diagnostics, EventLog &log, QueryBuffer &query, TMAPIMail &mail,
                  MessageService &messages, QString programDir, QString supportAddress);

    // The files a report attaches, in their order, whether they exist now or not: the
    // diagnostics report (written by the report's own run) and orv.ini.
    QStringList attachmentFiles() const;

    // Saves the event log, runs the diagnostics and hands the report to the mail program;
    // when that fails, hands it over again with the files' text in the body. When that fails
    // too, says why and offers to save the report in a folder the user can attach by hand.
    // True when a hand-off succeeded.
    bool send(const QString &description);
    // The description, the diagnostics report, orv.ini and the event log copied into a new
    // folder of the data directory; its path, or empty when it could not be made.
    QString saveAsFolder(const QString &description) const;

    // Shows a saved report's folder to the user; set by the window program.
    std::function<void(const QString &folder)> openFolder;

    // Each description line followed by a line break.
    static QString firstBody(const QStringList &description);
    // The description, then the diagnostics, the configuration file and the event log, each
    // between separator lines. Event lines are left out from the oldest on as far as needed
    // to keep the body within maxBytes (UTF-8).
    static QString secondBody(const QStringList &description, const QStringList &diagnostics,
                              const QStringList &configuration, const QStringList &events,
                              qsizetype maxBytes);

private:
    Diagnostics &m_diagnostics;
    EventLog &m_log;
    QueryBuffer &m_query;
    TMAPIMail &m_mail;
    MessageService &m_messages;
    QString m_programDir;
    QString m_supportAddress;
};
