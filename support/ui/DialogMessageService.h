// The message service of a desktop session: message boxes and input dialogs.
#pragma once

#include "support/MessageService.h"

#include <functional>

class QWidget;

class DialogMessageService final : public MessageService
{
public:
    // Boxes are centred on the window parentWindow returns (none while it returns null).
    explicit DialogMessageService(std::function<QWidget *()> parentWindow);

    void showMessage(const QString &text, Kind kind) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;

private:
    std::function<QWidget *()> m_parentWindow;
};
