// The virtual modem program run by a test: its pseudo-terminal's path is the first line it
// prints; what it logged tells which commands arrived.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class VmodemProcess
{
public:
    ~VmodemProcess();

    // Starts calvora-vmodem with args; true once it printed its terminal's path.
    bool start(const QStringList &args);
    const QString &path() const { return m_path; }
    // Everything it logged so far ("<< ATZ" for each command received).
    QString log();

private:
    QProcess m_process;
    QString m_path;
    QString m_log;
};
