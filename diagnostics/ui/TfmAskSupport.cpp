// The problem report window.
#include "TfmAskSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfmAskSupport::TfmAskSupport(QWidget *parent)
    : QDialog(parent), m_description(new QPlainTextEdit(this)), m_attachments(new QLabel(this))
{
    setObjectName(QStringLiteral("fmAskSupport"));
    setWindowTitle(QStringLiteral("Report a problem"));

    auto *picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(48));
    auto *text = new QLabel(QStringLiteral("An email will be sent with your modem parameters. "
                                           "Please describe the problem you have"),
                            this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setBuddy(m_description);
    m_description->setAccessibleName(QStringLiteral("Problem description"));
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_description->setTabChangesFocus(true);
    m_attachments->setObjectName(QStringLiteral("attachmentsText"));
    m_attachments->setTextFormat(Qt::PlainText);
    m_attachments->setWordWrap(true);
    m_attachments->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    m_ok->setAccessibleName(QStringLiteral("OK"));
    m_cancel->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfmAskSupport::okClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfmAskSupport::reject);

    auto *row = new QHBoxLayout;
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_description, 1);
    layout->addWidget(m_attachments);
    layout->addWidget(buttons);
    setFixedSize(460, 360);
}

void TfmAskSupport::setAttachmentFiles(const QStringList &files)
{
    // The settings and the log can hold callers' numbers: the user sees what goes, and can
    // still take files out in the mail program before sending.
    QString text = QStringLiteral("These files will be attached:");
    for (const QString &file : files)
        text += QStringLiteral("\n    ") + file;
    text += QStringLiteral("\nYour mail program opens the message before it is sent; you can "
                           "remove attachments there.");
    m_attachments->setText(text);
    m_attachments->setAccessibleName(text);
}

void TfmAskSupport::showEvent(QShowEvent *event)
{
    m_reportSent = false;
    m_description->setFocus();
    QDialog::showEvent(event);
}

void TfmAskSupport::okClick()
{
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    const bool sent = sendReport && sendReport(m_description->toPlainText());
    m_ok->setEnabled(true);
    m_cancel->setEnabled(true);
    m_reportSent = sent;
    accept();
}

void TfmAskSupport::reject()
{
    m_reportSent = false;
    QDialog::reject();
}
