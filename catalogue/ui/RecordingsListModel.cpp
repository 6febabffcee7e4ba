// Sorting works on keys read once per row (numbers, or the collation's sort keys for texts),
// so that a list of a hundred thousand rows sorts in a fraction of a second; the filter
// searches case-folded texts kept between keystrokes.
#include "RecordingsListModel.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <algorithm>
#include <numeric>
#include <optional>

RecordingsListModel::RecordingsListModel(QObject *parent) : QAbstractProxyModel(parent) {}

void RecordingsListModel::setSourceModel(QAbstractItemModel *source)
{
    beginResetModel();
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        // The source changes as a whole; any other change of shape is taken as one too.
        const auto reset = [this] {
            beginResetModel();
            rebuild();
            endResetModel();
            emit rowsRearranged();
        };
        m_connections = {
            connect(source, &QAbstractItemModel::modelReset, this, reset),
            connect(source, &QAbstractItemModel::layoutChanged, this, reset),
            connect(source, &QAbstractItemModel::rowsInserted, this, reset),
            connect(source, &QAbstractItemModel::rowsRemoved, this, reset),
            connect(source, &QAbstractItemModel::columnsInserted, this, reset),
            connect(source, &QAbstractItemModel::columnsRemoved, this, reset),
            connect(source, &QAbstractItemModel::dataChanged, this,
                    &RecordingsListModel::sourceDataChanged),
        };
    }
    rebuild();
    endResetModel();
}

void RecordingsListModel::setColumns(const QList<int> &sourceColumns)
{
    if (sourceColumns == m_columns)
        return;
    beginResetModel();
    m_columns = sourceColumns;
    endResetModel();
    emit rowsRearranged();
}

void RecordingsListModel::setTitle(int sourceColumn, const QString &title)
{
    m_titles.insert(sourceColumn, title);
    const int section = int(m_columns.indexOf(sourceColumn));
    if (section >= 0)
        emit headerDataChanged(Qt::Horizontal, section, section);
}

void RecordingsListModel::setSort(int sourceColumn, Qt::SortOrder order)
{
    beginResetModel();
    m_sortColumn = sourceColumn;
    m_sortOrder = order;
    sortRows();
    filterRows();
    endResetModel();
    emit rowsRearranged();
}

void RecordingsListModel::setFilterText(const QString &text)
{
    if (text == m_filter)
        return;
    beginResetModel();
    m_filter = text;
    filterRows();
    endResetModel();
    emit rowsRearranged();
}

void RecordingsListModel::invalidateKeys()
{
    m_haystacks.clear();
}

void RecordingsListModel::prepareFilter()
{
    QAbstractItemModel *source = sourceModel();
    const int count = source ? source->rowCount() : 0;
    if (m_haystacks.size() == std::size_t(count))
        return;
    m_haystacks.resize(std::size_t(count));
    for (int row = 0; row < count; ++row) {
        QString text;
        if (filterTextOf) {
            text = filterTextOf(row);
        } else {
            QStringList cells;
            for (int column : std::as_const(m_columns))
                cells << source->index(row, column).data().toString();
            text = cells.join(QLatin1Char('\n'));
        }
        m_haystacks[std::size_t(row)] = text.toCaseFolded();
    }
}

void RecordingsListModel::rebuild()
{
    m_haystacks.clear();
    sortRows();
    filterRows();
}

void RecordingsListModel::sortRows()
{
    QAbstractItemModel *source = sourceModel();
    const int count = source ? source->rowCount() : 0;
    m_order.resize(std::size_t(count));
    std::iota(m_order.begin(), m_order.end(), 0);
    if (m_sortColumn < 0 || count < 2)
        return;

    const auto valueOf = [&](int row) {
        return sortValue ? sortValue(row, m_sortColumn)
                         : source->index(row, m_sortColumn).data(Qt::DisplayRole);
    };
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::vector<QVariant> values(static_cast<std::size_t>(count));
    bool numbers = true;
    for (int row = 0; row < count; ++row) {
        values[std::size_t(row)] = valueOf(row);
        numbers = numbers && values[std::size_t(row)].typeId() == QMetaType::LongLong;
    }
    if (numbers) {
        std::vector<qlonglong> keys(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row)
            keys[std::size_t(row)] = values[std::size_t(row)].toLongLong();
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            const qlonglong ka = keys[std::size_t(a)], kb = keys[std::size_t(b)];
            return descending ? kb < ka : ka < kb;
        });
        return;
    }
    // Texts are folded first: some collations (the C locale's) leave the case setting aside.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<std::optional<QCollatorSortKey>> keys(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        keys[std::size_t(row)].emplace(
            collator.sortKey(values[std::size_t(row)].toString().toCaseFolded()));
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const int c = keys[std::size_t(a)]->compare(*keys[std::size_t(b)]);
        return descending ? c > 0 : c < 0;
    });
}

void RecordingsListModel::filterRows()
{
    QAbstractItemModel *source = sourceModel();
    const int count = source ? source->rowCount() : 0;
    m_rowOf.assign(std::size_t(count), -1);
    m_rows.clear();
    const QString needle = m_filter.trimmed().toCaseFolded();
    if (!needle.isEmpty())
        prepareFilter();
    m_rows.reserve(std::size_t(count));
    for (int sourceRow : m_order) {
        if (!needle.isEmpty() && !m_haystacks[std::size_t(sourceRow)].contains(needle))
            continue;
        m_rowOf[std::size_t(sourceRow)] = int(m_rows.size());
        m_rows.push_back(sourceRow);
    }
}

void RecordingsListModel::sourceDataChanged(const QModelIndex &topLeft,
                                            const QModelIndex &bottomRight, const QList<int> &roles)
{
    m_haystacks.clear();
    if (m_rows.empty() || m_columns.isEmpty())
        return;
    const int first = topLeft.row(), last = bottomRight.row();
    if (first <= 0 && last >= int(m_rowOf.size()) - 1) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), roles);
        return;
    }
    for (int sourceRow = first; sourceRow <= last; ++sourceRow) {
        const int row = rowOf(sourceRow);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1), roles);
    }
}

int RecordingsListModel::sourceRow(int row) const
{
    return row >= 0 && std::size_t(row) < m_rows.size() ? m_rows[std::size_t(row)] : -1;
}

int RecordingsListModel::rowOf(int sourceRow) const
{
    return sourceRow >= 0 && std::size_t(sourceRow) < m_rowOf.size()
               ? m_rowOf[std::size_t(sourceRow)]
               : -1;
}

QModelIndex RecordingsListModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel())
        return QModelIndex();
    const int row = sourceRow(proxyIndex.row());
    const int column = m_columns.value(proxyIndex.column(), -1);
    return row < 0 || column < 0 ? QModelIndex() : sourceModel()->index(row, column);
}

QModelIndex RecordingsListModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid())
        return QModelIndex();
    const int row = rowOf(sourceIndex.row());
    const int column = int(m_columns.indexOf(sourceIndex.column()));
    return row < 0 || column < 0 ? QModelIndex() : createIndex(row, column);
}

QModelIndex RecordingsListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex RecordingsListModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

QModelIndex RecordingsListModel::sibling(int row, int column, const QModelIndex &) const
{
    return index(row, column);
}

int RecordingsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordingsListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordingsListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_columns.size() &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return m_titles.value(m_columns[section]);
    return QAbstractProxyModel::headerData(section, orientation, role);
}
