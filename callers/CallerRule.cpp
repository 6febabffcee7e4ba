// Matching rules against a caller. Numbers are compared the way the caller directory compares
// them, so that a rule written "020 7946 0018" matches a caller ID of "+442079460018".
#include "CallerRule.h"

#include "callers/PhoneNumberKey.h"

namespace {

struct MatchName
{
    CallerRule::Match match;
    const char *key;
    const char *text;
};

const MatchName MatchNames[] = {
    {CallerRule::Match::NumberIs, "number-is", "number is"},
    {CallerRule::Match::NumberStartsWith, "number-starts-with", "number starts with"},
    {CallerRule::Match::Entry, "entry", "directory entry"},
    {CallerRule::Match::Group, "group", "group"},
    {CallerRule::Match::Withheld, "withheld", "withheld"},
    {CallerRule::Match::Unavailable, "unavailable", "unavailable"},
    {CallerRule::Match::Any, "any", "any caller"},
};

const MatchName &nameOf(CallerRule::Match match)
{
    for (const MatchName &n : MatchNames)
        if (n.match == match)
            return n;
    return MatchNames[std::size(MatchNames) - 1];
}

bool startsWith(const RuleCaller &caller, const QString &value)
{
    const QString digits = PhoneNumberKey::digits(value);
    if (digits.isEmpty())
        return false;
    // "+44..." asks for the international form; anything else for the digits as they came.
    if (value.trimmed().startsWith(QLatin1Char('+')))
        return PhoneNumberKey::key(caller.number, caller.homeCountry)
            .startsWith(QLatin1Char('+') + digits);
    return PhoneNumberKey::digits(caller.number).startsWith(digits);
}

} // namespace

bool CallerRule::needsValue(Match match)
{
    return match == Match::NumberIs || match == Match::NumberStartsWith || match == Match::Entry ||
           match == Match::Group;
}

QString CallerRule::matchKey(Match match)
{
    return QString::fromLatin1(nameOf(match).key);
}

QString CallerRule::matchText(Match match)
{
    return QString::fromLatin1(nameOf(match).text);
}

bool CallerRule::matchFromKey(const QString &key, Match &match)
{
    for (const MatchName &n : MatchNames) {
        if (key == QLatin1String(n.key)) {
            match = n.match;
            return true;
        }
    }
    return false;
}

const QList<CallerRule::Match> &CallerRule::allMatches()
{
    static const QList<Match> all = [] {
        QList<Match> list;
        for (const MatchName &n : MatchNames)
            list.append(n.match);
        return list;
    }();
    return all;
}

namespace CallerRules {

bool matches(const CallerRule &rule, const RuleCaller &caller)
{
    const bool number = caller.kind == CallerId::Kind::Number;
    switch (rule.match) {
    case CallerRule::Match::NumberIs: {
        const QString key = PhoneNumberKey::key(rule.value, caller.homeCountry);
        return number && !key.isEmpty() &&
               PhoneNumberKey::key(caller.number, caller.homeCountry) == key;
    }
    case CallerRule::Match::NumberStartsWith:
        return number && startsWith(caller, rule.value);
    case CallerRule::Match::Entry:
        return !caller.entryName.isEmpty() &&
               caller.entryName.compare(rule.value.trimmed(), Qt::CaseInsensitive) == 0;
    case CallerRule::Match::Group:
        return !rule.value.trimmed().isEmpty() &&
               caller.groups.contains(rule.value.trimmed(), Qt::CaseInsensitive);
    case CallerRule::Match::Withheld:
        return caller.kind == CallerId::Kind::Withheld;
    case CallerRule::Match::Unavailable:
        return caller.kind == CallerId::Kind::Unavailable;
    case CallerRule::Match::Any:
        return true;
    }
    return false;
}

int firstMatch(const QList<CallerRule> &rules, const RuleCaller &caller)
{
    for (qsizetype i = 0; i < rules.size(); ++i)
        if (matches(rules[i], caller))
            return int(i);
    return -1;
}

QString memoFrom(const QString &memoTemplate, const QString &name, const QString &number,
                 const QDate &date)
{
    QString memo;
    // One pass, so that a name holding "{number}" stays a name.
    for (qsizetype i = 0; i < memoTemplate.size(); ++i) {
        const QStringView rest = QStringView(memoTemplate).mid(i);
        if (rest.startsWith(QLatin1String("{name}"))) {
            memo += name;
            i += 5;
        } else if (rest.startsWith(QLatin1String("{number}"))) {
            memo += number;
            i += 7;
        } else if (rest.startsWith(QLatin1String("{date}"))) {
            memo += date.toString(Qt::ISODate);
            i += 5;
        } else {
            memo += memoTemplate[i];
        }
    }
    for (QChar &c : memo)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return memo.simplified().left(CallerRule::MaxTextLength);
}

QString namedMemo(const QString &name, const QString &number)
{
    if (name.isEmpty() || CallerId::kindOf(number) != CallerId::Kind::Number)
        return number;
    return (name + QStringLiteral(" (") + number + QLatin1Char(')'))
        .left(CallerRule::MaxTextLength);
}

QString describe(const CallerRule &rule, const QString &folderName)
{
    QString text = CallerRule::matchText(rule.match);
    if (CallerRule::needsValue(rule.match))
        text += QLatin1Char(' ') + rule.value;
    QStringList actions;
    if (rule.neverRecord)
        actions.append(QStringLiteral("never record"));
    if (!rule.folderId.isEmpty())
        actions.append(QStringLiteral("file in ") + (folderName.isEmpty()
                                                         ? QStringLiteral("folder ") + rule.folderId
                                                         : folderName));
    if (!rule.memoTemplate.isEmpty())
        actions.append(QStringLiteral("memo ") + rule.memoTemplate);
    if (actions.isEmpty())
        actions.append(QStringLiteral("record as usual"));
    return text + QStringLiteral(": ") + actions.join(QStringLiteral(", "));
}

} // namespace CallerRules
