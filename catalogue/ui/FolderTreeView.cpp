// The tree control's own behaviour; what a change means for the catalogue is decided by the
// tree's presenter.
#include "FolderTreeView.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

namespace {
constexpr int CodeRole = Qt::UserRole;

// One line of plain text: a control character would break the lines of Tree.ini.
QString shownText(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}
} // namespace

FolderTreeView::FolderTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("Tree"));
    setAccessibleName(QStringLiteral("Folders"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    m_images[0] = style()->standardIcon(QStyle::SP_DirOpenIcon);
    m_images[1] = style()->standardIcon(QStyle::SP_DirClosedIcon);

    connect(this, &QTreeWidget::currentItemChanged, this, &FolderTreeView::updateImages);
    // The view writes the editor's text into the item first (it connected before us).
    connect(itemDelegate(), &QAbstractItemDelegate::commitData, this, [this] {
        QTreeWidgetItem *item = m_editItem;
        if (!m_editing || !item)
            return;
        m_editing = false;
        emit nodeEdited(item, item->text(0));
    });
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        m_editing = false;
        m_editItem = nullptr;
    });
}

QTreeWidgetItem *FolderTreeView::makeItem(const FolderNode &node) const
{
    auto *item = new QTreeWidgetItem(QStringList(shownText(node.text)));
    item->setData(0, CodeRole, node.code);
    item->setIcon(0, m_images[1]);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                   Qt::ItemIsDropEnabled);
    return item;
}

void FolderTreeView::setNodes(const FolderNodes &nodes)
{
    clear();
    for (const FolderNode &node : nodes)
        addNode(node);
}

void FolderTreeView::addNode(const FolderNode &node)
{
    // The parent of a node at level n is the last node at level n - 1 (levels were checked
    // when the lines were read).
    QTreeWidgetItem *parent = nullptr;
    if (node.level > 0 && topLevelItemCount() > 0) {
        parent = topLevelItem(topLevelItemCount() - 1);
        for (int level = 1; level < node.level && parent->childCount() > 0; ++level)
            parent = parent->child(parent->childCount() - 1);
    }
    QTreeWidgetItem *item = makeItem(node);
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    if (node.expanded)
        item->setExpanded(true);
}

FolderNodes FolderTreeView::nodes() const
{
    FolderNodes result;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        for (QTreeWidgetItem *item : subtree(topLevelItem(i))) {
            int level = 0;
            for (const QTreeWidgetItem *p = item->parent(); p; p = p->parent())
                ++level;
            // A node without children is never expanded, whatever the view says.
            result.append(
                {level, item->text(0), codeOf(item), item->isExpanded() && item->childCount() > 0});
        }
    }
    return result;
}

QList<QTreeWidgetItem *> FolderTreeView::subtree(QTreeWidgetItem *item)
{
    QList<QTreeWidgetItem *> items;
    if (!item)
        return items;
    items.append(item);
    for (int i = 0; i < item->childCount(); ++i)
        items.append(subtree(item->child(i)));
    return items;
}

QString FolderTreeView::codeOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, CodeRole).toString() : QString();
}

void FolderTreeView::setCode(QTreeWidgetItem *item, const QString &code)
{
    item->setData(0, CodeRole, code);
}

void FolderTreeView::setEditingAllowed(bool allowed)
{
    m_editingAllowed = allowed;
}

void FolderTreeView::startEditing(QTreeWidgetItem *item)
{
    if (!item)
        return;
    setEditingAllowed(true);
    // Only this call opens an editor: the view has no edit triggers of its own.
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    scrollToItem(item);
    m_editItem = item;
    m_editing = true;
    editItem(item, 0);
}

void FolderTreeView::updateImages(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (previous)
        previous->setIcon(0, m_images[1]);
    if (current)
        current->setIcon(0, m_images[0]);
}

void FolderTreeView::mousePressEvent(QMouseEvent *event)
{
    // A click never starts a rename.
    setEditingAllowed(false);
    QTreeWidget::mousePressEvent(event);
}

bool FolderTreeView::TreeDragOver(const QMimeData *data, const QTreeWidgetItem *target) const
{
    if (!data || !target)
        return false;
    if (data->hasFormat(RecordingsMime))
        return true;
    if (!data->hasFormat(FolderMime))
        return false;
    const QTreeWidgetItem *dragged = currentItem();
    if (!dragged || dragged == firstNode())
        return false;
    for (const QTreeWidgetItem *p = target; p; p = p->parent())
        if (p == dragged)
            return false;
    return true;
}

int FolderTreeView::textStart(const QTreeWidgetItem *item) const
{
    const QRect rect = visualItemRect(item);
    const int icon = item->icon(0).isNull() ? 0 : iconSize().width() > 0 ? iconSize().width() : 16;
    return rect.left() + icon + style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) +
           2;
}

void FolderTreeView::TreeDragDrop(const QMimeData *data, QTreeWidgetItem *target,
                                  const QPoint &point)
{
    if (data && target && data->hasFormat(RecordingsMime)) {
        emit recordingsDropped(codeOf(target));
    } else if (data && target && data->hasFormat(FolderMime) && TreeDragOver(data, target) &&
               target != firstNode()) {
        QTreeWidgetItem *dragged = currentItem();
        const bool wasExpanded = dragged->isExpanded();
        QList<bool> expandedBelow;
        const QList<QTreeWidgetItem *> below = subtree(dragged);
        for (QTreeWidgetItem *item : below)
            expandedBelow.append(item->isExpanded());
        QTreeWidgetItem *oldParent = dragged->parent();
        if (oldParent)
            oldParent->removeChild(dragged);
        else
            takeTopLevelItem(indexOfTopLevelItem(dragged));
        if (point.x() < textStart(target)) {
            QTreeWidgetItem *parent = target->parent();
            if (parent)
                parent->insertChild(parent->indexOfChild(target), dragged);
            else
                insertTopLevelItem(indexOfTopLevelItem(target), dragged);
        } else {
            target->insertChild(0, dragged);
        }
        // Taking a node out of the tree collapses it; it keeps its shape.
        for (int i = 0; i < below.size(); ++i)
            below[i]->setExpanded(expandedBelow[i]);
        dragged->setExpanded(wasExpanded);
        target->setExpanded(true);
        setCurrentItem(target);
    }
    emit dropEnded();
}

void FolderTreeView::startDrag(Qt::DropActions)
{
    QTreeWidgetItem *item = currentItem();
    if (!item || item == firstNode())
        return;
    auto *data = new QMimeData;
    data->setData(FolderMime, codeOf(item).toUtf8());
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

void FolderTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(RecordingsMime) || event->mimeData()->hasFormat(FolderMime))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FolderTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (TreeDragOver(event->mimeData(), target)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FolderTreeView::dropEvent(QDropEvent *event)
{
    const QPoint point = event->position().toPoint();
    QTreeWidgetItem *target = itemAt(point);
    if (!TreeDragOver(event->mimeData(), target)) {
        event->ignore();
        emit dropEnded();
        return;
    }
    // The move is ours; the view must not remove the dragged item afterwards.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    TreeDragDrop(event->mimeData(), target, point);
}
