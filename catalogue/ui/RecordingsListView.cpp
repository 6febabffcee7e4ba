// The header and grid of the recordings list, kept in step with the table.
#include "RecordingsListView.h"

#include "StoreTableModel.h"
#include "catalogue/RecordingDetails.h"
#include "catalogue/store/TStoreDataset.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace {
// "Ended" and "Caller" are no fields of the table: the details fill them.
const QStringList GridFields = {"Id",       "DateS",   "TimeS", "Duration", "Comment",
                                "FolderID", "Channel", "Ended", "Caller"};
// The grid column under each section of the title header.
constexpr RecordingsListView::Column SectionColumns[] = {
    RecordingsListView::ColDate,  RecordingsListView::ColTime,   RecordingsListView::ColDuration,
    RecordingsListView::ColEnded, RecordingsListView::ColCaller, RecordingsListView::ColComment};
constexpr int Sections = 6;

// A pin drawn for the mark of a kept recording: a round head on a short needle.
QIcon pinIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5));
    p.drawLine(QPointF(8, 8), QPointF(3, 14));
    p.setBrush(QColor(0xd0, 0x30, 0x30));
    p.setPen(QPen(QColor(0x80, 0x10, 0x10), 1));
    p.drawEllipse(QPointF(10, 6), 4.5, 4.5);
    return QIcon(pixmap);
}

QString decibels(double level)
{
    return level <= 0.0
               ? QStringLiteral("silence")
               : QString::number(20.0 * std::log10(level), 'f', 0) + QStringLiteral(" dBFS");
}
} // namespace

RecordingsListView::RecordingsListView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The titles live in a header control of their own above the grid.
    m_titles = new QStandardItemModel(0, Sections, this);
    m_titles->setHorizontalHeaderLabels(
        {tr("Date"), tr("Time"), tr("Duration"), tr("Ended"), tr("Caller"), tr("Memo")});
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

    // Resizing a header section sizes the grid column under it; the header scrolls with the grid.
    connect(m_header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section >= 0 && section < Sections)
            m_grid->setColumnWidth(SectionColumns[section], size);
    });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, m_header,
            &QHeaderView::setOffset);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { emit rowDoubleClicked(); });

    m_header->resizeSection(0, 80);
    m_header->resizeSection(1, 80);
    m_header->resizeSection(2, 75);
    m_header->resizeSection(3, DefaultEndedWidth);
    m_header->resizeSection(4, DefaultCallerWidth);
    m_header->resizeSection(5, MemoWidth);
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
    // The Ended and Caller columns stand before the memo, as their titles do.
    QHeaderView *columns = m_grid->horizontalHeader();
    columns->moveSection(columns->visualIndex(ColEnded), columns->visualIndex(ColComment));
    columns->moveSection(columns->visualIndex(ColCaller), columns->visualIndex(ColComment));
    for (int section = 0; section < Sections; ++section)
        m_grid->setColumnWidth(SectionColumns[section], m_header->sectionSize(section));
    m_model->extraData = [this](int row, int column, int role) {
        return detailData(row, column, role);
    };

    m_connections = {
        connect(dataset, &TStoreDataset::currentChanged, this, &RecordingsListView::showCurrent),
        connect(m_model, &QAbstractItemModel::modelReset, this,
                &RecordingsListView::applyHiddenRows),
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

void RecordingsListView::setEndedWidth(int width)
{
    m_header->resizeSection(3, width);
    m_grid->setColumnWidth(ColEnded, width);
}

void RecordingsListView::setCallerWidth(int width)
{
    m_header->resizeSection(4, width);
    m_grid->setColumnWidth(ColCaller, width);
}

void RecordingsListView::setDetails(const RecordingDetails *details)
{
    m_details = details;
    detailsChanged();
}

void RecordingsListView::detailsChanged()
{
    if (!m_model || m_model->rowCount() == 0)
        return;
    applyHiddenRows();
    emit m_model->dataChanged(m_model->index(0, 0),
                              m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1));
}

void RecordingsListView::setHideSilent(bool hide)
{
    m_hideSilent = hide;
    applyHiddenRows();
}

// Rows hidden before are shown again first: the list may have been read anew since.
void RecordingsListView::applyHiddenRows()
{
    for (int row : std::as_const(m_hiddenRows))
        m_grid->setRowHidden(row, false);
    m_hiddenRows.clear();
    if (!m_hideSilent || !m_details || !m_model)
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const auto facts = m_details->facts(rowId(row));
        if (facts && facts->silent) {
            m_grid->setRowHidden(row, true);
            m_hiddenRows << row;
        }
    }
}

QString RecordingsListView::rowId(int row) const
{
    if (!m_dataset || !m_dataset->Active())
        return QString();
    const std::string_view id =
        m_dataset->bytesAt(row, m_dataset->fieldIndex(QStringLiteral("id")));
    return QString::fromUtf8(id.data(), qsizetype(id.size()));
}

QString RecordingsListView::rowToolTip(int row) const
{
    const auto facts = m_details ? m_details->facts(rowId(row)) : std::nullopt;
    if (!facts)
        return QString();
    QStringList lines;
    if (facts->end.reason != EndReason::Unknown)
        lines << tr("Ended: ") + endReasonDescription(facts->end);
    if (facts->lengthMs >= 0) {
        const qint64 seconds = (facts->lengthMs + 500) / 1000;
        lines << tr("Length: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    if (facts->peak >= 0)
        lines << tr("Voice: peak %1, RMS %2").arg(decibels(facts->peak), decibels(facts->rms));
    if (facts->silent)
        lines << tr("Silent: shorter than 2 seconds, or no voice");
    if (facts->pinned)
        lines << tr("Kept: no clean-up rule removes it");
    return lines.join(QLatin1Char('\n'));
}

QVariant RecordingsListView::detailData(int row, int column, int role) const
{
    if (!m_details)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (column != ColEnded && column != ColCaller)
            return QVariant();
        if (const auto facts = m_details->facts(rowId(row))) {
            if (column == ColEnded)
                return endReasonText(facts->end);
            return facts->callerName.isEmpty() ? facts->callerNumber : facts->callerName;
        }
        return QString();
    case Qt::ToolTipRole: {
        const QString tip = rowToolTip(row);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::ForegroundRole: {
        const auto facts = m_details->facts(rowId(row));
        return facts && facts->silent
                   ? QVariant(palette().brush(QPalette::Disabled, QPalette::Text))
                   : QVariant();
    }
    case Qt::DecorationRole: {
        if (column != ColDate || !m_details->isPinned(rowId(row)))
            return QVariant();
        static const QIcon pin = pinIcon();
        return pin;
    }
    case Qt::AccessibleDescriptionRole: {
        const auto facts = m_details->facts(rowId(row));
        QStringList marks;
        if (facts && facts->pinned)
            marks << tr("kept");
        if (facts && facts->silent)
            marks << tr("silent");
        return marks.isEmpty() ? QVariant() : QVariant(marks.join(QStringLiteral(", ")));
    }
    default:
        return QVariant();
    }
}
