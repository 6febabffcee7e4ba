#include "CallFiling.h"

QString CallFiling::Decision::callerText() const
{
    if (name.isEmpty())
        return number;
    if (CallerId::kindOf(number) != CallerId::Kind::Number)
        return name;
    return name + QStringLiteral(" (") + number + QLatin1Char(')');
}

CallFiling::CallFiling(const QString &dataDir, CallerNames &names,
                       std::function<void(const QString &)> report)
    : m_names(names), m_file(dataDir), m_report(std::move(report))
{}

QString CallFiling::reload()
{
    if (!m_watch.changed(m_file.filePath()))
        return QString();
    m_file.load();
    if (m_file.problems().isEmpty())
        return QString();
    return QStringLiteral("The rules for calls cannot all be read; the others apply, and the "
                          "file is kept as it is until the rules are saved again.\n") +
           m_file.problems().join(QLatin1Char('\n'));
}

CallFiling::Decision CallFiling::decide(const QString &callerText, const QDateTime &start)
{
    const QString problems = reload();
    if (!problems.isEmpty() && m_report)
        m_report(problems);
    Decision d;
    d.number = callerText;
    d.name = m_names.nameFor(callerText);
    d.memo = callerText;

    RuleCaller caller;
    caller.number = callerText;
    caller.kind = CallerId::kindOf(callerText);
    caller.homeCountry = m_names.homeCountry();
    if (const std::optional<CallerEntry> entry = m_names.entryFor(callerText)) {
        caller.entryName = entry->name;
        caller.groups = entry->groups;
        if (m_file.namedMemo())
            d.memo = CallerRules::namedMemo(entry->name, callerText);
    }
    d.rule = CallerRules::firstMatch(m_file.rules(), caller);
    if (d.rule < 0)
        return d;
    const CallerRule &rule = m_file.rules()[d.rule];
    d.ruleText = CallerRules::describe(rule, QString());
    d.neverRecord = rule.neverRecord;
    d.folderId = rule.folderId;
    if (!rule.memoTemplate.isEmpty())
        d.memo = CallerRules::memoFrom(rule.memoTemplate, d.name.isEmpty() ? callerText : d.name,
                                       callerText, start.date());
    return d;
}
