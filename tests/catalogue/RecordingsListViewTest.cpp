// The recordings list on screen: the current folder's rows under the header, in step with the
// table and its navigator.
#include "catalogue/ui/RecordingsListView.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordNavigator.h"
#include "catalogue/ui/StoreTableModel.h"
#include "support/ScriptedMessageService.h"

#include <QAction>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QStringList shownRows(const RecordingsListView &view)
{
    QStringList rows;
    const QAbstractItemModel *m = view.grid()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            if (!view.grid()->isColumnHidden(c))
                cells << m->index(r, c).data().toString();
        rows << cells.join('|');
    }
    return rows;
}

TEST(RecordingsListViewTest, ShowsTheCurrentFoldersRowsAndFollowsTheTable)
{
    QTemporaryDir dir;
    ScriptedMessageService messages;
    Catalogue catalogue(dir.path(), messages, nullptr);
    QDateTime now(QDate(2024, 3, 15), QTime(14, 30, 5));
    catalogue.clock = [&] { return now; };
    catalogue.formats = DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
    ASSERT_TRUE(catalogue.OpenCatalogue());
    ASSERT_TRUE(catalogue.AddRecordingRow(now, 65, "General call"));

    TStoreTable &folders = catalogue.FoldersTbl;
    folders.Append();
    folders.setFieldValue("FolderId", "WORK");
    folders.setFieldValue("FolderName", "Work");
    folders.Post();
    for (int i = 1; i <= 3; ++i) {
        now = now.addSecs(60);
        ASSERT_TRUE(catalogue.AddRecordingRow(now, i, QString("Work call %1\tline").arg(i)));
    }

    RecordingsListView view;
    view.setDataset(&catalogue.CallsTbl);
    view.setColumnWidths(RecordingsListView::DefaultDateWidth, RecordingsListView::DefaultTimeWidth,
                         RecordingsListView::DefaultDurationWidth);
    RecordNavigator navigator;
    navigator.setDataset(&catalogue.CallsTbl);
    view.resize(500, 300);
    view.show();

    // Without details the Ended and Caller columns (the last of the model, shown before the
    // memo) are empty.
    EXPECT_EQ(shownRows(view), QStringList({"15.03.2024|14:31:05|00:01|Work call 1 line||",
                                            "15.03.2024|14:32:05|00:02|Work call 2 line||",
                                            "15.03.2024|14:33:05|00:03|Work call 3 line||"}));
    QStringList titles;
    for (int s = 0; s < view.header()->count(); ++s)
        titles << view.header()->model()->headerData(s, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"Date", "Time", "Duration", "Ended", "Caller", "Memo"}));
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColDate), 75);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColTime), 70);
    EXPECT_EQ(view.header()->sectionSize(2), 70);
    EXPECT_EQ(view.grid()->horizontalHeader()->visualIndex(RecordingsListView::ColEnded),
              view.grid()->horizontalHeader()->visualIndex(RecordingsListView::ColComment) - 2);
    EXPECT_EQ(view.grid()->horizontalHeader()->visualIndex(RecordingsListView::ColCaller),
              view.grid()->horizontalHeader()->visualIndex(RecordingsListView::ColComment) - 1);
    view.header()->resizeSection(3, 90);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColEnded), 90);
    view.header()->resizeSection(4, 120);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColCaller), 120);
    view.header()->resizeSection(5, 400);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColComment), 400);

    // The grid's current row is the table's current record, both ways.
    EXPECT_EQ(view.grid()->currentIndex().row(), 2) << "the last added row is current";
    EXPECT_FALSE(navigator.nextButton()->isEnabled());
    EXPECT_EQ(navigator.firstButton()->toolTip(), "First file");
    navigator.firstButton()->click();
    EXPECT_EQ(catalogue.CallsTbl.RecNo(), 1);
    EXPECT_EQ(view.grid()->currentIndex().row(), 0);
    EXPECT_FALSE(navigator.priorButton()->isEnabled());
    view.grid()->setCurrentIndex(view.grid()->model()->index(1, 1));
    EXPECT_EQ(catalogue.CallsTbl.RecNo(), 2);
    EXPECT_EQ(catalogue.CallsTbl.FieldValues("Duration").toString(), "00:02");

    // Actions of a tool bar bind the same way.
    QAction first, prior, next, last;
    RecordNavigator::bindActions(catalogue.CallsTbl, &first, &prior, &next, &last);
    EXPECT_EQ(last.toolTip(), "Last file");
    last.trigger();
    EXPECT_EQ(catalogue.CallsTbl.RecNo(), 3);
    EXPECT_FALSE(next.isEnabled());
    EXPECT_TRUE(prior.isEnabled());

    // Switching folders switches the rows; deleting a row removes it from the list.
    ASSERT_TRUE(folders.Locate("FolderName", "General"));
    EXPECT_EQ(shownRows(view), QStringList({"15.03.2024|14:30:05|01:05|General call||"}));
    catalogue.CallsTbl.Delete();
    EXPECT_EQ(view.grid()->model()->rowCount(), 0);
    EXPECT_FALSE(navigator.lastButton()->isEnabled());
}

} // namespace

