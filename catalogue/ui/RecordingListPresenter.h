// The recordings list's operations on screen: the multi-selection (Ctrl-click, Shift+Up/Down,
// Select all; cleared by a plain click, a plain Up/Down or the focus leaving the list), its
// highlighted rows, dragging rows onto a folder, the list's pop-up menu, and the commands
// Delete, "Move to...", "Copy to folder...", "Memo..." and "Search..." with their states.
#pragma once

#include "catalogue/FolderTreeFile.h"
#include "catalogue/MemoSearch.h"
#include "catalogue/RecordingOperations.h"
#include "catalogue/RecordingSelection.h"

#include <QObject>
#include <QPoint>
#include <functional>
#include <optional>

class Catalogue;
class ChooserService;
class FindDialog;
class MessageService;
class QAction;
class QMenu;
class QMimeData;
class RecordingsListView;
struct CommandStates;

struct RecordingListActions
{
    QAction *acMemo = nullptr, *acDeleteFiles = nullptr, *acMoveTo = nullptr,
            *acCopyToFolder = nullptr, *acEmailFile = nullptr, *acSearch = nullptr;
};

class RecordingListPresenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingListPresenter)

public:
    // The distance the mouse must move with the button held before rows are dragged.
    static constexpr int DragThreshold = 20;

    RecordingListPresenter(RecordingsListView &list, Catalogue &catalogue, MessageService &messages,
                           ChooserService *choosers, RecordingListActions actions,
                           QObject *parent = nullptr);
    ~RecordingListPresenter() override;

    // The folder tree as it stands, for the Move dialog.
    std::function<FolderNodes()> folderNodes;
    // Carries the dragged rows' data (owned by the callee) to a drop; by default a drag
    // and drop of the desktop's.
    std::function<void(QMimeData *)> dragRows;
    // The Move dialog; by default TMoveToForm. Returns the chosen folder's code.
    std::function<std::optional<QString>(const FolderNodes &)> chooseMoveTarget;

    // SelectedIds.
    const RecordingSelection &selection() const { return m_selection; }
    void clearSelection();
    // The recordings "Email wav file to..." sends (row codes): the selected ones, or the
    // current one when none is selected. After sending, clearSelection() ends the selection.
    QStringList recordingsToSend() const;

    QAction *selectAllAction() const { return m_selectAll; } // "Select all" [Ctrl+A]
    QMenu *popupMenu() const { return m_popup; }
    FindDialog *findDialog() const { return m_find; }
    RecordingOperations &operations() { return m_ops; }

    // The commands.
    void SelectallClick();
    void acDeleteFilesExecute();
    void acMoveToExecute();
    void MoveRecordings(const QString &folderCode);
    void acCopyToFolderExecute();
    void acMemoExecute();
    void acSearchExecute();
    // The drag state of the list: armed by a left press, cleared by the release and at the
    // end of any drop on the folder tree.
    bool dragArmed() const { return m_dragArmed; }
    void clearDragState() { m_dragArmed = false; }

    // Enables the list's commands by the list's row count (e-mail stays as it is).
    void applyCommandStates(const CommandStates &states);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void repaint();
    QString currentId() const;
    void toggleCurrent();
    void startRowDrag();

    RecordingsListView &m_list;
    Catalogue &m_catalogue;
    MessageService &m_messages;
    ChooserService *m_choosers;
    RecordingListActions m_actions;
    RecordingOperations m_ops;
    MemoSearch m_search;
    RecordingSelection m_selection;
    QAction *m_selectAll = nullptr;
    QMenu *m_popup = nullptr;
    FindDialog *m_find = nullptr;
    bool m_dragArmed = false;
    QPoint m_pressPoint;
    QString m_lastCopyDir;
};
