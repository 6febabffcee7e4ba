// What the modem's caller-ID number says about the caller: a number, or a caller whose number
// is withheld ("P", private) or unavailable ("O", out of area, or no number at all).
#pragma once

#include <QString>

namespace CallerId {

enum class Kind
{
    Number,
    Withheld,
    Unavailable
};

// text: the caller-ID number as the modem gave it ("5551234", "P", "O", "", "Restricted").
Kind kindOf(const QString &text);

// "Withheld" and "Unavailable" for those kinds; empty for a number.
QString kindName(Kind kind);

} // namespace CallerId
