// The folder tree and the recordings list on screen: Tree.ini and tree.d at start-up, the
// Tree commands with their enabling rules, editing, deleting, dragging, and the list's
// selection and commands.
#include "CatalogueFixture.h"
#include "catalogue/ui/FindDialog.h"
#include "catalogue/ui/FolderTreePresenter.h"
#include "catalogue/ui/FolderTreeView.h"
#include "catalogue/ui/RecordingListPresenter.h"
#include "catalogue/ui/RecordingsListView.h"
#include "catalogue/ui/TMoveToForm.h"
#include "support/ui/ChooserService.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FolderTreeTest : public ::testing::Test, public CatalogueFixture
{
protected:
    FolderTreeTest()
    {
        fill();
        for (QAction **a :
             {&tree.acAddNode, &tree.acAddSubNode, &tree.acInsertNode, &tree.acDeleteNode,
              &tree.acRenameNode, &tree.acExpandNode, &tree.acColapseNode, &tree.acExpandAll,
              &tree.acColapseAll, &list.acMemo, &list.acDeleteFiles, &list.acMoveTo,
              &list.acCopyToFolder, &list.acEmailFile, &list.acSearch}) {
            *a = new QAction(&window);
            (*a)->setEnabled(false);
        }
        window.resize(600, 400);
        treeView = new FolderTreeView(&window);
        listView = new RecordingsListView(&window);
        listPresenter = std::make_unique<RecordingListPresenter>(*listView, *catalogue, messages,
                                                                 &choosers, list);
        treePresenter = std::make_unique<FolderTreePresenter>(
            *treeView, *catalogue, listPresenter->operations(), messages, dir.path(), tree);
        listView->setDataset(&catalogue->CallsTbl);
        listPresenter->folderNodes = [this] { return treeView->nodes(); };
        QObject::connect(treeView, &FolderTreeView::recordingsDropped, listPresenter.get(),
                         &RecordingListPresenter::MoveRecordings);
        treePresenter->treeChanged = [this] { ++treeChanges; };
        window.show();
    }

    // The Tree.ini of General with A (expanded, holding C) and B.
    void writeExampleTree()
    {
        FolderTreeFile::SaveTreeToIni({{0, "General", codes["General"], false},
                                       {1, "A", codes["A"], true},
                                       {2, "C", codes["C"], false},
                                       {1, "B", codes["B"], false}},
                                      dir.filePath("Tree.ini"));
    }

    QTreeWidgetItem *node(const QString &text) const
    {
        const QList<QTreeWidgetItem *> found =
            treeView->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    QStringList shape() const
    {
        QStringList lines;
        for (const FolderNode &n : treeView->nodes())
            lines << QString(n.level, '#') + n.text + (n.expanded ? "+" : "");
        return lines;
    }

    void select(const QString &text) { treeView->setCurrentItem(node(text)); }

    QLineEdit *editor() const { return treeView->findChild<QLineEdit *>(); }

    // Types a name and presses Enter; the editor commits on the next pass of the event loop.
    void confirmEdit(const QString &text)
    {
        ASSERT_TRUE(editor());
        editor()->setText(text);
        QTest::keyClick(editor(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QPoint rowPoint(int row) const
    {
        return listView->grid()->visualRect(listView->grid()->model()->index(row, 1)).center();
    }

    QSplitter window;
    FolderTreeActions tree;
    RecordingListActions list;
    ScriptedChooserService choosers;
    FolderTreeView *treeView = nullptr;
    RecordingsListView *listView = nullptr;
    std::unique_ptr<RecordingListPresenter> listPresenter;
    std::unique_ptr<FolderTreePresenter> treePresenter;
    int treeChanges = 0;
};

TEST_F(FolderTreeTest, StartsFromTreeIniAndShowsTheSelectedFoldersRecordings)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    EXPECT_EQ(shape(), QStringList({"General", "#A+", "##C", "#B"}));
    EXPECT_EQ(treeView->currentItem(), treeView->firstNode());
    EXPECT_EQ(shownMemos(), QStringList({"General call 1", "General call 2", "General call 3"}));
    EXPECT_FALSE(treeView->editingAllowed());

    struct Case
    {
        const char *node;
        bool notFirst, expand, collapse;
        const char *firstMemo;
    };
    const Case cases[] = {{"General", false, true, false, "General call 1"},
                          {"A", true, false, true, "A call 1"},
                          {"C", true, false, false, "C call 1"},
                          {"B", true, false, false, "B call 1"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.node);
        select(c.node);
        EXPECT_EQ(shownMemos().value(0), c.firstMemo);
        EXPECT_EQ(tree.acInsertNode->isEnabled(), c.notFirst);
        EXPECT_EQ(tree.acRenameNode->isEnabled(), c.notFirst);
        EXPECT_EQ(tree.acDeleteNode->isEnabled(), c.notFirst);
        EXPECT_EQ(tree.acExpandNode->isEnabled(), c.expand);
        EXPECT_EQ(tree.acColapseNode->isEnabled(), c.collapse);
        EXPECT_TRUE(tree.acAddNode->isEnabled());
        EXPECT_TRUE(tree.acExpandAll->isEnabled());
    }
    select("A");
    tree.acColapseNode->trigger();
    EXPECT_FALSE(node("A")->isExpanded());
    EXPECT_TRUE(tree.acExpandNode->isEnabled());
    tree.acExpandAll->trigger();
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##C", "#B"}));
    tree.acColapseAll->trigger();
    EXPECT_EQ(shape(), QStringList({"General", "#A", "##C", "#B"}));

    // Shutdown's save writes what the user changed.
    treePresenter->SaveTreeToIni();
    EXPECT_EQ(FolderTreeFile::LoadTreeFromIni(dir.filePath("Tree.ini")).size(), 4);
}

TEST_F(FolderTreeTest, FoldersWithoutTreeIniAndNamesWithHashesShowAsTheyWereTyped)
{
    // A catalogue made without the program: Folders.d alone.
    treePresenter->loadFolderTree();
    EXPECT_EQ(shape(), QStringList({"General", "A", "C", "B"}));

    // A '#' in a name survives the round trip through Tree.ini.
    select("B");
    tree.acRenameNode->trigger();
    confirmEdit("  Sales #2 ");
    EXPECT_TRUE(node("Sales #2")) << shape().join(',').toStdString();
    treePresenter->SaveTreeToIni();
    treeView->clear();
    treePresenter->loadFolderTree();
    EXPECT_EQ(shape(), QStringList({"General", "A", "C", "Sales #2"}));

    // A leading '#' is the file's level mark, so a typed name cannot begin with one.
    select("C");
    tree.acRenameNode->trigger();
    confirmEdit(" ## #Leads ");
    EXPECT_TRUE(node("Leads")) << shape().join(',').toStdString();
    treePresenter->SaveTreeToIni();
    treeView->clear();
    treePresenter->loadFolderTree();
    EXPECT_EQ(shape(), QStringList({"General", "A", "Leads", "Sales #2"}));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(FolderTreeTest, ABadLevelInTreeIniIsReportedAndNoFolderIsLost)
{
    QFile ini(dir.filePath("Tree.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[Tree]\nNode0=General\nNode1=#A\nNode2=###C\nNode3=#B\n[Folders]\n"
                      "Node0=%1\nNode1=%2\n")
                  .arg(codes["General"], codes["A"])
                  .toUtf8());
    ini.close();
    treePresenter->loadFolderTree();
    EXPECT_EQ(messages.texts, QStringList({"Invalid level (3) for item \"C\""}));
    // The nodes read before the bad line keep their shape; the other folders go under General,
    // and the log says so.
    EXPECT_EQ(shape(), QStringList({"General", "#A", "#C", "#B"}));
    EXPECT_TRUE(log.lines().contains("Tree.ini is damaged: 2 folders were put under General"))
        << log.lines().join('|').toStdString();
    // Saved again, the tree reads back whole.
    treePresenter->SaveTreeToIni();
    treeView->clear();
    messages.texts.clear();
    treePresenter->loadFolderTree();
    EXPECT_EQ(shape(), QStringList({"General", "#A", "#C", "#B"}));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(FolderTreeTest, AddingAFolderWritesItsRowAndTheConfirmedName)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    select("A");
    tree.acAddSubNode->trigger();
    TStoreTable &folders = catalogue->FoldersTbl;
    EXPECT_EQ(folders.RecordCount(), 5) << "the row is written before editing starts";
    ASSERT_TRUE(editor());
    EXPECT_TRUE(treeView->editingAllowed());
    const QString code = FolderTreeView::codeOf(treeView->currentItem());
    EXPECT_EQ(code.size(), 8);
    confirmEdit("Clients");
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##C", "##Clients", "#B"}));
    EXPECT_EQ(treeChanges, 1);
    EXPECT_FALSE(treeView->editingAllowed());
    TStoreTable onDisk;
    onDisk.setTableName(dir.filePath("Folders.d"));
    onDisk.Open();
    ASSERT_TRUE(onDisk.Locate("FolderId", code));
    EXPECT_EQ(onDisk.FieldValues("FolderName").toString(), "Clients");

    // Abandoned editing keeps a row with an empty name and a node with no text.
    select("B");
    tree.acInsertNode->trigger();
    ASSERT_TRUE(editor());
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##C", "##Clients", "#", "#B"}));
    EXPECT_EQ(folders.RecordCount(), 6);
    EXPECT_EQ(treeChanges, 1);
    select("General");
    tree.acAddNode->trigger();
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(shape().last(), "");
}

TEST_F(FolderTreeTest, GeneralCanBeNeitherRenamedNorDeleted)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    select("General");
    EXPECT_FALSE(tree.acRenameNode->isEnabled());
    treePresenter->acRenameNodeExecute();
    treePresenter->acDeleteNodeExecute();
    EXPECT_EQ(messages.texts, QStringList({FolderTreePresenter::CanNotRenameText,
                                           FolderTreePresenter::CanNotDeleteText}));
    EXPECT_FALSE(editor());

    // A folder renamed to "General" is protected the same way.
    select("B");
    tree.acRenameNode->trigger();
    confirmEdit("General");
    messages.texts.clear();
    tree.acRenameNode->trigger();
    tree.acDeleteNode->trigger();
    EXPECT_EQ(messages.texts, QStringList({FolderTreePresenter::CanNotRenameText,
                                           FolderTreePresenter::CanNotDeleteText}));
    // A click never starts a rename.
    QTest::mouseClick(treeView->viewport(), Qt::LeftButton, {},
                      treeView->visualItemRect(node("A")).center());
    EXPECT_FALSE(treeView->editingAllowed());
}

TEST_F(FolderTreeTest, DeletingAFolderDeletesItsSubFoldersRecordingsAndFiles)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    select("A");
    messages.confirmAnswers = {false};
    tree.acDeleteNode->trigger();
    EXPECT_EQ(shape().size(), 4) << "Cancel keeps everything";
    EXPECT_EQ(wavContents().size(), 12);

    tree.acDeleteNode->trigger();
    EXPECT_EQ(messages.texts, QStringList({FolderTreePresenter::DeleteNodeText,
                                           FolderTreePresenter::DeleteNodeText}));
    EXPECT_EQ(shape(), QStringList({"General+", "#B"}));
    EXPECT_EQ(memosOnDisk(), wavContents());
    EXPECT_EQ(memosOnDisk().size(), 6);
    EXPECT_FALSE(memosOnDisk().join(',').contains("A call"));
    EXPECT_FALSE(memosOnDisk().join(',').contains("C call"));
    EXPECT_EQ(catalogue->FoldersTbl.RecordCount(), 2);
    const FolderNodes saved = FolderTreeFile::LoadTreeFromIni(dir.filePath("Tree.ini"));
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved[1].text, "B");
}

TEST_F(FolderTreeTest, DragsFollowTheTreesRules)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    QMimeData folder;
    folder.setData(FolderTreeView::FolderMime, "x");
    QMimeData other;
    other.setText("text");

    select("A");
    EXPECT_FALSE(treeView->TreeDragOver(&folder, node("C"))) << "into its own descendant";
    EXPECT_FALSE(treeView->TreeDragOver(&folder, node("A")));
    EXPECT_TRUE(treeView->TreeDragOver(&folder, node("B")));
    EXPECT_FALSE(treeView->TreeDragOver(&other, node("B")));
    select("General");
    EXPECT_FALSE(treeView->TreeDragOver(&folder, node("B"))) << "General stays where it is";

    // Dropping B onto the text of A makes it A's first child.
    select("B");
    const QRect a = treeView->visualItemRect(node("A"));
    treeView->TreeDragDrop(&folder, node("A"),
                           QPoint(treeView->textStart(node("A")) + 3, a.center().y()));
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##B", "##C"}));
    EXPECT_EQ(treeView->currentItem(), node("A"));
    // Left of C's text: before C as its sibling.
    select("B");
    treeView->TreeDragDrop(&folder, node("C"), QPoint(0, 0));
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##B", "##C"}));
    select("C");
    treeView->TreeDragDrop(&folder, node("B"), QPoint(treeView->textStart(node("B")) + 3, 0));
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##B+", "###C"}));
    // A drop onto the first node does nothing.
    select("B");
    treeView->TreeDragDrop(&folder, node("General"), QPoint(200, 0));
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##B+", "###C"}));
}

