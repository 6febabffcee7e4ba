// A client that sends HTTP requests byte for byte as written (malformed ones too) over a real
// socket, and reads the answer while the server, in this thread, runs in the event loop.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QTcpSocket>
#include <QTest>

struct RawHttpResponse
{
    int status = 0;                       // 0: no answer
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
};

class RawHttpClient
{
public:
    explicit RawHttpClient(quint16 port) : m_port(port) {}

    // Sends raw as it is on a new connection and reads one answer (its Content-Length's
    // worth of body, or up to bodyLimit bytes when it has none).
    RawHttpResponse send(const QByteArray &raw, qint64 bodyLimit = 1 << 20, int timeoutMs = 10000)
    {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
        if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                             timeoutMs))
            return {};
        socket.write(raw);
        RawHttpResponse r;
        QByteArray data;
        qsizetype headerEnd = -1;
        qint64 length = -1;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            QTest::qWait(5);
            data += socket.readAll();
            if (headerEnd < 0 && (headerEnd = data.indexOf("\r\n\r\n")) >= 0) {
                const QList<QByteArray> lines = data.left(headerEnd).split('\n');
                const QList<QByteArray> statusLine = lines.value(0).split(' ');
                r.status = statusLine.value(1).toInt();
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const qsizetype colon = lines[i].indexOf(':');
                    if (colon > 0)
                        r.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                         lines[i].mid(colon + 1).trimmed());
                }
                const QByteArray cl = r.header("Content-Length");
                length = cl.isEmpty() ? bodyLimit : cl.toLongLong();
            }
            if (headerEnd >= 0 && data.size() - headerEnd - 4 >= length)
                break;
            if (socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0)
                break;
        }
        if (headerEnd >= 0)
            r.body = data.mid(headerEnd + 4, length);
        return r;
    }

    // A request with the usual headers; body sent with Content-Type application/json.
    RawHttpResponse request(const QByteArray &method, const QByteArray &path,
                            const QByteArray &cookie = {}, const QByteArray &csrf = {},
                            const QByteArray &body = {}, const QByteArray &extraHeaders = {})
    {
        QByteArray raw = method + ' ' + path +
                         " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(m_port) + "\r\n";
        if (!cookie.isEmpty())
            raw += "Cookie: calvora_session=" + cookie + "\r\n";
        if (!csrf.isEmpty())
            raw += "X-CSRF-Token: " + csrf + "\r\n";
        raw += extraHeaders;
        if (!body.isEmpty() || method == "POST" || method == "PUT")
            raw += "Content-Type: application/json\r\nContent-Length: " +
                   QByteArray::number(body.size()) + "\r\n";
        raw += "\r\n" + body;
        return send(raw);
    }

private:
    quint16 m_port;
};
