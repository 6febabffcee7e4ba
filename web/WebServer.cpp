#include "WebServer.h"

#include "BodyPump.h"
#include "ByteRange.h"
#include "GuardedTcpServer.h"
#include "HttpReplies.h"
#include "PcmWavStream.h"
#include "StaticFiles.h"
#include "catalogue/Catalogue.h"
#include "support/EventLog.h"

#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpSocket>
#include <QUrlQuery>

using namespace HttpReplies;

namespace {

// A recording's or folder's code: letters and digits only, so it can never become a path.
bool isCode(const QString &text)
{
    if (text.isEmpty() || text.size() > 20)
        return false;
    for (QChar c : text)
        if (!(c.unicode() < 0x80 && c.isLetterOrNumber()))
            return false;
    return true;
}

// A whole number 0..max in plain digits; -1 otherwise.
int boundedNumber(const QString &text, int max)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    const int value = text.toInt();
    return value <= max ? value : -1;
}

// The JSON object of a request's body; nothing when the body is not one or is not JSON.
std::optional<QJsonObject> jsonBody(const QHttpServerRequest &request)
{
    const QByteArray type = header(request, "Content-Type");
    if (!type.startsWith("application/json"))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(request.body(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

// The host part of a Host or Origin value ("127.0.0.1:8080" gives "127.0.0.1").
QByteArray hostName(QByteArray hostAndPort)
{
    if (hostAndPort.startsWith('[')) {
        const qsizetype end = hostAndPort.indexOf(']');
        return end > 0 ? hostAndPort.left(end + 1) : QByteArray();
    }
    const qsizetype colon = hostAndPort.indexOf(':');
    return colon >= 0 ? hostAndPort.left(colon) : hostAndPort;
}

// The query's names and values as a form sends them: '+' for a blank, then %-escapes.
QList<std::pair<QString, QString>> formItems(const QHttpServerRequest &request)
{
    QList<std::pair<QString, QString>> items;
    const QByteArray query = request.url().query(QUrl::FullyEncoded).toLatin1();
    for (QByteArray item : query.split('&')) {
        if (item.isEmpty())
            continue;
        item.replace('+', ' ');
        const qsizetype eq = item.indexOf('=');
        const QByteArray key = eq < 0 ? item : item.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : item.mid(eq + 1);
        items.append({QString::fromUtf8(QByteArray::fromPercentEncoding(key)),
                      QString::fromUtf8(QByteArray::fromPercentEncoding(value))});
    }
    return items;
}

const QRegularExpression &recordingPath()
{
    static const QRegularExpression re(
        QStringLiteral("^/api/recordings/([A-Za-z0-9]{1,20})(/audio|/original|/memo)?$"));
    return re;
}

} // namespace

WebServer::WebServer(Catalogue &catalogue, EventLog *log, const QString &dataDir,
                     const QString &pageDir, QObject *parent)
    : QAbstractHttpServer(parent), m_catalogue(catalogue), m_log(log), m_pageDir(pageDir),
      m_passwords(dataDir), m_query(catalogue), m_edits(catalogue, m_query)
{
    if (log)
        connect(log, &EventLog::lineAppended, &m_status, &StatusFeed::logLine);
}

WebServer::~WebServer() = default;

QString WebServer::addressRefusal(const ListenAddress &address, const QString &dataDir)
{
    if (address.isLoopback() || PasswordStore(dataDir).isSet())
        return {};
    return QStringLiteral("the web page may listen on %1 only with a password; set one with "
                          "--set-password, or listen on 127.0.0.1")
        .arg(address.address.toString());
}

bool WebServer::start(const ListenAddress &address, const QString &tlsCert, const QString &tlsKey,
                      QString &error)
{
    error = addressRefusal(address, QFileInfo(m_passwords.filePath()).path());
    if (!error.isEmpty())
        return false;
    auto server = std::make_unique<GuardedTcpServer>(
        GuardedTcpServer::Limits{MaxBodyBytes, MaxHeaderBytes, MaxConnections, m_idleTime}, this);
    if (tlsCert.isEmpty() != tlsKey.isEmpty()) {
        error = QStringLiteral("TLS needs both a certificate and a key");
        return false;
    }
    if (!tlsCert.isEmpty()) {
        QFile certFile(tlsCert), keyFile(tlsKey);
        if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("cannot read the TLS certificate or key: %1")
                        .arg(certFile.isOpen() ? keyFile.errorString() : certFile.errorString());
            return false;
        }
        const QSslCertificate cert(&certFile, QSsl::Pem);
        QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
        if (key.isNull()) {
            keyFile.seek(0);
            key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
        }
        if (cert.isNull() || key.isNull()) {
            error =
                QStringLiteral("the TLS certificate or key is not a PEM file this program reads");
            return false;
        }
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(cert);
        tls.setPrivateKey(key);
        server->setTls(tls);
        m_tls = true;
    }
    if (!server->listen(address.address, address.port)) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(address.urlHost())
                    .arg(address.port)
                    .arg(server->errorString());
        return false;
    }
    bind(server.release());
    m_query.prepare();
    m_port = servers().constLast()->serverPort();
    m_address = address;
    m_listensBeyondLoopback = !address.isLoopback();
    writeLog(QStringLiteral("Web page at %1%2")
                 .arg(url(), m_passwords.isSet()
                                 ? QString()
                                 : QStringLiteral(" (no password set: this computer only)")));
    return true;
}

