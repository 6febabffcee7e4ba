// Asks for one caller's name and telephone numbers (one a line).
#pragma once

#include "callers/CallerDirectory.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QPlainTextEdit;

class CallerEntryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CallerEntryDialog)

public:
    explicit CallerEntryDialog(QWidget *parent = nullptr);

    void setEntry(const CallerEntry &entry);
    CallerEntry entry() const;

    // The entry as the user left it, or no value when cancelled.
    static std::optional<CallerEntry> ask(QWidget *parent, const QString &title,
                                          const CallerEntry &entry);

private:
    QLineEdit *m_name;
    QPlainTextEdit *m_numbers;
};
