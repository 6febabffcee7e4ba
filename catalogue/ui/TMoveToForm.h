// The "Move" dialog: a copy of the folder tree, fully expanded, from which the user picks the
// folder the recordings go to.
#pragma once

#include "catalogue/FolderTreeFile.h"

#include <QDialog>
#include <optional>

class QDialogButtonBox;
class QTreeWidget;

class TMoveToForm final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TMoveToForm)

public:
    explicit TMoveToForm(QWidget *parent = nullptr);

    // Fills the dialog's tree with a copy of the nodes, every node expanded.
    void setNodes(const FolderNodes &nodes);
    // The code of the selected node; none without a selected node.
    std::optional<QString> selectedCode() const;
    // Shows the dialog; the chosen folder's code on OK, none on Cancel or without a selection.
    std::optional<QString> choose(const FolderNodes &nodes);

    QTreeWidget *tree() const { return m_tree; }
    QDialogButtonBox *buttons() const { return m_buttons; }

private:
    QTreeWidget *m_tree = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
