#include "LineFile.h"

#include <QFile>

namespace LineFile {

bool read(const QString &path, qint64 maxBytes, const QString &kind, QList<QByteArray> &lines,
          QString &why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return false;
    }
    if (file.size() > maxBytes) {
        why = QStringLiteral("too large for ") + kind;
        return false;
    }
    lines = file.readAll().split('\n');
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return false;
    }
    return true;
}

QString field(const QString &text, qsizetype maxLength)
{
    QString clean = text;
    for (QChar &c : clean)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return clean.simplified().left(maxLength);
}

} // namespace LineFile
