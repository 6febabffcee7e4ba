// The filter box, grid and header of the recordings list, kept in step with the table.
#include "RecordingsListView.h"

#include "RecordingsListModel.h"
#include "StoreTableModel.h"
#include "catalogue/RecordingDetails.h"
#include "catalogue/store/TStoreDataset.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace {
// "Ended" and "Caller" are no fields of the table: the details fill them.
const QStringList GridFields = {"Id",       "DateS",   "TimeS", "Duration", "Comment",
                                "FolderID", "Channel", "Ended", "Caller"};

struct ColumnInfo
{
    RecordingsListView::Column column;
    const char *name; // in orv.ini, and the title
    bool fixed;       // always shown
};
constexpr ColumnInfo Columns[] = {
    {RecordingsListView::ColDate, "Date", true},
    {RecordingsListView::ColTime, "Time", false},
    {RecordingsListView::ColDuration, "Duration", false},
    {RecordingsListView::ColComment, "Memo", true},
    {RecordingsListView::ColEnded, "Ended", false},
    {RecordingsListView::ColCaller, "Caller", false},
};

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

// "MM:SS" (minutes may run past 99) in seconds; -1 when it is no such text.
qlonglong durationSeconds(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    bool minutesOk = false, secondsOk = false;
    const qlonglong minutes = text.left(colon).trimmed().toLongLong(&minutesOk);
    const qlonglong seconds = text.mid(colon + 1).trimmed().toLongLong(&secondsOk);
    return colon > 0 && minutesOk && secondsOk ? minutes * 60 + seconds : -1;
}
// A time of a format of numbers only (H, HH, m, mm, s, ss and separators, as "HH:mm:ss"), read
// without the locale's general parser, which is slow for a hundred thousand rows. -1: not such
// a time; -2: not such a format.
qlonglong numericSeconds(const QString &text, const QString &format)
{
    int fields[3] = {0, 0, 0};
    qsizetype at = 0;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        const int field = c == QLatin1Char('H')   ? 0
                          : c == QLatin1Char('m') ? 1
                          : c == QLatin1Char('s') ? 2
                                                  : -1;
        if (c.isLetter() && (field < 0 || run > 2))
            return -2;
        if (field < 0) {
            for (qsizetype k = 0; k < run; ++k, ++at)
                if (at >= text.size() || text[at] != c)
                    return -1;
        } else {
            int value = 0, digits = 0;
            while (at < text.size() && digits < 2 && text[at].isDigit()) {
                value = value * 10 + text[at++].digitValue();
                ++digits;
            }
            if (digits < run)
                return -1;
            fields[field] = value;
        }
        i += run;
    }
    if (at != text.size() || fields[0] > 23 || fields[1] > 59 || fields[2] > 59)
        return -1;
    return fields[0] * 3600 + fields[1] * 60 + fields[2];
}
} // namespace

