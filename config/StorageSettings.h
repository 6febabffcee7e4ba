// What the settings' Storage page keeps beyond the recordings folder: the longest a
// recording may last and the retention rules. They live in sections of our own, [Storage]
// and [Storage folders], so that the keys other programs know keep their meaning; every
// value is off until the user sets it, and nothing is written before.
#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

class TIniFile;

// One set of limits; 0 means the limit is off.
struct RetentionLimits
{
    int maxDays = 0; // recordings older than this many days go
    int maxMB = 0;   // the oldest recordings go while together they take more

    bool any() const { return maxDays > 0 || maxMB > 0; }
    bool operator==(const RetentionLimits &) const = default;
};

// How a folder of the catalogue (by its code) takes part.
struct FolderRetention
{
    enum class Mode
    {
        Shared,   // the limits for all folders apply (the default)
        Own,      // its own limits, over its own recordings
        Excluded, // no rule removes anything from it
    };
    Mode mode = Mode::Shared;
    RetentionLimits limits; // for Own

    bool operator==(const FolderRetention &) const = default;
};

struct RetentionRules
{
    // Over the recordings of every Shared folder together.
    RetentionLimits all;
    // Free space the recordings' disk keeps; 0 is off.
    int minFreeMB = 0;
    QHash<QString, FolderRetention> folders; // Shared folders need no entry

    FolderRetention folder(const QString &code) const { return folders.value(code); }
    // Any rule is on, for any folder.
    bool any() const;
    bool operator==(const RetentionRules &) const = default;
};

struct StorageSettings
{
    // Recordings stop after this many minutes; 0 is off.
    int maxRecordingMinutes = 0;
    RetentionRules retention;

    static constexpr int MaxMinutes = 24 * 60;
    static constexpr int MaxDays = 100 * 366;
    static constexpr int MaxMB = 100 * 1024 * 1024; // 100 TB

    bool operator==(const StorageSettings &) const = default;
};

// Values out of range are brought into it; a missing key is off.
StorageSettings loadStorageSettings(const TIniFile &ini);
// Writes both sections anew.
void saveStorageSettings(TIniFile &ini, const StorageSettings &settings);

// The rules ("age", "size", "free") the user has agreed may remove recordings: before a rule
// removes anything for the first time, the user sees what it would remove and agrees.
QStringList agreedRetentionRules(const TIniFile &ini);
void agreeRetentionRules(TIniFile &ini, const QStringList &rules);

// The day retention last ran, so that it runs once a day also across restarts.
QDate lastRetentionDay(const TIniFile &ini);
void setLastRetentionDay(TIniFile &ini, const QDate &day);
