// Brings the modem back when it went away: a USB modem unplugged and plugged in again, a
// device that vanished in the middle of a call, a port that could not be reopened after a
// recording. The port is tried again with growing pauses until it opens, without asking
// anybody, so that an unattended recorder records the next call on its own.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class EventLog;
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

    // While this holds (a recording runs), a due try is put off by one pause.
    std::function<bool()> busy;

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

    TfmModem &m_modem;
    std::function<int()> m_portNumber;
    EventLog &m_log;
    QTimer m_retry;
    int m_pauseMs = FirstPauseMs;
    int m_tries = 0;
};
