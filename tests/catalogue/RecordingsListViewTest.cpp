// The recordings list on screen: the current folder's rows under the header, in step with the
// table and its navigator.
#include "catalogue/ui/RecordingsListView.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordNavigator.h"
#include "catalogue/ui/RecordingsListModel.h"
#include "catalogue/ui/StoreTableModel.h"
#include "support/ScriptedMessageService.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
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

    // Without details the Ended and Caller columns (shown after the memo) are empty.
    EXPECT_EQ(shownRows(view), QStringList({"15.03.2024|14:31:05|00:01|Work call 1 line||",
                                            "15.03.2024|14:32:05|00:02|Work call 2 line||",
                                            "15.03.2024|14:33:05|00:03|Work call 3 line||"}));
    QStringList titles;
    for (int s = 0; s < view.header()->count(); ++s)
        titles << view.header()->model()->headerData(s, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"Date", "Time", "Duration", "Memo", "Ended", "Caller"}));
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColDate), 75);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColTime), 70);
    EXPECT_EQ(view.header()->sectionSize(2), 70);
    EXPECT_EQ(view.header(), view.grid()->horizontalHeader()) << "the header scrolls with the rows";
    view.header()->resizeSection(4, 90);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColEnded), 90);
    view.header()->resizeSection(5, 120);
    EXPECT_EQ(view.columnWidth(RecordingsListView::ColCaller), 120);
    view.header()->resizeSection(3, 400);
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
    const QAbstractItemModel *m = view.model();
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
              "Ended: Modem: busy tone\nDuration: 1:05\nVoice: peak -6 dBFS, RMS -20 dBFS\n"
              "Kept: no clean-up rule removes it");
    // The pin stands on the memo, where it cuts nothing of the date.
    EXPECT_FALSE(cell(0, RecordingsListView::ColComment, Qt::DecorationRole).isNull()) << "the pin";
    EXPECT_TRUE(cell(0, RecordingsListView::ColDate, Qt::DecorationRole).isNull());
    EXPECT_TRUE(cell(1, RecordingsListView::ColComment, Qt::DecorationRole).isNull());
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

namespace {

using V = RecordingsListView;

// Rows whose date texts, durations and memos sort differently as texts than as what they mean.
struct SortFixture
{
    QTemporaryDir dir;
    ScriptedMessageService messages;
    Catalogue catalogue{dir.path(), messages, nullptr};
    RecordingsListView view;
    QStringList ids;

    SortFixture()
    {
        QDateTime now;
        catalogue.clock = [&] { return now; };
        catalogue.formats = DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
        EXPECT_TRUE(catalogue.OpenCatalogue());
        const struct
        {
            QDateTime at;
            int seconds;
            const char *memo;
        } rows[] = {
            {{QDate(2024, 3, 15), QTime(14, 30)}, 600, "Beta"},
            {{QDate(2025, 1, 2), QTime(9, 0)}, 5, "alpha"},
            {{QDate(2024, 3, 15), QTime(8, 0)}, 6000, "gamma"},
        };
        for (const auto &row : rows) {
            now = row.at;
            EXPECT_TRUE(catalogue.AddRecordingRow(now, row.seconds, row.memo));
            ids << catalogue.currentRecordingId();
        }
        view.setDateTimeFormats(catalogue.formats);
        view.setDataset(&catalogue.CallsTbl);
        view.resize(600, 300);
        view.show();
    }

    QStringList memos() const
    {
        QStringList out;
        const QAbstractItemModel *m = view.grid()->model();
        const int memo = int(view.shownColumns().indexOf(V::ColComment));
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, memo).data().toString();
        return out;
    }
    QString currentMemo() { return catalogue.CallsTbl.FieldValues("Comment").toString(); }
};

