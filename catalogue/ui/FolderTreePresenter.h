// What the folder tree's commands and events do to the catalogue: selecting a folder shows
// its recordings, adding, inserting and renaming folders writes Folders.d, deleting a folder
// deletes its sub-folders and all their recordings, and the tree is loaded from Tree.ini (or
// converted once from the old tree.d) at start-up and saved at the save points.
#pragma once

#include "catalogue/FolderTreeFile.h"

#include <QObject>
#include <functional>

class Catalogue;
class FolderTreeView;
class QMenu;
class MessageService;
class QAction;
class QTreeWidgetItem;
class RecordingOperations;

struct FolderTreeActions
{
    QAction *acAddNode = nullptr, *acAddSubNode = nullptr, *acInsertNode = nullptr,
            *acDeleteNode = nullptr, *acRenameNode = nullptr, *acExpandNode = nullptr,
            *acColapseNode = nullptr, *acExpandAll = nullptr, *acColapseAll = nullptr;

    QList<QAction *> all() const
    {
        return {acAddNode,    acAddSubNode,  acInsertNode, acDeleteNode, acRenameNode,
                acExpandNode, acColapseNode, acExpandAll,  acColapseAll};
    }
};

class FolderTreePresenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderTreePresenter)

public:
    static inline const QString CanNotRenameText =
        QStringLiteral("General folder can not be renamed");
    static inline const QString CanNotDeleteText =
        QStringLiteral("General folder can not be deleted");
    static inline const QString DeleteNodeText =
        QStringLiteral("Delete node? All of your files will be deleted \nAll of child nodes and "
                       "files if existing will be also deleted");

    // Takes over the catalogue's tree hooks; dataDir holds Tree.ini (and an old tree.d).
    FolderTreePresenter(FolderTreeView &tree, Catalogue &catalogue, RecordingOperations &ops,
                        MessageService &messages, const QString &dataDir, FolderTreeActions actions,
                        QObject *parent = nullptr);
    ~FolderTreePresenter() override;

    // Writes the whole tree into Tree.ini. Throws FileSaveError.
    void SaveTreeToIni();
    // The start-up's last step: tree.d converted, else Tree.ini read; folders of Folders.d
    // that the tree lacks are added, and the shown folder's node is selected.
    void loadFolderTree();
    QString treeIniPath() const;

    // Called when a finished edit changed the tree (the idle handler saves it).
    std::function<void()> treeChanged;

    // Opens the folder that holds the recording of this code and makes its row current
    // (a notification's "Show recording"). False when no folder holds it any more.
    bool showRecording(const QString &id);

    void acAddNodeExecute();
    void acAddSubNodeExecute();
    void acInsertNodeExecute();
    void acDeleteNodeExecute();
    void acRenameNodeExecute();
    void acExpandNodeExecute();
    void acColapseNodeExecute();

private:
    enum class Place
    {
        LastSibling,
        LastChild,
        Before
    };
    void addFolder(Place place);
    void TreeChange(QTreeWidgetItem *current);
    void TreeEdited(QTreeWidgetItem *item, const QString &text);
    void updateExpandStates();
    void completeFromFolders(bool treeFileDamaged = false);

    FolderTreeView &m_tree;
    Catalogue &m_catalogue;
    RecordingOperations &m_ops;
    MessageService &m_messages;
    QString m_dataDir;
    FolderTreeActions m_actions;
    QMenu *m_popup = nullptr;
};