RecordingsListView::RecordingsListView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("edFilter"));
    m_filter->setPlaceholderText(tr("Filter by memo, caller or number"));
    m_filter->setAccessibleName(tr("Filter recordings"));
    m_filter->setToolTip(tr("Shows only the recordings whose memo, caller's name or number "
                            "holds this text (Escape clears it)"));
    m_filter->setClearButtonEnabled(true);
    auto *clear = new QAction(m_filter);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    clear->setShortcutContext(Qt::WidgetShortcut);
    m_filter->addAction(clear);
    connect(clear, &QAction::triggered, m_filter, &QLineEdit::clear);
    connect(m_filter, &QLineEdit::textChanged, this, &RecordingsListView::setFilterText);
    m_filter->installEventFilter(this);
    layout->addWidget(m_filter);

    m_list = new RecordingsListModel(this);
    for (const ColumnInfo &info : Columns)
        m_list->setTitle(info.column, tr(info.name));
    m_list->sortValue = [this](int row, int column) { return sortValue(row, column); };
    m_list->filterTextOf = [this](int row) {
        QString text = m_model ? m_model->index(row, ColComment).data().toString() : QString();
        if (const auto facts = m_details ? m_details->facts(rowId(row)) : std::nullopt)
            text += QLatin1Char('\n') + callerText(row) + QLatin1Char('\n') + facts->callerName +
                    QLatin1Char('\n') + facts->callerNumber;
        return text;
    };

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("dbGrid1"));
    m_grid->setModel(m_list);
    m_grid->verticalHeader()->hide();
    // Fixed row heights keep a list of many thousand rows quick to reset and scroll.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideRight);
    // Tab leaves the list for the next control; the arrows move within it.
    m_grid->setTabKeyNavigation(false);
    // Sideways by pixels, so that the header and the rows scroll together smoothly.
    m_grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    layout->addWidget(m_grid, 1);

    // The grid's own header carries the titles, so it scrolls with the rows.
    m_header = m_grid->horizontalHeader();
    m_header->setObjectName(QStringLiteral("hdRecordings"));
    m_header->setSectionsClickable(true);
    m_header->setSectionsMovable(true);
    m_header->setHighlightSections(false);
    m_header->setSortIndicatorShown(false);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(false);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_header->setContextMenuPolicy(Qt::CustomContextMenu);

    m_widths = {{ColDate, 80},
                {ColTime, 80},
                {ColDuration, 75},
                {ColComment, MemoWidth},
                {ColEnded, DefaultEndedWidth},
                {ColCaller, DefaultCallerWidth}};
    m_list->setColumns({ColDate, ColTime, ColDuration, ColComment, ColEnded, ColCaller});
    applyWidths();

    m_headerMenu = new QMenu(tr("Columns"), this);
    m_headerMenu->setObjectName(QStringLiteral("pmColumns"));
    connect(m_header, &QHeaderView::customContextMenuRequested, this,
            &RecordingsListView::showHeaderMenu);
    connect(m_headerMenu, &QMenu::aboutToShow, this, [this] { showHeaderMenu(QPoint(-1, -1)); });

    connect(m_header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (m_applyingWidths || section < 0 || section >= m_list->columns().size())
            return;
        m_widths[m_list->columns()[section]] = size;
        emit columnsChanged();
    });
    connect(m_header, &QHeaderView::sectionClicked, this, &RecordingsListView::headerClicked);
    // The header moves a dragged title among its own sections; the columns are reordered once
    // the drag has ended.
    connect(m_header, &QHeaderView::sectionMoved, this, [this] {
        QMetaObject::invokeMethod(this, &RecordingsListView::sectionMoved, Qt::QueuedConnection);
    });
    connect(m_list, &RecordingsListModel::rowsRearranged, this,
            &RecordingsListView::rowsRearranged);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { currentRowChanged(current.row()); });
    connect(m_grid, &QTableView::doubleClicked, this, [this] { emit rowDoubleClicked(); });
}

RecordingsListView::~RecordingsListView() = default;

bool RecordingsListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::FocusIn)
        m_list->prepareFilter();
    return QWidget::eventFilter(watched, event);
}

void RecordingsListView::setDataset(TStoreDataset *dataset)
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataset = dataset;
    StoreTableModel *old = m_model;
    m_model = dataset ? new StoreTableModel(*dataset, GridFields, this) : nullptr;
    if (m_model) {
        m_model->extraData = [this](int row, int column, int role) {
            return detailData(row, column, role);
        };
    }
    m_list->setSourceModel(m_model);
    delete old;
    if (!dataset)
        return;
    m_connections = {
        connect(dataset, &TStoreDataset::currentChanged, this, &RecordingsListView::showCurrent),
    };
    showCurrent();
}

void RecordingsListView::setDateTimeFormats(const DateTimeFormats &formats)
{
    m_formats = formats;
    m_dayKeys.clear();
    m_secondKeys.clear();
}

