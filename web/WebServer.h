// The recorder's web page: an HTTP server (Qt HttpServer) in the recorder's own process, so
// that the recorder stays the only writer of the catalogue. Without a password it listens on
// the loopback interface only; with one, every request but the page's own files and the login
// needs a session, and every change a CSRF token. Requests are checked strictly: a fixed set
// of paths, recordings addressed by their code only, small bodies, well-formed JSON; anything
// else gets a 4xx answer and changes nothing.
#pragma once

#include "HttpReplies.h"
#include "ListenAddress.h"
#include "LoginThrottle.h"
#include "PasswordStore.h"
#include "RecordingEdits.h"
#include "RecordingsQuery.h"
#include "SessionStore.h"
#include "StatusFeed.h"

#include <QAbstractHttpServer>
#include <QHttpServerResponder>
#include <chrono>
#include <memory>

class Catalogue;
class EventLog;
class QHttpServerRequest;

class WebServer final : public QAbstractHttpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebServer)

public:
    static constexpr qint64 MaxBodyBytes = 16 * 1024;
    static constexpr qint64 MaxHeaderBytes = 16 * 1024;
    // Well above what browsers open to one site (six or so each), far below the descriptors
    // the recorder needs for its calls.
    static constexpr int MaxConnections = 64;
    // The live status stream sends a keep-alive line well within it.
    static constexpr std::chrono::milliseconds DefaultIdleTime{60000};
    static inline const QByteArray SessionCookie = QByteArrayLiteral("calvora_session");

    // dataDir holds the password file; pageDir the page's files. log may be null.
    WebServer(Catalogue &catalogue, EventLog *log, const QString &dataDir, const QString &pageDir,
              QObject *parent = nullptr);
    ~WebServer() override;

    // Why the page may not listen on address with the password file of dataDir as it is: an
    // address other than loopback needs a password. Empty when it may.
    static QString addressRefusal(const ListenAddress &address, const QString &dataDir);
    // Refuses an address other than loopback while no password is set, and TLS files that
    // cannot be read; then listens. False with the reason in error.
    bool start(const ListenAddress &address, const QString &tlsCert, const QString &tlsKey,
               QString &error);
    // The page's address, as a browser opens it ("http://127.0.0.1:8080/").
    QString url() const;
    quint16 port() const { return m_port; }
    // How long a connection may go without a whole request or any answer; set before start().
    void setIdleTime(std::chrono::milliseconds idle) { m_idleTime = idle; }

    StatusFeed &status() { return m_status; }
    LoginThrottle &throttle() { return m_throttle; }
    SessionStore &sessions() { return m_sessions; }
    RecordingsQuery &query() { return m_query; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    using Status = QHttpServerResponder::StatusCode;

    void route(const QHttpServerRequest &request, QTcpSocket *socket,
               QHttpServerResponder &responder);
    // The request may reach this server under its Host header (a page of another site that
    // renames itself to a loopback address may not).
    bool hostAllowed(const QHttpServerRequest &request) const;
    // A session needs a password: one is set, or the page is reached beyond this computer.
    bool passwordRequired() const;
    bool originAllowed(const QHttpServerRequest &request) const;
    // The live session of the request's cookie; null without one. A session opened under
    // another password than the one set now (or under none) has ended.
    const WebSession *currentSession(const QHttpServerRequest &request);
    // The same for what a session opened earlier still receives, without counting as a use.
    bool sessionLive(const QByteArray &token) const;
    void login(const QHttpServerRequest &request, QHttpServerResponder &responder);
    void session(const QHttpServerRequest &request, QHttpServerResponder &responder);
    void list(const QHttpServerRequest &request, QHttpServerResponder &responder);
    void audio(const QHttpServerRequest &request, QTcpSocket *socket,
               QHttpServerResponder &responder, const QString &id);
    void original(const QHttpServerRequest &request, QTcpSocket *socket,
                  QHttpServerResponder &responder, const QString &id);
    // The byte range the request asks for (or all) of content, size bytes in all, sent as
    // audio/wav with the extra headers.
    void sendRange(const QHttpServerRequest &request, QTcpSocket *socket,
                   QHttpServerResponder &responder, std::unique_ptr<QIODevice> content, qint64 size,
                   const HttpReplies::Headers &extra);
    void memo(const QHttpServerRequest &request, QHttpServerResponder &responder,
              const QString &id);
    void remove(const QHttpServerRequest &request, QHttpServerResponder &responder,
                const QString &id);
    void events(QTcpSocket *socket, QHttpServerResponder &responder, const QByteArray &token);
    void logLines(const QHttpServerRequest &request, QHttpServerResponder &responder);
    QByteArray sessionCookie(const QByteArray &token, bool expire) const;
    void writeLog(const QString &line);
    static QString who(const QHttpServerRequest &request);

    Catalogue &m_catalogue;
    EventLog *m_log;
    QString m_pageDir;
    PasswordStore m_passwords;
    SessionStore m_sessions;
    LoginThrottle m_throttle;
    RecordingsQuery m_query;
    RecordingEdits m_edits;
    StatusFeed m_status;
    ListenAddress m_address;
    quint16 m_port = 0;
    std::chrono::milliseconds m_idleTime = DefaultIdleTime;
    bool m_tls = false;
    bool m_listensBeyondLoopback = false;
};
