// "Preview clean-up": what the retention rules would remove now (how many recordings, how much
// space, the oldest and newest, and each one), shown before anything goes; Remove agrees.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class RetentionPass;

class CleanupPreviewDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CleanupPreviewDialog)

public:
    explicit CleanupPreviewDialog(QWidget *parent = nullptr);

    // Shows the pass's plan and waits; true when the user chose Remove. firstTime: no rule has
    // removed anything yet, and the dialog says so.
    bool ask(const RetentionPass &pass, bool firstTime);

    QLabel *summaryLabel() const { return m_summary; }
    QListWidget *removalList() const { return m_list; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QLabel *m_intro;
    QLabel *m_summary;
    QListWidget *m_list;
    QLabel *m_notes;
    QPushButton *m_remove;
    QPushButton *m_cancel;
};
