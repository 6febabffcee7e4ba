#include "RecordingsQuery.h"

#include "catalogue/Catalogue.h"
#include "catalogue/FolderTreeFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>

namespace {

constexpr qint64 MsPerDay = 24 * 3600 * 1000;

// "MM:SS" or "HH:MM:SS" as seconds; 0 when unreadable.
int durationSeconds(std::string_view text)
{
    int total = 0, part = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            part = part * 10 + (c - '0');
        else if (c == ':') {
            total = total * 60 + part;
            part = 0;
        } else
            return 0;
        if (part > 1000000)
            return 0;
    }
    return total * 60 + part;
}

// The value of a text, parsed at its first sight and kept.
template <typename Parse>
qint64 parsedOnce(QHash<QByteArray, qint64> &cache, std::string_view text, Parse parse)
{
    const QByteArray key(text.data(), qsizetype(text.size()));
    const auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    return *cache.insert(key, parse(QString::fromUtf8(key)));
}

} // namespace

RecordingsQuery::RecordingsQuery(Catalogue &catalogue, QObject *parent)
    : QObject(parent), m_catalogue(catalogue)
{
    // Any change of the rows (added, removed, read again) may move the stored indices.
    connect(&catalogue.CallsTbl, &TStoreDataset::dataSetChanged, this,
            [this] { m_keysValid = false; });
}

