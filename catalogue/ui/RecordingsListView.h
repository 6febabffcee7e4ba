// The recordings list of the main window: a filter box above a read-only grid that shows the
// current folder's rows of Recordings.d one whole row at a time, under a header with the titles
// "Date", "Time", "Duration" and "Memo" and, after them, "Ended" and "Caller". The grid's current
// row is the table's current record. A click on a title sorts by that column (again: the other
// way); the header's pop-up menu shows and hides columns and titles are dragged to reorder them.
// From the details table come why each recording ended, who called, a tooltip with its facts,
// silent rows greyed (or hidden), and a pin on the recordings kept.
#pragma once

#include "catalogue/RecordingNames.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>

class QHeaderView;
class QLineEdit;
class QMenu;
class QTableView;
class RecordingDetails;
class RecordingsListModel;
class StoreTableModel;
#include "catalogue/store/TStoreDataset.h"

class RecordingsListView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingsListView)

public:
    // Columns of the table model (model()); the grid shows those chosen, in the order chosen.
    enum Column
    {
        ColId,
        ColDate,
        ColTime,
        ColDuration,
        ColComment,
        ColFolder,
        ColChannel,
        ColEnded, // from the details table: why the recording ended
        ColCaller // from the details table or the caller directory: the name, else the number
    };
    // The recording's code, for any cell of a row.
    static constexpr int IdRole = Qt::UserRole + 1;
    // The moves of the record navigator, through the rows in the order shown.
    enum class Move
    {
        First,
        Prior,
        Next,
        Last
    };

    static constexpr int DefaultDateWidth = 75, DefaultTimeWidth = 70, DefaultDurationWidth = 70;
    static constexpr int DefaultEndedWidth = 110, DefaultCallerWidth = 130;
    static constexpr int MemoWidth = 1000;

    explicit RecordingsListView(QWidget *parent = nullptr);
    ~RecordingsListView() override;

    // Shows the table (normally the catalogue's CallsTbl).
    void setDataset(TStoreDataset *dataset);
    // The formats of the table's date and time texts, read when sorting by them.
    void setDateTimeFormats(const DateTimeFormats &formats);

    // Widths of the Date, Time and Duration columns, as kept in [Params] Date, Time, Duration.
    void setColumnWidths(int date, int time, int duration);
    int columnWidth(Column column) const;
    void setColumnWidth(Column column, int width);
    void setEndedWidth(int width) { setColumnWidth(ColEnded, width); }
    void setCallerWidth(int width) { setColumnWidth(ColCaller, width); }

    // The columns shown, in order; Date and Memo are always among them.
    static QList<Column> defaultColumns();
    QList<Column> shownColumns() const;
    void setShownColumns(QList<Column> columns);
    // The sort: a column, or none (-1) for the table's own order.
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const;
    Qt::SortOrder sortOrder() const;
    // A column's name as orv.ini keeps it ("Date", "Memo", ...), and back (-1: none).
    static QString columnName(Column column);
    static int columnNamed(const QString &name);

    // Rows whose memo, caller's name or number hold the text; empty: all.
    void setFilterText(const QString &text);
    QLineEdit *filterBox() const { return m_filter; }

    // The record navigator's moves, and whether each can move.
    bool canMove(Move move) const;
    void moveCurrent(Move move);

    // Where the details come from (null: none); they must outlive the view or be unset.
    void setDetails(const RecordingDetails *details);
    // The caller directory's name for a number (empty: none); it wins over the name the call
    // brought.
    std::function<QString(const QString &number)> directoryName;
    // The details or the directory changed (a pin, a removal, a name): the list shows them again.
    void detailsChanged();
    // Silent recordings are kept out of the list (not deleted).
    void setHideSilent(bool hide);
    bool hideSilent() const { return m_hideSilent; }

    // The tooltip of a table row: why it ended, its length and levels, silent, kept.
    QString rowToolTip(int row) const;

    QTableView *grid() const { return m_grid; }      // dbGrid1
    QHeaderView *header() const { return m_header; } // hdRecordings, the grid's own header
    QMenu *headerMenu() const { return m_headerMenu; }
    StoreTableModel *model() const { return m_model; }        // the table's rows, in its order
    RecordingsListModel *listModel() const { return m_list; } // the rows and columns shown

signals:
    // A row was double-clicked; it is the table's current record.
    void rowDoubleClicked();
    // The current row or the order of the rows shown changed.
    void positionChanged();
    // The user changed the columns: shown, order, width, or the sort.
    void columnsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showCurrent();
    void currentRowChanged(int row);
    QString rowId(int row) const;
    QString callerText(int row) const;
    QVariant detailData(int row, int column, int role) const;
    QVariant sortValue(int row, int column) const;
    qlonglong secondOfDay(const QString &text) const;
    void applyHiddenRows();
    void rowsRearranged();
    void applyWidths();
    void headerClicked(int section);
    void sectionMoved();
    void showHeaderMenu(const QPoint &pos);

    QLineEdit *m_filter = nullptr;
    QTableView *m_grid = nullptr;
    QHeaderView *m_header = nullptr;
    QMenu *m_headerMenu = nullptr;
    StoreTableModel *m_model = nullptr;
    RecordingsListModel *m_list = nullptr;
    QPointer<TStoreDataset> m_dataset;
    QList<QMetaObject::Connection> m_connections;
    DateTimeFormats m_formats;
    mutable QHash<QString, qlonglong> m_dayKeys, m_secondKeys; // parsed texts
    QHash<int, int> m_widths;                                  // by column
    bool m_syncing = false;
    bool m_applyingWidths = false;
    const RecordingDetails *m_details = nullptr;
    bool m_hideSilent = false;
    QList<int> m_hiddenRows;
};
