// The grid's mouse, key and focus handling for the multi-selection, and the list commands.
#include "RecordingListPresenter.h"

#include "FindDialog.h"
#include "FolderTreeView.h"
#include "RecordingsListView.h"
#include "StoreTableModel.h"
#include "TMoveToForm.h"
#include "ViewPopupMenu.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CommandStates.h"
#include "support/MessageService.h"
#include "support/ui/ChooserService.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <cstdlib>

namespace {

// Rows in the selection are drawn on the button-face colour.
class SelectedRowsDelegate final : public QStyledItemDelegate
{
public:
    SelectedRowsDelegate(const RecordingSelection &selection, QObject *parent)
        : QStyledItemDelegate(parent), m_selection(selection)
    {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_selection.isEmpty())
            return;
        const QString id = index.data(RecordingsListView::IdRole).toString();
        if (m_selection.contains(id))
            option->backgroundBrush = option->palette.brush(QPalette::Button);
    }

private:
    const RecordingSelection &m_selection;
};

// The drag starts once the mouse has gone the threshold along either axis.
bool movedPastThreshold(QPoint moved)
{
    return std::max(std::abs(moved.x()), std::abs(moved.y())) >=
           RecordingListPresenter::DragThreshold;
}

} // namespace

RecordingListPresenter::RecordingListPresenter(RecordingsListView &list, Catalogue &catalogue,
                                               MessageService &messages, ChooserService *choosers,
                                               RecordingListActions actions, QObject *parent)
    : QObject(parent), m_list(list), m_catalogue(catalogue), m_messages(messages),
      m_choosers(choosers), m_actions(actions), m_ops(catalogue, messages),
      m_search(catalogue, messages)
{
    QTableView *grid = m_list.grid();
    grid->setAccessibleName(QStringLiteral("Recordings"));
    m_list.header()->setAccessibleName(QStringLiteral("Recording columns"));
    grid->setItemDelegate(new SelectedRowsDelegate(m_selection, grid));
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);

    m_selectAll = new QAction(QStringLiteral("Select all"), this);
    m_selectAll->setObjectName(QStringLiteral("Selectall"));
    m_selectAll->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    m_selectAll->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grid->addAction(m_selectAll);
    connect(m_selectAll, &QAction::triggered, this, &RecordingListPresenter::SelectallClick);

    m_popup = new QMenu(grid);
    m_popup->setObjectName(QStringLiteral("pmGrid"));
    m_popup->setAccessibleName(QStringLiteral("Recording commands"));
    m_popup->addActions({m_actions.acMemo, m_actions.acDeleteFiles, m_actions.acMoveTo,
                         m_actions.acCopyToFolder, m_actions.acEmailFile});
    m_popup->addSeparator();
    m_popup->addAction(m_selectAll);
    // The header's menu, for those who open menus from the keyboard.
    m_popup->addMenu(m_list.headerMenu());
    new ViewPopupMenu(*grid, *m_popup);

    const std::pair<QAction *, void (RecordingListPresenter::*)()> commands[] = {
        {m_actions.acMemo, &RecordingListPresenter::acMemoExecute},
        {m_actions.acDeleteFiles, &RecordingListPresenter::acDeleteFilesExecute},
        {m_actions.acMoveTo, &RecordingListPresenter::acMoveToExecute},
        {m_actions.acCopyToFolder, &RecordingListPresenter::acCopyToFolderExecute},
        {m_actions.acSearch, &RecordingListPresenter::acSearchExecute},
    };
    for (const auto &[action, slot] : commands)
        if (action)
            connect(action, &QAction::triggered, this, slot);

    dragRows = [this](QMimeData *data) {
        auto *drag = new QDrag(m_list.grid());
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
    };
    chooseMoveTarget = [this](const FolderNodes &nodes) {
        TMoveToForm form(m_list.window());
        return form.choose(nodes);
    };

    connect(&m_catalogue, &Catalogue::commandStatesChanged, this,
            &RecordingListPresenter::applyCommandStates);
    applyCommandStates(m_catalogue.commandStates());
}

RecordingListPresenter::~RecordingListPresenter()
{
    m_list.grid()->removeEventFilter(this);
    m_list.grid()->viewport()->removeEventFilter(this);
}

void RecordingListPresenter::applyCommandStates(const CommandStates &states)
{
    const bool enabled = states.listCommandsEnabled();
    for (QAction *action : {m_actions.acMemo, m_actions.acDeleteFiles, m_actions.acMoveTo,
                            m_actions.acCopyToFolder, m_actions.acSearch, m_selectAll})
        if (action)
            action->setEnabled(enabled);
}

void RecordingListPresenter::repaint()
{
    m_list.grid()->viewport()->update();
}

void RecordingListPresenter::clearSelection()
{
    if (m_selection.isEmpty())
        return;
    m_selection.clear();
    repaint();
}

QString RecordingListPresenter::currentId() const
{
    const TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active() || calls.RecordCount() == 0)
        return QString();
    return calls.FieldValues(QStringLiteral("id")).toString();
}

void RecordingListPresenter::toggleCurrent()
{
    const QString id = currentId();
    if (id.isEmpty())
        return;
    m_selection.toggle(id);
    repaint();
}

