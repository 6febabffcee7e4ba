// The header and grid of the recordings list, kept in step with the table.
#include "RecordingsListView.h"

#include "StoreTableModel.h"
#include "catalogue/store/TStoreDataset.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QStringList GridFields = {"Id",      "DateS",    "TimeS",  "Duration",
                                "Comment", "FolderID", "Channel"};
}

RecordingsListView::RecordingsListView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The titles live in a header control of their own above the grid.
    m_titles = new QStandardItemModel(0, 4, this);
    m_titles->setHorizontalHeaderLabels({tr("Date"), tr("Time"), tr("Duration"), tr("Memo")});
    m_header = new QHeaderView(Qt::Horizontal, this);
    m_header->setObjectName(QStringLiteral("hdRecordings"));
    m_header->setModel(m_titles);
    m_header->setSectionsClickable(false);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(false);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(m_header);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("dbGrid1"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    // Fixed row heights keep a list of many thousand rows quick to reset and scroll.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideRight);
    layout->addWidget(m_grid, 1);

    // Resizing header section i sizes grid column i + 1; the header scrolls with the grid.
    connect(m_header, &QHeaderView::sectionResized, this,
            [this](int section, int, int size) { m_grid->setColumnWidth(section + 1, size); });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, m_header,
            &QHeaderView::setOffset);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { emit rowDoubleClicked(); });

    m_header->resizeSection(0, 80);
    m_header->resizeSection(1, 80);
    m_header->resizeSection(2, 75);
    m_header->resizeSection(3, MemoWidth);
}

RecordingsListView::~RecordingsListView() = default;

void RecordingsListView::setDataset(TStoreDataset *dataset)
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataset = dataset;
    StoreTableModel *old = m_model;
    QItemSelectionModel *oldSelection = m_grid->selectionModel();
    m_model = dataset ? new StoreTableModel(*dataset, GridFields, this) : nullptr;
    m_grid->setModel(m_model);
    // The view leaves the old model's selection model to us.
    delete oldSelection;
    delete old;
    if (!dataset)
        return;

    for (int column : {ColId, ColFolder, ColChannel})
        m_grid->setColumnHidden(column, true);
    for (int section = 0; section < 4; ++section)
        m_grid->setColumnWidth(section + 1, m_header->sectionSize(section));

    m_connections = {
        connect(dataset, &TStoreDataset::currentChanged, this, &RecordingsListView::showCurrent),
        connect(m_model, &QAbstractItemModel::modelReset, this, &RecordingsListView::showCurrent),
        connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current) { currentRowChanged(current.row()); }),
    };
    showCurrent();
}

void RecordingsListView::showCurrent()
{
    if (!m_dataset || !m_model || m_syncing)
        return;
    m_syncing = true;
    const int row = m_dataset->Active() ? m_dataset->RecNo() - 1 : -1;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, ColDate);
        m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    } else {
        m_grid->selectionModel()->clear();
    }
    m_syncing = false;
}

void RecordingsListView::currentRowChanged(int row)
{
    if (m_syncing || !m_dataset || !m_dataset->Active() || row < 0)
        return;
    m_syncing = true;
    m_dataset->setRecNo(row + 1);
    m_syncing = false;
}

void RecordingsListView::setColumnWidths(int date, int time, int duration)
{
    m_header->resizeSection(0, date);
    m_header->resizeSection(1, time);
    m_header->resizeSection(2, duration);
    m_grid->setColumnWidth(ColDate, date);
    m_grid->setColumnWidth(ColTime, time);
    m_grid->setColumnWidth(ColDuration, duration);
}

int RecordingsListView::columnWidth(Column column) const
{
    return m_grid->columnWidth(column);
}