TEST_F(FolderTreeTest, RecordingsDroppedOnAFolderMoveThere)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    treeView->expandAll();
    listView->grid()->setFocus();
    QTest::mouseClick(listView->grid()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      rowPoint(2));
    listView->grid()->setCurrentIndex(listView->grid()->model()->index(0, 1));
    ASSERT_EQ(listPresenter->selection().size(), 1);

    QMimeData data;
    data.setData(FolderTreeView::RecordingsMime, "ids");
    const QPoint at = treeView->visualItemRect(node("C")).center();
    // A drop goes to the widget that accepted the drag's entry.
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(treeView->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(treeView->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(shownMemos(), QStringList({"General call 2"}));
    select("C");
    EXPECT_EQ(shownMemos(), QStringList({"General call 1", "General call 3", "C call 1", "C call 2",
                                         "C call 3"}));
}

TEST_F(FolderTreeTest, AnOldTreeIsConvertedOnceIntoTreeIni)
{
    QFile old(dir.filePath("Tree.D"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("General\r\n\tA\r\n\t\tC\r\n\tGone\r\n\tB\r\n");
    old.close();
    treePresenter->loadFolderTree();
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##C", "#Gone", "#B"}))
        << "leaves have nothing to expand";
    EXPECT_FALSE(QFile::exists(old.fileName()));
    const FolderNodes saved = FolderTreeFile::LoadTreeFromIni(dir.filePath("Tree.ini"));
    ASSERT_EQ(saved.size(), 5);
    EXPECT_EQ(saved[2].code, codes["C"]);
    EXPECT_EQ(saved[3].code, codes["C"]) << "a name without a row takes the row found before";

    // Deleting that node leaves the folder whose code it borrowed.
    select("Gone");
    tree.acDeleteNode->trigger();
    EXPECT_EQ(shape(), QStringList({"General+", "#A+", "##C", "#B"}));
    EXPECT_EQ(wavContents().size(), 12);
    select("C");
    EXPECT_EQ(shownMemos().size(), 3);
}

TEST_F(FolderTreeTest, TheSelectionFollowsClicksKeysAndFocus)
{
    treePresenter->loadFolderTree();
    QTableView *grid = listView->grid();
    grid->setFocus();
    QWidget *viewport = grid->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(2));
    EXPECT_EQ(listPresenter->selection().ids(), QStringList({idOfRow(0), idOfRow(2)}));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 3);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(0));
    EXPECT_EQ(listPresenter->selection().ids(), QStringList({idOfRow(2)}));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowPoint(1));
    EXPECT_TRUE(listPresenter->selection().isEmpty()) << "a plain click clears it";

    // Shift+Down takes the row being left.
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(listPresenter->selection().ids(), QStringList({idOfRow(0)}));
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 2);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_TRUE(listPresenter->selection().isEmpty()) << "a plain Down clears it";

    // Selected rows are drawn on the button-face colour; others on the base colour.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(0));
    grid->setCurrentIndex(grid->model()->index(2, 1));
    const QImage shot = viewport->grab().toImage();
    auto colourAt = [&](int row) { return shot.pixelColor(rowPoint(row) + QPoint(-30, 0)); };
    ASSERT_NE(grid->palette().color(QPalette::Button), grid->palette().color(QPalette::Base));
    EXPECT_EQ(colourAt(0), grid->palette().color(QPalette::Button));
    EXPECT_EQ(colourAt(1), grid->palette().color(QPalette::Base));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(0));

    listPresenter->selectAllAction()->trigger();
    EXPECT_EQ(listPresenter->selection().size(), 3);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(1));
    EXPECT_EQ(listPresenter->selection().ids(), QStringList({idOfRow(0), idOfRow(2)}));
    // What e-mail sends: the selected recordings, else the current one.
    EXPECT_EQ(listPresenter->recordingsToSend(), QStringList({idOfRow(0), idOfRow(2)}));
    listPresenter->clearSelection();
    EXPECT_EQ(listPresenter->recordingsToSend(), QStringList({idOfRow(1)}));

    listPresenter->selectAllAction()->trigger();
    // A dialog, a pop-up menu or the menu bar of an operation keeps it.
    for (Qt::FocusReason reason :
         {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason, Qt::MenuBarFocusReason}) {
        QFocusEvent away(QEvent::FocusOut, reason);
        QApplication::sendEvent(grid, &away);
        EXPECT_EQ(listPresenter->selection().size(), 3) << reason;
    }
    QFocusEvent toTree(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(grid, &toTree);
    EXPECT_TRUE(listPresenter->selection().isEmpty()) << "leaving the list clears it";
}