bool RecordingListPresenter::eventFilter(QObject *watched, QEvent *event)
{
    QTableView *grid = m_list.grid();
    if (watched == grid->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                break;
            m_dragArmed = true;
            m_pressPoint = mouse->position().toPoint();
            const Qt::KeyboardModifiers mods =
                mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if (mods == Qt::ControlModifier) {
                // The clicked row becomes current, then its code is toggled.
                const QModelIndex index = grid->indexAt(m_pressPoint);
                if (index.isValid())
                    grid->setCurrentIndex(index);
                grid->setFocus(Qt::MouseFocusReason);
                toggleCurrent();
                return true;
            }
            if (mods == Qt::NoModifier)
                clearSelection();
            break;
        }
        case QEvent::MouseMove: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (m_dragArmed && (mouse->buttons() & Qt::LeftButton) &&
                m_catalogue.CallsTbl.Active() && m_catalogue.CallsTbl.RecordCount() > 0 &&
                movedPastThreshold(mouse->position().toPoint() - m_pressPoint)) {
                startRowDrag();
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            m_dragArmed = false;
            break;
        default:
            break;
        }
        return false;
    }
    if (watched == grid) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool vertical = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
            const Qt::KeyboardModifiers mods =
                key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if (vertical && mods == Qt::ShiftModifier) {
                // The row being left joins (or leaves) the selection; then the grid moves.
                toggleCurrent();
                const int step = key->key() == Qt::Key_Up ? -1 : 1;
                const QModelIndex next =
                    grid->currentIndex().sibling(grid->currentIndex().row() + step, 0);
                if (next.isValid())
                    grid->setCurrentIndex(next);
                return true;
            }
            if (vertical && mods == Qt::NoModifier)
                clearSelection();
        } else if (event->type() == QEvent::FocusOut) {
            // A dialog or menu of an operation takes the focus for a while only; moving to
            // another control of the window ends the selection.
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::MenuBarFocusReason)
                clearSelection();
        }
    }
    return false;
}

void RecordingListPresenter::startRowDrag()
{
    m_dragArmed = false;
    auto *data = new QMimeData;
    QStringList ids = m_selection.ids();
    const QString current = currentId();
    if (!current.isEmpty() && !m_selection.contains(current))
        ids.prepend(current);
    data->setData(FolderTreeView::RecordingsMime, ids.join(QLatin1Char('\n')).toUtf8());
    if (dragRows)
        dragRows(data);
    else
        delete data;
}

void RecordingListPresenter::SelectallClick()
{
    m_ops.selectAll(m_selection);
    repaint();
}

void RecordingListPresenter::acDeleteFilesExecute()
{
    m_ops.deleteRecordings(m_selection);
    repaint();
}

void RecordingListPresenter::MoveRecordings(const QString &folderCode)
{
    m_ops.MoveRecordings(folderCode, m_selection);
    m_dragArmed = false;
    repaint();
}

void RecordingListPresenter::acMoveToExecute()
{
    const FolderNodes nodes = folderNodes ? folderNodes() : FolderNodes();
    const std::optional<QString> code = chooseMoveTarget ? chooseMoveTarget(nodes) : std::nullopt;
    if (code && !code->isEmpty())
        MoveRecordings(*code);
    else
        clearSelection();
}

void RecordingListPresenter::acCopyToFolderExecute()
{
    if (!m_choosers || !m_catalogue.CallsTbl.Active() || m_catalogue.CallsTbl.RecordCount() == 0)
        return;
    const QString what =
        m_selection.isEmpty() ? m_ops.currentFileName() : QStringLiteral("Selected Files");
    const QString start = m_lastCopyDir.isEmpty() ? QDir::homePath() : m_lastCopyDir;
    const std::optional<QString> dir =
        m_choosers->chooseFolder(QStringLiteral("Copy %1 to folder").arg(what), start);
    if (!dir || dir->isEmpty())
        return; // dismissing the chooser copies nothing
    m_lastCopyDir = *dir;
    m_ops.copyToFolder(*dir, m_selection);
    repaint();
}

void RecordingListPresenter::acMemoExecute()
{
    m_ops.editMemo();
}

void RecordingListPresenter::acSearchExecute()
{
    if (m_actions.acSearch && !m_actions.acSearch->isEnabled())
        return;
    if (!m_find) {
        m_find = new FindDialog(m_list.window());
        connect(m_find, &FindDialog::shown, this, [this] { m_search.dialogShown(); });
        connect(m_find, &FindDialog::closed, this, [this] { m_search.dialogClosed(); });
        connect(m_find, &FindDialog::findNext, this, [this](const QString &text, bool matchCase) {
            if (!text.isEmpty())
                m_search.findNext(text, matchCase);
        });
    }
    m_find->setFindText(QString());
    if (m_find->isVisible())
        m_search.dialogShown();
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

QStringList RecordingListPresenter::recordingsToSend() const
{
    if (!m_selection.isEmpty())
        return m_selection.ids();
    const QString id = currentId();
    return id.isEmpty() ? QStringList() : QStringList{id};
}
