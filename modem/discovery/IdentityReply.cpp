// Replies are untrusted: a multi-line reply or one with control characters must not reach
// the status bar or the configuration file as it came.
#include "IdentityReply.h"

namespace IdentityReply {

QString cut(const QString &reply)
{
    QString text = reply;
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        text.remove(0, colon + 1);
    for (QChar &c : text) {
        if (!c.isPrint())
            c = QLatin1Char(' ');
    }
    return text.left(MaxLength);
}

} // namespace IdentityReply
