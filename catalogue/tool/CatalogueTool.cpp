// Reading the catalogue outside the program: every row of every folder, as text or CSV.
#include "CatalogueTool.h"

#include "ContactsCommands.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/FolderTreeFile.h"
#include "catalogue/RecordingFileCheck.h"
#include "catalogue/RetentionPass.h"
#include "catalogue/store/StoreError.h"
#include "config/Preferences.h"
#include "config/SettingsStore.h"
#include "config/StorageSettings.h"
#include "config/TIniFile.h"
#include "support/AtomicFile.h"
#include "support/DataDirLock.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <functional>
#include <set>

namespace CatalogueTool {

const QString UsageText = QStringLiteral(
    "Usage: calvora-catalogue COMMAND [--data-dir DIR]\n"
    "  list               every row of every folder\n"
    "  export-csv FILE    the same rows as CSV\n"
    "  check              open both tables and report what fails, and every row whose\n"
    "                     recording's file is missing, empty or not a WAV file\n"
    "  add [--folder NAME] [--date YYYY-MM-DD] [--time HH:MM:SS]\n"
    "      [--duration SECONDS|MM:SS] [--memo TEXT]\n"
    "  add-folder NAME    a new top-level folder\n"
    "  retention [--dry-run]\n"
    "                     apply the retention rules of the Storage settings now (a\n"
    "                     dry run lists what they would remove)\n"
    "  contacts import FILE          add the contacts of a vCard file to the callers\n"
    "  contacts list                 the callers and their numbers\n"
    "  contacts lookup NUMBER        the name a call from NUMBER is logged with\n"
    "  contacts home-country [CODE]  the country of numbers written without one\n"
    "      (a region code such as GB, or \"system\" for the system's)\n"
    "  --help, --version  this text, the version\n"
    "Without --data-dir the data directory is the current directory.\n");

int mistake(QTextStream &err, const QString &reason)
{
    err << "calvora-catalogue: " << reason << '\n' << UsageText;
    err.flush();
    return Usage;
}

namespace {

// What a known command takes, for the reason of a mistake; empty for an unknown command.
QString expectedArguments(const QString &command)
{
    static const QHash<QString, QString> arguments{
        {QStringLiteral("list"), QStringLiteral("no arguments")},
        {QStringLiteral("export-csv"), QStringLiteral("one FILE")},
        {QStringLiteral("check"), QStringLiteral("no arguments")},
        {QStringLiteral("add-folder"), QStringLiteral("one NAME")},
        {QStringLiteral("contacts"),
         QStringLiteral("import FILE, list, lookup NUMBER or home-country [CODE]")},
    };
    return arguments.value(command);
}

struct Row
{
    QString folder, date, time, duration, memo, file;
    QString ended;       // why the recording ended; empty when not known
    bool silent = false; // flagged silent at Stop
    bool kept = false;   // pinned: no retention rule removes it
    QString caller;      // the caller's name ("Withheld" included); empty when not known
    QString number;      // the caller's number as its caller ID gave it
    QString id;          // the row's code
};

QString yes(bool flag)
{
    return flag ? QStringLiteral("yes") : QString();
}

QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}

// Opens both tables as they are on disk: nothing is created, restored or written.
bool openTables(Catalogue &catalogue, QTextStream &err)
{
    bool ok = true;
    for (TStoreTable *table : {&catalogue.FoldersTbl, &catalogue.CallsTbl}) {
        try {
            table->Open();
        } catch (const StoreError &e) {
            err << table->TableName() << ": " << QString::fromUtf8(e.what()) << Qt::endl;
            ok = false;
        }
    }
    // The details only add to the rows: without them every row is still listed.
    QString error;
    if (!catalogue.Details.openReadOnly(error))
        err << RecordingDetails::TableName << ": " << error
            << "; the recordings are listed without their details" << Qt::endl;
    return ok;
}

QString wavName(const TStoreDataset &calls, int row, const DateTimeFormats &formats)
{
    const QString name = RecordingFileName(
        calls.valueAt(row, calls.fieldIndex(QStringLiteral("Channel"))).toInt(),
        calls.valueAt(row, calls.fieldIndex(QStringLiteral("DateS"))).toString(),
        calls.valueAt(row, calls.fieldIndex(QStringLiteral("TimeS"))).toString(), formats);
    return name.isEmpty() ? QString() : name + QStringLiteral(".wav");
}

// Every row, folder by folder in the order of Folders.d, then the rows whose folder is
// missing from it (with an empty folder name). Rows are handed over one by one so that a
// large catalogue is never held twice.
void forEachRow(Catalogue &catalogue, const std::function<void(const Row &)> &visit)
{
    TStoreTable &folders = catalogue.FoldersTbl;
    TStoreTable &calls = catalogue.CallsTbl;
    auto text = [&](int row, const char *field) {
        return oneLine(calls.valueAt(row, calls.fieldIndex(QLatin1String(field))).toString());
    };
    auto visitRow = [&](const QString &folder, int r) {
        Row row;
        row.folder = folder;
        row.date = text(r, "DateS");
        row.time = text(r, "TimeS");
        row.duration = text(r, "Duration");
        row.memo = text(r, "Comment");
        row.file = wavName(calls, r, catalogue.formats);
        row.id = text(r, "id");
        if (const auto facts = catalogue.Details.facts(text(r, "id"))) {
            row.ended = oneLine(endReasonDescription(facts->end));
            row.silent = facts->silent;
            row.kept = facts->pinned;
            row.caller = oneLine(facts->callerName);
            row.number = oneLine(facts->callerNumber);
        }
        visit(row);
    };
    std::set<QString> known;
    for (folders.First(); !folders.Eof(); folders.Next()) {
        const QString code = folders.FieldValues(QStringLiteral("FolderId")).toString();
        if (!known.insert(code).second)
            continue;
        const QString name = oneLine(folders.FieldValues(QStringLiteral("FolderName")).toString());
        for (int r = 0; r < calls.RecordCount(); ++r)
            visitRow(name, r);
    }
    // Without a master every row is visible; keep those of no known folder.
    calls.setMasterSource(nullptr);
    const int folderField = calls.fieldIndex(QStringLiteral("FolderId"));
    for (int r = 0; r < calls.RecordCount(); ++r)
        if (known.count(calls.valueAt(r, folderField).toString()) == 0)
            visitRow(QString(), r);
}

int list(Catalogue &catalogue, QTextStream &out, QTextStream &err)
{
    if (!openTables(catalogue, err))
        return Failed;
    out << "Folder\tDate\tTime\tDuration\tMemo\tFile\tEnded\tSilent\tKept\tCaller\tNumber\n";
    forEachRow(catalogue, [&](const Row &r) {
        out << r.folder << '\t' << r.date << '\t' << r.time << '\t' << r.duration << '\t' << r.memo
            << '\t' << r.file << '\t' << r.ended << '\t' << yes(r.silent) << '\t' << yes(r.kept)
            << '\t' << r.caller << '\t' << r.number << '\n';
    });
    out.flush();
    return Ok;
}

int exportCsv(Catalogue &catalogue, const QString &file, QTextStream &err)
{
    if (!openTables(catalogue, err))
        return Failed;
    QByteArray csv = "Folder,Date,Time,Duration,Memo,File,Ended,Silent,Kept,Caller,Number\r\n";
    forEachRow(catalogue, [&](const Row &r) {
        csv += QStringList{csvField(r.folder),   csvField(r.date),  csvField(r.time),
                           csvField(r.duration), csvField(r.memo),  csvField(r.file),
                           csvField(r.ended),    yes(r.silent),     yes(r.kept),
                           csvField(r.caller),   csvField(r.number)}
                   .join(QLatin1Char(','))
                   .toUtf8();
        csv += "\r\n";
    });
    if (!AtomicFile::write(file, csv)) {
        err << "Cannot write " << file << Qt::endl;
        return Failed;
    }
    return Ok;
}

// The recordings folder of the settings, and the folders that held recordings before it.
void useRecordingsFolders(Catalogue &catalogue, const TIniFile &ini, const QString &dataDir)
{
    const QString wavDir = readRecordingsFolder(ini, dataDir);
    catalogue.recordingsDir = [wavDir] { return wavDir; };
    const QStringList earlier = SettingsStore::earlierRecordingsFolders(ini);
    catalogue.earlierRecordingsDirs = [earlier] { return earlier; };
}

// The state of a row's recording: its file in the recordings folder or an earlier one, under
// its name or, from an earlier version, its code.
RecordingFileState rowFileState(const Catalogue &catalogue, const Row &row)
{
    QStringList names;
    if (!row.file.isEmpty())
        names << row.file;
    if (!row.id.isEmpty() && !row.id.contains(QLatin1Char('/')) && row.id != QLatin1String("..") &&
        row.id != QLatin1String("."))
        names << row.id + QStringLiteral(".wav");
    for (const QString &name : std::as_const(names))
        for (const QString &folder : catalogue.recordingFolders())
            if (QFileInfo::exists(folder + name))
                return inspectRecordingFile(folder + name);
    return RecordingFileState::Missing;
}

// Both tables must open, and every row must lead to a recording.
int check(Catalogue &catalogue, const QString &dataDir, QTextStream &out, QTextStream &err)
{
    if (!openTables(catalogue, err))
        return Failed;
    useRecordingsFolders(catalogue, TIniFile(dataDir + QStringLiteral("/orv.ini")), dataDir);
    int broken = 0;
    forEachRow(catalogue, [&](const Row &r) {
        const RecordingFileState state = rowFileState(catalogue, r);
        if (state == RecordingFileState::Sound)
            return;
        ++broken;
        err << catalogue.CallsTbl.TableName() << ": the recording of " << r.date << ' ' << r.time
            << " in " << (r.folder.isEmpty() ? QStringLiteral("no folder") : r.folder) << ": "
            << (r.file.isEmpty() ? QStringLiteral("its file has no name")
                                 : r.file + QLatin1Char(' ') + recordingFileProblem(state))
            << Qt::endl;
    });
    catalogue.CallsTbl.setMasterSource(nullptr);
    for (TStoreTable *table : {&catalogue.CallsTbl, &catalogue.FoldersTbl})
        out << table->TableName() << ": " << table->RecordCount() << " records" << Qt::endl;
    return broken == 0 ? Ok : Failed;
}

// "90", "1:30" or "01:30" seconds.
int parseDuration(const QString &text, bool &ok)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\d{1,5}):)?(\\d{1,6})$"));
    const auto m = form.match(text.trimmed());
    ok = m.hasMatch();
    if (!ok)
        return 0;
    const int seconds = m.captured(2).toInt() + 60 * m.captured(1).toInt();
    ok = seconds >= 0 && seconds < 24 * 3600 * 7;
    return seconds;
}

