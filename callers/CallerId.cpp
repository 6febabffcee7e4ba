// Modems and exchanges spell a missing number in several ways; the single letters come from
// the caller-ID standards, the words from modems that translate them.
#include "CallerId.h"

#include <QStringList>

namespace CallerId {

Kind kindOf(const QString &text)
{
    const QString t = text.trimmed();
    static const QStringList withheld = {QStringLiteral("P"), QStringLiteral("Private"),
                                         QStringLiteral("Restricted"), QStringLiteral("Anonymous"),
                                         QStringLiteral("Withheld")};
    static const QStringList unavailable = {QStringLiteral("O"), QStringLiteral("Out of area"),
                                            QStringLiteral("Unavailable"),
                                            QStringLiteral("Unknown")};
    if (withheld.contains(t, Qt::CaseInsensitive))
        return Kind::Withheld;
    if (t.isEmpty() || unavailable.contains(t, Qt::CaseInsensitive))
        return Kind::Unavailable;
    return Kind::Number;
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Withheld:
        return QStringLiteral("Withheld");
    case Kind::Unavailable:
        return QStringLiteral("Unavailable");
    case Kind::Number:
        break;
    }
    return QString();
}

} // namespace CallerId
