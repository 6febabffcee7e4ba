#include "ContactsFile.h"

#include <QFile>

namespace ContactsFile {

Read read(const QString &path)
{
    Read result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    if (file.size() > MaxSize) {
        result.error = QStringLiteral("Cannot read %1: too large for a contacts file").arg(path);
        return result;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    result.cards = VCardReader::read(content);
    if (result.cards.contacts.isEmpty() && result.cards.skipped == 0)
        result.error = QStringLiteral("%1 holds no vCard contacts").arg(path);
    return result;
}

QString summary(const CallerDirectory::ImportCounts &counts, int skipped)
{
    QString text = QStringLiteral("%1 callers added, %2 given more numbers, %3 already known")
                       .arg(counts.added)
                       .arg(counts.extended)
                       .arg(counts.unchanged);
    if (skipped > 0)
        text += QStringLiteral(", %1 cards without a name or a number left out").arg(skipped);
    return text;
}

} // namespace ContactsFile
