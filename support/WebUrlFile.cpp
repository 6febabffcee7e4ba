#include "WebUrlFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

namespace WebUrlFile {

bool write(const QString &dataDir, const QString &url)
{
    QSaveFile file(QDir(dataDir).filePath(FileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(url.toUtf8() + '\n');
    return file.commit();
}

void remove(const QString &dataDir)
{
    QFile::remove(QDir(dataDir).filePath(FileName));
}

QString read(const QString &dataDir)
{
    QFile file(QDir(dataDir).filePath(FileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QUrl url(QString::fromUtf8(file.read(512)).trimmed(), QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return {};
    return url.toString();
}

} // namespace WebUrlFile
