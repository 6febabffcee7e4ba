// The folder tree on the left of the main window (Tree): one node per folder carrying the
// folder's code, the selected node with image 0 and every other with image 1, in-place
// editing only when it is switched on, and dragging of folders inside the tree and of
// recordings from the list onto a folder. Names are shown as plain text.
#pragma once

#include "catalogue/FolderTreeFile.h"

#include <QTreeWidget>

class QMimeData;

class FolderTreeView final : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderTreeView)

public:
    // The formats of a drag of folders inside the tree and of recordings from the list.
    static inline const QString FolderMime = QStringLiteral("application/x-calvora-folder");
    static inline const QString RecordingsMime = QStringLiteral("application/x-calvora-recordings");

    explicit FolderTreeView(QWidget *parent = nullptr);

    // The tree from nodes in node order, and back.
    void setNodes(const FolderNodes &nodes);
    FolderNodes nodes() const;
    void addNode(const FolderNode &node);

    static QString codeOf(const QTreeWidgetItem *item);
    static void setCode(QTreeWidgetItem *item, const QString &code);
    // The first node of the tree ("General"), or null.
    QTreeWidgetItem *firstNode() const { return topLevelItem(0); }
    // The node and all its descendants, in node order.
    static QList<QTreeWidgetItem *> subtree(QTreeWidgetItem *item);

    // In-place editing of node texts: off unless an added node or Rename switched it on.
    void setEditingAllowed(bool allowed);
    bool editingAllowed() const { return m_editingAllowed; }
    // Image 0 (the selected node's) or 1 (every other node's).
    void setImage(QTreeWidgetItem *item, int image) { item->setIcon(0, m_images[image ? 1 : 0]); }
    // Starts editing an item's text (switching editing on).
    void startEditing(QTreeWidgetItem *item);

    // TreeDragOver: whether a drag of this data may be dropped on the target node.
    bool TreeDragOver(const QMimeData *data, const QTreeWidgetItem *target) const;
    // TreeDragDrop: folders are moved (before the target when the point lies left of its
    // text, else as its first child); recordings are handed on through recordingsDropped.
    void TreeDragDrop(const QMimeData *data, QTreeWidgetItem *target, const QPoint &point);
    // Where a node's text begins, in viewport coordinates.
    int textStart(const QTreeWidgetItem *item) const;

signals:
    // Recordings from the list were dropped on the folder with this code.
    void recordingsDropped(const QString &folderCode);
    // A drop ended (the list's drag state is cleared).
    void dropEnded();
    // The user confirmed a new text for the node (TreeEdited).
    void nodeEdited(QTreeWidgetItem *item, const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void updateImages(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    QTreeWidgetItem *makeItem(const FolderNode &node) const;

    bool m_editingAllowed = false;
    bool m_editing = false;
    QTreeWidgetItem *m_editItem = nullptr;
    QIcon m_images[2];
};
