#include "StatusFeed.h"

#include <QJsonDocument>
#include <QTcpSocket>
#include <algorithm>

namespace {

bool connected(const QPointer<QTcpSocket> &socket)
{
    return socket && socket->state() == QAbstractSocket::ConnectedState;
}

} // namespace

StatusFeed::StatusFeed(QObject *parent) : QObject(parent)
{
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &StatusFeed::pushStatus);
    // A comment line now and then: proxies and the browser keep the stream open, and a
    // listener that went away is noticed.
    m_keepAlive.setInterval(25000);
    connect(&m_keepAlive, &QTimer::timeout, this, [this] { sendToAll(": keep-alive\n\n"); });
    m_keepAlive.start();
}

StatusFeed::~StatusFeed()
{
    for (const Listener &listener : std::as_const(m_listeners))
        if (listener.socket)
            listener.socket->disconnectFromHost();
}

void StatusFeed::changed()
{
    pushStatus();
}

void StatusFeed::logLine(const QString &line)
{
    broadcast("log", QJsonObject{{QStringLiteral("line"), line}});
}

QJsonObject StatusFeed::status() const
{
    const State s = state ? state() : State{};
    const bool timed = s.recording && s.started.isValid();
    return QJsonObject{
        {QStringLiteral("modemOn"), s.modemOn},
        {QStringLiteral("recording"), s.recording},
        {QStringLiteral("caller"), s.recording ? s.caller : QString()},
        {QStringLiteral("elapsedSeconds"),
         timed ? std::max<qint64>(0, s.started.secsTo(clock())) : 0},
    };
}

int StatusFeed::listenerCount() const
{
    return int(std::count_if(m_listeners.cbegin(), m_listeners.cend(),
                             [](const Listener &l) { return connected(l.socket); }));
}

bool StatusFeed::addListener(QTcpSocket *socket, std::function<bool()> admitted)
{
    m_listeners.removeIf([](const Listener &l) { return !connected(l.socket); });
    if (m_listeners.size() >= MaxListeners)
        return false;
    // The pages open already are brought up to date first, so that all show the same.
    pushStatus();
    m_listeners.append({socket, std::move(admitted)});
    socket->write("retry: 2000\n");
    socket->write("event: status\ndata: " + QJsonDocument(m_sent).toJson(QJsonDocument::Compact) +
                  "\n\n");
    return true;
}

void StatusFeed::pushStatus()
{
    const QJsonObject now = status();
    // The clock of a call runs on while it is recorded, shown once a second.
    if (!now.value(QStringLiteral("recording")).toBool())
        m_tick.stop();
    else if (!m_tick.isActive())
        m_tick.start();
    if (now == m_sent)
        return;
    m_sent = now;
    broadcast("status", now);
}

void StatusFeed::broadcast(const QByteArray &event, const QJsonObject &data)
{
    // JSON in compact form holds no line break, so it is one data line.
    const QByteArray message = "event: " + event +
                               "\ndata: " + QJsonDocument(data).toJson(QJsonDocument::Compact) +
                               "\n\n";
    sendToAll(message);
}

void StatusFeed::sendToAll(const QByteArray &message)
{
    // Closed after the list is settled: closing a socket runs other code.
    QList<QPointer<QTcpSocket>> unread, refused;
    m_listeners.removeIf([&](const Listener &l) {
        if (!connected(l.socket))
            return true;
        if (l.socket->bytesToWrite() > MaxQueuedBytes) {
            unread.append(l.socket);
            return true;
        }
        if (l.admitted && !l.admitted()) {
            refused.append(l.socket);
            return true;
        }
        l.socket->write(message);
        return false;
    });
    for (const QPointer<QTcpSocket> &socket : std::as_const(unread))
        if (socket)
            socket->abort();
    for (const QPointer<QTcpSocket> &socket : std::as_const(refused))
        if (socket)
            socket->disconnectFromHost();
}
