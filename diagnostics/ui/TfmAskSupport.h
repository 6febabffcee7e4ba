// The "Report a problem" window: the user describes the problem and sees which files go with
// the report; OK hands the description to the report, Cancel sends nothing.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfmAskSupport final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmAskSupport)

public:
    explicit TfmAskSupport(QWidget *parent = nullptr);

    // Sends the report with the description; called by OK, the window stays open meanwhile.
    // True when the report was handed to the mail program.
    std::function<bool(const QString &description)> sendReport;
    // The files the report attaches, listed in the window so that the user knows what leaves
    // the machine.
    void setAttachmentFiles(const QStringList &files);

    // A report was sent since the window was last shown.
    bool reportSent() const { return m_reportSent; }

    QPlainTextEdit *description() const { return m_description; }
    QLabel *attachmentsLabel() const { return m_attachments; }
    QPushButton *okButton() const { return m_ok; }

    // Cancel, Escape and the close button: nothing is sent.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void okClick();

    QPlainTextEdit *m_description;
    QLabel *m_attachments;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    bool m_reportSent = false;
};
