// The details table. Its rows are found through an index of codes, so that a pass over a large
// catalogue asks for each recording's details without searching the table each time.
#include "RecordingDetails.h"

#include "store/StoreBackup.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QString Id = QStringLiteral("id");
const QString Ended = QStringLiteral("Ended");
const QString EndDetail = QStringLiteral("EndDetail");
const QString LengthMs = QStringLiteral("LengthMs");
const QString Peak = QStringLiteral("Peak");
const QString Rms = QStringLiteral("Rms");
const QString Silent = QStringLiteral("Silent");
const QString Pinned = QStringLiteral("Pinned");
const QString Bytes = QStringLiteral("Bytes");
const QString CallerNumber = QStringLiteral("CallerNumber");
const QString CallerName = QStringLiteral("CallerName");

constexpr int DetailSize = 200;

// A level read from the file: a fraction of full scale, or -1 (also for what no meter
// could have written).
double level(const QVariant &value)
{
    const double v = value.toDouble();
    return std::isfinite(v) && v >= 0.0 && v <= 1.0 ? v : -1.0;
}

// Text kept in the table is one bounded line.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text.left(DetailSize);
}

} // namespace

QList<FieldDef> RecordingDetails::fields()
{
    return {
        {Id, FieldType::ftString, 10},
        {Ended, FieldType::ftInteger, 0},
        {EndDetail, FieldType::ftString, DetailSize},
        {LengthMs, FieldType::ftInteger, 0},
        {Peak, FieldType::ftFloat, 0},
        {Rms, FieldType::ftFloat, 0},
        {Silent, FieldType::ftBoolean, 0},
        {Pinned, FieldType::ftBoolean, 0},
        {Bytes, FieldType::ftFloat, 0},
        {CallerNumber, FieldType::ftString, DetailSize},
        {CallerName, FieldType::ftString, DetailSize},
    };
}

RecordingDetails::RecordingDetails(TStoreDatabase &database,
                                   std::function<void(const QString &)> log)
    : m_log(std::move(log))
{
    m_table.setDatabase(&database);
    m_table.setTableName(TableName);
    m_table.SaveOptions = TStoreTable::soBackup;
}

void RecordingDetails::log(const QString &line) const
{
    if (m_log)
        m_log(line);
}

void RecordingDetails::open(int recordings)
{
    close();
    const QString file = m_table.tableFile();
    if (!QFile::exists(file)) {
        createTable();
        if (recordings > 0)
            log(QStringLiteral("The details table %1 was missing; a new one was started. The "
                               "%2 recordings catalogued so far are all kept; only why they "
                               "ended, their levels and their pins are not known.")
                    .arg(TableName)
                    .arg(recordings));
        index();
        return;
    }
    QString reason;
    try {
        m_table.setLoadMode(TableLoadMode::lmFile);
        m_table.Open();
        if (hasAllFields() || (hasCoreFields() && bringUpToDate())) {
            index();
            return;
        }
        reason = QStringLiteral("fields are missing");
    } catch (const StoreError &e) {
        reason = QString::fromUtf8(e.what());
    }
    m_table.Close();
    recover(reason);
    index();
}

