// What the recordings list shows of its table: the columns chosen, in the order chosen, and the
// rows in the order chosen, narrowed to those whose text holds the filter. The table keeps its
// own order on disk; this only maps rows and columns to it.
#pragma once

#include <QAbstractProxyModel>
#include <QHash>
#include <functional>
#include <vector>

class RecordingsListModel final : public QAbstractProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingsListModel)

public:
    explicit RecordingsListModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;

    // The source columns shown, in the order shown, and their titles.
    void setColumns(const QList<int> &sourceColumns);
    const QList<int> &columns() const { return m_columns; }
    void setTitle(int sourceColumn, const QString &title);

    // A source column to sort by, or -1 for the table's own order. Rows that compare equal
    // keep the table's order.
    void setSort(int sourceColumn, Qt::SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Rows whose filter text holds this text, in any letter case; empty: every row.
    void setFilterText(const QString &text);
    QString filterText() const { return m_filter; }

    // What a sort compares for a row and source column: a number (qlonglong) or a text,
    // compared in the user's collation. Unset: the display text.
    std::function<QVariant(int sourceRow, int sourceColumn)> sortValue;
    // The text the filter searches in a row. Unset: the display texts of the columns shown.
    std::function<QString(int sourceRow)> filterTextOf;
    // The sort values and filter texts are read anew (their sources changed).
    void invalidateKeys();
    // Reads the filter texts now (as the filter box takes the focus), so that the first
    // keystroke finds them ready.
    void prepareFilter();

    int sourceRow(int row) const;
    int rowOf(int sourceRow) const;

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &idx) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // The rows shown changed as a whole (sorted, filtered, read anew).
    void rowsRearranged();

private:
    void rebuild();
    void sortRows();
    void filterRows();
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                           const QList<int> &roles);

    QList<int> m_columns;
    QHash<int, QString> m_titles;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_filter;
    std::vector<int> m_order;         // every source row, in the order chosen
    std::vector<int> m_rows;          // the rows shown: source row of each row
    std::vector<int> m_rowOf;         // row of each source row, -1 when filtered out
    std::vector<QString> m_haystacks; // case-folded filter texts, read when first needed
    QList<QMetaObject::Connection> m_connections;
};
