// A read-only table model over a store dataset: one row per visible record, one column per
// listed field. It follows the dataset's notifications, so a view shows the range and the
// changes as they happen.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "catalogue/store/TStoreDataset.h"

class StoreTableModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StoreTableModel)

public:
    // fields: the dataset's field names, one per column, in column order.
    StoreTableModel(TStoreDataset &dataset, QStringList fields, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // Display text: stored text as one line of plain text; numbers as decimals.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Columns past the dataset's fields, and roles besides the display text, as the owner
    // fills them (row and column of the model); a valid value wins over the field's.
    std::function<QVariant(int row, int column, int role)> extraData;

    // The column of a field (any letter case), or -1.
    int column(const QString &field) const;
    TStoreDataset &dataset() const { return *m_dataset; }

private:
    void rebindFields();

    QPointer<TStoreDataset> m_dataset;
    QStringList m_fields;
    QList<int> m_fieldIndex; // dataset field of each column, -1 when missing
};