bool RecordingDetails::openReadOnly(QString &error)
{
    close();
    if (!QFile::exists(m_table.tableFile())) {
        try {
            m_table.setLoadMode(TableLoadMode::lmClear);
            m_table.FieldDefs = fields();
            m_table.Open();
        } catch (const StoreError &e) {
            error = QString::fromUtf8(e.what());
            return false;
        }
        index();
        return true;
    }
    try {
        m_table.setLoadMode(TableLoadMode::lmFile);
        m_table.Open();
    } catch (const StoreError &e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
    // Fields added since the table was written read as not known.
    if (!hasCoreFields()) {
        m_table.Close();
        error = QStringLiteral("fields are missing");
        return false;
    }
    index();
    return true;
}

void RecordingDetails::close()
{
    m_table.Close();
    m_rows.clear();
}

bool RecordingDetails::hasAllFields() const
{
    for (const FieldDef &f : fields())
        if (m_table.fieldIndex(f.Name) < 0)
            return false;
    return true;
}

bool RecordingDetails::hasCoreFields() const
{
    return m_table.fieldIndex(Id) >= 0 && m_table.fieldIndex(Ended) >= 0;
}

bool RecordingDetails::bringUpToDate()
{
    const QList<FieldDef> all = fields();
    std::vector<std::vector<QVariant>> rows(std::size_t(m_table.RecordCount()));
    for (int row = 0; row < m_table.RecordCount(); ++row)
        for (const FieldDef &f : all)
            rows[std::size_t(row)].push_back(m_table.valueAt(row, m_table.fieldIndex(f.Name)));
    const QString file = m_table.tableFile();
    StoreBackup::keep(file, m_table.backupFile());
    try {
        m_table.setLoadMode(TableLoadMode::lmClear);
        m_table.FieldDefs = all;
        m_table.Open();
        for (const std::vector<QVariant> &values : rows) {
            m_table.Append();
            for (int f = 0; f < all.size(); ++f)
                m_table.setFieldValue(all[f].Name, values[std::size_t(f)]);
            m_table.Post();
        }
        m_table.SaveToFile(file);
        m_table.setLoadMode(TableLoadMode::lmFile);
        m_table.Open();
    } catch (const StoreError &e) {
        log(QStringLiteral("The details table %1 could not be brought up to date: %2")
                .arg(TableName, QString::fromUtf8(e.what())));
        m_table.Close();
        return false;
    }
    log(QStringLiteral(
            "The details table %1 was brought up to date; the earlier file was kept as %2")
            .arg(TableName, QFileInfo(m_table.backupFile()).fileName()));
    return true;
}

// A table that cannot be written still holds this run's details in memory; the next save
// tries the file again.
void RecordingDetails::createTable()
{
    try {
        m_table.setLoadMode(TableLoadMode::lmClear);
        m_table.FieldDefs = fields();
        m_table.Open();
        m_table.SaveToFile(m_table.tableFile());
        m_table.setLoadMode(TableLoadMode::lmFile);
        m_table.Open();
    } catch (const StoreError &e) {
        log(QStringLiteral("The details table %1 can not be written (%2); the details of this "
                           "run's recordings are kept in memory only.")
                .arg(TableName, QString::fromUtf8(e.what())));
        if (!m_table.Active()) {
            try {
                m_table.setLoadMode(TableLoadMode::lmClear);
                m_table.FieldDefs = fields();
                m_table.Open();
            } catch (const StoreError &) {
            }
        }
    }
}

bool RecordingDetails::recover(const QString &reason)
{
    const QString file = m_table.tableFile();
    const QString backup = m_table.backupFile();
    const QString damaged = file + QStringLiteral(".damaged");
    if (QFile::exists(backup) && StoreBackup::restore(file, backup, damaged)) {
        try {
            m_table.setLoadMode(TableLoadMode::lmFile);
            m_table.Open();
            if (hasAllFields()) {
                log(QStringLiteral("The details table %1 can not be read (%2); it was restored "
                                   "from its backup and the damaged file kept as %3. No "
                                   "recording is lost.")
                        .arg(TableName, reason, QFileInfo(damaged).fileName()));
                return true;
            }
        } catch (const StoreError &) {
        }
        m_table.Close();
        QFile::remove(file); // the unreadable backup's copy; the damaged file is kept
    } else {
        QFile::remove(damaged);
        QFile::rename(file, damaged);
    }
    createTable();
    log(QStringLiteral("The details table %1 can not be read (%2); the damaged file was kept "
                       "as %3 and a new table was started. No recording is lost; only why they "
                       "ended, their levels and their pins are not known.")
            .arg(TableName, reason, QFileInfo(damaged).fileName()));
    return false;
}

void RecordingDetails::index()
{
    m_rows.clear();
    if (!m_table.Active())
        return;
    m_pinField = m_table.fieldIndex(Pinned);
    m_bytesField = m_table.fieldIndex(Bytes);
    const int field = m_table.fieldIndex(Id);
    m_rows.reserve(m_table.RecordCount());
    for (int row = 0; row < m_table.RecordCount(); ++row) {
        const std::string_view id = m_table.bytesAt(row, field);
        // A code written twice (a damaged or hand-made table): the first row answers.
        const QString code = QString::fromUtf8(id.data(), qsizetype(id.size()));
        if (!m_rows.contains(code))
            m_rows.insert(code, row);
    }
}

int RecordingDetails::rowOf(const QString &id) const
{
    return m_rows.value(id, -1);
}

RecordingFacts RecordingDetails::factsAt(int row) const
{
    auto value = [&](const QString &name) {
        return m_table.valueAt(row, m_table.fieldIndex(name));
    };
    RecordingFacts f;
    f.end.reason = endReasonFromCode(value(Ended).toLongLong());
    f.end.detail = oneLine(value(EndDetail).toString());
    const qint64 length = value(LengthMs).toLongLong();
    f.lengthMs = length > 0 ? length : (f.end.reason == EndReason::Unknown ? -1 : 0);
    f.peak = level(value(Peak));
    f.rms = level(value(Rms));
    f.silent = value(Silent).toBool();
    f.pinned = value(Pinned).toBool();
    const double bytes = value(Bytes).toDouble();
    f.bytes = std::isfinite(bytes) && bytes > 0 && bytes < 1e15 ? qint64(bytes) : -1;
    // A table of an earlier version has no caller fields: the caller is not known.
    f.callerNumber = oneLine(value(CallerNumber).toString()).trimmed();
    f.callerName = oneLine(value(CallerName).toString()).trimmed();
    return f;
}

std::optional<RecordingFacts> RecordingDetails::facts(const QString &id) const
{
    const int row = rowOf(id);
    if (row < 0)
        return std::nullopt;
    return factsAt(row);
}

bool RecordingDetails::isPinned(const QString &id) const
{
    const int row = rowOf(id);
    return row >= 0 && m_table.valueAt(row, m_table.fieldIndex(Pinned)).toBool();
}

void RecordingDetails::forEach(
    const std::function<void(const QString &id, const RecordingFacts &)> &visit) const
{
    if (!m_table.Active())
        return;
    const int field = m_table.fieldIndex(Id);
    for (int row = 0; row < m_table.RecordCount(); ++row) {
        const std::string_view id = m_table.bytesAt(row, field);
        visit(QString::fromUtf8(id.data(), qsizetype(id.size())), factsAt(row));
    }
}

bool RecordingDetails::kept(const QString &id, bool &pinned, qint64 &bytes) const
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    const std::string_view pin = m_table.bytesAt(row, m_pinField);
    pinned = pin.find_first_not_of('\0') != std::string_view::npos;
    // A double as the file holds it: eight bytes, little-endian like this machine; none for 0.
    const std::string_view size = m_table.bytesAt(row, m_bytesField);
    double b = 0.0;
    if (size.size() == sizeof b)
        std::memcpy(&b, size.data(), sizeof b);
    bytes = std::isfinite(b) && b > 0 && b < 1e15 ? qint64(b) : -1;
    return true;
}

