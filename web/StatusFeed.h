// The live status line of the web page: whether the modem is on, the call being recorded
// (its caller and how long it runs) and new lines of the event log, pushed to every open page
// as Server-Sent Events. It asks the recorder's own state through the probes it is given, and
// the recorder tells it when that state changed; it knows nothing of the modem.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QTcpSocket;

class StatusFeed final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusFeed)

public:
    // Open pages beyond this many are refused (each holds a connection).
    static constexpr int MaxListeners = 32;
    // A page with this much of its events not yet taken is closed: a client that stops
    // reading must not make the recorder hold its events without end.
    static constexpr qint64 MaxQueuedBytes = 1024 * 1024;

    explicit StatusFeed(QObject *parent = nullptr);
    ~StatusFeed() override;

    // The recorder's state; unset, false.
    std::function<bool()> modemOn;
    std::function<bool()> recording;

    // The state the probes answer from changed.
    void changed();
    void setCaller(const QString &caller);
    void recordingStarted();
    void recordingStopped();
    void logLine(const QString &line);

    // {"modemOn", "recording", "caller", "elapsedSeconds"}.
    QJsonObject status() const;

    // The socket's response headers have been sent; it receives the events from now on, as
    // long as admitted() says so (it is asked before each event; the session it was opened
    // with may end). False when there are too many listeners already.
    bool addListener(QTcpSocket *socket, std::function<bool()> admitted);
    // The pages whose connections are open.
    int listenerCount() const;

    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };

private:
    struct Listener
    {
        QPointer<QTcpSocket> socket;
        std::function<bool()> admitted;
    };

    void broadcast(const QByteArray &event, const QJsonObject &data);
    // Writes message to every listener still admitted and reading; closes the others.
    void sendToAll(const QByteArray &message);
    void pushStatus();

    bool isRecording() const { return recording && recording(); }

    QString m_caller;
    QDateTime m_started;
    QTimer m_tick; // once a second while a call is recorded
    QTimer m_keepAlive;
    QList<Listener> m_listeners;
};
