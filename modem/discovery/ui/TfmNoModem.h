// The no-modem notice ("Notification"): a short text, "Don't show this message again" and
// "Ok". Once silenced it shows nothing.
#pragma once

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class TIniFile;

class TfmNoModem final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmNoModem)

public:
    explicit TfmNoModem(TIniFile &ini, QWidget *parent = nullptr);

    // Shows the notice modally unless the user silenced it.
    void ShowNoModemNotice();

    QPlainTextEdit *text() const { return m_text; }
    QCheckBox *checkBox() const { return m_check; }
    QPushButton *okButton() const { return m_ok; }

public slots:
    // Only "Ok" closes the notice.
    void reject() override {}

private:
    void okClicked();

    TIniFile &m_ini;
    QPlainTextEdit *m_text;
    QCheckBox *m_check;
    QPushButton *m_ok;
};