void RecordingsListView::showCurrent()
{
    if (!m_dataset || !m_model || m_syncing)
        return;
    m_syncing = true;
    const int sourceRow = m_dataset->Active() ? m_dataset->RecNo() - 1 : -1;
    const int row = m_list->rowOf(sourceRow);
    if (row >= 0) {
        const QModelIndex index = m_list->index(row, 0);
        m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    } else {
        m_grid->selectionModel()->clear();
    }
    m_syncing = false;
    emit positionChanged();
}

void RecordingsListView::currentRowChanged(int row)
{
    if (m_syncing || !m_dataset || !m_dataset->Active() || row < 0)
        return;
    const int sourceRow = m_list->sourceRow(row);
    if (sourceRow < 0)
        return;
    m_syncing = true;
    m_dataset->setRecNo(sourceRow + 1);
    m_syncing = false;
    emit positionChanged();
}

// After a sort, a filter or the table read anew: the current recording stays current when it
// is shown; otherwise the first row shown becomes current, so that the commands never act on a
// recording the user cannot see.
void RecordingsListView::rowsRearranged()
{
    applyHiddenRows();
    applyWidths();
    if (m_list->sortColumn() >= 0) {
        m_header->setSortIndicatorShown(true);
        m_header->setSortIndicator(int(m_list->columns().indexOf(m_list->sortColumn())),
                                   m_list->sortOrder());
    } else {
        m_header->setSortIndicatorShown(false);
    }
    if (m_dataset && m_dataset->Active() && m_list->rowCount() > 0 &&
        m_list->rowOf(m_dataset->RecNo() - 1) < 0) {
        m_dataset->setRecNo(m_list->sourceRow(0) + 1);
    }
    showCurrent();
}

void RecordingsListView::applyWidths()
{
    m_applyingWidths = true;
    const QList<int> &columns = m_list->columns();
    for (int section = 0; section < columns.size(); ++section)
        m_header->resizeSection(section, m_widths.value(columns[section], 80));
    m_applyingWidths = false;
}

void RecordingsListView::setColumnWidths(int date, int time, int duration)
{
    m_widths[ColDate] = date;
    m_widths[ColTime] = time;
    m_widths[ColDuration] = duration;
    applyWidths();
}

int RecordingsListView::columnWidth(Column column) const
{
    return m_widths.value(column, 0);
}

void RecordingsListView::setColumnWidth(Column column, int width)
{
    m_widths[column] = width;
    applyWidths();
}

QList<RecordingsListView::Column> RecordingsListView::defaultColumns()
{
    QList<Column> columns;
    for (const ColumnInfo &info : Columns)
        columns << info.column;
    return columns;
}

QList<RecordingsListView::Column> RecordingsListView::shownColumns() const
{
    QList<Column> columns;
    for (int column : m_list->columns())
        columns << Column(column);
    return columns;
}

void RecordingsListView::setShownColumns(QList<Column> columns)
{
    QList<int> shown;
    for (Column column : columns)
        if (columnName(column).size() && !shown.contains(column))
            shown << column;
    // Date and Memo cannot be hidden: missing, they take their usual places.
    if (!shown.contains(ColDate))
        shown.prepend(ColDate);
    if (!shown.contains(ColComment))
        shown.insert(std::min<qsizetype>(shown.size(), 3), ColComment);
    // Sections keep their sizes across a reset that keeps their count: they are set anew.
    m_list->setColumns(shown);
    applyWidths();
    if (m_list->sortColumn() >= 0 && !shown.contains(m_list->sortColumn()))
        sortBy(-1, Qt::AscendingOrder);
}

void RecordingsListView::sortBy(int column, Qt::SortOrder order)
{
    if (column >= 0 && columnName(Column(column)).isEmpty())
        column = -1;
    m_list->setSort(column, order);
}

int RecordingsListView::sortColumn() const
{
    return m_list->sortColumn();
}

Qt::SortOrder RecordingsListView::sortOrder() const
{
    return m_list->sortOrder();
}

QString RecordingsListView::columnName(Column column)
{
    for (const ColumnInfo &info : Columns)
        if (info.column == column)
            return QLatin1String(info.name);
    return QString();
}