namespace {

// With the details table, the list says why each recording ended, tells its facts in a tooltip,
// greys silent recordings (or hides them, without deleting anything) and marks the kept ones.
TEST(RecordingsListViewTest, ShowsWhatTheDetailsTableKnows)
{
    QTemporaryDir dir;
    ScriptedMessageService messages;
    Catalogue catalogue(dir.path(), messages, nullptr);
    QDateTime now(QDate(2024, 3, 15), QTime(14, 30, 5));
    catalogue.clock = [&] { return now; };
    ASSERT_TRUE(catalogue.OpenCatalogue());
    QStringList ids;
    for (int i = 0; i < 3; ++i) {
        now = now.addSecs(60);
        ASSERT_TRUE(catalogue.AddRecordingRow(now, 30, QString("call %1").arg(i)));
        ids << catalogue.currentRecordingId();
    }
    RecordingFacts busy;
    busy.end = RecordingEnd::modemEvent('b');
    busy.lengthMs = 65000;
    busy.peak = 0.5;
    busy.rms = 0.1;
    busy.callerNumber = "5550100";
    busy.callerName = "Anne Smith";
    RecordingFacts empty;
    empty.callerNumber = "5550199";
    empty.end = {EndReason::Silence, {}};
    empty.lengthMs = 1200;
    empty.silent = true;
    ASSERT_TRUE(catalogue.Details.store(ids[0], busy));
    ASSERT_TRUE(catalogue.Details.store(ids[1], empty));
    ASSERT_TRUE(catalogue.Details.setPinned({ids[0]}, true));

    RecordingsListView view;
    view.setDataset(&catalogue.CallsTbl);
    view.setDetails(&catalogue.Details);
    view.resize(600, 300);
    view.show();
    const QAbstractItemModel *m = view.grid()->model();
    auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
        return m->index(row, column).data(role);
    };
    EXPECT_EQ(cell(0, RecordingsListView::ColEnded).toString(), "Modem: busy tone");
    EXPECT_EQ(cell(1, RecordingsListView::ColEnded).toString(), "Silence");
    EXPECT_EQ(cell(2, RecordingsListView::ColEnded).toString(), "");
    EXPECT_EQ(cell(0, RecordingsListView::ColCaller).toString(), "Anne Smith");
    EXPECT_EQ(cell(1, RecordingsListView::ColCaller).toString(), "5550199")
        << "no name: the number";
    EXPECT_EQ(cell(2, RecordingsListView::ColCaller).toString(), "");
    EXPECT_EQ(cell(0, RecordingsListView::ColComment, Qt::ToolTipRole).toString(),
              "Ended: Modem: busy tone\nLength: 1:05\nVoice: peak -6 dBFS, RMS -20 dBFS\n"
              "Kept: no clean-up rule removes it");
    EXPECT_FALSE(cell(0, RecordingsListView::ColDate, Qt::DecorationRole).isNull()) << "the pin";
    EXPECT_TRUE(cell(1, RecordingsListView::ColDate, Qt::DecorationRole).isNull());
    EXPECT_EQ(cell(0, RecordingsListView::ColDate, Qt::AccessibleDescriptionRole).toString(),
              "kept");
    EXPECT_EQ(cell(1, RecordingsListView::ColDate, Qt::ForegroundRole).value<QBrush>(),
              view.palette().brush(QPalette::Disabled, QPalette::Text))
        << "greyed";
    EXPECT_FALSE(cell(0, RecordingsListView::ColDate, Qt::ForegroundRole).isValid());

    view.setHideSilent(true);
    EXPECT_TRUE(view.grid()->isRowHidden(1));
    EXPECT_FALSE(view.grid()->isRowHidden(0));
    EXPECT_EQ(catalogue.CallsTbl.RecordCount(), 3) << "hidden, not deleted";
    // The list read anew (another folder shown and back) hides them again.
    catalogue.CallsTbl.Refresh();
    EXPECT_TRUE(view.grid()->isRowHidden(1));
    view.setHideSilent(false);
    EXPECT_FALSE(view.grid()->isRowHidden(1));
}

} // namespace
