#include "SharedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString installedDir()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/calvora"));
}

} // namespace

namespace SharedFiles {

bool installed()
{
    return QFileInfo(installedDir()).isDir();
}

QString dir()
{
    return installed() ? installedDir() : QCoreApplication::applicationDirPath();
}

QString path(const QString &name)
{
    return dir() + QLatin1Char('/') + name;
}

} // namespace SharedFiles
