// The folder chooser "Select folder": a tree of the file system's folders with "Ok" and
// "Cancel". It remembers what it returned last, which a close by other means returns again.
#pragma once

#include <QDialog>

class QFileSystemModel;
class QPushButton;
class QTreeView;

class TfmSelectFolder final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmSelectFolder)

public:
    explicit TfmSelectFolder(QWidget *parent = nullptr);

    // Shows the chooser modally with startDir selected, centred on centreOn's window. "Ok" returns
    // the selected folder's full path, "Cancel" an empty path; closing it another way returns what
    // the previous use returned (empty the first time).
    QString Execute(const QString &startDir, QWidget *centreOn = nullptr);

    // The folder selected in the tree; empty without one.
    QString selectedPath() const;
    void selectPath(const QString &path);

    QTreeView *tree() const { return m_tree; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private slots:
    void btnOkClick();
    void btnCancelClick();

private:
    QFileSystemModel *m_model;
    QTreeView *m_tree;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QString m_result;
};
