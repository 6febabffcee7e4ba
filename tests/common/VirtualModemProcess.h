// The virtual modem program run by a test: started with QProcess, its pseudo-terminal path
// read from the first line it prints, further script steps written to its standard input.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class VirtualModemProcess
{
public:
    ~VirtualModemProcess();

    // Starts calvora-vmodem with args; true once it printed its terminal's path.
    bool start(const QStringList &args);
    const QString &path() const { return m_path; }

    // Adds a script step ("ring", "cid NMBR=1", "exit", ...).
    void step(const QString &line);
    // What it logged so far ("<< command" for each command received).
    QString log();
    // Waits until the program ended by itself.
    bool waitForExit(int ms);

    static QString program();

private:
    QProcess m_process;
    QString m_path;
    QString m_log;
};
