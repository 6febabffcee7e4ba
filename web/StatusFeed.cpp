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

void StatusFeed::setCaller(const QString &caller)
{
    m_caller = caller;
    pushStatus();
}

void StatusFeed::recordingStarted()
{
    m_started = clock();
    m_tick.start();
    pushStatus();
}

void StatusFeed::recordingStopped()
{
    m_caller.clear();
    m_tick.stop();
    pushStatus();
}

void StatusFeed::logLine(const QString &line)
{
    broadcast("log", QJsonObject{{QStringLiteral("line"), line}});
}

QJsonObject StatusFeed::status() const
{
    const bool now = isRecording();
    return QJsonObject{
        {QStringLiteral("modemOn"), modemOn && modemOn()},
        {QStringLiteral("recording"), now},
        {QStringLiteral("caller"), now ? m_caller : QString()},
        {QStringLiteral("elapsedSeconds"),
         now && m_started.isValid() ? m_started.secsTo(clock()) : 0},
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
    m_listeners.append({socket, std::move(admitted)});
    QJsonObject first = status();
    socket->write("retry: 2000\n");
    socket->write("event: status\ndata: " + QJsonDocument(first).toJson(QJsonDocument::Compact) +
                  "\n\n");
    return true;
}

void StatusFeed::pushStatus()
{
    broadcast("status", status());
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
