// Rules for calls: an ordered list, each a match on the caller and what to do with the call
// (file its recording into a folder, write its memo from a template, or not record it). The
// first rule that matches a call applies.
#pragma once

#include "callers/CallerId.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

struct CallerRule
{
    enum class Match
    {
        NumberIs,         // value: a number in any form ("020 7946 0018", "+44 20 7946 0018")
        NumberStartsWith, // value: the first digits ("0800"; "+44" for the international form)
        Entry,            // value: the name of a caller directory entry
        Group,            // value: a group of caller directory entries
        Withheld,
        Unavailable, // also a call without caller ID
        Any
    };

    Match match = Match::Any;
    QString value;
    QString folderId;     // the catalogue folder to file the recording in; empty: as usual
    QString memoTemplate; // the memo, with {name}, {number} and {date}; empty: as usual
    bool neverRecord = false;

    bool operator==(const CallerRule &) const = default;

    // The longest value, folder code or memo template a rule holds.
    static constexpr qsizetype MaxTextLength = 255;

    // Whether the match needs a value to be a rule at all.
    static bool needsValue(Match match);
    // The match's key in the rules file ("number-is") and its words for people ("number is").
    static QString matchKey(Match match);
    static QString matchText(Match match);
    static bool matchFromKey(const QString &key, Match &match);
    static const QList<Match> &allMatches();
};

// What the rules know of a call's caller.
struct RuleCaller
{
    QString number; // the caller-ID number as the modem gave it; empty without caller ID
    CallerId::Kind kind = CallerId::Kind::Unavailable;
    QString entryName;  // the caller directory entry holding the number; empty when none does
    QStringList groups; // that entry's groups
    QString homeCountry;
};

namespace CallerRules {

bool matches(const CallerRule &rule, const RuleCaller &caller);
// The index of the first rule that matches, -1 when none does.
int firstMatch(const QList<CallerRule> &rules, const RuleCaller &caller);
// The memo template with {name}, {number} and {date} (the call's start, yyyy-MM-dd) filled
// in; other braces stay as written. One line, at most MaxTextLength characters.
QString memoFrom(const QString &memoTemplate, const QString &name, const QString &number,
                 const QDate &date);
// "Name (number)" for a known caller, the caller-ID text as it is for any other.
QString namedMemo(const QString &name, const QString &number);
// A short description of the rule for the log and the rules list: "number starts with 0800:
// never record", "group Family: file in folder 3, memo {name}".
QString describe(const CallerRule &rule, const QString &folderName);

} // namespace CallerRules
