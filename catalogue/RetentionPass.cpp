// Gathering reads the stored records directly, with every distinct date and time text parsed
// once, and lists each recordings folder once for the files' sizes, so that a catalogue of a
// hundred thousand recordings is decided on quickly.
#include "RetentionPass.h"

#include "Catalogue.h"
#include "RecordingOperations.h"
#include "store/StoreVariant.h"
#include "support/DesktopTrash.h"
#include "support/DiskSpace.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <unordered_map>

namespace {

constexpr qint64 SecondsPerDay = 24 * 3600;

qint64 localSeconds(const QDate &date, const QTime &time)
{
    return date.toJulianDay() * SecondsPerDay + time.msecsSinceStartOfDay() / 1000;
}

QString oneLine(QString text, int max)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    text = text.trimmed();
    return text.size() > max ? text.left(max) + QStringLiteral("...") : text;
}

QString ruleText(RetentionRule rule)
{
    switch (rule) {
    case RetentionRule::Age:
        return QStringLiteral("older than the days kept");
    case RetentionRule::FolderSize:
        return QStringLiteral("over the space allowed");
    case RetentionRule::FreeSpace:
        return QStringLiteral("to keep the disk's free space");
    }
    return QString();
}

} // namespace

RetentionPass::RetentionPass(Catalogue &catalogue, MessageService &messages,
                             std::function<void(const QString &)> log)
    : m_catalogue(catalogue), m_messages(messages), m_log(std::move(log))
{}

QString RetentionPass::megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

QString RetentionPass::text(std::size_t record, const char *field) const
{
    const TStoreCursor &c = m_catalogue.CallsTbl.cursor();
    const int f = c.fieldIndex(field);
    return f < 0 ? QString() : StoreVariant::text(c.bytes(record, f));
}

QString RetentionPass::folderName(const QString &code) const
{
    const TStoreCursor &c = m_catalogue.FoldersTbl.cursor();
    const int idField = c.fieldIndex("FolderId");
    const int nameField = c.fieldIndex("FolderName");
    if (!m_catalogue.FoldersTbl.Active() || idField < 0 || nameField < 0)
        return QString();
    for (std::size_t i = 0; i < c.recordCount(); ++i)
        if (c.record(i).isLive() && StoreVariant::text(c.bytes(i, idField)) == code)
            return StoreVariant::text(c.bytes(i, nameField));
    return QString();
}

namespace {

// "HH:mm:ss" read by hand: the format of most rows, which a locale's parser takes microseconds
// to read. No value for any other text.
std::optional<qint64> isoSeconds(std::string_view t)
{
    if (t.size() != 8 || t[2] != ':' || t[5] != ':')
        return std::nullopt;
    int v[3];
    for (int i = 0; i < 3; ++i) {
        const char a = t[std::size_t(i * 3)], b = t[std::size_t(i * 3 + 1)];
        if (a < '0' || a > '9' || b < '0' || b > '9')
            return std::nullopt;
        v[i] = (a - '0') * 10 + (b - '0');
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59)
        return std::nullopt;
    return qint64(v[0]) * 3600 + v[1] * 60 + v[2];
}

} // namespace

