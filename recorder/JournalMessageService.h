// The headless recorder's messages: as in any unattended run, one line "message: <text>" on
// standard error, answered with its default button; errors and warnings reach the journal as
// such.
#pragma once

#include "support/MessageService.h"

class JournalMessageService final : public MessageService
{
public:
    void showMessage(const QString &text, Kind kind) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;
};