bool RecordingDetails::storeSizes(const QHash<QString, qint64> &bytes)
{
    if (!m_table.Active() || bytes.isEmpty())
        return true;
    try {
        for (auto it = bytes.cbegin(); it != bytes.cend(); ++it) {
            if (it.key().isEmpty())
                continue;
            writeRow(it.key(), [&] {
                m_table.setFieldValue(Bytes, it.value() > 0 ? double(it.value()) : 0.0);
            });
        }
    } catch (const StoreError &e) {
        m_table.cancel();
        log(QStringLiteral("The files' sizes could not be kept: ") + QString::fromUtf8(e.what()));
        index();
        return false;
    }
    return save();
}

void RecordingDetails::writeRow(const QString &id, const std::function<void()> &setFields)
{
    const int row = rowOf(id);
    if (row >= 0) {
        m_table.setRecNo(row + 1);
        m_table.Edit();
    } else {
        m_table.Append();
        m_table.setFieldValue(Id, id);
    }
    setFields();
    m_table.Post();
    if (row < 0)
        m_rows.insert(id, m_table.RecordCount() - 1);
}

bool RecordingDetails::store(const QString &id, const RecordingFacts &facts)
{
    if (!m_table.Active() || id.isEmpty())
        return false;
    try {
        writeRow(id, [&] {
            m_table.setFieldValue(Ended, int(facts.end.reason));
            m_table.setFieldValue(EndDetail, oneLine(facts.end.detail));
            m_table.setFieldValue(LengthMs, int(std::clamp<qint64>(facts.lengthMs, 0, INT32_MAX)));
            m_table.setFieldValue(Peak, facts.peak);
            m_table.setFieldValue(Rms, facts.rms);
            m_table.setFieldValue(Silent, facts.silent);
            m_table.setFieldValue(Bytes, facts.bytes > 0 ? double(facts.bytes) : 0.0);
            m_table.setFieldValue(CallerNumber, oneLine(facts.callerNumber));
            m_table.setFieldValue(CallerName, oneLine(facts.callerName));
        });
    } catch (const StoreError &e) {
        m_table.cancel();
        log(QStringLiteral("The details of recording %1 could not be kept: %2")
                .arg(id, QString::fromUtf8(e.what())));
        return false;
    }
    return save();
}