void RetentionPass::gather(bool needSizes)
{
    m_items.clear();
    m_recordings.clear();
    const TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active())
        return;
    const TStoreCursor &c = calls.cursor();
    const int idField = c.fieldIndex("id");
    const int folderField = c.fieldIndex("FolderId");
    const int dateField = c.fieldIndex("DateS");
    const int timeField = c.fieldIndex("TimeS");
    if (idField < 0 || folderField < 0 || dateField < 0 || timeField < 0)
        return;

    // Every distinct date text is read once (a catalogue has few days and many rows); the keys
    // are the table's own bytes, which stay put while the pass gathers. Times in the common
    // "HH:mm:ss" are read by hand, others once each.
    const DateTimeFormats &formats = m_catalogue.formats;
    const bool isoTime = formats.longTime == QLatin1String("HH:mm:ss");
    std::unordered_map<std::string_view, std::optional<qint64>> dates, times;
    auto dateSeconds = [&](std::string_view bytes) -> std::optional<qint64> {
        auto at = dates.find(bytes);
        if (at == dates.end()) {
            const QDate d = formats.parseDate(StoreVariant::text(bytes));
            std::optional<qint64> seconds;
            if (d.isValid() && d.year() >= 1 && d.year() <= 9999)
                seconds = d.toJulianDay() * SecondsPerDay;
            at = dates.emplace(bytes, seconds).first;
        }
        return at->second;
    };
    auto timeSeconds = [&](std::string_view bytes) -> std::optional<qint64> {
        if (isoTime)
            if (const auto seconds = isoSeconds(bytes))
                return seconds;
        auto at = times.find(bytes);
        if (at == times.end()) {
            const QTime t = formats.parseTime(StoreVariant::text(bytes));
            at = times
                     .emplace(bytes, t.isValid()
                                         ? std::optional<qint64>(t.msecsSinceStartOfDay() / 1000)
                                         : std::nullopt)
                     .first;
        }
        return at->second;
    };

    m_items.reserve(c.recordCount());
    m_recordings.reserve(c.recordCount());
    QString folderText;
    std::string_view folderBytes;
    for (std::size_t r = 0; r < c.recordCount(); ++r) {
        if (!c.record(r).isLive())
            continue;
        RetentionItem item;
        item.id = StoreVariant::text(c.bytes(r, idField));
        // Rows of one folder share the folder's text.
        const std::string_view folder = c.bytes(r, folderField);
        if (folder != folderBytes || folderText.isNull()) {
            folderBytes = folder;
            folderText = StoreVariant::text(folder);
        }
        item.folderId = folderText;
        const auto date = dateSeconds(c.bytes(r, dateField));
        const auto time = timeSeconds(c.bytes(r, timeField));
        if (date && time)
            item.start = *date + *time;
        if (!m_catalogue.Details.kept(item.id, item.pinned, item.bytes))
            item.bytes = -1;
        m_items.push_back(std::move(item));
        m_recordings.push_back({r, QString(), false});
    }

    if (!needSizes)
        return;
    // Sizes not known yet are looked up once and kept for the next pass.
    QHash<QString, qint64> learnt;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].bytes >= 0)
            continue;
        look(int(i));
        if (m_items[i].bytes > 0)
            learnt.insert(m_items[i].id, m_items[i].bytes);
    }
    m_catalogue.Details.storeSizes(learnt);
}

QString RetentionPass::fileName(int item) const
{
    const std::optional<qint64> start = m_items[std::size_t(item)].start;
    if (!start)
        return QString();
    const TStoreCursor &c = m_catalogue.CallsTbl.cursor();
    const StoreValue channel =
        c.value(m_recordings[std::size_t(item)].record, c.fieldIndex("Channel"));
    const qint64 number =
        std::holds_alternative<std::int64_t>(channel) ? std::get<std::int64_t>(channel) : 0;
    const QDate date = QDate::fromJulianDay(*start / SecondsPerDay);
    const QTime time = QTime(0, 0).addSecs(int(*start % SecondsPerDay));
    return QString::number(number) + QLatin1Char('_') + date.toString(QStringLiteral("yyyyMMdd")) +
           QLatin1Char('_') + time.toString(QStringLiteral("HHmmss")) + QStringLiteral(".wav");
}

void RetentionPass::look(int item)
{
    Recording &r = m_recordings[std::size_t(item)];
    if (r.looked)
        return;
    r.looked = true;
    RetentionItem &i = m_items[std::size_t(item)];
    QStringList names;
    if (const QString name = fileName(item); !name.isEmpty())
        names << name;
    // A file of an earlier version is named after the row's code.
    if (!i.id.isEmpty() && i.id.size() <= 20 && std::all_of(i.id.begin(), i.id.end(), [](QChar ch) {
            return ch.unicode() < 0x80 && ch.isLetterOrNumber();
        }))
        names << i.id + QStringLiteral(".wav");
    for (const QString &name : std::as_const(names)) {
        for (const QString &folder : m_catalogue.recordingFolders()) {
            const QFileInfo info(folder + name);
            if (info.isFile()) {
                r.file = info.filePath();
                i.bytes = info.size();
                return;
            }
        }
    }
    i.bytes = 0;
}

const RetentionPlan &RetentionPass::plan(const RetentionRules &rules)
{
    m_plan = {};
    if (!rules.any())
        return m_plan;
    bool sizeRule = rules.all.maxMB > 0 || rules.minFreeMB > 0;
    for (const FolderRetention &f : rules.folders)
        sizeRule = sizeRule || (f.mode == FolderRetention::Mode::Own && f.limits.maxMB > 0);
    gather(sizeRule);
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    std::optional<qint64> free;
    if (rules.minFreeMB > 0) {
        const QString folder = m_catalogue.recordingFolders().value(0);
        free = freeSpace ? freeSpace(folder) : DiskSpace::freeBytes(folder);
    }
    m_plan = planRetention(m_items, rules, localSeconds(now.date(), now.time()), free,
                           [this](const QString &code) { return oneLine(folderName(code), 40); });
    // The sizes of what goes make the plan's total; a file whose size is not known is looked at.
    m_plan.bytes = 0;
    for (const RetentionRemoval &r : m_plan.removals) {
        if (m_items[std::size_t(r.item)].bytes < 0)
            look(r.item);
        m_plan.bytes += std::max<qint64>(0, m_items[std::size_t(r.item)].bytes);
    }
    return m_plan;
}

