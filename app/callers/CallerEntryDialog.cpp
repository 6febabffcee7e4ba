#include "CallerEntryDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

CallerEntryDialog::CallerEntryDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCallerEntry"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("edCallerName"));
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_numbers = new QPlainTextEdit(this);
    m_numbers->setObjectName(QStringLiteral("edCallerNumbers"));
    m_numbers->setAccessibleName(QStringLiteral("Telephone numbers, one a line"));
    // Tab moves on to the buttons; a number per line needs Enter, not tabs.
    m_numbers->setTabChangesFocus(true);
    m_groups = new QLineEdit(this);
    m_groups->setObjectName(QStringLiteral("edCallerGroups"));
    m_groups->setAccessibleName(QStringLiteral("Groups, separated by commas"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(QStringLiteral("Telephone n&umbers\n(one a line):"), m_numbers);
    form->addRow(QStringLiteral("&Groups:"), m_groups);
    form->addRow(buttons);
    resize(360, 220);
}

void CallerEntryDialog::setEntry(const CallerEntry &entry)
{
    m_name->setText(entry.name);
    m_numbers->setPlainText(entry.numbers.join(QLatin1Char('\n')));
    m_groups->setText(entry.groups.join(QStringLiteral(", ")));
}

CallerEntry CallerEntryDialog::entry() const
{
    QStringList groups;
    for (const QString &group : m_groups->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!group.trimmed().isEmpty())
            groups.append(group.trimmed());
    return {m_name->text(), m_numbers->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            groups};
}

std::optional<CallerEntry> CallerEntryDialog::ask(QWidget *parent, const QString &title,
                                                  const CallerEntry &entry)
{
    CallerEntryDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setEntry(entry);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.entry();
}
