// The clean-up's preview. Everything shown comes from the catalogue (memos are caller text):
// plain text only.
#include "CleanupPreviewDialog.h"

#include "catalogue/RetentionPass.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CleanupPreviewDialog::CleanupPreviewDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCleanupPreview"));
    setWindowTitle(QStringLiteral("Preview clean-up"));
    m_intro = new QLabel(this);
    m_intro->setWordWrap(true);
    m_intro->setTextFormat(Qt::PlainText);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lbCleanupSummary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    auto *listCaption = new QLabel(QStringLiteral("Recordings that would be removed:"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lbCleanupList"));
    m_list->setAccessibleName(QStringLiteral("Recordings that would be removed"));
    listCaption->setBuddy(m_list);
    m_notes = new QLabel(this);
    m_notes->setWordWrap(true);
    m_notes->setTextFormat(Qt::PlainText);
    auto *buttons = new QDialogButtonBox(this);
    m_remove = buttons->addButton(QStringLiteral("&Remove"), QDialogButtonBox::AcceptRole);
    m_remove->setAccessibleName(QStringLiteral("Remove"));
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_cancel->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_intro);
    layout->addWidget(m_summary);
    layout->addWidget(listCaption);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_notes);
    layout->addWidget(buttons);
    resize(640, 420);
}

bool CleanupPreviewDialog::ask(const RetentionPass &pass, bool firstTime)
{
    const RetentionPlan &plan = pass.lastPlan();
    m_intro->setText(
        firstTime ? QStringLiteral("The clean-up rules are about to remove recordings for the "
                                   "first time. Nothing is removed unless you choose Remove.")
                  : QStringLiteral("What the clean-up rules would remove now."));
    m_summary->setText(pass.summary());
    m_list->clear();
    m_list->addItems(pass.describeRemovals());
    QStringList notes = plan.shortfalls;
    if (!plan.empty())
        notes.prepend(QStringLiteral("Removed files go to the desktop's trash, from where the file "
                                     "manager can restore them; files removed to free space are "
                                     "deleted, since the trash is on the same disk. Recordings "
                                     "marked Keep are never removed."));
    m_notes->setText(notes.join(QLatin1Char('\n')));
    m_remove->setEnabled(!plan.empty());
    m_remove->setDefault(!plan.empty());
    m_cancel->setDefault(plan.empty());
    return exec() == QDialog::Accepted && !plan.empty();
}