// Whether a row of any folder names its recording's file name already.
bool fileNameTaken(const QString &dataDir, const QString &name, QTextStream &err)
{
    UnattendedMessageService messages;
    Catalogue probe(dataDir, messages, nullptr);
    if (!QFile::exists(probe.CallsTbl.tableFile()))
        return false;
    if (!openTables(probe, err))
        return true; // nothing is added to a table that cannot be read
    bool taken = false;
    forEachRow(probe, [&](const Row &r) { taken = taken || r.file == name; });
    return taken;
}

int add(Catalogue &catalogue, const QString &dataDir, const QStringList &args, QTextStream &out,
        QTextStream &err)
{
    QString folder = CatalogueSchema::GeneralFolder, memo, duration = QStringLiteral("0");
    QDate date = QDate::currentDate();
    QTime time = QTime::currentTime();
    for (int i = 0; i < args.size(); ++i) {
        const QString &option = args[i];
        if (i + 1 >= args.size())
            return mistake(err, option + QStringLiteral(" needs a value"));
        const QString &value = args[++i];
        if (option == QLatin1String("--folder")) {
            folder = value;
        } else if (option == QLatin1String("--date")) {
            date = QDate::fromString(value, Qt::ISODate);
        } else if (option == QLatin1String("--time")) {
            time = QTime::fromString(value, Qt::ISODate);
        } else if (option == QLatin1String("--duration")) {
            duration = value;
        } else if (option == QLatin1String("--memo")) {
            memo = value;
        } else {
            return mistake(err, QStringLiteral("unknown option ") + option);
        }
    }
    bool ok = false;
    const int seconds = parseDuration(duration, ok);
    if (!date.isValid() || !time.isValid() || !ok)
        return mistake(err, QStringLiteral("dates are written 2024-03-15, times 14:30:05, "
                                           "durations 90 or 1:30"));
    if (!catalogue.OpenCatalogue())
        return Failed;
    if (!catalogue.FoldersTbl.Locate(QStringLiteral("FolderName"), folder)) {
        err << "No folder named " << folder << Qt::endl;
        return Failed;
    }
    // A recording's file is named after its start: two rows of one name would share a file,
    // and deleting one would delete the other's sound.
    const QString name =
        QFileInfo(catalogue.recordingFilePathFor(QDateTime(date, time))).fileName();
    if (fileNameTaken(dataDir, name, err)) {
        err << "A recording named " << name << " exists already; give another --time" << Qt::endl;
        return Failed;
    }
    if (!catalogue.AddRecordingRow(QDateTime(date, time), seconds, memo))
        return Failed;
    out << catalogue.RecordingFileName() << ".wav" << Qt::endl;
    return Ok;
}

