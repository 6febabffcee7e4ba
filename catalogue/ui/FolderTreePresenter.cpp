// The folder tree's commands and events.
#include "FolderTreePresenter.h"

#include "FolderTreeView.h"
#include "ViewPopupMenu.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/RecordingOperations.h"
#include "catalogue/store/StoreError.h"
#include "catalogue/store/StoreVariant.h"
#include "support/AtomicFile.h"
#include "support/MessageService.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMenu>
#include <QSet>

FolderTreePresenter::FolderTreePresenter(FolderTreeView &tree, Catalogue &catalogue,
                                         RecordingOperations &ops, MessageService &messages,
                                         const QString &dataDir, FolderTreeActions actions,
                                         QObject *parent)
    : QObject(parent), m_tree(tree), m_catalogue(catalogue), m_ops(ops), m_messages(messages),
      m_dataDir(dataDir), m_actions(actions)
{
    m_catalogue.clearFolderTree = [this] { m_tree.clear(); };
    m_catalogue.addRootFolderNode = [this](const QString &name, const QString &code) {
        m_tree.addNode({0, name, code, false});
        m_tree.setCurrentItem(m_tree.firstNode());
    };
    m_catalogue.loadFolderTree = [this] { loadFolderTree(); };

    connect(&m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { TreeChange(current); });
    connect(&m_tree, &QTreeWidget::itemExpanded, this, &FolderTreePresenter::updateExpandStates);
    connect(&m_tree, &QTreeWidget::itemCollapsed, this, &FolderTreePresenter::updateExpandStates);
    connect(&m_tree, &FolderTreeView::nodeEdited, this, &FolderTreePresenter::TreeEdited);

    const std::pair<QAction *, void (FolderTreePresenter::*)()> commands[] = {
        {m_actions.acAddNode, &FolderTreePresenter::acAddNodeExecute},
        {m_actions.acAddSubNode, &FolderTreePresenter::acAddSubNodeExecute},
        {m_actions.acInsertNode, &FolderTreePresenter::acInsertNodeExecute},
        {m_actions.acDeleteNode, &FolderTreePresenter::acDeleteNodeExecute},
        {m_actions.acRenameNode, &FolderTreePresenter::acRenameNodeExecute},
        {m_actions.acExpandNode, &FolderTreePresenter::acExpandNodeExecute},
        {m_actions.acColapseNode, &FolderTreePresenter::acColapseNodeExecute},
    };
    for (const auto &[action, slot] : commands)
        if (action)
            connect(action, &QAction::triggered, this, slot);
    if (m_actions.acExpandAll)
        connect(m_actions.acExpandAll, &QAction::triggered, &m_tree, &QTreeView::expandAll);
    if (m_actions.acColapseAll)
        connect(m_actions.acColapseAll, &QAction::triggered, &m_tree, &QTreeView::collapseAll);

    // The tree's pop-up menu holds the Tree menu's commands; on the tree, their keys work too.
    m_popup = new QMenu(&m_tree);
    m_popup->setObjectName(QStringLiteral("pmTree"));
    m_popup->setAccessibleName(QStringLiteral("Folder commands"));
    for (QAction *action : m_actions.all()) {
        if (!action)
            continue;
        if (action == m_actions.acExpandNode)
            m_popup->addSeparator();
        m_popup->addAction(action);
        m_tree.addAction(action);
    }
    new ViewPopupMenu(m_tree, *m_popup);
    for (QAction *action : {m_actions.acAddNode, m_actions.acAddSubNode, m_actions.acExpandAll,
                            m_actions.acColapseAll})
        if (action)
            action->setEnabled(true);
    // A catalogue opened before its windows were made shows its tree now.
    if (m_catalogue.FoldersTbl.Active())
        loadFolderTree();
    TreeChange(m_tree.currentItem());
}

FolderTreePresenter::~FolderTreePresenter()
{
    m_catalogue.clearFolderTree = nullptr;
    m_catalogue.addRootFolderNode = nullptr;
    m_catalogue.loadFolderTree = nullptr;
}

QString FolderTreePresenter::treeIniPath() const
{
    return QDir(m_dataDir).filePath(FolderTreeFile::TreeIniName);
}