int RecordingsListView::columnNamed(const QString &name)
{
    for (const ColumnInfo &info : Columns)
        if (name.compare(QLatin1String(info.name), Qt::CaseInsensitive) == 0)
            return info.column;
    return -1;
}

void RecordingsListView::headerClicked(int section)
{
    const int column = m_list->columns().value(section, -1);
    if (column < 0)
        return;
    const Qt::SortOrder order =
        column == m_list->sortColumn() && m_list->sortOrder() == Qt::AscendingOrder
            ? Qt::DescendingOrder
            : Qt::AscendingOrder;
    sortBy(column, order);
    emit columnsChanged();
}

void RecordingsListView::sectionMoved()
{
    QList<int> order;
    for (int visual = 0; visual < m_header->count(); ++visual)
        order << m_list->columns().value(m_header->logicalIndex(visual), -1);
    if (order.contains(-1) || order == m_list->columns())
        return;
    // The model takes the new order; the header's sections go back to the model's order.
    const QSignalBlocker blocker(m_header);
    for (int logical = 0; logical < m_header->count(); ++logical)
        m_header->moveSection(m_header->visualIndex(logical), logical);
    QList<Column> columns;
    for (int column : order)
        columns << Column(column);
    setShownColumns(columns);
    emit columnsChanged();
}

void RecordingsListView::showHeaderMenu(const QPoint &pos)
{
    m_headerMenu->clear();
    const QList<int> &shown = m_list->columns();
    for (const ColumnInfo &info : Columns) {
        QAction *action = m_headerMenu->addAction(tr(info.name));
        action->setCheckable(true);
        action->setChecked(shown.contains(info.column));
        action->setEnabled(!info.fixed);
        const Column column = info.column;
        connect(action, &QAction::toggled, this, [this, column](bool on) {
            QList<Column> columns = shownColumns();
            if (on)
                columns << column;
            else
                columns.removeAll(column);
            setShownColumns(columns);
            emit columnsChanged();
        });
    }
    m_headerMenu->addSeparator();
    QAction *unsorted = m_headerMenu->addAction(tr("Unsorted (as recorded)"));
    unsorted->setCheckable(true);
    unsorted->setChecked(m_list->sortColumn() < 0);
    connect(unsorted, &QAction::triggered, this, [this] {
        sortBy(-1, Qt::AscendingOrder);
        emit columnsChanged();
    });
    for (int column : shown) {
        QAction *action = m_headerMenu->addAction(
            tr("Sort by %1")
                .arg(m_list->headerData(int(shown.indexOf(column)), Qt::Horizontal).toString()));
        action->setCheckable(true);
        action->setChecked(m_list->sortColumn() == column);
        connect(action, &QAction::triggered, this,
                [this, column, section = int(shown.indexOf(column))] { headerClicked(section); });
    }
    if (pos.x() >= 0)
        m_headerMenu->popup(m_header->mapToGlobal(pos));
}

void RecordingsListView::setFilterText(const QString &text)
{
    if (m_filter->text() != text)
        m_filter->setText(text); // comes back here through textChanged
    else
        m_list->setFilterText(text);
}

bool RecordingsListView::canMove(Move move) const
{
    const int rows = m_list->rowCount();
    if (rows == 0 || !m_dataset || !m_dataset->Active())
        return false;
    const int row = m_list->rowOf(m_dataset->RecNo() - 1);
    if (move == Move::First || move == Move::Prior)
        return row != 0;
    return row != rows - 1;
}

void RecordingsListView::moveCurrent(Move move)
{
    const int rows = m_list->rowCount();
    if (rows == 0 || !m_dataset || !m_dataset->Active())
        return;
    const int row = m_list->rowOf(m_dataset->RecNo() - 1);
    int target = 0;
    switch (move) {
    case Move::First:
        target = 0;
        break;
    case Move::Prior:
        target = row < 0 ? 0 : std::max(0, row - 1);
        break;
    case Move::Next:
        target = row < 0 ? 0 : std::min(rows - 1, row + 1);
        break;
    case Move::Last:
        target = rows - 1;
        break;
    }
    m_dataset->setRecNo(m_list->sourceRow(target) + 1);
}

