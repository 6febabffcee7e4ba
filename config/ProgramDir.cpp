// Locating and entering the data directory.
#include "ProgramDir.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString g_path;
}

namespace ProgramDir {

QString resolve(const QString &commandLineDir)
{
    if (!commandLineDir.isEmpty())
        return QDir(commandLineDir).absolutePath();
    const QString home = qEnvironmentVariable("CALVORA_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    return defaultPath();
}

QString defaultPath()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).absoluteFilePath(QStringLiteral("calvora"));
}

bool prepare(const QString &dir)
{
    const bool ok = QDir().mkpath(dir) && QDir::setCurrent(dir);
    g_path = QDir::currentPath();
    return ok;
}

QString path()
{
    return g_path.isEmpty() ? QDir::currentPath() : g_path;
}

QString file(const QString &name)
{
    return path() + QLatin1Char('/') + name;
}

} // namespace ProgramDir
