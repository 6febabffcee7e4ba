// E-mail of recordings: their WAV files attached to a message that opens in the user's mail
// program, with a short greeting as the body.
#pragma once

#include <QString>
#include <QStringList>

class Catalogue;
class TMAPIMail;

// "Hello,\n\n\nRecorded with " + product + "\n" + web page + "\n".
QString recordingsMailBody(const QString &productName, const QString &webAddress);

// The WAV files of the listed recordings (row codes) of the list shown, in the order given:
// a code whose row is no longer in the list and a row whose file is missing are skipped.
// Files kept under an older name get their current one first. The current row stays current.
QStringList recordingFiles(Catalogue &catalogue, const QStringList &ids);

// Empties the attachments, sets body, attaches recordingFiles(ids) and sends; the mail
// program's compose window then takes over. The program directory is made current again
// afterwards. Returns the send's result code (the caller does not report it).
int emailRecordings(Catalogue &catalogue, TMAPIMail &mail, const QStringList &ids,
                    const QString &body, const QString &programDir);
