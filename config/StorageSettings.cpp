// The Storage page's sections of orv.ini.
#include "StorageSettings.h"

#include "TIniFile.h"

#include <algorithm>

namespace {

const QString Storage = QStringLiteral("Storage");
const QString StorageFolders = QStringLiteral("Storage folders");
const QString MaxRecordingMinutes = QStringLiteral("MaxRecordingMinutes");
const QString KeepDays = QStringLiteral("KeepDays");
const QString MaxFolderMB = QStringLiteral("MaxFolderMB");
const QString MinFreeMB = QStringLiteral("MinFreeMB");
const QString AgreedRules = QStringLiteral("AgreedRules");
const QString LastRetention = QStringLiteral("LastRetention");
const QString Excluded = QStringLiteral("excluded");

int bounded(int value, int max)
{
    return std::clamp(value, 0, max);
}

// "<code>,excluded", or "<code>,<days>,<MB>" for a folder's own limits. Codes differ in
// letter case, which the file's keys do not, so they are values under numbered keys.
FolderRetention parseFolder(const QStringList &parts)
{
    FolderRetention f;
    if (parts.size() == 2 && parts[1].trimmed().compare(Excluded, Qt::CaseInsensitive) == 0) {
        f.mode = FolderRetention::Mode::Excluded;
        return f;
    }
    if (parts.size() != 3)
        return f;
    bool daysOk = false, mbOk = false;
    const int days = parts[1].trimmed().toInt(&daysOk);
    const int mb = parts[2].trimmed().toInt(&mbOk);
    if (!daysOk || !mbOk)
        return f;
    f.mode = FolderRetention::Mode::Own;
    f.limits = {bounded(days, StorageSettings::MaxDays), bounded(mb, StorageSettings::MaxMB)};
    return f;
}

// Folder codes are letters and digits; anything else cannot be a key of the file.
bool isCode(const QString &code)
{
    return !code.isEmpty() && code.size() <= 20 &&
           std::all_of(code.begin(), code.end(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

} // namespace

bool RetentionRules::any() const
{
    if (minFreeMB > 0)
        return true;
    for (const FolderRetention &f : folders)
        if (f.mode == FolderRetention::Mode::Own && f.limits.any())
            return true;
    // Folders without an entry share the limits.
    return all.any();
}

StorageSettings loadStorageSettings(const TIniFile &ini)
{
    StorageSettings s;
    s.maxRecordingMinutes =
        bounded(ini.ReadInteger(Storage, MaxRecordingMinutes, 0), StorageSettings::MaxMinutes);
    s.retention.all.maxDays =
        bounded(ini.ReadInteger(Storage, KeepDays, 0), StorageSettings::MaxDays);
    s.retention.all.maxMB =
        bounded(ini.ReadInteger(Storage, MaxFolderMB, 0), StorageSettings::MaxMB);
    s.retention.minFreeMB = bounded(ini.ReadInteger(Storage, MinFreeMB, 0), StorageSettings::MaxMB);
    for (const QString &key : ini.readSection(StorageFolders)) {
        const QStringList parts =
            ini.ReadString(StorageFolders, key, QString()).split(QLatin1Char(','));
        const QString code = parts.value(0).trimmed();
        if (!isCode(code))
            continue;
        const FolderRetention f = parseFolder(parts);
        if (f.mode != FolderRetention::Mode::Shared)
            s.retention.folders.insert(code, f);
    }
    return s;
}

void saveStorageSettings(TIniFile &ini, const StorageSettings &s)
{
    ini.WriteInteger(Storage, MaxRecordingMinutes, s.maxRecordingMinutes);
    ini.WriteInteger(Storage, KeepDays, s.retention.all.maxDays);
    ini.WriteInteger(Storage, MaxFolderMB, s.retention.all.maxMB);
    ini.WriteInteger(Storage, MinFreeMB, s.retention.minFreeMB);
    ini.EraseSection(StorageFolders);
    QStringList codes = s.retention.folders.keys();
    codes.sort();
    int key = 0;
    for (const QString &code : codes) {
        const FolderRetention &f = s.retention.folders[code];
        if (!isCode(code) || f.mode == FolderRetention::Mode::Shared)
            continue;
        ini.WriteString(
            StorageFolders, QString::number(++key),
            code + QLatin1Char(',') +
                (f.mode == FolderRetention::Mode::Excluded
                     ? Excluded
                     : QStringLiteral("%1,%2").arg(f.limits.maxDays).arg(f.limits.maxMB)));
    }
}

QStringList agreedRetentionRules(const TIniFile &ini)
{
    return ini.ReadString(Storage, AgreedRules, QString())
        .split(QLatin1Char(','), Qt::SkipEmptyParts);
}

void agreeRetentionRules(TIniFile &ini, const QStringList &rules)
{
    QStringList agreed = agreedRetentionRules(ini);
    for (const QString &rule : rules)
        if (!agreed.contains(rule))
            agreed << rule;
    agreed.sort();
    ini.WriteString(Storage, AgreedRules, agreed.join(QLatin1Char(',')));
}

QDate lastRetentionDay(const TIniFile &ini)
{
    return QDate::fromString(ini.ReadString(Storage, LastRetention, QString()), Qt::ISODate);
}

void setLastRetentionDay(TIniFile &ini, const QDate &day)
{
    ini.WriteString(Storage, LastRetention, day.toString(Qt::ISODate));
}