void FolderTreePresenter::SaveTreeToIni()
{
    FolderTreeFile::SaveTreeToIni(m_tree.nodes(), treeIniPath());
}

void FolderTreePresenter::loadFolderTree()
{
    const QString oldTree = FolderTreeFile::findOldTree(m_dataDir);
    FolderNodes nodes;
    bool loaded = false;
    bool damaged = false;
    try {
        if (!oldTree.isEmpty()) {
            nodes = FolderTreeFile::convertOldTree(oldTree, m_catalogue.FoldersTbl);
            loaded = true;
        } else if (QFile::exists(treeIniPath())) {
            nodes = FolderTreeFile::LoadTreeFromIni(treeIniPath());
            loaded = true;
        }
    } catch (const InvalidLevelError &e) {
        // The nodes before the bad line stay; the folders after it are added below.
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        nodes = e.before;
        loaded = true;
        damaged = true;
    }
    if (loaded) {
        const QSignalBlocker quiet(m_tree);
        m_tree.setNodes(nodes);
    }
    m_tree.setEditingAllowed(false);
    completeFromFolders(damaged);

    if (!oldTree.isEmpty()) {
        // The old file goes only once its tree is safe in Tree.ini.
        try {
            SaveTreeToIni();
            QFile::remove(oldTree);
        } catch (const FileSaveError &e) {
            m_messages.showMessage(e.describe(), MessageService::Kind::Error);
        }
    }

    // The list shows the folder of the table's current row; its node is the selected one.
    const QString shown = m_catalogue.currentFolderId();
    QTreeWidgetItem *current = m_tree.firstNode();
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i)
        for (QTreeWidgetItem *item : FolderTreeView::subtree(m_tree.topLevelItem(i)))
            if (!shown.isEmpty() && FolderTreeView::codeOf(item) == shown) {
                current = item;
                i = m_tree.topLevelItemCount();
                break;
            }
    m_tree.setCurrentItem(current);
    TreeChange(current);
}

// Folders.d keeps the names as typed (Tree.ini cannot keep a '#' in a name), and a folder the
// tree lacks (a Tree.ini never written, or a catalogue made by another tool) still gets a node,
// so that its recordings can be reached.
void FolderTreePresenter::completeFromFolders(bool treeFileDamaged)
{
    TStoreTable &folders = m_catalogue.FoldersTbl;
    if (!folders.Active())
        return;
    const int codeField = folders.fieldIndex(QStringLiteral("FolderId"));
    const int nameField = folders.fieldIndex(QStringLiteral("FolderName"));
    if (codeField < 0 || nameField < 0)
        return;
    QHash<QString, QString> names;
    QStringList order;
    for (int row = 0; row < folders.RecordCount(); ++row) {
        const QString code = folders.valueAt(row, codeField).toString();
        if (code.isEmpty() || names.contains(code))
            continue;
        names.insert(code, folders.valueAt(row, nameField).toString());
        order.append(code);
    }
    const QSignalBlocker quiet(m_tree);
    QSet<QString> inTree;
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i) {
        for (QTreeWidgetItem *item : FolderTreeView::subtree(m_tree.topLevelItem(i))) {
            const QString code = FolderTreeView::codeOf(item);
            inTree.insert(code);
            // Only a name that Tree.ini changed ('#' read as a TAB, shown as a blank) is put
            // back; a node that merely shares another folder's code keeps its own text.
            const QString name = names.value(code);
            if (name.contains(QLatin1Char('#')) &&
                QString(name).replace(QLatin1Char('#'), QLatin1Char(' ')) == item->text(0))
                item->setText(0, name);
        }
    }
    // The folders a damaged tree file lost go under the first node, where the user finds them
    // together; the nodes read before the damage keep their shape.
    if (treeFileDamaged && m_tree.firstNode()) {
        FolderNodes nodes = m_tree.nodes();
        qsizetype at = 1;
        while (at < nodes.size() && nodes[at].level > 0)
            ++at;
        int moved = 0;
        for (const QString &code : std::as_const(order)) {
            if (inTree.contains(code))
                continue;
            nodes.insert(at++, FolderNode{1, names.value(code), code, false});
            inTree.insert(code);
            ++moved;
        }
        m_tree.setNodes(nodes);
        if (moved > 0)
            m_catalogue.log(QStringLiteral("Tree.ini is damaged: %1 folders were put under %2")
                                .arg(moved)
                                .arg(m_tree.firstNode()->text(0)));
    }
    for (const QString &code : std::as_const(order)) {
        if (inTree.contains(code))
            continue;
        FolderNode node{0, names.value(code), code, false};
        // "General" leads an otherwise empty tree.
        if (m_tree.topLevelItemCount() == 0 || node.text != CatalogueSchema::GeneralFolder)
            m_tree.addNode(node);
        else {
            m_tree.addNode(node);
            m_tree.insertTopLevelItem(0, m_tree.takeTopLevelItem(m_tree.topLevelItemCount() - 1));
        }
    }
}