TEST_F(FolderTreeTest, RowsAreDraggedOnlyAfterTheMouseMovedTwentyPixels)
{
    treePresenter->loadFolderTree();
    QStringList dragged;
    listPresenter->dragRows = [&](QMimeData *data) {
        dragged << QString::fromUtf8(data->data(FolderTreeView::RecordingsMime));
        delete data;
    };
    QWidget *viewport = listView->grid()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, rowPoint(2));
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowPoint(0));
    EXPECT_TRUE(listPresenter->dragArmed());
    auto moveTo = [&](QPoint to) {
        QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
    };
    moveTo(rowPoint(0) + QPoint(0, 10));
    moveTo(rowPoint(0) + QPoint(19, -19));
    EXPECT_TRUE(dragged.isEmpty());
    moveTo(rowPoint(0) + QPoint(-20, 0));
    ASSERT_EQ(dragged.size(), 1);
    EXPECT_EQ(dragged[0], idOfRow(0)) << "a plain press cleared the selection";
    EXPECT_FALSE(listPresenter->dragArmed());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowPoint(0));
}

TEST_F(FolderTreeTest, TheListCommandsFollowTheRowCount)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    const QList<QAction *> commands = {list.acMemo,   list.acDeleteFiles,
                                       list.acMoveTo, list.acCopyToFolder,
                                       list.acSearch, listPresenter->selectAllAction()};
    for (QAction *a : commands)
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    // An empty folder.
    select("B");
    tree.acAddNode->trigger();
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 0);
    for (QAction *a : commands)
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(list.acEmailFile->isEnabled()) << "mail is not ours to enable";
    select("A");
    for (QAction *a : commands)
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(list.acEmailFile->isEnabled());
    // The list's commands, and the columns' menu for keyboard users.
    EXPECT_EQ(listPresenter->popupMenu()->actions().size(), 8);
    EXPECT_EQ(listPresenter->popupMenu()->actions().last()->menu()->objectName(), "pmColumns");
}

