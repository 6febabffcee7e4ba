#include "GuardedTcpServer.h"

#include <QSslSocket>
#include <QTimer>
#include <memory>

namespace {

// Where one connection stands in its stream of requests.
struct RequestWatch
{
    QByteArray header; // the header section seen so far
    qint64 bodyLeft = 0;
};

void refuse(QTcpSocket *socket, int status, const QByteArray &reason, const QByteArray &text)
{
    // What is left unread stays unread; the answer goes and the connection ends.
    socket->readAll();
    const QByteArray body = "{\"error\":\"" + text + "\"}";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                  "\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

// The announced body size of a header section; -1 when it is not one plain number, -2 for a
// chunked (unannounced) body.
qint64 announcedBody(const QByteArray &head)
{
    qint64 length = 0;
    bool seen = false;
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "transfer-encoding")
            return -2;
        if (name == "content-length") {
            // Two lengths would let two readers see two different requests.
            if (seen)
                return -1;
            seen = true;
            bool ok = false;
            length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return -1;
        }
    }
    return length;
}

} // namespace

GuardedTcpServer::GuardedTcpServer(const Limits &limits, QObject *parent)
    : QTcpServer(parent), m_limits(limits)
{}

GuardedTcpServer::~GuardedTcpServer() = default;

void GuardedTcpServer::incomingConnection(qintptr handle)
{
    QTcpSocket *socket = nullptr;
    if (m_tls) {
        auto *ssl = new QSslSocket(this);
        ssl->setSslConfiguration(*m_tls);
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
    }
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    if (m_open >= m_limits.maxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    watchRequests(socket, idleTimer(socket));
    if (auto *ssl = qobject_cast<QSslSocket *>(socket))
        ssl->startServerEncryption();
    addPendingConnection(socket);
}

// Restarted by each whole request's headers and by each answer's progress: a client that
// trickles bytes without ever finishing a request does not keep the connection.
QTimer *GuardedTcpServer::idleTimer(QTcpSocket *socket) const
{
    auto *timer = new QTimer(socket);
    timer->setSingleShot(true);
    timer->setInterval(m_limits.idle);
    connect(timer, &QTimer::timeout, socket, &QTcpSocket::abort);
    connect(socket, &QTcpSocket::bytesWritten, timer, qOverload<>(&QTimer::start));
    timer->start();
    return timer;
}

void GuardedTcpServer::watchRequests(QTcpSocket *socket, QTimer *idle)
{
    // Connected before the HTTP server connects its own reader, so this look comes first.
    auto watch = std::make_shared<RequestWatch>();
    const qint64 maxBody = m_limits.maxBody, maxHeader = m_limits.maxHeader;
    connect(socket, &QTcpSocket::readyRead, socket, [socket, idle, watch, maxBody, maxHeader] {
        const QByteArray data = socket->peek(socket->bytesAvailable());
        qsizetype at = 0;
        while (at < data.size()) {
            if (watch->bodyLeft > 0) {
                const qint64 taken = std::min<qint64>(watch->bodyLeft, data.size() - at);
                watch->bodyLeft -= taken;
                at += taken;
                continue;
            }
            const QByteArray seen = watch->header + data.mid(at);
            const qsizetype end = seen.indexOf("\r\n\r\n");
            if (end < 0) {
                watch->header = seen;
                if (watch->header.size() > maxHeader)
                    refuse(socket, 431, "Request Header Fields Too Large",
                           "the request's headers are too large");
                return;
            }
            at += end + 4 - watch->header.size();
            watch->header.clear();
            idle->start();
            const qint64 body = announcedBody(seen.left(end));
            if (body == -2)
                return refuse(socket, 411, "Length Required",
                              "a request's body must announce its length");
            if (body < 0)
                return refuse(socket, 400, "Bad Request", "malformed Content-Length");
            if (body > maxBody)
                return refuse(socket, 413, "Payload Too Large", "the request is too large");
            watch->bodyLeft = body;
        }
    });
}
