// Scripted answers for tests.
#include "ScriptedMessageService.h"

void ScriptedMessageService::showMessage(const QString &text, Kind)
{
    texts.append(text);
}

bool ScriptedMessageService::confirm(const QString &text)
{
    texts.append(text);
    if (confirmAnswers.empty())
        return true;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedMessageService::askText(const QString &, const QString &prompt,
                                                       const QString &initial)
{
    texts.append(prompt);
    if (textAnswers.empty())
        return initial;
    auto answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
}
