// Small edits shared by the readers of the modem's capability replies.
#pragma once

#include <QString>

// Removes the first "(" and the first ")" of text, as the reply readers do for a value given
// in parentheses.
inline void removeFirstParentheses(QString &text)
{
    for (QChar mark : {QLatin1Char('('), QLatin1Char(')')}) {
        const qsizetype at = text.indexOf(mark);
        if (at >= 0)
            text.remove(at, 1);
    }
}
