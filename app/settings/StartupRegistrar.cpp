// The entry is written through a temporary file, so that a full disk leaves an older entry
// whole rather than a half-written one the session would misread.
#include "StartupRegistrar.h"

#include "app/AppInfo.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
// An argument of an Exec key: quoted when it holds a reserved character, with the characters
// that keep their meaning inside quotes escaped; "%" is doubled, as field codes use it.
QString execArgument(const QString &arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted;
    bool needsQuotes = arg.isEmpty();
    for (const QChar c : arg) {
        if (reserved.contains(c))
            needsQuotes = true;
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    return needsQuotes ? QLatin1Char('"') + quoted + QLatin1Char('"') : quoted;
}

// A desktop entry's string value escapes backslashes and line breaks once more.
QString entryValue(const QString &text)
{
    QString value = text;
    value.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    value.replace(QLatin1String("\n"), QLatin1String("\\n"));
    return value;
}
} // namespace

StartupRegistrar::StartupRegistrar(QString autostartDir, QString program, QString dataDir)
    : m_autostartDir(std::move(autostartDir)), m_program(std::move(program)),
      m_dataDir(std::move(dataDir))
{}

QString StartupRegistrar::defaultAutostartDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString StartupRegistrar::entryPath() const
{
    return m_autostartDir + QLatin1Char('/') + EntryName;
}

QString StartupRegistrar::execLine() const
{
    QStringList args = {execArgument(m_program)};
    if (!m_parameter.isEmpty())
        args << execArgument(m_parameter);
    if (!m_dataDir.isEmpty())
        args << QStringLiteral("--data-dir") << execArgument(m_dataDir);
    return args.join(QLatin1Char(' '));
}

bool StartupRegistrar::Start(const QString &parameter)
{
    m_parameter = parameter;
    m_enabled = true;
    return update();
}

bool StartupRegistrar::Stop()
{
    m_enabled = false;
    return update();
}

bool StartupRegistrar::update()
{
    if (!m_enabled)
        return !QFile::exists(entryPath()) || QFile::remove(entryPath());
    if (!QDir().mkpath(m_autostartDir))
        return false;
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Comment=Telephone call recorder\n"
                                         "Exec=%2\n"
                                         "Icon=calvora\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(entryValue(AppInfo::ProductName), entryValue(execLine()));
    file.write(entry.toUtf8());
    return file.commit();
}
