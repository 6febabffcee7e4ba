// How a call is filed: who the caller is (from the caller directory) and what the first
// matching rule does with the call. The rules file and the directory are read again whenever
// they change, so that rules saved by the settings or by hand apply to the next call.
#pragma once

#include "callers/CallerNames.h"
#include "callers/CallerRulesFile.h"
#include "callers/FileChangeWatch.h"

#include <QDateTime>
#include <functional>

class CallFiling final
{
public:
    struct Decision
    {
        QString number; // the caller-ID text; empty without caller ID
        // The directory's name, "Withheld" or "Unavailable"; empty for a number the
        // directory does not hold.
        QString name;
        int rule = -1;    // the rule that applies (0-based), -1 when none does
        QString ruleText; // that rule, described
        bool neverRecord = false;
        QString folderId; // the folder the rule files the recording in; empty: as usual
        QString memo;     // the recording's memo

        // The caller for a log line: "Anne Smith (5551234)", "5551234", "Withheld".
        QString callerText() const;
    };

    // report receives what could not be read of the rules file when decide() finds it changed.
    CallFiling(const QString &dataDir, CallerNames &names,
               std::function<void(const QString &problem)> report);

    // The decision for a call whose caller ID is callerText (empty without one), starting
    // at start. The memo is the caller-ID text, or "Name (number)" with the named-memo option
    // for a caller of the directory, or the rule's memo template filled in, where {name} is
    // the caller's name, else the number.
    Decision decide(const QString &callerText, const QDateTime &start);

    // Reads the rules file again when it changed since it was last read. Returns what could
    // not be read of it then (empty when all could, or when it did not change).
    QString reload();

private:
    CallerNames &m_names;
    CallerRulesFile m_file;
    FileChangeWatch m_watch;
    std::function<void(const QString &)> m_report;
};
