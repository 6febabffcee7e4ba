// The attachments of a recordings mail come from the rows of the list shown.
#include "RecordingMail.h"

#include "TMAPIMail.h"
#include "catalogue/Catalogue.h"

#include <QDir>
#include <QFileInfo>

QString recordingsMailBody(const QString &productName, const QString &webAddress)
{
    return QStringLiteral("Hello,\n\n\nRecorded with ") + productName + QLatin1Char('\n') +
           webAddress + QLatin1Char('\n');
}

QStringList recordingFiles(Catalogue &catalogue, const QStringList &ids)
{
    TStoreTable &calls = catalogue.CallsTbl;
    if (!calls.Active() || calls.RecordCount() == 0)
        return {};
    const QString idField = QStringLiteral("id");
    const QString current = calls.FieldValues(idField).toString();
    QStringList files;
    for (const QString &id : ids) {
        try {
            if (!calls.Locate(idField, id))
                continue;
        } catch (const StoreError &) {
            continue;
        }
        catalogue.RenameLegacyFile();
        const QString path = catalogue.recordingFilePath();
        if (!path.isEmpty() && QFileInfo(path).isFile() && !files.contains(path))
            files << QFileInfo(path).absoluteFilePath();
    }
    try {
        calls.Locate(idField, current);
    } catch (const StoreError &) {
    }
    return files;
}

int emailRecordings(Catalogue &catalogue, TMAPIMail &mail, const QStringList &ids,
                    const QString &body, const QString &programDir)
{
    mail.Attachments.clear();
    mail.AttachmentNames.clear();
    mail.Body = body;
    QDir::setCurrent(programDir);
    mail.Attachments = recordingFiles(catalogue, ids);
    mail.Send();
    QDir::setCurrent(programDir);
    return mail.lastResult();
}
