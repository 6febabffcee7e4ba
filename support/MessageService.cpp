// The unattended message service.
#include "MessageService.h"

#include <cstdio>

QString UnattendedMessageService::asOneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

void UnattendedMessageService::showMessage(const QString &text, Kind kind)
{
    if (writeLine) {
        writeLine(QStringLiteral("message: ") + asOneLine(text), kind);
        return;
    }
    std::fprintf(stderr, "message: %s\n", asOneLine(text).toLocal8Bit().constData());
    std::fflush(stderr);
}

bool UnattendedMessageService::confirm(const QString &text)
{
    showMessage(text, Kind::Information);
    return true;
}

std::optional<QString> UnattendedMessageService::askText(const QString &, const QString &prompt,
                                                         const QString &initial)
{
    showMessage(prompt, Kind::Information);
    return initial;
}

void SessionMessageService::showMessage(const QString &text, Kind kind)
{
    current().showMessage(text, kind);
}

bool SessionMessageService::confirm(const QString &text)
{
    return current().confirm(text);
}

std::optional<QString> SessionMessageService::askText(const QString &caption, const QString &prompt,
                                                      const QString &initial)
{
    return current().askText(caption, prompt, initial);
}