QString WebServer::url() const
{
    // Listening on every address: this computer reaches it on its loopback address.
    QString host = m_address.urlHost();
    if (m_address.address == QHostAddress(QHostAddress::AnyIPv4) ||
        m_address.address == QHostAddress(QHostAddress::Any))
        host = QStringLiteral("127.0.0.1");
    else if (m_address.address == QHostAddress(QHostAddress::AnyIPv6))
        host = QStringLiteral("[::1]");
    return QStringLiteral("%1://%2:%3/")
        .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"), host)
        .arg(m_port);
}

void WebServer::writeLog(const QString &line)
{
    if (m_log)
        m_log->appendLine(line);
}

QString WebServer::who(const QHttpServerRequest &request)
{
    return QStringLiteral("web page (%1)").arg(request.remoteAddress().toString());
}

QByteArray WebServer::sessionCookie(const QByteArray &token, bool expire) const
{
    QByteArray c = SessionCookie + '=' + token + "; Path=/; HttpOnly; SameSite=Strict";
    if (m_tls)
        c += "; Secure";
    if (expire)
        c += "; Max-Age=0";
    return c;
}

bool WebServer::passwordRequired() const
{
    // Once listening beyond this computer, a password file that went missing locks the page
    // rather than opening it to anyone who names a loopback host.
    return m_listensBeyondLoopback || m_passwords.isSet();
}

bool WebServer::hostAllowed(const QHttpServerRequest &request) const
{
    if (passwordRequired())
        return true;
    const QByteArray host = hostName(header(request, "Host")).toLower();
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

bool WebServer::originAllowed(const QHttpServerRequest &request) const
{
    const QByteArray origin = header(request, "Origin");
    if (origin.isEmpty())
        return true;
    const qsizetype scheme = origin.indexOf("://");
    return scheme > 0 && origin.mid(scheme + 3) == header(request, "Host");
}

const WebSession *WebServer::currentSession(const QHttpServerRequest &request)
{
    const QByteArray token = cookie(request, SessionCookie);
    const WebSession *s = m_sessions.find(token);
    if (s && s->passwordHash != m_passwords.storedHash()) {
        // A new password is often set because the old one got out: its sessions go with it.
        m_sessions.remove(token);
        return nullptr;
    }
    return s;
}

bool WebServer::sessionLive(const QByteArray &token) const
{
    const WebSession *s = m_sessions.peek(token);
    return s && s->passwordHash == m_passwords.storedHash();
}

void WebServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    error(responder, Status::NotFound, QStringLiteral("no such page"));
}

bool WebServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    route(request, socket, responder);
    return true;
}

