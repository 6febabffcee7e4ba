// The dataset as a Qt table model.
#include "StoreTableModel.h"

#include "catalogue/store/TStoreDataset.h"

StoreTableModel::StoreTableModel(TStoreDataset &dataset, QStringList fields, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(&dataset), m_fields(std::move(fields))
{
    rebindFields();
    // The visible list changes as a whole (range, refresh, rows added or deleted); a reset
    // is cheap because a view asks only for the rows it shows.
    connect(&dataset, &TStoreDataset::dataSetChanged, this, [this] {
        beginResetModel();
        rebindFields();
        endResetModel();
    });
    connect(&dataset, &TStoreDataset::recordChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void StoreTableModel::rebindFields()
{
    m_fieldIndex.clear();
    for (const QString &name : std::as_const(m_fields))
        m_fieldIndex.append(m_dataset && m_dataset->Active() ? m_dataset->fieldIndex(name) : -1);
}

int StoreTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->Active())
        return 0;
    return m_dataset->RecordCount();
}

int StoreTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant StoreTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataset)
        return QVariant();
    if (extraData) {
        QVariant extra = extraData(index.row(), index.column(), role);
        if (extra.isValid())
            return extra;
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    const int field = m_fieldIndex.value(index.column(), -1);
    if (field < 0)
        return QVariant();
    QString text = m_dataset->valueAt(index.row(), field).toString();
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}

QVariant StoreTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        section < m_fields.size())
        return m_fields[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags StoreTableModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int StoreTableModel::column(const QString &field) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
