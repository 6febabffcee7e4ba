#include "JournalMessageService.h"

#include "JournalStream.h"

void JournalMessageService::showMessage(const QString &text, Kind kind)
{
    using JournalStream::Priority;
    const Priority priority = kind == Kind::Error     ? Priority::Error
                              : kind == Kind::Warning ? Priority::Warning
                                                      : Priority::Info;
    JournalStream::print(priority,
                         QStringLiteral("message: ") + UnattendedMessageService::asOneLine(text));
}

bool JournalMessageService::confirm(const QString &text)
{
    showMessage(text, Kind::Information);
    return true;
}

std::optional<QString> JournalMessageService::askText(const QString &, const QString &prompt,
                                                      const QString &initial)
{
    showMessage(prompt, Kind::Information);
    return initial;
}
