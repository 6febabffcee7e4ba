// Starting the program with the desktop session: an XDG autostart entry
// (~/.config/autostart/calvora.desktop) that runs this program with a parameter.
#pragma once

#include <QString>

class StartupRegistrar final
{
public:
    // autostartDir: where the entry goes. program: the program's full path. dataDir: passed as
    // --data-dir, unless empty (the program's default data directory).
    StartupRegistrar(QString autostartDir, QString program, QString dataDir);

    // The desktop's autostart folder ($XDG_CONFIG_HOME/autostart).
    static QString defaultAutostartDir();
    static inline const QString EntryName = QStringLiteral("calvora.desktop");

    // Writes the entry, its command ending in parameter. False when it could not be written;
    // an entry written before is then left as it was.
    bool Start(const QString &parameter);
    // Removes the entry; true also when there was none.
    bool Stop();

    bool enabled() const { return m_enabled; }
    QString entryPath() const;
    // The Exec line's value: the program, the parameter and the data directory, quoted as
    // desktop entries require.
    QString execLine() const;

private:
    bool update();

    QString m_autostartDir;
    QString m_program;
    QString m_dataDir;
    QString m_parameter;
    bool m_enabled = false;
};