QString RetentionPass::startText(int item) const
{
    const std::optional<qint64> start = m_items[std::size_t(item)].start;
    if (!start)
        return QString();
    const QDate date = QDate::fromJulianDay(*start / SecondsPerDay);
    const QTime time = QTime(0, 0).addSecs(int(*start % SecondsPerDay));
    return date.toString(Qt::ISODate) + QLatin1Char(' ') +
           time.toString(QStringLiteral("HH:mm:ss"));
}

QString RetentionPass::describe(const RetentionRemoval &removal) const
{
    const RetentionItem &item = m_items[std::size_t(removal.item)];
    const Recording &recording = m_recordings[std::size_t(removal.item)];
    // Before its file was looked for, the name the row gives it.
    QString file = recording.looked ? QFileInfo(recording.file).fileName() : fileName(removal.item);
    if (file.isEmpty())
        file = QStringLiteral("(no file)");
    return QStringLiteral("%1, folder %2, %3, %4, \"%5\": %6")
        .arg(file, oneLine(folderName(item.folderId), 40), startText(removal.item),
             megabytes(item.bytes), oneLine(text(recording.record, "Comment"), 40),
             ruleText(removal.rule));
}

QStringList RetentionPass::describeRemovals() const
{
    QStringList lines;
    for (const RetentionRemoval &r : m_plan.removals)
        lines << describe(r) + (r.deleteOutright ? QStringLiteral(" (deleted)")
                                                 : QStringLiteral(" (to the trash)"));
    return lines;
}

QString RetentionPass::summary() const
{
    if (m_plan.empty())
        return QStringLiteral("No recording would be removed");
    const auto day = [](qint64 s) {
        return QDate::fromJulianDay(s / SecondsPerDay).toString(Qt::ISODate) + QLatin1Char(' ') +
               QTime(0, 0).addSecs(int(s % SecondsPerDay)).toString(QStringLiteral("HH:mm"));
    };
    return QStringLiteral("%1 recording%2, %3, oldest %4, newest %5")
        .arg(m_plan.removals.size())
        .arg(m_plan.removals.size() == 1 ? QString() : QStringLiteral("s"))
        .arg(megabytes(m_plan.bytes), day(*m_plan.oldest), day(*m_plan.newest));
}

int RetentionPass::apply()
{
    if (m_plan.empty())
        return 0;
    QSet<QString> ids;
    for (const RetentionRemoval &r : m_plan.removals)
        ids.insert(m_items[std::size_t(r.item)].id);
    for (const RetentionRemoval &r : m_plan.removals)
        look(r.item);
    // Described now: a row added in this run loses its values when it is deleted.
    QStringList descriptions;
    for (const RetentionRemoval &r : m_plan.removals)
        descriptions << describe(r);
    RecordingOperations operations(m_catalogue, m_messages);
    const QStringList removedIds = operations.removeRows(ids);
    if (removedIds.isEmpty()) {
        m_log(QStringLiteral("Retention removed nothing: the catalogue could not be saved"));
        return 0;
    }
    const QSet<QString> removed(removedIds.begin(), removedIds.end());
    int count = 0;
    for (std::size_t n = 0; n < m_plan.removals.size(); ++n) {
        const RetentionRemoval &r = m_plan.removals[n];
        if (!removed.contains(m_items[std::size_t(r.item)].id))
            continue;
        ++count;
        const QString &file = m_recordings[std::size_t(r.item)].file;
        QString outcome;
        if (file.isEmpty() || !QFile::exists(file)) {
            outcome = QStringLiteral("its file was missing");
        } else if (r.deleteOutright) {
            outcome = QFile::remove(file) ? QStringLiteral("deleted to free space")
                                          : QStringLiteral("its file could not be deleted");
        } else {
            switch (DesktopTrash::moveToTrashOrDelete(file)) {
            case DesktopTrash::Outcome::Trashed:
                outcome = QStringLiteral("moved to the trash");
                break;
            case DesktopTrash::Outcome::Deleted:
                outcome = QStringLiteral("deleted (no trash)");
                break;
            case DesktopTrash::Outcome::Failed:
                outcome = QStringLiteral("its file could not be removed");
                break;
            }
        }
        m_log(QStringLiteral("Retention removed ") + descriptions[n] + QStringLiteral("; ") +
              outcome);
    }
    m_plan = {};
    return count;
}
