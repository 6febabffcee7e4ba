// Storage care in the window, offscreen: "Keep" from the File menu and the list's pop-up with its
// pin, the Ended column's width kept like the others, silent recordings greyed or hidden, the
// clean-up's preview (what would go, then removed to a trash of the test's own or left alone),
// the question before a rule's first removal, and the Storage page's rules.
#include "app/StorageCommands.h"
#include "app/AppContext.h"
#include "app/CleanupPreviewDialog.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "app/TrayController.h"
#include "app/settings/StoragePage.h"
#include "app/settings/StorageRulesBox.h"
#include "app/settings/TfmSettings.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingsListView.h"
#include "catalogue/ui/StoreTableModel.h"
#include "config/ProgramDir.h"
#include "config/StorageSettings.h"
#include "config/TIniFile.h"
#include "recording/LowDiskWatch.h"
#include "recording/RetentionScheduler.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "ScaledTime.h"
#include "WindowHarness.h"

namespace {

class StorageCommandsTest : public ::testing::Test
{
protected:
    ScaledTime fast{0.1};

    void SetUp() override
    {
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
    }

    void TearDown() override
    {
        harness.reset();
        qputenv("XDG_DATA_HOME", oldDataHome);
    }

    // The program on the data directory, without a modem (no port leads anywhere).
    void start()
    {
        harness = std::make_unique<WindowHarness>(dir.path(), messages);
        for (int port = 1; port <= 16; ++port)
            harness->session.ini().WriteString("Ports", QStringLiteral("COM%1").arg(port),
                                               dir.filePath(QStringLiteral("no-tty%1").arg(port)));
        harness->windows.context().hasSoundOutput = [] { return true; };
        harness->start();
        window = &harness->windows.mainWindow();
        catalogue = &harness->session.catalogue();
    }

    // A recording that started days ago, with a file.
    QString add(int daysAgo, const QString &memo)
    {
        EXPECT_TRUE(catalogue->AddRecordingRow(
            QDateTime::currentDateTime().addDays(-daysAgo).addSecs(-60), 10, memo));
        QDir().mkpath(harness->session.prefs().wavDir);
        QFile file(catalogue->recordingFilePath());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF");
        files[memo] = catalogue->recordingFilePath();
        catalogue->DataSource1DataChange();
        return catalogue->currentRecordingId();
    }

    // Answers the preview dialog once it shows: Remove or Cancel. What it showed is kept.
    void answerPreview(bool remove)
    {
        QTimer::singleShot(0, window, [this, remove] {
            CleanupPreviewDialog &d = harness->windows.storage().preview();
            if (!d.isVisible()) {
                answerPreview(remove);
                return;
            }
            shownSummary = d.summaryLabel()->text();
            shownRows = d.removalList()->count();
            (remove ? d.removeButton() : d.cancelButton())->click();
        });
    }