bool RecordingDetails::setPinned(const QStringList &ids, bool pinned)
{
    if (!m_table.Active())
        return false;
    try {
        for (const QString &id : ids) {
            if (id.isEmpty() || isPinned(id) == pinned)
                continue;
            writeRow(id, [&] { m_table.setFieldValue(Pinned, pinned); });
        }
    } catch (const StoreError &e) {
        m_table.cancel();
        log(QStringLiteral("Keep could not be changed: ") + QString::fromUtf8(e.what()));
        index();
        return false;
    }
    return save();
}

bool RecordingDetails::remove(const QStringList &ids)
{
    if (!m_table.Active() || ids.isEmpty())
        return true;
    const QSet<QString> gone(ids.begin(), ids.end());
    const int field = m_table.fieldIndex(Id);
    bool removed = false;
    m_table.DisableControls();
    try {
        // From the last row up, so the rows still to look at keep their places; every row of a
        // code goes, also a second one a damaged table may hold.
        for (int row = m_table.RecordCount() - 1; row >= 0; --row) {
            const std::string_view id = m_table.bytesAt(row, field);
            if (!gone.contains(QString::fromUtf8(id.data(), qsizetype(id.size()))))
                continue;
            m_table.setRecNo(row + 1);
            m_table.Delete();
            removed = true;
        }
    } catch (const StoreError &e) {
        log(QStringLiteral("The details of removed recordings could not be dropped: ") +
            QString::fromUtf8(e.what()));
    }
    m_table.EnableControls();
    index();
    return !removed || save();
}

bool RecordingDetails::save()
{
    try {
        if (m_table.LoadMode() == TableLoadMode::lmFile) {
            m_table.SaveChanges();
            return true;
        }
        // Started in memory when the file could not be written: the file is tried again.
        m_table.SaveToFile(m_table.tableFile());
        const int current = m_table.RecNo();
        m_table.setLoadMode(TableLoadMode::lmFile);
        m_table.Open();
        m_table.setRecNo(current);
        index();
        return true;
    } catch (const StoreError &e) {
        log(QStringLiteral("The details table %1 could not be saved: %2")
                .arg(TableName, QString::fromUtf8(e.what())));
        return false;
    }
}
