// The recordings list of the main window: a header carrying the titles "Date", "Time",
// "Duration", "Ended", "Caller" and "Memo" above a read-only grid that shows the current folder's
// rows of Recordings.d one whole row at a time. The grid's current row is the table's current
// record. From the details table come why each recording ended, who called, a tooltip with its
// facts, silent rows greyed (or hidden), and a pin on the recordings kept.
#pragma once

#include <QPointer>
#include <QWidget>

class QHeaderView;
class QStandardItemModel;
class QTableView;
class RecordingDetails;
class StoreTableModel;
#include "catalogue/store/TStoreDataset.h"

class RecordingsListView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingsListView)

public:
    // Grid columns, in order; Id, FolderID and Channel are hidden.
    enum Column
    {
        ColId,
        ColDate,
        ColTime,
        ColDuration,
        ColComment,
        ColFolder,
        ColChannel,
        ColEnded, // from the details table; shown between Duration and Memo
        ColCaller // from the details table: the caller's name, else number; after Ended
    };

    static constexpr int DefaultDateWidth = 75, DefaultTimeWidth = 70, DefaultDurationWidth = 70;
    static constexpr int DefaultEndedWidth = 110, DefaultCallerWidth = 130;
    static constexpr int MemoWidth = 1000;

    explicit RecordingsListView(QWidget *parent = nullptr);
    ~RecordingsListView() override;

    // Shows the table (normally the catalogue's CallsTbl).
    void setDataset(TStoreDataset *dataset);

    // Widths of the Date, Time and Duration columns (header sections 0..2 and the grid
    // columns under them), as kept in [Params] Date, Time, Duration.
    void setColumnWidths(int date, int time, int duration);
    int columnWidth(Column column) const;
    void setEndedWidth(int width);
    void setCallerWidth(int width);

    // Where the details come from (null: none); they must outlive the view or be unset.
    void setDetails(const RecordingDetails *details);
    // The details changed (a pin, a removal): the list shows them again.
    void detailsChanged();
    // Silent recordings are kept out of the list (not deleted).
    void setHideSilent(bool hide);
    bool hideSilent() const { return m_hideSilent; }

    // The tooltip of a row: why it ended, its length and levels, silent, kept.
    QString rowToolTip(int row) const;

    QTableView *grid() const { return m_grid; }      // dbGrid1
    QHeaderView *header() const { return m_header; } // hdRecordings
    StoreTableModel *model() const { return m_model; }

signals:
    // A row was double-clicked; it is the table's current record.
    void rowDoubleClicked();

private:
    void showCurrent();
    void currentRowChanged(int row);
    QString rowId(int row) const;
    QVariant detailData(int row, int column, int role) const;
    void applyHiddenRows();

    QHeaderView *m_header = nullptr;
    QStandardItemModel *m_titles = nullptr;
    QTableView *m_grid = nullptr;
    StoreTableModel *m_model = nullptr;
    QPointer<TStoreDataset> m_dataset;
    QList<QMetaObject::Connection> m_connections;
    bool m_syncing = false;
    const RecordingDetails *m_details = nullptr;
    bool m_hideSilent = false;
    QList<int> m_hiddenRows;
};
