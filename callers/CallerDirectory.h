// The caller directory: names for callers' numbers, imported from the user's contacts, kept in
// a file of its own in the data directory and looked up when a call's caller ID arrives.
#pragma once

#include "callers/VCardReader.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct CallerEntry
{
    QString name;
    QStringList numbers;     // as the user wrote them
    QStringList groups = {}; // the contact's groups ("Family", "Work"), without repeats
};

class CallerDirectory final
{
public:
    // The file in the data directory that holds the directory and its home country.
    static QString fileName();

    explicit CallerDirectory(const QString &dataDir);

    QString filePath() const;

    // Reads the file; a missing file is an empty directory. False, with error() saying why,
    // when the file cannot be read or is not a caller directory: the directory is then empty
    // and save() refuses, so that the file is never replaced by what could not be read.
    bool load();
    // Writes the file safely (the old one stays whole when this fails). False with error().
    bool save();
    QString error() const { return m_error; }

    // The region numbers without a country code belong to: the setting, else the system's.
    QString homeCountry() const;
    // The setting alone; empty when the system's country is used.
    QString homeCountrySetting() const { return m_homeCountry; }
    // code: a region code ("GB"), or empty for the system's. False for a code libphonenumber
    // does not know; the setting is then unchanged.
    bool setHomeCountry(const QString &code);

    const QList<CallerEntry> &entries() const { return m_entries; }

    struct ImportCounts
    {
        int added = 0;     // new entries
        int extended = 0;  // entries of the same name that gained numbers
        int unchanged = 0; // contacts that brought no new number (or no name)
    };
    // Adds contacts: numbers the directory knows are left out, a contact whose name is an
    // entry's gets its new numbers and groups there, any other becomes an entry. Importing one
    // file twice changes nothing the second time.
    ImportCounts import(const QList<VCardReader::Contact> &contacts);

    // Puts entry in place of the entry at index at, or adds it when at is -1. The name, numbers
    // and groups are cleaned as the file keeps them and repeats dropped. Empty when done,
    // else why it was refused (the directory is then unchanged): no name, no number, a
    // number without a digit, or a number another entry holds.
    QString setEntry(int at, const CallerEntry &entry);
    void removeEntry(int at);

    // The index of the entry holding number (written in any form), -1 when none does.
    int find(const QString &number) const;

    // The name to show for a caller-ID number: "Withheld" or "Unavailable" for those callers,
    // the entry's name for a number in the directory, empty for any other.
    QString callerName(const QString &callerIdNumber) const;

private:
    void index(int entry);
    void rebuildIndex();

    QString m_dataDir;
    QString m_homeCountry;
    QString m_error;
    bool m_unreadable = false;
    QList<CallerEntry> m_entries;
    QHash<QString, int> m_byKey; // number key -> entry; the first entry holding it wins
};