    QTemporaryDir dir;
    QTemporaryDir home; // the desktop's data directory, holding the trash
    QByteArray oldDataHome;
    ScriptedMessageService messages;
    std::unique_ptr<WindowHarness> harness;
    TfmOrv *window = nullptr;
    Catalogue *catalogue = nullptr;
    std::map<QString, QString> files;
    QString shownSummary;
    int shownRows = -1;
};

TEST_F(StorageCommandsTest, KeepPinsTheCurrentAndSelectedRecordingsFromTheMenuAndThePopup)
{
    start();
    const QString a = add(3, "a"), b = add(2, "b"), c = add(1, "c");
    MainActions &actions = window->actions();
    EXPECT_TRUE(actions.acKeep->isEnabled());
    EXPECT_FALSE(actions.acKeep->isChecked());

    actions.acKeep->trigger(); // c is current
    EXPECT_TRUE(catalogue->Details.isPinned(c));
    EXPECT_TRUE(actions.acKeep->isChecked());
    const QAbstractItemModel *rows = window->recordingsList()->model();
    EXPECT_FALSE(rows->index(2, RecordingsListView::ColComment).data(Qt::DecorationRole).isNull())
        << "the pin mark";
    EXPECT_TRUE(rows->index(0, RecordingsListView::ColComment).data(Qt::DecorationRole).isNull());

    catalogue->CallsTbl.setRecNo(1);
    EXPECT_FALSE(actions.acKeep->isChecked()) << "it follows the current recording";
    actions.acKeep->trigger();
    EXPECT_TRUE(catalogue->Details.isPinned(a));
    actions.acKeep->trigger();
    EXPECT_FALSE(catalogue->Details.isPinned(a)) << "a second Keep lets it go";
    EXPECT_FALSE(catalogue->Details.isPinned(b));

    bool inPopup = false;
    for (QMenu *menu : window->findChildren<QMenu *>())
        if (menu->objectName() == "pmGrid")
            inPopup = menu->actions().contains(actions.acKeep);
    EXPECT_TRUE(inPopup) << "Keep is in the list's pop-up menu";
}

TEST_F(StorageCommandsTest, SilentRecordingsAreGreyedOrHiddenAndTheOptionIsKept)
{
    start();
    const QString quiet = add(2, "quiet");
    add(1, "loud");
    RecordingFacts silent;
    silent.end = {EndReason::Silence, {}};
    silent.silent = true;
    ASSERT_TRUE(catalogue->Details.store(quiet, silent));
    window->recordingsList()->detailsChanged();
    const QAbstractItemModel *rows = window->recordingsList()->model();
    EXPECT_EQ(rows->index(0, RecordingsListView::ColEnded).data().toString(), "Silence");
    EXPECT_TRUE(rows->index(0, RecordingsListView::ColDate).data(Qt::ForegroundRole).isValid());

    window->actions().acHideSilent->trigger();
    EXPECT_TRUE(window->recordingsList()->grid()->isRowHidden(0));
    EXPECT_FALSE(window->recordingsList()->grid()->isRowHidden(1));
    EXPECT_TRUE(harness->session.ini().ReadBool("List", "HideSilent", false));

    harness.reset();
    start();
    EXPECT_TRUE(window->actions().acHideSilent->isChecked()) << "the option is kept";
    EXPECT_TRUE(window->recordingsList()->grid()->isRowHidden(0));
}

TEST_F(StorageCommandsTest, TheEndedAndCallerColumnsWidthsAreKeptOnlyOnceChanged)
{
    start();
    window->close();
    EXPECT_FALSE(harness->session.ini().SectionExists("List"))
        << "nothing new in orv.ini for a width left as it was";
    harness.reset();
    start();
    // The Ended and Caller titles follow Date, Time, Duration and Memo.
    window->recordingsList()->header()->resizeSection(4, 140);
    window->recordingsList()->header()->resizeSection(5, 150);
    window->close();
    EXPECT_EQ(harness->session.ini().ReadInteger("List", "Ended", 0), 140);
    EXPECT_EQ(harness->session.ini().ReadInteger("List", "Caller", 0), 150);
    harness.reset();
    start();
    EXPECT_EQ(window->recordingsList()->columnWidth(RecordingsListView::ColEnded), 140);
    EXPECT_EQ(window->recordingsList()->columnWidth(RecordingsListView::ColCaller), 150);
}

// The columns shown, their order and the sort live in [List]; the table is never reordered.
TEST_F(StorageCommandsTest, TheListsColumnsAndSortAreKeptInASectionOfOurOwn)
{
    using V = RecordingsListView;
    start();
    add(3, "a");
    add(2, "b");
    V *list = window->recordingsList();
    list->setShownColumns({V::ColDate, V::ColCaller, V::ColComment, V::ColTime});
    list->sortBy(V::ColTime, Qt::DescendingOrder);
    list->header()->resizeSection(2, 300); // the memo, third now
    window->close();
    TIniFile &ini = harness->session.ini();
    EXPECT_EQ(ini.ReadString("List", "Columns", ""), "Date,Caller,Memo,Time");
    EXPECT_EQ(ini.ReadString("List", "Sort", ""), "Time");
    EXPECT_TRUE(ini.ReadBool("List", "SortDescending", false));
    EXPECT_EQ(ini.ReadInteger("List", "Memo", 0), 300);
    EXPECT_EQ(ini.ReadInteger("Params", "Date", 0), list->columnWidth(V::ColDate));

    harness.reset();
    start();
    list = window->recordingsList();
    EXPECT_EQ(list->shownColumns(),
              QList<V::Column>({V::ColDate, V::ColCaller, V::ColComment, V::ColTime}));
    EXPECT_EQ(list->sortColumn(), V::ColTime);
    EXPECT_EQ(list->sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(list->header()->sectionSize(2), 300);
    EXPECT_EQ(list->header()->sortIndicatorSection(), 3);
}

TEST_F(StorageCommandsTest, ThePreviewShowsWhatWouldGoAndRemovesItOnlyWhenAsked)
{
    start();
    window->actions().acPreviewCleanup->trigger();
    EXPECT_TRUE(messages.texts.join('|').contains("No clean-up rule is on"));

    StorageSettings rules;
    rules.retention.all.maxDays = 30;
    saveStorageSettings(harness->session.ini(), rules);
    add(60, "old");
    const QString kept = add(50, "kept");
    add(5, "new");
    ASSERT_TRUE(catalogue->Details.setPinned({kept}, true));

    answerPreview(false);
    window->actions().acPreviewCleanup->trigger();
    EXPECT_TRUE(shownSummary.startsWith("1 recording, ")) << shownSummary.toStdString();
    EXPECT_TRUE(shownSummary.contains("oldest ") && shownSummary.contains("newest "));
    EXPECT_EQ(shownRows, 1);
    EXPECT_TRUE(QFile::exists(files["old"])) << "Cancel removes nothing";

    answerPreview(true);
    window->actions().acPreviewCleanup->trigger();
    EXPECT_FALSE(QFile::exists(files["old"]));
    EXPECT_TRUE(QFile::exists(home.filePath("Trash/files/") + QFileInfo(files["old"]).fileName()));
    EXPECT_TRUE(QFile::exists(files["kept"]));
    EXPECT_EQ(catalogue->CallsTbl.RecordCount(), 2);
    EXPECT_EQ(window->recordingsList()->grid()->model()->rowCount(), 2);
    EXPECT_EQ(agreedRetentionRules(harness->session.ini()), QStringList{"age"});
}

TEST_F(StorageCommandsTest, TheFirstRemovalOfARuleIsAskedForAndARefusalHolds)
{
    start();
    StorageSettings rules;
    rules.retention.all.maxDays = 30;
    saveStorageSettings(harness->session.ini(), rules);
    add(60, "old");
    RetentionScheduler &retention = harness->session.retention();

    answerPreview(false);
    EXPECT_EQ(retention.runNow(), 0);
    EXPECT_EQ(shownRows, 1);
    shownRows = -1;
    EXPECT_EQ(retention.runNow(), 0);
    EXPECT_EQ(shownRows, -1) << "not asked again after a refusal";
    EXPECT_TRUE(QFile::exists(files["old"]));

    retention.rulesChanged();
    answerPreview(true);
    EXPECT_EQ(retention.runNow(), 1);
    EXPECT_FALSE(QFile::exists(files["old"]));
}

TEST_F(StorageCommandsTest, TheStoragePageWritesItsRulesOnlyWhenChanged)
{
    start();
    TStoreTable &folders = catalogue->FoldersTbl;
    folders.Append();
    folders.setFieldValue("FolderId", "Fwork001");
    folders.setFieldValue("FolderName", "Work");
    folders.Post();
    folders.SaveChanges();
    TfmSettings &settings = harness->windows.settings();
    settings.prepareShow();
    settings.okButton()->click();
    EXPECT_FALSE(harness->session.ini().SectionExists("Storage"));

    settings.prepareShow();
    StorageRulesBox *box = settings.storagePage()->rules();
    ASSERT_EQ(box->folderTable()->topLevelItemCount(), 2);
    EXPECT_FALSE(box->folderDays(1)->isEnabled()) << "own days only with own rules";
    box->maxMinutesBox()->setValue(90);
    box->keepDaysBox()->setValue(30);
    box->folderMode(0)->setCurrentIndex(int(FolderRetention::Mode::Excluded));
    box->folderMode(1)->setCurrentIndex(int(FolderRetention::Mode::Own));
    EXPECT_TRUE(box->folderDays(1)->isEnabled());
    box->folderDays(1)->setValue(7);
    settings.okButton()->click();

    const StorageSettings s = loadStorageSettings(harness->session.ini());
    EXPECT_EQ(s.maxRecordingMinutes, 90);
    EXPECT_EQ(s.retention.all.maxDays, 30);
    EXPECT_EQ(s.retention.folder("Fwork001").mode, FolderRetention::Mode::Own);
    EXPECT_EQ(s.retention.folder("Fwork001").limits.maxDays, 7);
    EXPECT_EQ(s.retention.folders.size(), 2);
    settings.prepareShow();
    EXPECT_EQ(box->maxMinutesBox()->value(), 90);
    EXPECT_EQ(box->folderMode(0)->currentIndex(), int(FolderRetention::Mode::Excluded));
}

// The disk filling up shows in the status bar and as a tray warning, and leaves the status bar
// once there is room again.
TEST_F(StorageCommandsTest, ALowDiskShowsInTheStatusBarAndTheTray)
{
    start();
    LowDiskWatch &watch = harness->session.lowDisk();
    qint64 freeBytes = 8000LL * 60 * 30; // half an hour of the default 8000-byte-a-second format
    watch.freeSpace = [&](const QString &) -> std::optional<qint64> { return freeBytes; };
    watch.check();
    QLabel *label = harness->windows.storage().diskWarning();
    EXPECT_EQ(label->text(), " Disk: about 30 min left ");
    EXPECT_TRUE(label->toolTip().contains("room for about 30 minutes"));
    EXPECT_EQ(window->tray().lastWarning(), label->toolTip());
    EXPECT_TRUE(harness->session.log().lines().contains(label->toolTip()));

    freeBytes *= 10;
    watch.check();
    EXPECT_TRUE(label->text().isEmpty());
}

} // namespace
