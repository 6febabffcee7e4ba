// Reading a contacts file (vCard) for the caller directory, and saying what an import of it
// did; the window and calvora-catalogue import the same way.
#pragma once

#include "callers/CallerDirectory.h"
#include "callers/VCardReader.h"

#include <QString>

namespace ContactsFile {

// An address book of a hundred thousand cards with photos stays below this; more is not one.
constexpr qint64 MaxSize = 256 * 1024 * 1024;

struct Read
{
    VCardReader::Result cards;
    QString error; // empty when the file was read and holds at least one card
};

Read read(const QString &path);

// "2 callers added, 1 given more numbers, 0 already known" and the cards left out.
QString summary(const CallerDirectory::ImportCounts &counts, int skipped);

} // namespace ContactsFile