TEST(RecordingsListViewTest, SortsByWhatEachColumnMeansWithoutReorderingTheTable)
{
    SortFixture f;
    const struct
    {
        V::Column column;
        Qt::SortOrder order;
        QStringList memos;
    } cases[] = {
        {V::ColDate, Qt::AscendingOrder, {"gamma", "Beta", "alpha"}}, // moments, not texts
        {V::ColDate, Qt::DescendingOrder, {"alpha", "Beta", "gamma"}},
        {V::ColTime, Qt::AscendingOrder, {"gamma", "alpha", "Beta"}},
        {V::ColDuration, Qt::AscendingOrder, {"alpha", "Beta", "gamma"}}, // 10:00 < 100:00
        {V::ColComment, Qt::AscendingOrder, {"alpha", "Beta", "gamma"}},  // any letter case
        {V::ColComment, Qt::DescendingOrder, {"gamma", "Beta", "alpha"}},
    };
    for (const auto &c : cases) {
        f.view.sortBy(c.column, c.order);
        EXPECT_EQ(f.memos(), c.memos) << V::columnName(c.column).toStdString() << " " << c.order;
    }
    f.view.sortBy(-1, Qt::AscendingOrder);
    EXPECT_EQ(f.memos(), QStringList({"Beta", "alpha", "gamma"})) << "the table's own order";

    // A click on a title sorts by it with the arrow shown; a second click reverses.
    QHeaderView *header = f.view.header();
    const QPoint onTime(header->sectionViewportPosition(1) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onTime);
    EXPECT_EQ(f.memos(), QStringList({"gamma", "alpha", "Beta"}));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onTime);
    EXPECT_EQ(f.memos(), QStringList({"Beta", "alpha", "gamma"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // The navigator follows the order shown; the table keeps its own.
    QAction first, prior, next, last;
    RecordNavigator::bindActions(f.view, &first, &prior, &next, &last);
    first.trigger();
    EXPECT_EQ(f.currentMemo(), "Beta");
    EXPECT_FALSE(prior.isEnabled());
    next.trigger();
    EXPECT_EQ(f.currentMemo(), "alpha");
    EXPECT_EQ(f.view.grid()->currentIndex().row(), 1);
    last.trigger();
    EXPECT_EQ(f.currentMemo(), "gamma");
    EXPECT_FALSE(next.isEnabled());
    EXPECT_TRUE(first.isEnabled());
    f.catalogue.CallsTbl.First();
    EXPECT_EQ(f.currentMemo(), "Beta") << "the table is in its own order";
    f.catalogue.CallsTbl.Last();
    EXPECT_EQ(f.currentMemo(), "gamma");
}

TEST(RecordingsListViewTest, TheFilterNarrowsTheRowsByMemoCallerAndNumber)
{
    SortFixture f;
    RecordingFacts call;
    call.callerNumber = "5550100";
    call.callerName = "A. Smith"; // what the line sent
    ASSERT_TRUE(f.catalogue.Details.store(f.ids[0], call));
    RecordingFacts unknown;
    unknown.callerNumber = "5550199";
    unknown.callerName = "Line Name";
    ASSERT_TRUE(f.catalogue.Details.store(f.ids[2], unknown));
    f.view.directoryName = [](const QString &number) {
        return number == "5550100" ? QStringLiteral("Anne Smith") : QString();
    };
    f.view.setDetails(&f.catalogue.Details);
    const QAbstractItemModel *m = f.view.model();
    EXPECT_EQ(m->index(0, V::ColCaller).data().toString(), "Anne Smith") << "the directory wins";
    EXPECT_EQ(m->index(2, V::ColCaller).data().toString(), "Line Name");

    f.catalogue.CallsTbl.setRecNo(3); // gamma
    const struct
    {
        const char *text;
        QStringList memos;
    } cases[] = {
        {"ALP", {"alpha"}},     // the memo, any letter case
        {"anne", {"Beta"}},     // the directory's name
        {"a. smith", {"Beta"}}, // the name the call brought
        {"555019", {"gamma"}},  // the number
        {"nothing like it", {}}, {"", {"Beta", "alpha", "gamma"}},
    };
    for (const auto &c : cases) {
        f.view.filterBox()->setText(c.text);
        EXPECT_EQ(f.memos(), c.memos) << c.text;
        if (!c.memos.isEmpty()) {
            EXPECT_TRUE(c.memos.contains(f.currentMemo()))
                << c.text << ": the current recording is one shown";
        }
    }
    EXPECT_EQ(f.catalogue.CallsTbl.RecordCount(), 3) << "filtered, not deleted";

    // The filter keeps the sort.
    f.view.sortBy(V::ColComment, Qt::DescendingOrder);
    f.view.setFilterText("a");
    EXPECT_EQ(f.memos(), QStringList({"gamma", "Beta", "alpha"}));
}

TEST(RecordingsListViewTest, ShowsOnlyTheChosenColumnsInTheChosenOrder)
{
    SortFixture f;
    QAbstractItemModel *m = f.view.grid()->model();
    auto titles = [&] {
        QStringList out;
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->headerData(c, Qt::Horizontal).toString();
        return out;
    };
    EXPECT_EQ(titles(), QStringList({"Date", "Time", "Duration", "Memo", "Ended", "Caller"}));

    // Date and Memo cannot be hidden; the table's own fields (Id, FolderID, Channel) never show.
    f.view.setShownColumns({V::ColTime, V::ColCaller});
    EXPECT_EQ(titles(), QStringList({"Date", "Time", "Caller", "Memo"}));
    EXPECT_EQ(m->index(0, 1).data().toString(), "14:30:00");

    // The header's menu shows and hides the others.
    f.view.headerMenu()->popup(QPoint(0, 0));
    QAction *duration = nullptr, *date = nullptr;
    for (QAction *action : f.view.headerMenu()->actions()) {
        if (action->text() == "Duration")
            duration = action;
        if (action->text() == "Date")
            date = action;
    }
    ASSERT_TRUE(duration && date);
    EXPECT_FALSE(date->isEnabled());
    EXPECT_FALSE(duration->isChecked());
    duration->trigger();
    f.view.headerMenu()->hide();
    EXPECT_EQ(titles(), QStringList({"Date", "Time", "Caller", "Memo", "Duration"}));

    // A title dragged elsewhere takes its column along, and the header stays over its column.
    f.view.setShownColumns(V::defaultColumns());
    f.view.header()->moveSection(3, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(titles(), QStringList({"Memo", "Date", "Time", "Duration", "Ended", "Caller"}));
    EXPECT_EQ(f.view.header()->logicalIndex(0), 0);
    EXPECT_EQ(m->index(0, 0).data().toString(), "Beta");
    EXPECT_EQ(f.view.header()->sectionSize(0), f.view.columnWidth(V::ColComment));
}

} // namespace
