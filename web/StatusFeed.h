// The live status line of the web page: whether the modem is on, the call being recorded
// (its caller and how long it runs) and new lines of the event log, pushed to every open page
// as Server-Sent Events. Everything the status says comes from one snapshot of the recorder's
// state, read afresh through the probe it is given whenever the recorder says that state
// changed; it knows nothing of the modem.
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

    // What the status line says, all of it at one moment.
    struct State
    {
        bool modemOn = false;
        bool recording = false; // a call is being recorded
        QString caller;         // of that call; empty without caller ID
        QDateTime started;      // of that call

        bool operator==(const State &) const = default;
    };

    // The recorder's state at the moment of the call; unset, the modem is off.
    std::function<State()> state;

    // The state the probe answers from may have changed: open pages are told when it did.
    void changed();
    void logLine(const QString &line);

    // {"modemOn", "recording", "caller", "elapsedSeconds"}, from one reading of the state.
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
    // Sends the status to every page unless it is the one sent last.
    void pushStatus();

    QJsonObject m_sent; // the status last sent to every page
    QTimer m_tick;      // once a second while a call is recorded
    QTimer m_keepAlive;
    QList<Listener> m_listeners;
};
