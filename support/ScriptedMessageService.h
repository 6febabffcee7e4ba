// The message service for tests: records every text and answers as the test says.
#pragma once

#include "MessageService.h"

#include <QStringList>
#include <deque>

class ScriptedMessageService final : public MessageService
{
public:
    void showMessage(const QString &text, Kind kind) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;

    // Every message, confirmation and prompt text, in order.
    QStringList texts;
    // Answers for the next confirmations; Yes once they run out.
    std::deque<bool> confirmAnswers;
    // Answers for the next prompts; the initial text once they run out.
    std::deque<std::optional<QString>> textAnswers;
};