bool FolderTreePresenter::showRecording(const QString &id)
{
    if (!m_catalogue.CallsTbl.Active())
        return false;
    const TStoreCursor &c = m_catalogue.CallsTbl.cursor();
    const int idField = c.fieldIndex("id"), folderField = c.fieldIndex("FolderId");
    if (idField < 0 || folderField < 0)
        return false;
    QString folder;
    for (std::size_t i = 0; i < c.recordCount() && folder.isEmpty(); ++i)
        if (c.record(i).isLive() && StoreVariant::text(c.bytes(i, idField)) == id)
            folder = StoreVariant::text(c.bytes(i, folderField));
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i)
        for (QTreeWidgetItem *node : FolderTreeView::subtree(m_tree.topLevelItem(i)))
            if (FolderTreeView::codeOf(node) == folder) {
                m_tree.setCurrentItem(node);
                return m_catalogue.hasRecording(folder, id);
            }
    return false;
}

void FolderTreePresenter::TreeChange(QTreeWidgetItem *current)
{
    if (current) {
        const QString code = FolderTreeView::codeOf(current);
        try {
            if (!code.isEmpty() && m_catalogue.FoldersTbl.Active())
                m_catalogue.FoldersTbl.Locate(QStringLiteral("FolderId"), code);
        } catch (const StoreError &) {
            // a code the field cannot hold names no folder
        }
    }
    const bool notFirst = current && current != m_tree.firstNode();
    for (QAction *action : {m_actions.acInsertNode, m_actions.acRenameNode, m_actions.acDeleteNode})
        if (action)
            action->setEnabled(notFirst);
    updateExpandStates();
}

void FolderTreePresenter::updateExpandStates()
{
    QTreeWidgetItem *current = m_tree.currentItem();
    const bool parent = current && current->childCount() > 0;
    const bool expanded = parent && current->isExpanded();
    if (m_actions.acExpandNode)
        m_actions.acExpandNode->setEnabled(parent && !expanded);
    if (m_actions.acColapseNode)
        m_actions.acColapseNode->setEnabled(expanded);
}

void FolderTreePresenter::addFolder(Place place)
{
    TStoreTable &folders = m_catalogue.FoldersTbl;
    if (!folders.Active())
        return;
    const QString code = m_catalogue.NewUniqueCode();
    try {
        folders.Append();
        folders.setFieldValue(QStringLiteral("FolderId"), code);
        folders.setFieldValue(QStringLiteral("FolderName"), QString());
        folders.Post();
    } catch (const StoreError &e) {
        folders.cancel();
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        return;
    }
    if (!m_catalogue.saveTable(folders))
        return;

    QTreeWidgetItem *selected = m_tree.currentItem();
    m_tree.addNode({0, QString(), code, false}); // made at the top level, then put in place
    QTreeWidgetItem *item = m_tree.takeTopLevelItem(m_tree.topLevelItemCount() - 1);
    QTreeWidgetItem *parent = selected ? selected->parent() : nullptr;
    if (selected && place == Place::LastChild) {
        selected->setExpanded(true);
        selected->addChild(item);
        selected->setExpanded(true);
    } else if (selected && place == Place::Before) {
        if (parent)
            parent->insertChild(parent->indexOfChild(selected), item);
        else
            m_tree.insertTopLevelItem(m_tree.indexOfTopLevelItem(selected), item);
    } else if (parent) {
        parent->addChild(item);
    } else {
        m_tree.addTopLevelItem(item); // a last sibling at the top, or the first folder
    }
    m_tree.setCurrentItem(item);
    m_tree.startEditing(item);
}