void WebServer::route(const QHttpServerRequest &request, QTcpSocket *socket,
                      QHttpServerResponder &responder)
{
    using Method = QHttpServerRequest::Method;
    bool lengthOk = true;
    const QByteArray declared = header(request, "Content-Length");
    if (!declared.isEmpty() && (declared.toLongLong(&lengthOk) > MaxBodyBytes || !lengthOk))
        lengthOk = false;
    if (!lengthOk || request.body().size() > MaxBodyBytes)
        return error(responder, Status::PayloadTooLarge,
                     QStringLiteral("the request is too large"));
    if (!hostAllowed(request))
        return error(responder, Status::Forbidden,
                     QStringLiteral("without a password the page answers to 127.0.0.1 only"));

    const QString path = request.url().path(QUrl::FullyEncoded);
    // Only the fixed paths below exist; encoded characters and dot segments never do.
    if (path.contains(QLatin1Char('%')) || path.contains(QStringLiteral("..")) ||
        path.contains(QLatin1Char('\\')) || !path.startsWith(QLatin1Char('/')))
        return error(responder, Status::BadRequest, QStringLiteral("malformed path"));
    const Method method = request.method();
    const bool changes = method != Method::Get && method != Method::Head;

    if (!path.startsWith(QStringLiteral("/api/"))) {
        if (method != Method::Get)
            return error(responder, Status::MethodNotAllowed, QStringLiteral("not allowed"));
        if (const auto file = StaticFiles::find(m_pageDir, path.toUtf8()))
            return send(responder, Status::Ok, file->contentType, file->body);
        return error(responder, Status::NotFound, QStringLiteral("no such page"));
    }
    if (changes && !originAllowed(request))
        return error(responder, Status::Forbidden, QStringLiteral("request from another site"));
    if (path == QLatin1String("/api/login")) {
        if (method != Method::Post)
            return error(responder, Status::MethodNotAllowed, QStringLiteral("not allowed"));
        return login(request, responder);
    }
    if (path == QLatin1String("/api/session")) {
        if (method != Method::Get)
            return error(responder, Status::MethodNotAllowed, QStringLiteral("not allowed"));
        return session(request, responder);
    }

    const WebSession *current = currentSession(request);
    if (!current)
        return error(responder, Status::Unauthorized, QStringLiteral("please log in"));
    if (changes && !SessionStore::sameToken(header(request, "X-CSRF-Token"), current->csrf))
        return error(responder, Status::Forbidden,
                     QStringLiteral("the request lacks this session's CSRF token"));

    if (path == QLatin1String("/api/logout") && method == Method::Post) {
        m_sessions.remove(current->token);
        writeLog(QStringLiteral("Logged out of the %1").arg(who(request)));
        return json(responder, QJsonObject{}, Status::Ok,
                    {{"Set-Cookie", sessionCookie(QByteArray(), true)}});
    }
    if (method == Method::Get) {
        if (path == QLatin1String("/api/status"))
            return json(responder, m_status.status());
        if (path == QLatin1String("/api/events"))
            return events(socket, responder, current->token);
        if (path == QLatin1String("/api/log"))
            return logLines(request, responder);
        if (path == QLatin1String("/api/folders"))
            return json(responder, m_query.folders());
        if (path == QLatin1String("/api/recordings"))
            return list(request, responder);
    }
    const QRegularExpressionMatch match = recordingPath().match(path);
    if (!match.hasMatch())
        return error(responder, Status::NotFound, QStringLiteral("no such page"));
    const QString id = match.captured(1), part = match.captured(2);
    if (part == QLatin1String("/audio") && method == Method::Get)
        return audio(request, socket, responder, id);
    if (part == QLatin1String("/original") && method == Method::Get)
        return original(request, socket, responder, id);
    if (part == QLatin1String("/memo") && method == Method::Put)
        return memo(request, responder, id);
    if (part.isEmpty() && method == Method::Delete)
        return remove(request, responder, id);
    return error(responder, Status::MethodNotAllowed, QStringLiteral("not allowed"));
}

void WebServer::session(const QHttpServerRequest &request, QHttpServerResponder &responder)
{
    const bool passwordRequired = this->passwordRequired();
    if (const WebSession *s = currentSession(request))
        return json(responder, QJsonObject{{QStringLiteral("csrf"), QString::fromLatin1(s->csrf)},
                                           {QStringLiteral("passwordRequired"), passwordRequired}});
    if (passwordRequired || !request.remoteAddress().isLoopback())
        return json(responder,
                    QJsonObject{{QStringLiteral("error"), QStringLiteral("please log in")},
                                {QStringLiteral("passwordRequired"), true}},
                    Status::Unauthorized);
    // Without a password the page is open on this computer (hostAllowed saw to that).
    const WebSession &s = m_sessions.create(request.remoteAddress(), QByteArray());
    writeLog(QStringLiteral("Opened the %1 without a password").arg(who(request)));
    json(responder,
         QJsonObject{{QStringLiteral("csrf"), QString::fromLatin1(s.csrf)},
                     {QStringLiteral("passwordRequired"), false}},
         Status::Ok, {{"Set-Cookie", sessionCookie(s.token, false)}});
}

