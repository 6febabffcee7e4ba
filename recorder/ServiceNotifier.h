// What systemd learns of a recorder it started as a notify service: that it is ready, what it
// is doing (the status line of `systemctl status`), that its event loop still runs (the
// watchdog) and that it is ending. Started any other way (no NOTIFY_SOCKET) it says nothing.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

class RecorderSession;

class ServiceNotifier final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServiceNotifier)

public:
    // Starts the watchdog's beat when systemd asked for one.
    explicit ServiceNotifier(RecorderSession &session, QObject *parent = nullptr);

    // The modem is armed, or the recorder knows none is there and waits for one.
    void ready();
    // The program is ending (a signal came).
    void stopping();

    // The status systemd shows, from the modem, the recording and the last call.
    QString statusText() const;

private:
    void updateStatus();
    void send(const QByteArray &state);

    RecorderSession &m_session;
    QTimer m_watchdog;
    QDateTime m_lastCall;
    QString m_sentStatus;
    bool m_ready = false;
};