QString RecordingsQuery::text(std::size_t record, int field) const
{
    const std::string_view bytes = m_catalogue.CallsTbl.cursor().bytes(record, field);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

qint64 RecordingsQuery::dayOf(std::string_view text)
{
    return parsedOnce(m_days, text, [this](const QString &t) {
        const QDate date = m_catalogue.formats.parseDate(t);
        return date.isValid() ? date.toJulianDay() : 0;
    });
}

qint64 RecordingsQuery::msOf(std::string_view text)
{
    return parsedOnce(m_times, text, [this](const QString &t) {
        const QTime time = m_catalogue.formats.parseTime(t);
        return time.isValid() ? qint64(time.msecsSinceStartOfDay()) : 0;
    });
}

void RecordingsQuery::buildKeys()
{
    const TStoreCursor &cursor = m_catalogue.CallsTbl.cursor();
    const std::size_t count = cursor.recordCount();
    if (m_keysValid && m_dateKeys.size() == count)
        return;
    const int dateField = cursor.fieldIndex("DateS"), timeField = cursor.fieldIndex("TimeS"),
              durationField = cursor.fieldIndex("Duration");
    m_dateKeys.assign(count, 0);
    m_seconds.assign(count, 0);
    for (std::size_t r = 0; r < count; ++r) {
        if (!cursor.record(r).isLive())
            continue;
        m_dateKeys[r] =
            dayOf(cursor.bytes(r, dateField)) * MsPerDay + msOf(cursor.bytes(r, timeField));
        m_seconds[r] = durationSeconds(cursor.bytes(r, durationField));
    }
    m_keysValid = true;
}

QJsonObject RecordingsQuery::list(const ListRequest &request)
{
    QJsonObject result{{QStringLiteral("total"), 0},
                       {QStringLiteral("offset"), request.offset},
                       {QStringLiteral("rows"), QJsonArray()}};
    if (!m_catalogue.CallsTbl.Active())
        return result;
    buildKeys();
    const TStoreCursor &cursor = m_catalogue.CallsTbl.cursor();
    const int idField = cursor.fieldIndex("id"), folderField = cursor.fieldIndex("FolderId"),
              memoField = cursor.fieldIndex("Comment"), dateField = cursor.fieldIndex("DateS"),
              timeField = cursor.fieldIndex("TimeS"), durationField = cursor.fieldIndex("Duration");
    const QByteArray folder = request.folder.toUtf8();
    const std::string_view folderBytes(folder.constData(), std::size_t(folder.size()));

    // Rows that pass, and for the memo order their memos, each made into text once.
    const bool byMemo = request.sort == ListRequest::Sort::Memo;
    std::vector<std::uint32_t> rows;
    std::vector<QString> memos;
    rows.reserve(cursor.recordCount());
    for (std::size_t r = 0; r < cursor.recordCount(); ++r) {
        if (!cursor.record(r).isLive())
            continue;
        if (!folder.isEmpty() && cursor.bytes(r, folderField) != folderBytes)
            continue;
        QString memo;
        if (byMemo || !request.search.isEmpty())
            memo = text(r, memoField);
        if (!request.search.isEmpty() && !memo.contains(request.search, Qt::CaseInsensitive))
            continue;
        rows.push_back(std::uint32_t(r));
        if (byMemo)
            memos.push_back(std::move(memo));
    }

    // Positions in rows are sorted. Ties keep the table's order (the order the recordings were
    // made in).
    const auto less = [&](std::uint32_t a, std::uint32_t b) {
        const std::uint32_t ra = rows[a], rb = rows[b];
        switch (request.sort) {
        case ListRequest::Sort::Duration:
            if (m_seconds[ra] != m_seconds[rb])
                return m_seconds[ra] < m_seconds[rb];
            break;
        case ListRequest::Sort::Memo:
            if (const int c = QString::compare(memos[a], memos[b], Qt::CaseInsensitive); c != 0)
                return c < 0;
            break;
        case ListRequest::Sort::Date:
            if (m_dateKeys[ra] != m_dateKeys[rb])
                return m_dateKeys[ra] < m_dateKeys[rb];
            break;
        }
        return ra < rb;
    };
    const auto order = [&](std::uint32_t a, std::uint32_t b) {
        return request.descending ? less(b, a) : less(a, b);
    };
    const std::size_t offset = std::min<std::size_t>(std::size_t(request.offset), rows.size());
    const std::size_t end = std::min(rows.size(), offset + std::size_t(request.limit));
    std::vector<std::uint32_t> positions(rows.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = std::uint32_t(i);
    // Only the rows up to the page's end need their order.
    std::partial_sort(positions.begin(), positions.begin() + std::ptrdiff_t(end), positions.end(),
                      order);

    QJsonArray page;
    for (std::size_t i = offset; i < end; ++i) {
        const std::uint32_t r = rows[positions[i]];
        const QString id = text(r, idField);
        QJsonObject row{{QStringLiteral("id"), id},
                        {QStringLiteral("folder"), text(r, folderField)},
                        {QStringLiteral("date"), text(r, dateField)},
                        {QStringLiteral("time"), text(r, timeField)},
                        {QStringLiteral("duration"), text(r, durationField)},
                        {QStringLiteral("seconds"), m_seconds[r]},
                        {QStringLiteral("memo"), text(r, memoField)}};
        if (const auto facts = m_catalogue.Details.facts(id)) {
            row.insert(QStringLiteral("ended"), endReasonText(facts->end));
            row.insert(QStringLiteral("endedText"), endReasonDescription(facts->end));
            row.insert(QStringLiteral("silent"), facts->silent);
            // The name the directory gave the caller, else the number the call gave.
            row.insert(QStringLiteral("caller"),
                       facts->callerName.isEmpty() ? facts->callerNumber : facts->callerName);
            row.insert(QStringLiteral("callerNumber"), facts->callerNumber);
        }
        page.append(row);
    }
    result.insert(QStringLiteral("total"), qint64(rows.size()));
    result.insert(QStringLiteral("offset"), qint64(offset));
    result.insert(QStringLiteral("rows"), page);
    return result;
}

QJsonArray RecordingsQuery::folders() const
{
    const TStoreTable &table = m_catalogue.FoldersTbl;
    QJsonArray result;
    if (!table.Active())
        return result;
    QHash<QString, QString> names; // code → name, from Folders.d
    QStringList order;
    const int idField = table.fieldIndex(QStringLiteral("FolderId"));
    const int nameField = table.fieldIndex(QStringLiteral("FolderName"));
    const TStoreCursor &cursor = table.cursor();
    for (std::size_t r = 0; r < cursor.recordCount(); ++r) {
        if (!cursor.record(r).isLive())
            continue;
        const std::string_view id = cursor.bytes(r, idField), name = cursor.bytes(r, nameField);
        const QString code = QString::fromUtf8(id.data(), qsizetype(id.size()));
        names.insert(code, QString::fromUtf8(name.data(), qsizetype(name.size())));
        order.append(code);
    }
    QSet<QString> shown;
    FolderNodes nodes;
    try {
        nodes = FolderTreeFile::LoadTreeFromIni(
            QDir(m_catalogue.Database1.DatabasePath()).filePath(FolderTreeFile::TreeIniName));
    } catch (const std::exception &) {
        nodes.clear(); // a damaged tree file: the folders are listed flat
    }
    for (const FolderNode &node : nodes) {
        if (!names.contains(node.code) || shown.contains(node.code))
            continue;
        shown.insert(node.code);
        result.append(QJsonObject{{QStringLiteral("id"), node.code},
                                  {QStringLiteral("name"), names.value(node.code)},
                                  {QStringLiteral("level"), node.level}});
    }
    for (const QString &code : order) {
        if (shown.contains(code))
            continue;
        shown.insert(code);
        result.append(QJsonObject{{QStringLiteral("id"), code},
                                  {QStringLiteral("name"), names.value(code)},
                                  {QStringLiteral("level"), 0}});
    }
    return result;
}

std::optional<std::size_t> RecordingsQuery::storedIndex(const QString &id) const
{
    if (!m_catalogue.CallsTbl.Active() || id.isEmpty())
        return std::nullopt;
    const TStoreCursor &cursor = m_catalogue.CallsTbl.cursor();
    const int idField = cursor.fieldIndex("id");
    const QByteArray wanted = id.toUtf8();
    const std::string_view wantedBytes(wanted.constData(), std::size_t(wanted.size()));
    for (std::size_t r = 0; r < cursor.recordCount(); ++r)
        if (cursor.record(r).isLive() && cursor.bytes(r, idField) == wantedBytes)
            return r;
    return std::nullopt;
}

QString RecordingsQuery::filePath(const QString &id) const
{
    const auto record = storedIndex(id);
    if (!record)
        return {};
    const TStoreCursor &cursor = m_catalogue.CallsTbl.cursor();
    const StoreValue channel = cursor.value(*record, cursor.fieldIndex("Channel"));
    const int channelNumber =
        std::holds_alternative<std::int64_t>(channel) ? int(std::get<std::int64_t>(channel)) : 1;
    const QString name =
        RecordingFileName(channelNumber, text(*record, cursor.fieldIndex("DateS")),
                          text(*record, cursor.fieldIndex("TimeS")), m_catalogue.formats);
    if (name.isEmpty())
        return {};
    const QString file = name + QStringLiteral(".wav");
    const QStringList folders = m_catalogue.recordingFolders();
    for (const QString &folder : folders)
        if (QFile::exists(folder + file))
            return folder + file;
    return folders.first() + file;
}