void RecordingsListView::setDetails(const RecordingDetails *details)
{
    m_details = details;
    detailsChanged();
}

void RecordingsListView::detailsChanged()
{
    m_list->invalidateKeys();
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
    for (int row = 0; row < m_list->rowCount(); ++row) {
        const auto facts = m_details->facts(rowId(m_list->sourceRow(row)));
        if (facts && facts->silent) {
            m_grid->setRowHidden(row, true);
            m_hiddenRows << row;
        }
    }
}

QString RecordingsListView::rowId(int row) const
{
    if (!m_dataset || !m_dataset->Active() || row < 0 || row >= m_dataset->RecordCount())
        return QString();
    const std::string_view id =
        m_dataset->bytesAt(row, m_dataset->fieldIndex(QStringLiteral("id")));
    return QString::fromUtf8(id.data(), qsizetype(id.size()));
}

// The directory's name for the number now, else the name the call brought, else the number.
QString RecordingsListView::callerText(int row) const
{
    const auto facts = m_details ? m_details->facts(rowId(row)) : std::nullopt;
    if (!facts)
        return QString();
    if (directoryName && !facts->callerNumber.isEmpty()) {
        const QString name = directoryName(facts->callerNumber);
        if (!name.isEmpty())
            return name;
    }
    return facts->callerName.isEmpty() ? facts->callerNumber : facts->callerName;
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
        lines << tr("Duration: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    if (facts->peak >= 0)
        lines << tr("Voice: peak %1, RMS %2").arg(decibels(facts->peak), decibels(facts->rms));
    if (facts->silent)
        lines << tr("Silent: shorter than 2 seconds, or no voice");
    if (facts->pinned)
        lines << tr("Kept: no clean-up rule removes it");
    return lines.join(QLatin1Char('\n'));
}

qlonglong RecordingsListView::secondOfDay(const QString &text) const
{
    if (const qlonglong seconds = numericSeconds(text.trimmed(), m_formats.longTime); seconds != -2)
        return seconds;
    auto second = m_secondKeys.constFind(text);
    if (second == m_secondKeys.cend()) {
        const QTime time = m_formats.parseTime(text);
        second =
            m_secondKeys.insert(text, time.isValid() ? time.msecsSinceStartOfDay() / 1000 : -1);
    }
    return *second;
}

// Dates and times sort as moments, durations as lengths, the other columns as texts.
QVariant RecordingsListView::sortValue(int row, int column) const
{
    if (!m_model)
        return QVariant();
    const QString text = m_model->index(row, column).data().toString();
    switch (column) {
    case ColDate: {
        // Few distinct dates and times among many rows: each text is read once.
        auto day = m_dayKeys.constFind(text);
        if (day == m_dayKeys.cend()) {
            const QDate date = m_formats.parseDate(text);
            day = m_dayKeys.insert(text, date.isValid() ? date.toJulianDay() : -1);
        }
        if (*day < 0)
            return qlonglong(-1);
        const qlonglong second = secondOfDay(m_model->index(row, ColTime).data().toString());
        return *day * 86400 + std::max<qlonglong>(second, 0);
    }
    case ColTime:
        return secondOfDay(text);
    case ColDuration:
        return durationSeconds(text);
    default:
        return text;
    }
}

QVariant RecordingsListView::detailData(int row, int column, int role) const
{
    if (role == IdRole)
        return rowId(row);
    if (!m_details)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (column != ColEnded && column != ColCaller)
            return QVariant();
        if (const auto facts = m_details->facts(rowId(row))) {
            if (column == ColEnded)
                return endReasonText(facts->end);
            return callerText(row);
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
        // On the memo, where it takes nothing from a narrow column's text.
        if (column != ColComment || !m_details->isPinned(rowId(row)))
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