void FolderTreePresenter::acAddNodeExecute()
{
    addFolder(Place::LastSibling);
}

void FolderTreePresenter::acAddSubNodeExecute()
{
    addFolder(Place::LastChild);
}

void FolderTreePresenter::acInsertNodeExecute()
{
    if (m_tree.currentItem() && m_tree.currentItem() != m_tree.firstNode())
        addFolder(Place::Before);
}

void FolderTreePresenter::TreeEdited(QTreeWidgetItem *item, const QString &text)
{
    const QString name = FolderTreeFile::storableName(text);
    if (item->text(0) != name)
        item->setText(0, name);
    m_tree.setEditingAllowed(false);
    TStoreTable &folders = m_catalogue.FoldersTbl;
    const QString code = FolderTreeView::codeOf(item);
    try {
        if (!folders.Active() || code.isEmpty() ||
            !folders.Locate(QStringLiteral("FolderId"), code))
            return;
        folders.Edit();
        folders.setFieldValue(QStringLiteral("FolderName"), name);
        folders.Post();
    } catch (const StoreError &e) {
        folders.cancel();
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        return;
    }
    m_catalogue.saveTable(folders);
    if (treeChanged)
        treeChanged();
}

void FolderTreePresenter::acRenameNodeExecute()
{
    QTreeWidgetItem *item = m_tree.currentItem();
    if (!item)
        return;
    if (item->text(0) == CatalogueSchema::GeneralFolder) {
        m_messages.showMessage(CanNotRenameText);
        return;
    }
    m_tree.startEditing(item);
    m_tree.setImage(item, 1);
}

void FolderTreePresenter::acDeleteNodeExecute()
{
    QTreeWidgetItem *item = m_tree.currentItem();
    if (!item)
        return;
    if (item->text(0) == CatalogueSchema::GeneralFolder) {
        m_messages.showMessage(CanNotDeleteText);
        return;
    }
    if (item == m_tree.firstNode() || !m_messages.confirm(DeleteNodeText))
        return;
    // A code that a node outside the deleted ones also carries (an old tree.d gives a name
    // without a folder row the code of another folder) still names a folder in the tree: its
    // row and recordings stay.
    const QList<QTreeWidgetItem *> deleted = FolderTreeView::subtree(item);
    QSet<QString> kept;
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i)
        for (QTreeWidgetItem *node : FolderTreeView::subtree(m_tree.topLevelItem(i)))
            if (!deleted.contains(node))
                kept.insert(FolderTreeView::codeOf(node));
    QStringList codes;
    for (QTreeWidgetItem *node : deleted)
        if (!kept.contains(FolderTreeView::codeOf(node)))
            codes.append(FolderTreeView::codeOf(node));
    if (!m_ops.deleteFolders(codes))
        return;
    delete item; // the next node becomes current and its folder is shown
    if (!m_tree.currentItem())
        m_tree.setCurrentItem(m_tree.firstNode());
    TreeChange(m_tree.currentItem());
    m_tree.viewport()->update();
    try {
        SaveTreeToIni();
    } catch (const FileSaveError &e) {
        m_messages.showMessage(e.describe(), MessageService::Kind::Error);
    }
}

void FolderTreePresenter::acExpandNodeExecute()
{
    QTreeWidgetItem *item = m_tree.currentItem();
    if (item && !FolderTreeView::codeOf(item).isEmpty() && !item->isExpanded())
        item->setExpanded(true);
    updateExpandStates();
}

void FolderTreePresenter::acColapseNodeExecute()
{
    QTreeWidgetItem *item = m_tree.currentItem();
    if (item && !FolderTreeView::codeOf(item).isEmpty() && item->isExpanded())
        item->setExpanded(false);
    updateExpandStates();
}
