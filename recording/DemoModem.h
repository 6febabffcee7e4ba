// The demo: the virtual voice modem stands in for a real one, on a link in the demo data
// directory that COM1 points at, and rings with a caller's call again and again.
#pragma once

#include <QProcess>
#include <QString>

class TIniFile;

class DemoModem
{
public:
    DemoModem() = default;
    ~DemoModem();
    DemoModem(const DemoModem &) = delete;
    DemoModem &operator=(const DemoModem &) = delete;

    // The demo's call runs in real time unless this environment variable holds a factor (above
    // 0 and at most 1000) by which the virtual modem speeds up its rings and pauses (--pace) and
    // the caller's voice (--speed). The test of the demo sets it so that it does not sit through
    // the whole call; the recording is the same at any speed. Keep the rings at least 300 ms
    // apart (the scenario's 4 s cadence allows up to 13), or the ring span is not learnt.
    static constexpr const char *SpeedVariable = "CALVORA_DEMO_SPEED";

    // The data directory a demo uses unless one is given.
    static QString defaultDataDir();

    // Starts the virtual modem beside the program; false with error set when it cannot.
    bool start(const QString &dataDir, QString &error);
    // COM1 is the virtual modem; COM2..COM8 lead nowhere, so that discovery finds only it.
    void writePorts(TIniFile &ini) const;

    const QString &linkPath() const { return m_link; }

private:
    QProcess m_process;
    QString m_link;
    QString m_dataDir;
};
