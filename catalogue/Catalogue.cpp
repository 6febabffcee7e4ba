// Start-up of the catalogue tables, recording rows, WAV names and the delete hooks.
#include "Catalogue.h"

#include "CatalogueSchema.h"
#include "store/StoreBackup.h"
#include "store/StoreError.h"
#include "store/StoreVariant.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// A memo is shown and exported as one line of plain text.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}

// Codes of earlier versions name files; only a code of code letters may become a path.
bool isCode(const QString &id)
{
    if (id.isEmpty() || id.size() > 20)
        return false;
    return std::all_of(id.begin(), id.end(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

Catalogue::Catalogue(const QString &dataDir, MessageService &messages, EventLog *log,
                     QObject *parent)
    : QObject(parent), Details(Database1, [this](const QString &line) { this->log(line); }),
      m_dataDir(dataDir), m_messages(messages), m_log(log)
{
    formats = DateTimeFormats::system();
    Database1.setDatabasePath(dataDir);

    FoldersTbl.setDatabase(&Database1);
    FoldersTbl.setTableName(CatalogueSchema::FoldersTable);
    FoldersTbl.SaveOptions = TStoreTable::soBackup;

    CallsTbl.setDatabase(&Database1);
    CallsTbl.setTableName(CatalogueSchema::RecordingsTable);
    CallsTbl.SaveOptions = TStoreTable::soBackup;
    CallsTbl.setMasterSource(&FoldersTbl);
    CallsTbl.MasterFields = QStringLiteral("FolderID");
    CallsTbl.RangeFieldNames = QStringLiteral("FolderId");
    CallsTbl.BeforeDelete = [this](TStoreDataset &) { CallsTblBeforeDelete(); };
    CallsTbl.AfterDelete = [this](TStoreDataset &) { CallsTblAfterDelete(); };

    connect(&CallsTbl, &TStoreDataset::dataSetChanged, this, &Catalogue::DataSource1DataChange);
    connect(&CallsTbl, &TStoreDataset::currentChanged, this, &Catalogue::DataSource1DataChange);
    connect(&CallsTbl, &TStoreDataset::recordChanged, this, &Catalogue::DataSource1DataChange);
}

Catalogue::~Catalogue()
{
    // The tables close without saving; every change was saved when it was made.
    disconnect(&CallsTbl, nullptr, this, nullptr);
    Details.close();
    CallsTbl.Close();
    FoldersTbl.Close();
}

void Catalogue::log(const QString &line)
{
    if (!m_log)
        return;
    try {
        m_log->AddLogLine(line);
    } catch (const std::exception &) {
        // The log keeps the line in memory when its file cannot be written.
    }
}

QString Catalogue::wavDir() const
{
    QString dir = recordingsDir ? recordingsDir() : m_dataDir + QStringLiteral("/wav/");
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString Catalogue::NewUniqueCode()
{
    return m_codes.next(clock ? clock() : QDateTime::currentDateTime());
}

bool Catalogue::OpenCatalogue()
{
    bool ok = openOrCreate(CallsTbl, [this] { createRecordings(); });
    if (CallsTbl.Active())
        CallsTbl.First();
    ok = openOrCreate(FoldersTbl, [this] { createFolders(); }) && ok;
    Details.open(recordingCount());
    if (loadFolderTree)
        loadFolderTree();
    DataSource1DataChange();
    return ok;
}

bool Catalogue::openOrCreate(TStoreTable &table, const std::function<void()> &create)
{
    if (QFile::exists(table.tableFile())) {
        try {
            table.Open();
            return true;
        } catch (const StoreError &e) {
            m_messages.showMessage(QStringLiteral("Can not open ") + table.TableName() +
                                       QStringLiteral(" file. Restoring backup"),
                                   MessageService::Kind::Error);
            log(QStringLiteral("Can not open ") + table.TableName() + QStringLiteral(": ") +
                QString::fromUtf8(e.what()));
            return recover(table, create);
        }
    }
    try {
        create();
        return true;
    } catch (const StoreError &e) {
        reportStoreError(e);
        return false;
    }
}

bool Catalogue::recover(TStoreTable &table, const std::function<void()> &create)
{
    const QString file = table.tableFile();
    const QString backup = table.backupFile();
    const QString damaged = file + QStringLiteral(".damaged");
    const QString name = table.TableName();
    bool damagedKept = false;

    if (QFile::exists(backup) && StoreBackup::restore(file, backup, damaged)) {
        damagedKept = true;
        try {
            table.Open();
            log(QStringLiteral("Restored ") + name + QStringLiteral(" from its backup ") +
                fileNameOf(backup) + QStringLiteral("; the damaged file was kept as ") +
                fileNameOf(damaged));
            return true;
        } catch (const StoreError &e) {
            log(QStringLiteral("The backup ") + fileNameOf(backup) +
                QStringLiteral(" can not be opened either: ") + QString::fromUtf8(e.what()));
        }
    }

    // No usable backup: keep the damaged file aside and start the table anew, so that
    // recordings can still be catalogued.
    if (damagedKept) {
        QFile::remove(file); // a copy of the unreadable backup
    } else {
        QFile::remove(damaged);
        QFile::rename(file, damaged);
    }
    try {
        create();
    } catch (const StoreError &e) {
        reportStoreError(e);
        return false;
    }
    const QString text = QStringLiteral("The backup of ") + name +
                         QStringLiteral(" could not be restored. The damaged file was kept as ") +
                         fileNameOf(damaged) + QStringLiteral(" and an empty table was started.");
    m_messages.showMessage(text, MessageService::Kind::Warning);
    log(text);
    return true;
}

void Catalogue::createRecordings()
{
    CallsTbl.setLoadMode(TableLoadMode::lmClear);
    CallsTbl.FieldDefs = CatalogueSchema::recordingFields();
    CallsTbl.Open();
    CallsTbl.SaveToFile(CallsTbl.tableFile());
    CallsTbl.setLoadMode(TableLoadMode::lmFile);
    CallsTbl.Open();
}

void Catalogue::createFolders()
{
    FoldersTbl.setLoadMode(TableLoadMode::lmClear);
    FoldersTbl.FieldDefs = CatalogueSchema::folderFields();
    FoldersTbl.Open();
    if (clearFolderTree)
        clearFolderTree();
    const QString code = NewUniqueCode();
    FoldersTbl.Append();
    FoldersTbl.setFieldValue(QStringLiteral("FolderId"), code);
    FoldersTbl.setFieldValue(QStringLiteral("FolderName"), CatalogueSchema::GeneralFolder);
    FoldersTbl.Post();
    FoldersTbl.SaveChanges(); // writes nothing while the table is built in memory
    if (addRootFolderNode)
        addRootFolderNode(CatalogueSchema::GeneralFolder, code);
    FoldersTbl.SaveToFile(FoldersTbl.tableFile());
    FoldersTbl.setLoadMode(TableLoadMode::lmFile);
    FoldersTbl.Open();
}

void Catalogue::reportStoreError(const StoreError &e)
{
    const QString text = QString::fromUtf8(e.what());
    m_messages.showMessage(text, MessageService::Kind::Error);
    log(text);
}

bool Catalogue::saveTable(TStoreTable &table)
{
    try {
        table.SaveChanges();
        return true;
    } catch (const StoreError &e) {
        reportStoreError(e);
        return false;
    }
}

bool Catalogue::AddRecordingRow(const QDateTime &start, int seconds, const QString &callerText,
                                const QString &id, const QString &folderId)
{
    if (!CallsTbl.Active() || !FoldersTbl.Active()) {
        const QString text = QStringLiteral("The recording could not be added to the catalogue: ") +
                             CatalogueSchema::RecordingsTable + QStringLiteral(" is not open");
        m_messages.showMessage(text, MessageService::Kind::Error);
        log(text);
        return false;
    }
    const QString caller = oneLine(callerText);
    const bool withCaller = callerIdEnabled ? callerIdEnabled() : true;
    const QString shownFolder = currentFolderId();
    const QString shownRow = currentRecordingId();
    bool elsewhere = false;
    try {
        // A folder deleted meanwhile leaves the row in the folder shown.
        if (!folderId.isEmpty() && isCode(folderId) && folderId != shownFolder)
            elsewhere = FoldersTbl.Locate(QStringLiteral("FolderId"), folderId);
        CallsTbl.Append();
        CallsTbl.setFieldValue(QStringLiteral("id"), isCode(id) ? id : NewUniqueCode());
        CallsTbl.setFieldValue(QStringLiteral("Channel"), 1);
        // The start's own date, so that a call running past midnight keeps the date and time
        // it began with (and its file name the moment it was recorded).
        CallsTbl.setFieldValue(QStringLiteral("DateS"), formats.dateText(start.date()));
        CallsTbl.setFieldValue(QStringLiteral("TimeS"), formats.timeText(start.time()));
        CallsTbl.setFieldValue(QStringLiteral("FolderId"),
                               FoldersTbl.FieldValues(QStringLiteral("FolderId")));
        CallsTbl.setFieldValue(QStringLiteral("Duration"), DurationText(seconds));
        // Never empty: an empty text reads back as null.
        CallsTbl.setFieldValue(QStringLiteral("Comment"),
                               withCaller && !caller.isEmpty() ? caller : QStringLiteral(" "));
        CallsTbl.Post();
    } catch (const StoreError &e) {
        CallsTbl.cancel();
        if (elsewhere)
            showAgain(shownFolder, shownRow);
        const QString text = QString::fromUtf8(e.what());
        m_messages.showMessage(text, MessageService::Kind::Error);
        log(text);
        return false;
    }
    const bool saved = saveTable(CallsTbl);
    if (elsewhere)
        showAgain(shownFolder, shownRow);
    return saved;
}

void Catalogue::showAgain(const QString &folderId, const QString &rowId)
{
    try {
        if (!folderId.isEmpty())
            FoldersTbl.Locate(QStringLiteral("FolderId"), folderId);
        if (!rowId.isEmpty())
            CallsTbl.Locate(QStringLiteral("id"), rowId);
    } catch (const StoreError &) {
        // codes read from the tables; a lookup that fails leaves the first row current
    }
}

QString Catalogue::RecordingFileName() const
{
    if (!CallsTbl.Active() ||
        (CallsTbl.RecordCount() == 0 && CallsTbl.state() != TStoreDataset::State::Insert))
        return QString();
    return ::RecordingFileName(CallsTbl.FieldValues(QStringLiteral("Channel")).toInt(),
                               CallsTbl.FieldValues(QStringLiteral("DateS")).toString(),
                               CallsTbl.FieldValues(QStringLiteral("TimeS")).toString(), formats);
}

QString Catalogue::recordingFilePath() const
{
    const QString name = RecordingFileName();
    if (name.isEmpty())
        return QString();
    const QString file = name + QStringLiteral(".wav");
    const QString path = wavDir() + file;
    if (QFile::exists(path) || !earlierRecordingsDirs)
        return path;
    for (QString dir : earlierRecordingsDirs()) {
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        if (QFile::exists(dir + file))
            return dir + file;
    }
    return path;
}

QString Catalogue::recordingFilePathFor(const QDateTime &start) const
{
    const QString name = ::RecordingFileName(1, formats.dateText(start.date()),
                                             formats.timeText(start.time()), formats);
    return name.isEmpty() ? QString() : wavDir() + name + QStringLiteral(".wav");
}

QStringList Catalogue::recordingFolders() const
{
    QStringList folders{wavDir()};
    if (earlierRecordingsDirs) {
        for (QString dir : earlierRecordingsDirs()) {
            if (!dir.endsWith(QLatin1Char('/')))
                dir += QLatin1Char('/');
            if (!folders.contains(dir))
                folders << dir;
        }
    }
    return folders;
}

QString Catalogue::currentFolderId() const
{
    if (!FoldersTbl.Active() || FoldersTbl.RecordCount() == 0)
        return QString();
    return FoldersTbl.FieldValues(QStringLiteral("FolderId")).toString();
}

bool Catalogue::hasRecording(const QString &folderId, const QString &id)
{
    if (!CallsTbl.Active() || !FoldersTbl.Active() || !isCode(folderId) || !isCode(id))
        return false;
    try {
        return FoldersTbl.Locate(QStringLiteral("FolderId"), folderId) &&
               CallsTbl.Locate(QStringLiteral("id"), id);
    } catch (const StoreError &) {
        return false;
    }
}

bool Catalogue::holdsRecording(const QString &id) const
{
    if (!CallsTbl.Active() || !isCode(id))
        return false;
    const TStoreCursor &cursor = CallsTbl.cursor();
    const int idField = cursor.fieldIndex("id");
    if (idField < 0)
        return false;
    for (std::size_t i = 0; i < cursor.recordCount(); ++i)
        if (cursor.record(i).isLive() && StoreVariant::text(cursor.bytes(i, idField)) == id)
            return true;
    return false;
}

void Catalogue::RenameLegacyFile()
{
    if (!CallsTbl.Active() || CallsTbl.RecordCount() == 0)
        return;
    const QString id = CallsTbl.FieldValues(QStringLiteral("id")).toString();
    const QString target = recordingFilePath();
    if (!isCode(id) || target.isEmpty())
        return;
    const QString legacy = wavDir() + id + QStringLiteral(".wav");
    if (QFile::exists(legacy) && !QFile::exists(target))
        QFile::rename(legacy, target);
}

int Catalogue::recordingCount() const
{
    if (!CallsTbl.Active())
        return 0;
    const TStoreCursor &cursor = CallsTbl.cursor();
    int count = 0;
    for (std::size_t i = 0; i < cursor.recordCount(); ++i)
        count += cursor.record(i).isLive() ? 1 : 0;
    return count;
}

QString Catalogue::currentRecordingId() const
{
    if (!CallsTbl.Active() || CallsTbl.RecordCount() == 0)
        return QString();
    return CallsTbl.FieldValues(QStringLiteral("id")).toString();
}

void Catalogue::CallsTblBeforeDelete()
{
    m_deletingId = currentRecordingId();
    RenameLegacyFile();
    const QString path = recordingFilePath();
    // A missing file is no error: the row goes all the same.
    if (!path.isEmpty() && QFile::exists(path))
        QFile::remove(path);
}

void Catalogue::CallsTblAfterDelete()
{
    saveTable(CallsTbl);
    // The row's details go with it, after the row itself was saved.
    if (!m_deletingId.isEmpty())
        Details.remove({m_deletingId});
    m_deletingId.clear();
}

CommandStates Catalogue::commandStates() const
{
    CommandStates states;
    states.hasRows = CallsTbl.Active() && CallsTbl.RecordCount() > 0;
    return states;
}

void Catalogue::DataSource1DataChange()
{
    if (!m_listUpdatesEnabled)
        return;
    emit commandStatesChanged(commandStates());
}

void Catalogue::setListUpdatesEnabled(bool enabled)
{
    m_listUpdatesEnabled = enabled;
    if (enabled)
        DataSource1DataChange();
}

int Catalogue::findMemo(const QString &text, bool matchCase, int fromRow) const
{
    const int field = CallsTbl.Active() ? CallsTbl.fieldIndex(QStringLiteral("Comment")) : -1;
    if (field < 0 || text.isEmpty())
        return -1;
    const QByteArray needle = text.toUtf8();
    const std::string_view n(needle.constData(), static_cast<std::size_t>(needle.size()));
    for (int row = std::max(fromRow, 0); row < CallsTbl.RecordCount(); ++row) {
        const std::string_view memo = CallsTbl.bytesAt(row, field);
        const bool found = matchCase ? memo.find(n) != std::string_view::npos
                                     : std::search(memo.begin(), memo.end(), n.begin(), n.end(),
                                                   [](char a, char b) {
                                                       return asciiUpper(a) == asciiUpper(b);
                                                   }) != memo.end();
        if (found)
            return row;
    }
    return -1;
}
