// Brings the modem back when it went away: a USB modem unplugged and plugged in again, a
// device that vanished in the middle of a call, a port that could not be reopened after a
// recording, a modem that stopped answering (USB voice modems are known to after days). The port is
// tried again with growing pauses until it opens, without asking anybody, so that an unattended
// recorder records the next call on its own.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class EventLog;
class TIniFile;
class TfmModem;

class ModemWatchdog final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModemWatchdog)

public:
    static constexpr int FirstPauseMs = 1000;
    static constexpr int LongestPauseMs = 5 * 60 * 1000;

    // portNumber is read at each try (the configured COM number).
    ModemWatchdog(TfmModem &modem, std::function<int()> portNumber, EventLog &log,
                  QObject *parent = nullptr);

    // While this holds (a recording runs), a due try or check is put off.
    std::function<bool()> busy;
    // Seconds between checks that an idle modem still answers (0: no checks); read before
    // each check, so that a changed setting takes effect at the next one.
    std::function<int()> checkSeconds;

    // Where a USB modem's stable links are (/dev/serial/by-id). A modem that comes back
    // under another device name but the same link is taken up there.
    void followLinksIn(TIniFile *ini, const QString &byIdDir);

    // Starts the checks of an idle modem: "AT" must be answered "OK", else the port is closed
    // and reopened. A ring or a call always goes first.
    void startChecks();

    // Starts trying to reopen the port, the first time after FirstPauseMs. Nothing when
    // tries already run. The pauses are scaled by Waits' time scale.
    void reopenSoon();
    void stop();
    bool reopening() const { return m_retry.isActive(); }

signals:
    // The port is open and the modem initialised and re-armed again.
    void reopened();

private:
    void tryReopen();
    void armCheck();
    void checkModem();
    void rememberLink();
    void followLink(int port);

    TfmModem &m_modem;
    std::function<int()> m_portNumber;
    EventLog &m_log;
    QTimer m_retry;
    QTimer m_check;
    TIniFile *m_ini = nullptr;
    QString m_byIdDir;
    QString m_linkName; // the by-id link of the device last opened
    int m_pauseMs = FirstPauseMs;
    int m_tries = 0;
};
