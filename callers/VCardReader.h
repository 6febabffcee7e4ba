// Reading contacts from vCard files (.vcf) as phones and desktop address books export them:
// versions 2.1, 3.0 and 4.0, folded lines, quoted-printable values, several numbers per card.
// Only what the caller directory needs is kept: a name, the card's telephone numbers and its
// groups.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace VCardReader {

// A name or a number longer than this is cut; nobody's name or number is that long, and it
// keeps a hostile file from filling the directory with megabytes per entry.
constexpr qsizetype MaxTextLength = 200;
// Numbers kept of one card; more are passed over.
constexpr qsizetype MaxNumbersPerCard = 100;
// Groups kept of one card (its CATEGORIES); more are passed over.
constexpr qsizetype MaxGroupsPerCard = 20;

struct Contact
{
    QString name;            // from FN, else N, else ORG
    QStringList numbers;     // TEL values as written (a "tel:" URI gives its number), no repeats
    QStringList groups = {}; // CATEGORIES, without repeats (regardless of case)
};

struct Result
{
    QList<Contact> contacts; // cards with a name and at least one number, in file order
    int skipped = 0;         // cards without a name or without a number
};

// Reads every card of a file's content. Never fails: text that is not a card is passed over.
Result read(const QByteArray &content);

} // namespace VCardReader
