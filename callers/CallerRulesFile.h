// The rules for calls as kept in the data directory, in a file of their own, with the option
// that writes "Name (number)" as the memo of a known caller.
#pragma once

#include "callers/CallerRule.h"

#include <QList>
#include <QString>
#include <QStringList>

class CallerRulesFile final
{
public:
    static QString fileName();

    explicit CallerRulesFile(const QString &dataDir);

    QString filePath() const;

    // Reads the file; a missing file holds no rules. Lines that cannot be read are left out
    // of rules() and said in problems(); the rest is used, so that a damaged line costs that
    // rule only. False when the file cannot be read at all (problems() says why).
    bool load();
    // Writes the file safely. A file that had damaged lines is first kept beside as
    // "Rules.txt.damaged" (or "...damaged-2", ...) so that nothing it held is lost. False,
    // with error(), when the file or the copy cannot be written, or when the file could not
    // be read: it is then left as it is.
    bool save();
    QString error() const { return m_error; }
    // What load() could not read ("Rules.txt line 3: unknown match 'x'"), one per line.
    const QStringList &problems() const { return m_problems; }

    const QList<CallerRule> &rules() const { return m_rules; }
    void setRules(const QList<CallerRule> &rules) { m_rules = rules; }
    // Memos of known callers read "Name (number)" instead of the caller-ID text.
    bool namedMemo() const { return m_namedMemo; }
    void setNamedMemo(bool on) { m_namedMemo = on; }

private:
    bool keepDamagedFile();

    QString m_dataDir;
    QList<CallerRule> m_rules;
    bool m_namedMemo = false;
    QStringList m_problems;
    QString m_error;
    bool m_damaged = false;    // lines were left out: the file is kept before it is replaced
    bool m_unreadable = false; // the file could not be read: it is not replaced
};
