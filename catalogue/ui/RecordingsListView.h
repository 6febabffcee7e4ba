// The recordings list of the main window: a header carrying the titles "Date", "Time",
// "Duration" and "Memo" above a read-only grid that shows the current folder's rows of
// Recordings.d one whole row at a time. The grid's current row is the table's current record.
#pragma once

#include <QPointer>
#include <QWidget>

class QHeaderView;
class QStandardItemModel;
class QTableView;
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
        ColChannel
    };

    static constexpr int DefaultDateWidth = 75, DefaultTimeWidth = 70, DefaultDurationWidth = 70;
    static constexpr int MemoWidth = 1000;

    explicit RecordingsListView(QWidget *parent = nullptr);
    ~RecordingsListView() override;

    // Shows the table (normally the catalogue's CallsTbl).
    void setDataset(TStoreDataset *dataset);

    // Widths of the Date, Time and Duration columns (header sections 0..2 and the grid
    // columns under them), as kept in [Params] Date, Time, Duration.
    void setColumnWidths(int date, int time, int duration);
    int columnWidth(Column column) const;

    QTableView *grid() const { return m_grid; }      // dbGrid1
    QHeaderView *header() const { return m_header; } // hdRecordings
    StoreTableModel *model() const { return m_model; }

signals:
    // A row was double-clicked; it is the table's current record.
    void rowDoubleClicked();

private:
    void showCurrent();
    void currentRowChanged(int row);

    QHeaderView *m_header = nullptr;
    QStandardItemModel *m_titles = nullptr;
    QTableView *m_grid = nullptr;
    StoreTableModel *m_model = nullptr;
    QPointer<TStoreDataset> m_dataset;
    QList<QMetaObject::Connection> m_connections;
    bool m_syncing = false;
};