void WebServer::login(const QHttpServerRequest &request, QHttpServerResponder &responder)
{
    const QHostAddress client = request.remoteAddress();
    if (const qint64 wait = m_throttle.waitMs(client); wait > 0) {
        if (m_throttle.firstRefusal(client))
            writeLog(QStringLiteral("Login to the %1 refused: too many failed attempts")
                         .arg(who(request)));
        return json(responder,
                    QJsonObject{{QStringLiteral("error"),
                                 QStringLiteral("too many failed logins; try again in %1 s")
                                     .arg((wait + 999) / 1000)}},
                    Status::TooManyRequests,
                    {{"Retry-After", QByteArray::number((wait + 999) / 1000)}});
    }
    const auto body = jsonBody(request);
    if (!body || !body->value(QStringLiteral("password")).isString())
        return error(responder, Status::BadRequest,
                     QStringLiteral("the login needs a JSON object with the password"));
    if (!m_passwords.isSet())
        return error(responder, Status::BadRequest,
                     QStringLiteral("no password is set (calvora-recorder --set-password)"));
    if (!m_passwords.verify(body->value(QStringLiteral("password")).toString())) {
        m_throttle.failed(client);
        writeLog(QStringLiteral("Failed login to the %1").arg(who(request)));
        return error(responder, Status::Unauthorized, QStringLiteral("wrong password"));
    }
    m_throttle.succeeded(client);
    const WebSession &s = m_sessions.create(client, m_passwords.storedHash());
    writeLog(QStringLiteral("Logged in to the %1").arg(who(request)));
    json(responder, QJsonObject{{QStringLiteral("csrf"), QString::fromLatin1(s.csrf)}}, Status::Ok,
         {{"Set-Cookie", sessionCookie(s.token, false)}});
}

void WebServer::list(const QHttpServerRequest &request, QHttpServerResponder &responder)
{
    ListRequest r;
    for (const auto &[key, value] : formItems(request)) {
        bool ok = true;
        if (key == QLatin1String("folder")) {
            r.folder = value;
            ok = value.isEmpty() || isCode(value);
        } else if (key == QLatin1String("q")) {
            r.search = value;
            ok = value.size() <= ListRequest::MaxSearchLength;
        } else if (key == QLatin1String("offset")) {
            r.offset = boundedNumber(value, 100000000);
            ok = r.offset >= 0;
        } else if (key == QLatin1String("limit")) {
            r.limit = boundedNumber(value, ListRequest::MaxLimit);
            ok = r.limit >= 1;
        } else if (key == QLatin1String("sort")) {
            ok = value == QLatin1String("date") || value == QLatin1String("duration") ||
                 value == QLatin1String("memo");
            r.sort = value == QLatin1String("duration") ? ListRequest::Sort::Duration
                     : value == QLatin1String("memo")   ? ListRequest::Sort::Memo
                                                        : ListRequest::Sort::Date;
        } else if (key == QLatin1String("order")) {
            ok = value == QLatin1String("asc") || value == QLatin1String("desc");
            r.descending = value != QLatin1String("asc");
        } else {
            ok = false;
        }
        if (!ok)
            return error(responder, Status::BadRequest,
                         QStringLiteral("bad value of the list's \"%1\"").arg(key));
    }
    json(responder, m_query.list(r));
}

void WebServer::sendRange(const QHttpServerRequest &request, QTcpSocket *socket,
                          QHttpServerResponder &responder, std::unique_ptr<QIODevice> content,
                          qint64 size, const Headers &extra)
{
    const ByteRange range = ByteRange::parse(header(request, "Range"), size);
    if (range.kind == ByteRange::Kind::Unsatisfiable)
        return send(responder, Status::RequestRangeNotSatisfiable, "text/plain", QByteArray(),
                    {{"Content-Range", "bytes */" + QByteArray::number(size)}});
    if (!content->seek(range.first))
        return error(responder, Status::InternalServerError,
                     QStringLiteral("the recording's file cannot be read"));
    const bool part = range.kind == ByteRange::Kind::Part;
    responder.writeStatusLine(part ? Status::PartialContent : Status::Ok);
    for (const auto &h : securityHeaders() + extra)
        responder.writeHeader(h.first, h.second);
    responder.writeHeader("Content-Type", "audio/wav");
    responder.writeHeader("Accept-Ranges", "bytes");
    responder.writeHeader("Content-Length", QByteArray::number(range.length()));
    if (part)
        responder.writeHeader("Content-Range", "bytes " + QByteArray::number(range.first) + '-' +
                                                   QByteArray::number(range.last) + '/' +
                                                   QByteArray::number(size));
    responder.writeBody(QByteArray());
    BodyPump::start(std::move(content), socket, range.length());
}

