// The web page's listening socket. Qt's HTTP server reads a request's whole body before it
// hands the request on, so a request that announces a large body (or a chunked one, whose
// size is not announced, or headers without end) is answered here, at its headers, with a
// 4xx and the connection closed: nothing of it is read into memory. It also starts TLS on
// each connection when a certificate is given.
#pragma once

#include <QSslConfiguration>
#include <QTcpServer>
#include <optional>

class GuardedTcpServer final : public QTcpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GuardedTcpServer)

public:
    // maxBody: the largest body accepted; maxHeader: the largest header section.
    GuardedTcpServer(qint64 maxBody, qint64 maxHeader, QObject *parent = nullptr);
    ~GuardedTcpServer() override;

    void setTls(const QSslConfiguration &configuration) { m_tls = configuration; }

protected:
    void incomingConnection(qintptr handle) override;

private:
    qint64 m_maxBody;
    qint64 m_maxHeader;
    std::optional<QSslConfiguration> m_tls;
};
