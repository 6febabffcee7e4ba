// Message boxes show their text as plain text: messages may quote modem replies or file names.
#include "DialogMessageService.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

DialogMessageService::DialogMessageService(std::function<QWidget *()> parentWindow)
    : m_parentWindow(std::move(parentWindow))
{}

void DialogMessageService::showMessage(const QString &text, Kind kind)
{
    QMessageBox box(m_parentWindow());
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(kind == Kind::Error     ? QMessageBox::Critical
                : kind == Kind::Warning ? QMessageBox::Warning
                                        : QMessageBox::Information);
    box.exec();
}

bool DialogMessageService::confirm(const QString &text)
{
    QMessageBox box(m_parentWindow());
    box.setWindowTitle(QStringLiteral("Confirm"));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> DialogMessageService::askText(const QString &caption, const QString &prompt,
                                                     const QString &initial)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parentWindow(), caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}