// A new folder at the top of the tree; the program's tree takes up a folder it does not hold.
int addFolder(Catalogue &catalogue, const QString &typed, QTextStream &out, QTextStream &err)
{
    const QString name = FolderTreeFile::storableName(typed);
    if (name.isEmpty()) {
        err << "A folder needs a name" << Qt::endl;
        return Usage;
    }
    if (!catalogue.OpenCatalogue())
        return Failed;
    if (catalogue.FoldersTbl.Locate(QStringLiteral("FolderName"), name)) {
        err << "A folder named " << name << " exists already" << Qt::endl;
        return Failed;
    }
    const QString code = catalogue.NewUniqueCode();
    catalogue.FoldersTbl.Append();
    catalogue.FoldersTbl.setFieldValue(QStringLiteral("FolderId"), code);
    catalogue.FoldersTbl.setFieldValue(QStringLiteral("FolderName"), name);
    catalogue.FoldersTbl.Post();
    if (!catalogue.saveTable(catalogue.FoldersTbl))
        return Failed;
    out << code << Qt::endl;
    return Ok;
}

// The retention rules of the Storage settings, now. A dry run only lists what would go; a run
// removes it (the user asked, so every rule that removes something counts as agreed) and
// writes each removal to the event log too. It needs the data directory to itself.
int retention(const QString &dataDir, const QStringList &args, QTextStream &out, QTextStream &err)
{
    const bool dryRun = args == QStringList{QStringLiteral("--dry-run")};
    if (!dryRun && !args.isEmpty())
        return mistake(err, QStringLiteral("retention takes only --dry-run"));
    DataDirLock lock(dataDir);
    if (!dryRun && !lock.acquire()) {
        err << "The data directory is in use by " << lock.holderText()
            << ", which applies the retention rules itself" << Qt::endl;
        return Failed;
    }
    TIniFile ini(dataDir + QStringLiteral("/orv.ini"));
    const StorageSettings settings = loadStorageSettings(ini);
    if (!settings.retention.any()) {
        out << "No retention rule is on" << Qt::endl;
        return Ok;
    }
    UnattendedMessageService messages;
    EventLog log(dataDir + QStringLiteral("/Events.log"));
    Catalogue catalogue(dataDir, messages, dryRun ? nullptr : &log);
    useRecordingsFolders(catalogue, ini, dataDir);
    if (dryRun ? !openTables(catalogue, err) : !catalogue.OpenCatalogue())
        return Failed;

    RetentionPass pass(catalogue, messages, [&](const QString &line) {
        log.appendLine(line);
        out << line << '\n';
    });
    const RetentionPlan &plan = pass.plan(settings.retention);
    for (const QString &shortfall : plan.shortfalls)
        out << shortfall << '\n';
    if (dryRun) {
        out << pass.summary() << '\n';
        for (const QString &line : pass.describeRemovals())
            out << "  " << line << '\n';
        out.flush();
        return Ok;
    }
    if (plan.empty()) {
        out << pass.summary() << Qt::endl;
        return Ok;
    }
    agreeRetentionRules(ini, plan.ruleNames());
    const qint64 bytes = plan.bytes;
    const int planned = int(plan.removals.size());
    const int removed = pass.apply();
    out << "Removed " << removed << " of " << planned << " recordings ("
        << RetentionPass::megabytes(bytes) << ")" << Qt::endl;
    return removed == planned ? Ok : Failed;
}

} // namespace

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

