// Asks for one caller's name, telephone numbers (one a line) and groups (comma-separated).
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
    QLineEdit *m_groups;
};