TEST_F(FolderTreeTest, MoveCopyAndSearchThroughTheirDialogs)
{
    writeExampleTree();
    treePresenter->loadFolderTree();
    FolderNodes offered;
    listPresenter->chooseMoveTarget = [&](const FolderNodes &nodes) {
        offered = nodes;
        return std::optional<QString>(codes["B"]);
    };
    list.acMoveTo->trigger();
    EXPECT_EQ(offered.size(), 4);
    EXPECT_EQ(shownMemos(), QStringList({"General call 2", "General call 3"}));

    // The Move dialog: a copy of the tree, all expanded; no selected node counts as Cancel.
    TMoveToForm form;
    form.setNodes(offered);
    EXPECT_EQ(form.windowTitle(), "Move");
    EXPECT_EQ(form.tree()->topLevelItem(0)->isExpanded(), true);
    EXPECT_FALSE(form.selectedCode().has_value());
    form.tree()->setCurrentItem(form.tree()->topLevelItem(0)->child(0)->child(0));
    EXPECT_EQ(form.selectedCode(), codes["C"]);

    // Copy: the chooser's caption tells what is copied.
    QTemporaryDir target;
    choosers.folderAnswers = {std::nullopt, target.path()};
    list.acCopyToFolder->trigger();
    list.acCopyToFolder->trigger();
    EXPECT_EQ(choosers.captions, QStringList({"Copy 1_20240315_143207.wav to folder",
                                              "Copy 1_20240315_143207.wav to folder"}));
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files), QStringList({"1_20240315_143207.wav"}));

    // Search: the find dialog's button runs one press.
    list.acSearch->trigger();
    FindDialog *find = listPresenter->findDialog();
    ASSERT_TRUE(find && find->isVisible());
    EXPECT_TRUE(find->findText().isEmpty());
    find->textEdit()->setText("call 3");
    find->findButton()->click();
    EXPECT_EQ(catalogue->CallsTbl.RecNo(), 2);
    find->findButton()->click();
    EXPECT_EQ(messages.texts.last(), MemoSearch::FinishedText);
    find->close();
}

} // namespace
