// The Move dialog.
#include "TMoveToForm.h"

#include "FolderTreeView.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TMoveToForm::TMoveToForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MoveToForm"));
    setWindowTitle(QStringLiteral("Move"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Move the item(s) to the selected folder"), this);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    m_tree = new FolderTreeView(this);
    m_tree->setObjectName(QStringLiteral("tvMoveTo"));
    m_tree->setAccessibleName(label->text());
    m_tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    label->setBuddy(m_tree);
    layout->addWidget(m_tree, 1);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::itemActivated, this, &QDialog::accept);
    resize(300, 360);
}

void TMoveToForm::setNodes(const FolderNodes &nodes)
{
    static_cast<FolderTreeView *>(m_tree)->setNodes(nodes);
    m_tree->expandAll();
    m_tree->setCurrentItem(nullptr);
    m_tree->clearSelection();
    m_tree->setFocus();
}

std::optional<QString> TMoveToForm::selectedCode() const
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return FolderTreeView::codeOf(selected.first());
}

std::optional<QString> TMoveToForm::choose(const FolderNodes &nodes)
{
    setNodes(nodes);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return selectedCode();
}
