#include "StatusFeed.h"

#include <QJsonDocument>
#include <QTcpSocket>

StatusFeed::StatusFeed(QObject *parent) : QObject(parent)
{
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &StatusFeed::pushStatus);
    // A comment line now and then: proxies and the browser keep the stream open, and a
    // listener that went away is noticed.
    m_keepAlive.setInterval(25000);
    connect(&m_keepAlive, &QTimer::timeout, this, [this] {
        for (const QPointer<QTcpSocket> &socket : std::as_const(m_listeners))
            if (socket)
                socket->write(": keep-alive\n\n");
    });
    m_keepAlive.start();
}

StatusFeed::~StatusFeed()
{
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_listeners))
        if (socket)
            socket->disconnectFromHost();
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

bool StatusFeed::addListener(QTcpSocket *socket)
{
    m_listeners.removeAll(QPointer<QTcpSocket>());
    if (m_listeners.size() >= MaxListeners)
        return false;
    m_listeners.append(socket);
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
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_listeners))
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            socket->write(message);
    m_listeners.removeAll(QPointer<QTcpSocket>());
}