int run(const QString &dataDir, const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString command = args.value(0);
    UnattendedMessageService messages;
    Catalogue catalogue(dataDir, messages, nullptr);
    if (command == QLatin1String("list") && args.size() == 1)
        return list(catalogue, out, err);
    if (command == QLatin1String("export-csv") && args.size() == 2)
        return exportCsv(catalogue, args[1], err);
    if (command == QLatin1String("check") && args.size() == 1)
        return check(catalogue, dataDir, out, err);
    if (command == QLatin1String("add"))
        return add(catalogue, dataDir, args.mid(1), out, err);
    if (command == QLatin1String("add-folder") && args.size() == 2)
        return addFolder(catalogue, args[1], out, err);
    if (command == QLatin1String("retention"))
        return retention(dataDir, args.mid(1), out, err);
    if (command == QLatin1String("contacts")) {
        if (const std::optional<int> code = ContactsCommands::run(dataDir, args.mid(1), out, err))
            return *code;
    }
    if (command.isEmpty())
        return mistake(err, QStringLiteral("a command is needed"));
    if (const QString arguments = expectedArguments(command); !arguments.isEmpty())
        return mistake(err, command + QStringLiteral(" takes ") + arguments);
    return mistake(err, QStringLiteral("unknown command ") + command);
}

} // namespace CatalogueTool
