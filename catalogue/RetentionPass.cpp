// Gathering reads the stored records directly, with every distinct date and time text parsed
// once, and lists each recordings folder once for the files' sizes, so that a catalogue of a
// hundred thousand recordings is decided on quickly.
#include "RetentionPass.h"

#include "Catalogue.h"
#include "RecordingOperations.h"
#include "store/StoreVariant.h"
#include "support/DesktopTrash.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStorageInfo>

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

void RetentionPass::gather()
{
    m_items.clear();
    m_recordings.clear();
    const TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active())
        return;

    // The files of every recordings folder by name; the current folder's come first.
    QHash<QString, std::pair<qint64, QString>> files;
    for (const QString &folder : m_catalogue.recordingFolders()) {
        QDirIterator it(folder, {QStringLiteral("*.wav")}, QDir::Files);
        while (it.hasNext()) {
            it.next();
            const QString name = it.fileName();
            if (!files.contains(name))
                files.insert(name, {it.fileInfo().size(), it.filePath()});
        }
    }

    const TStoreCursor &c = calls.cursor();
    const int idField = c.fieldIndex("id");
    const int folderField = c.fieldIndex("FolderId");
    const int dateField = c.fieldIndex("DateS");
    const int timeField = c.fieldIndex("TimeS");
    const int channelField = c.fieldIndex("Channel");
    if (idField < 0 || folderField < 0 || dateField < 0 || timeField < 0 || channelField < 0)
        return;
    // Every distinct date and time text is read once: its value and its part of the file name.
    struct Part
    {
        bool valid = false;
        qint64 seconds = 0; // days × 86400 for a date, seconds of the day for a time
        QString digits;     // "20240315", "143005"
    };
    const DateTimeFormats &formats = m_catalogue.formats;
    QHash<QString, Part> dates, times;
    auto datePart = [&](const QString &text) {
        auto at = dates.constFind(text);
        if (at == dates.cend()) {
            const QDate d = formats.parseDate(text);
            Part p;
            p.valid = d.isValid() && d.year() >= 1 && d.year() <= 9999;
            if (p.valid)
                p = {true, d.toJulianDay() * SecondsPerDay, d.toString(QStringLiteral("yyyyMMdd"))};
            at = dates.insert(text, p);
        }
        return *at;
    };
    auto timePart = [&](const QString &text) {
        auto at = times.constFind(text);
        if (at == times.cend()) {
            const QTime t = formats.parseTime(text);
            Part p;
            if (t.isValid())
                p = {true, t.msecsSinceStartOfDay() / 1000, t.toString(QStringLiteral("HHmmss"))};
            at = times.insert(text, p);
        }
        return *at;
    };
    m_items.reserve(c.recordCount());
    m_recordings.reserve(c.recordCount());
    for (std::size_t r = 0; r < c.recordCount(); ++r) {
        if (!c.record(r).isLive())
            continue;
        RetentionItem item;
        item.id = StoreVariant::text(c.bytes(r, idField));
        item.folderId = StoreVariant::text(c.bytes(r, folderField));
        const Part date = datePart(StoreVariant::text(c.bytes(r, dateField)));
        const Part time = timePart(StoreVariant::text(c.bytes(r, timeField)));
        Recording recording{r, QString()};
        if (date.valid && time.valid) {
            item.start = date.seconds + time.seconds;
            const StoreValue channel = c.value(r, channelField);
            const qint64 number =
                std::holds_alternative<std::int64_t>(channel) ? std::get<std::int64_t>(channel) : 0;
            const QString name = QString::number(number) + QLatin1Char('_') + date.digits +
                                 QLatin1Char('_') + time.digits + QStringLiteral(".wav");
            // A file of an earlier version is named after the row's code.
            auto file = files.constFind(name);
            if (file == files.cend())
                file = files.constFind(item.id + QStringLiteral(".wav"));
            if (file != files.cend()) {
                item.bytes = file->first;
                recording.file = file->second;
            }
        }
        m_items.push_back(std::move(item));
        m_recordings.push_back(std::move(recording));
    }

    // Pins are looked up by code once all codes are known.
    QSet<QString> pinned;
    m_catalogue.Details.forEachPinned([&](const QString &id) { pinned.insert(id); });
    if (!pinned.isEmpty())
        for (RetentionItem &item : m_items)
            item.pinned = pinned.contains(item.id);
}

const RetentionPlan &RetentionPass::plan(const RetentionRules &rules)
{
    m_plan = {};
    if (!rules.any())
        return m_plan;
    gather();
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    std::optional<qint64> free;
    if (rules.minFreeMB > 0) {
        const QString folder = m_catalogue.recordingFolders().value(0);
        if (freeSpace) {
            free = freeSpace(folder);
        } else {
            const QStorageInfo storage(folder);
            if (storage.isValid() && storage.isReady())
                free = storage.bytesAvailable();
        }
    }
    m_plan = planRetention(m_items, rules, localSeconds(now.date(), now.time()), free);
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
    const QString file = recording.file.isEmpty() ? QStringLiteral("(no file)")
                                                  : QFileInfo(recording.file).fileName();
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