void WebServer::audio(const QHttpServerRequest &request, QTcpSocket *socket,
                      QHttpServerResponder &responder, const QString &id)
{
    const QString file = m_query.filePath(id);
    if (file.isEmpty() || !QFileInfo::exists(file))
        return error(responder, Status::NotFound, QStringLiteral("no such recording"));
    QString why;
    std::unique_ptr<PcmWavStream> stream = PcmWavStream::open(file, why);
    if (!stream)
        return error(responder, Status::UnprocessableEntity, why);
    const qint64 size = stream->convertedSize();
    stream->openRange(0, size - 1);
    sendRange(request, socket, responder, std::move(stream), size, {});
}

void WebServer::original(const QHttpServerRequest &request, QTcpSocket *socket,
                         QHttpServerResponder &responder, const QString &id)
{
    const QString path = m_query.filePath(id);
    auto file = std::make_unique<QFile>(path);
    if (path.isEmpty() || !file->open(QIODevice::ReadOnly))
        return error(responder, Status::NotFound, QStringLiteral("no such recording"));
    const qint64 size = file->size();
    // The name is built from the row's date and time: letters, digits and '_' only.
    const QByteArray name = QFileInfo(path).fileName().toLatin1();
    sendRange(request, socket, responder, std::move(file), size,
              {{"Content-Disposition", "attachment; filename=\"" + name + '"'}});
}

void WebServer::memo(const QHttpServerRequest &request, QHttpServerResponder &responder,
                     const QString &id)
{
    const auto body = jsonBody(request);
    if (!body || !body->value(QStringLiteral("memo")).isString())
        return error(responder, Status::BadRequest,
                     QStringLiteral("the memo needs a JSON object with the text"));
    QString stored;
    switch (
        m_edits.setMemo(id, body->value(QStringLiteral("memo")).toString(), who(request), stored)) {
    case RecordingEdits::Outcome::Done:
        return json(responder, QJsonObject{{QStringLiteral("memo"), stored}});
    case RecordingEdits::Outcome::NotFound:
        return error(responder, Status::NotFound, QStringLiteral("no such recording"));
    case RecordingEdits::Outcome::BadInput:
        return error(
            responder, Status::BadRequest,
            QStringLiteral("a memo has 1 to %1 characters").arg(RecordingEdits::MaxMemoLength));
    case RecordingEdits::Outcome::SaveFailed:
        break;
    }
    error(responder, Status::InternalServerError,
          QStringLiteral("the catalogue could not be saved"));
}

void WebServer::remove(const QHttpServerRequest &request, QHttpServerResponder &responder,
                       const QString &id)
{
    QString fileLeft;
    switch (m_edits.remove(id, who(request), fileLeft)) {
    case RecordingEdits::Outcome::Done:
        return json(responder, QJsonObject{{QStringLiteral("deleted"), id},
                                           {QStringLiteral("fileLeft"), fileLeft}});
    case RecordingEdits::Outcome::NotFound:
        return error(responder, Status::NotFound, QStringLiteral("no such recording"));
    case RecordingEdits::Outcome::BadInput:
    case RecordingEdits::Outcome::SaveFailed:
        break;
    }
    error(responder, Status::InternalServerError,
          QStringLiteral("the catalogue could not be saved"));
}

void WebServer::events(QTcpSocket *socket, QHttpServerResponder &responder, const QByteArray &token)
{
    if (m_status.listenerCount() >= StatusFeed::MaxListeners)
        return error(responder, Status::ServiceUnavailable, QStringLiteral("too many open pages"));
    responder.writeStatusLine(Status::Ok);
    for (const auto &h : securityHeaders())
        responder.writeHeader(h.first, h.second);
    responder.writeHeader("Content-Type", "text/event-stream");
    responder.writeBody(QByteArray());
    // The stream ends with its session (a logout, a new password).
    m_status.addListener(socket, [this, token] { return sessionLive(token); });
}

void WebServer::logLines(const QHttpServerRequest &request, QHttpServerResponder &responder)
{
    int count = 50;
    const QString asked = request.query().queryItemValue(QStringLiteral("lines"));
    if (!asked.isEmpty() && (count = boundedNumber(asked, 1000)) < 1)
        return error(responder, Status::BadRequest, QStringLiteral("bad number of lines"));
    QJsonArray lines;
    if (m_log) {
        const QStringList &all = m_log->lines();
        for (qsizetype i = std::max<qsizetype>(0, all.size() - count); i < all.size(); ++i)
            lines.append(all[i]);
    }
    json(responder, QJsonObject{{QStringLiteral("lines"), lines}});
}
