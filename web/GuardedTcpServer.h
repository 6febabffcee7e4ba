// The web page's listening socket. Qt's HTTP server reads a request's whole body before it
// hands the request on, so a request that announces a large body (or a chunked one, whose
// size is not announced, or headers without end) is answered here, at its headers, with a
// 4xx and the connection closed: nothing of it is read into memory. It also starts TLS on
// each connection when a certificate is given.
//
// The server shares its process with the recorder, so a client must not be able to take the
// descriptors a call needs: connections are capped, and one that sends no whole request and
// receives nothing for the idle time is closed (a header sent a byte at a time included).
#pragma once

#include <QSslConfiguration>
#include <QTcpServer>
#include <chrono>
#include <optional>

class QTimer;

class GuardedTcpServer final : public QTcpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GuardedTcpServer)

public:
    struct Limits
    {
        qint64 maxBody;   // the largest body accepted
        qint64 maxHeader; // the largest header section
        int maxConnections;
        std::chrono::milliseconds idle;
    };

    explicit GuardedTcpServer(const Limits &limits, QObject *parent = nullptr);
    ~GuardedTcpServer() override;

    void setTls(const QSslConfiguration &configuration) { m_tls = configuration; }

protected:
    void incomingConnection(qintptr handle) override;

private:
    QTimer *idleTimer(QTcpSocket *socket) const;
    void watchRequests(QTcpSocket *socket, QTimer *idle);

    Limits m_limits;
    int m_open = 0;
    std::optional<QSslConfiguration> m_tls;
};
