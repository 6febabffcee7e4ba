// The catalogue on the main window: a catalogue made by calvora-catalogue with several folders
// shows them in the tree and the selected folder's recordings in the list, and the tree is
// saved when the window closes.
#include "app/CatalogueWiring.h"
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/FolderTreeView.h"
#include "catalogue/ui/RecordingListPresenter.h"
#include "catalogue/ui/RecordingsListView.h"
#include "catalogue/ui/StoreTableModel.h"
#include "config/ProgramDir.h"
#include "support/ScriptedMessageService.h"
#include "support/ui/ChooserService.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WindowHarness.h"

namespace {

int runTool(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora-catalogue", args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return p.exitCode();
}

TEST(CatalogueWiringTest, FoldersMadeByTheToolShowInTheTreeAndTheListFollows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(ProgramDir::prepare(dir.path()));
    const QStringList at = {"--data-dir", dir.path()};
    ASSERT_EQ(runTool(at + QStringList{"add", "--memo", "general call"}), 0);
    ASSERT_EQ(runTool(at + QStringList{"add-folder", "Work"}), 0);
    ASSERT_EQ(runTool(at + QStringList{"add-folder", "Home"}), 0);
    ASSERT_NE(runTool(at + QStringList{"add-folder", "Home"}), 0) << "names stay unique";
    ASSERT_EQ(runTool(at + QStringList{"add", "--folder", "Work", "--time", "10:00:00", "--memo",
                                       "work call"}),
              0);

    ScriptedMessageService messages;
    ScriptedChooserService choosers;
    TestContext testContext(dir.path(), messages);
    AppContext &context = testContext.context;
    context.choosers = &choosers;
    context.hasSoundOutput = [] { return true; };
    Catalogue catalogue(dir.path(), messages, nullptr);
    auto window = std::make_unique<TfmOrv>(context);
    auto wiring = std::make_unique<CatalogueWiring>(*window, catalogue, context);
    ASSERT_TRUE(catalogue.OpenCatalogue());
    window->recordingsList()->setDataset(&catalogue.CallsTbl);

    FolderTreeView *tree = window->folderTree();
    QStringList names;
    for (const FolderNode &node : tree->nodes())
        names << node.text;
    EXPECT_EQ(names, QStringList({"General", "Work", "Home"}));
    EXPECT_EQ(tree->currentItem(), tree->firstNode());
    const QAbstractItemModel *rows = window->recordingsList()->model();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, RecordingsListView::ColComment).data().toString(), "general call");
    EXPECT_TRUE(window->actions().acDeleteFiles->isEnabled());
    EXPECT_EQ(wiring->list().recordingsToSend().size(), 1);

    tree->setCurrentItem(tree->topLevelItem(1));
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, RecordingsListView::ColComment).data().toString(), "work call");
    tree->setCurrentItem(tree->topLevelItem(2));
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_FALSE(window->actions().acDeleteFiles->isEnabled());

    // A finished edit is saved at the first idle moment; closing saves the tree as well.
    EXPECT_FALSE(window->TreeChanged);
    context.FormsCreated = true;
    window->TreeChanged = true;
    window->apEventsIdle();
    EXPECT_FALSE(window->TreeChanged);
    EXPECT_TRUE(QFile::exists(dir.filePath("Tree.ini")));
    ASSERT_TRUE(QFile::remove(dir.filePath("Tree.ini")));
    window->close();
    const FolderNodes saved = FolderTreeFile::LoadTreeFromIni(dir.filePath("Tree.ini"));
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved[1].code, FolderTreeView::codeOf(tree->topLevelItem(1)));
    wiring.reset();
}

} // namespace
