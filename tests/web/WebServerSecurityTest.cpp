// The web page's security rules, over a real socket: no access without login, CSRF tokens,
// strict paths, escaping, body limits, slowed logins, the loopback-only rule, and the limits on
// connections that keep the recorder's descriptors for its calls.
#include "WebServerFixture.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>
#include <QTcpSocket>
#include <memory>
#include <vector>

namespace {

using WebServerSecurityTest = WebServerFixture;

TEST_F(WebServerSecurityTest, ANonLoopbackAddressNeedsAPassword)
{
    QString error;
    const auto any = ListenAddress::parse("0.0.0.0:0", error);
    ASSERT_TRUE(any);
    EXPECT_FALSE(server->start(*any, {}, {}, error));
    EXPECT_TRUE(error.contains("password")) << error.toStdString();
    EXPECT_TRUE(server->servers().isEmpty());

    setPassword();
    error.clear();
    ASSERT_TRUE(server->start(*any, {}, {}, error)) << error.toStdString();

    // A password file that goes away (or can no longer be read) locks the page; it does not
    // open it to anyone who names a loopback host.
    ASSERT_TRUE(QFile::remove(PasswordStore(dir.path()).filePath()));
    client = std::make_unique<RawHttpClient>(server->port());
    const RawHttpResponse session = client->request("GET", "/api/session");
    EXPECT_EQ(session.status, 401);
    EXPECT_TRUE(object(session).value("passwordRequired").toBool());
    EXPECT_EQ(client->request("GET", "/api/recordings").status, 401);
}

TEST_F(WebServerSecurityTest, WithoutLoginOnlyThePageItselfAnswers)
{
    setPassword();
    listen();
    EXPECT_EQ(client->request("GET", "/").status, 200);
    EXPECT_EQ(client->request("GET", "/app.js").status, 200);
    const QString id = idOfRow(0);
    const QList<QByteArray> paths = {"/api/recordings",
                                     "/api/folders",
                                     "/api/status",
                                     "/api/log",
                                     "/api/events",
                                     "/api/recordings/" + id.toLatin1() + "/audio",
                                     "/api/recordings/" + id.toLatin1() + "/original"};
    for (const QByteArray &path : paths) {
        const RawHttpResponse r = client->request("GET", path);
        EXPECT_EQ(r.status, 401) << path.constData();
        EXPECT_FALSE(r.body.contains("call")) << path.constData();
    }
    // A session token that was never issued is no session.
    EXPECT_EQ(client->request("GET", "/api/recordings", "0123456789abcdef").status, 401);
    const QStringList before = memosOnDisk();
    EXPECT_EQ(client->request("DELETE", "/api/recordings/" + id.toLatin1()).status, 401);
    EXPECT_EQ(client
                  ->request("PUT", "/api/recordings/" + id.toLatin1() + "/memo", {}, {},
                            R"({"memo":"x"})")
                  .status,
              401);
    EXPECT_EQ(memosOnDisk(), before);
}

TEST_F(WebServerSecurityTest, TheSessionCookieIsHttpOnlyAndStrict)
{
    setPassword();
    listen();
    const RawHttpResponse r = login();
    ASSERT_EQ(r.status, 200) << r.body.constData();
    const QByteArray setCookie = r.header("Set-Cookie");
    EXPECT_TRUE(setCookie.contains("HttpOnly")) << setCookie.constData();
    EXPECT_TRUE(setCookie.contains("SameSite=Strict")) << setCookie.constData();
    EXPECT_GE(cookie.size(), 64);
    EXPECT_EQ(client->request("GET", "/api/recordings", cookie).status, 200);
    EXPECT_TRUE(log.lines().join('\n').contains("Logged in to the web page"));
}

TEST_F(WebServerSecurityTest, ChangesWithoutTheSessionsCsrfTokenAreRefused)
{
    setPassword();
    listen();
    ASSERT_EQ(login().status, 200);
    const QString id = idOfRow(0);
    const QByteArray memoPath = "/api/recordings/" + id.toLatin1() + "/memo";
    const QString before = memoOnDisk(id);
    for (const QByteArray &token : {QByteArray(), QByteArray("wrong"), QByteArray(cookie)}) {
        EXPECT_EQ(client->request("PUT", memoPath, cookie, token, R"({"memo":"changed"})").status,
                  403)
            << token.constData();
        EXPECT_EQ(
            client->request("DELETE", "/api/recordings/" + id.toLatin1(), cookie, token).status,
            403);
    }
    // A page of another site may not send changes even with the token.
    EXPECT_EQ(client
                  ->request("PUT", memoPath, cookie, csrf, R"({"memo":"changed"})",
                            "Origin: http://evil.example\r\n")
                  .status,
              403);
    EXPECT_EQ(memoOnDisk(id), before);
    ASSERT_EQ(client->request("PUT", memoPath, cookie, csrf, R"({"memo":"changed"})").status, 200);
    EXPECT_EQ(memoOnDisk(id), "changed");
    EXPECT_TRUE(log.lines().join('\n').contains("Memo of recording " + id + " changed"));
}

TEST_F(WebServerSecurityTest, PathsOutsideTheFixedSetAreRefused)
{
    setPassword();
    listen();
    ASSERT_EQ(login().status, 200);
    const QList<QByteArray> paths = {
        "/../Recordings.d",
        "/api/recordings/../../Recordings.d",
        "/api/recordings/..%2f..%2fRecordings.d/original",
        "/api/recordings/%2e%2e%2fEvents.log/audio",
        "/%2e%2e/%2e%2e/etc/passwd",
        "/api/recordings/abc%00/original",
        "/api/recordings/abc/../../Recordings.d/original",
        "/web/../../Recordings.d",
        "/api/recordings/..\\Recordings.d/original",
        "/Recordings.d",
        "/wav/",
    };
    QFile table(dir.filePath("Recordings.d"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QByteArray tableBytes = table.readAll().left(64);
    for (const QByteArray &path : paths) {
        const RawHttpResponse r = client->request("GET", path, cookie);
        EXPECT_GE(r.status, 400) << path.constData();
        EXPECT_LT(r.status, 500) << path.constData();
        EXPECT_FALSE(r.body.contains(tableBytes)) << path.constData();
        EXPECT_FALSE(r.body.contains("root:")) << path.constData();
    }
}

TEST_F(WebServerSecurityTest, AMemoWithMarkupComesBackAsDataNotMarkup)
{
    setPassword();
    listen();
    ASSERT_EQ(login().status, 200);
    const QString id = idOfRow(0);
    const QString markup = R"(<script>alert("x")</script><img src=x onerror=alert(1)>)";
    const QByteArray body = QJsonDocument(QJsonObject{{"memo", markup}}).toJson();
    ASSERT_EQ(
        client->request("PUT", "/api/recordings/" + id.toLatin1() + "/memo", cookie, csrf, body)
            .status,
        200);
    EXPECT_EQ(memoOnDisk(id), markup);
    const RawHttpResponse list = client->request("GET", "/api/recordings?q=script", cookie);
    ASSERT_EQ(list.status, 200);
    // JSON that no browser sniffs as a page, under a policy that runs the page's own script only.
    EXPECT_EQ(list.header("Content-Type"), "application/json");
    EXPECT_EQ(list.header("X-Content-Type-Options"), "nosniff");
    EXPECT_TRUE(list.header("Content-Security-Policy").contains("script-src 'self'"));
    const QJsonArray rows = object(list).value("rows").toArray();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toObject().value("memo").toString(), markup);
    // The page puts every text into the document with textContent.
    QFile script(QStringLiteral(CALVORA_TEST_SOURCE_DIR "/data/web/app.js"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QByteArray code = script.readAll();
    EXPECT_FALSE(code.contains("innerHTML"));
    EXPECT_FALSE(code.contains("outerHTML"));
    EXPECT_FALSE(code.contains("insertAdjacentHTML"));
}

TEST_F(WebServerSecurityTest, LoginsAreSlowedAfterFailures)
{
    setPassword();
    listen();
    QDateTime now = QDateTime::currentDateTimeUtc();
    server->throttle().clock = [&now] { return now; };
    for (int i = 0; i < LoginThrottle::FreeFailures; ++i)
        EXPECT_EQ(login(QStringLiteral("wrong password")).status, 401);
    // Even the right password must wait now.
    const RawHttpResponse refused = login();
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.header("Retry-After"), "1");
    now = now.addMSecs(LoginThrottle::FirstWaitMs);
    EXPECT_EQ(login(QStringLiteral("wrong again")).status, 401);
    // Each failure doubles the wait.
    now = now.addMSecs(LoginThrottle::FirstWaitMs);
    EXPECT_EQ(login().status, 429);
    now = now.addMSecs(LoginThrottle::FirstWaitMs);
    EXPECT_EQ(login().status, 200);
    const QString lines = log.lines().join('\n');
    EXPECT_TRUE(lines.contains("Failed login to the web page (127.0.0.1)")) << lines.toStdString();
    EXPECT_TRUE(lines.contains("too many failed attempts")) << lines.toStdString();
}

// Refused attempts cost nothing, so they are written to the event log once per wait: a client
// hammering the login cannot push the recorder's own lines out of the log.
TEST_F(WebServerSecurityTest, RefusedLoginsAreLoggedOncePerWait)
{
    setPassword();
    listen();
    QDateTime now = QDateTime::currentDateTimeUtc();
    server->throttle().clock = [&now] { return now; };
    const auto refusals = [this] {
        return log.lines().filter(QStringLiteral("too many failed attempts")).size();
    };
    for (int i = 0; i < LoginThrottle::FreeFailures; ++i)
        ASSERT_EQ(login(QStringLiteral("wrong password")).status, 401);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(login().status, 429);
    EXPECT_EQ(refusals(), 1);
    // The next wait gets its own line.
    now = now.addMSecs(LoginThrottle::FirstWaitMs);
    ASSERT_EQ(login(QStringLiteral("wrong again")).status, 401);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(login().status, 429);
    EXPECT_EQ(refusals(), 2);
}

TEST_F(WebServerSecurityTest, OversizedAndMalformedRequestsChangeNothing)
{
    setPassword();
    listen();
    ASSERT_EQ(login().status, 200);
    const QString id = idOfRow(0);
    const QByteArray memoPath = "/api/recordings/" + id.toLatin1() + "/memo";
    const QString before = memoOnDisk(id);
    struct Case
    {
        const char *what;
        QByteArray body;
        int status;
    };
    const QByteArray huge = R"({"memo":")" + QByteArray(WebServer::MaxBodyBytes, 'a') + R"("})";
    const Case cases[] = {
        {"too large", huge, 413},
        {"not JSON", "memo=changed", 400},
        {"an array", R"(["changed"])", 400},
        {"a number", R"({"memo":5})", 400},
        {"cut off", R"({"memo":"chan)", 400},
        {"too long a memo", R"({"memo":")" + QByteArray(256, 'b') + R"("})", 400},
        {"an empty memo", R"({"memo":""})", 400},
    };
    for (const Case &c : cases)
        EXPECT_EQ(client->request("PUT", memoPath, cookie, csrf, c.body).status, c.status)
            << c.what;
    // Bodies refused at their headers, before any of them is read: too large, of unannounced
    // length, with two lengths or a length that is not a number, and headers without end.
    const QByteArray head =
        "PUT " + memoPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + WebServer::SessionCookie +
        '=' + cookie + "\r\nX-CSRF-Token: " + csrf + "\r\nContent-Type: application/json\r\n";
    const struct
    {
        QByteArray headers;
        int status;
    } heads[] = {
        {"Content-Length: 99999999\r\n\r\n", 413},
        {"Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", 411},
        {"Content-Length: 2\r\nContent-Length: 40\r\n\r\n{}", 400},
        {"Content-Length: 1e3\r\n\r\n", 400},
        {"X-Filler: " + QByteArray(WebServer::MaxHeaderBytes, 'x') + "\r\n", 431},
    };
    for (const auto &h : heads)
        EXPECT_EQ(client->send(head + h.headers).status, h.status)
            << h.headers.left(40).constData();
    for (const char *query : {"?offset=-1", "?limit=0", "?limit=100000", "?sort=id", "?order=up",
                              "?folder=../x", "?unknown=1"})
        EXPECT_EQ(client->request("GET", QByteArray("/api/recordings") + query, cookie).status, 400)
            << query;
    EXPECT_EQ(client->request("PATCH", memoPath, cookie, csrf, R"({"memo":"x"})").status, 405);
    EXPECT_EQ(
        client->request("PUT", "/api/recordings/NoSuchCode/memo", cookie, csrf, R"({"memo":"x"})")
            .status,
        404);
    EXPECT_EQ(memoOnDisk(id), before);
}

TEST_F(WebServerSecurityTest, WithoutAPasswordOnlyLoopbackNamesAreServed)
{
    listen();
    // A page of another site whose name now points at this computer (DNS rebinding).
    const RawHttpResponse foreign = client->send(
        "GET /api/session HTTP/1.1\r\nHost: evil.example:" + QByteArray::number(server->port()) +
        "\r\n\r\n");
    EXPECT_EQ(foreign.status, 403);
    const RawHttpResponse local = client->request("GET", "/api/session");
    ASSERT_EQ(local.status, 200);
    EXPECT_FALSE(object(local).value("passwordRequired").toBool());
    EXPECT_TRUE(local.header("Set-Cookie").contains("HttpOnly"));
    // A login is pointless without a password, and says so.
    EXPECT_EQ(login().status, 400);
}

TEST_F(WebServerSecurityTest, OverTlsThePageAnswersAndTheCookieIsSecure)
{
    setPassword();
    const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                              "-subj", "/CN=localhost", "-keyout", key, "-out", cert});
    ASSERT_TRUE(openssl.waitForFinished(60000));
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    QString error;
    EXPECT_FALSE(server->start(ListenAddress{QHostAddress(QHostAddress::LocalHost), 0}, cert,
                               dir.filePath("missing.pem"), error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(
        server->start(ListenAddress{QHostAddress(QHostAddress::LocalHost), 0}, cert, key, error))
        << error.toStdString();
    EXPECT_TRUE(server->url().startsWith("https://127.0.0.1:"));

    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone); // the certificate is our own
    socket.connectToHostEncrypted("127.0.0.1", server->port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return socket.isEncrypted(); }, 10000))
        << socket.errorString().toStdString();
    const QByteArray body = R"({"password":")" + Password.toUtf8() + R"("})";
    socket.write("POST /api/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                 "application/json\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray answer;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            answer += socket.readAll();
            return answer.contains("\"csrf\"");
        },
        10000))
        << answer.constData();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(answer.contains("; Secure")) << answer.constData();
}

std::unique_ptr<QTcpSocket> connectedSocket(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QStringLiteral("127.0.0.1"), port);
    return QTest::qWaitFor([&] { return socket->state() == QAbstractSocket::ConnectedState; },
                           10000)
               ? std::move(socket)
               : nullptr;
}

bool closedByServer(QTcpSocket &socket, int timeoutMs)
{
    return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                           timeoutMs);
}

// A connection that sends nothing, one that sends a header a byte at a time, and one that
// stays open after its answer are closed once idle; a request that completes is answered.
TEST_F(WebServerSecurityTest, IdleConnectionsAreClosed)
{
    server->setIdleTime(std::chrono::milliseconds(500));
    listen();
    const auto silent = connectedSocket(server->port());
    const auto trickle = connectedSocket(server->port());
    const auto answered = connectedSocket(server->port());
    ASSERT_TRUE(silent && trickle && answered);
    answered->write("GET /api/session HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered->bytesAvailable() > 0; }, 10000));
    EXPECT_TRUE(answered->readAll().startsWith("HTTP/1.1 200"));

    trickle->write("GET /api/session HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ");
    QElapsedTimer clock;
    clock.start();
    while (trickle->state() == QAbstractSocket::ConnectedState && clock.elapsed() < 10000) {
        trickle->write("a");
        QTest::qWait(50);
    }
    EXPECT_EQ(trickle->state(), QAbstractSocket::UnconnectedState) << "a header without end";
    EXPECT_TRUE(closedByServer(*silent, 10000));
    EXPECT_TRUE(closedByServer(*answered, 10000));
    EXPECT_EQ(client->request("GET", "/api/session").status, 200) << "the server still answers";
}

// Connections beyond the cap are closed at once; those within it are served, and once some
// close, new ones are served again.
TEST_F(WebServerSecurityTest, ConnectionsBeyondTheCapAreClosedAtOnce)
{
    listen();
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < WebServer::MaxConnections; ++i) {
        held.push_back(connectedSocket(server->port()));
        ASSERT_TRUE(held.back());
    }
    const auto surplus = connectedSocket(server->port());
    ASSERT_TRUE(surplus);
    EXPECT_TRUE(closedByServer(*surplus, 10000));

    QTcpSocket &last = *held.back();
    last.write("GET /api/session HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return last.bytesAvailable() > 0; }, 10000));
    EXPECT_TRUE(last.readAll().startsWith("HTTP/1.1 200"));

    held.clear();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return client->request("GET", "/api/session").status == 200; }, 10000));
}

// A session ends with a logout, and with a new password (set because the old one got out, or
// the first one, set while pages were open without any); its event stream ends with it and
// receives nothing more.
TEST_F(WebServerSecurityTest, SessionsAndTheirEventStreamsEndWithLogoutOrANewPassword)
{
    listen();
    const RawHttpResponse open = client->request("GET", "/api/session");
    ASSERT_EQ(open.status, 200);
    const QByteArray setCookie = open.header("Set-Cookie");
    const QByteArray withoutPassword =
        setCookie.mid(setCookie.indexOf('=') + 1).split(';').value(0);
    setPassword();
    ASSERT_EQ(login().status, 200);
    const QByteArray loggedOut = cookie, loggedOutCsrf = csrf;
    ASSERT_EQ(login().status, 200);
    const QByteArray oldPassword = cookie, oldPasswordCsrf = csrf;
    std::vector<std::unique_ptr<QTcpSocket>> streams;
    for (const QByteArray &session : {loggedOut, oldPassword}) {
        streams.push_back(openEvents(session));
        ASSERT_TRUE(streams.back());
    }
    ASSERT_EQ(client->request("POST", "/api/logout", loggedOut, loggedOutCsrf).status, 200);
    QString error;
    ASSERT_TRUE(PasswordStore(dir.path()).set("a new password", error)) << error.toStdString();

    const QByteArray memoPath = "/api/recordings/" + idOfRow(0).toLatin1() + "/memo";
    const QString memo = memoOnDisk(idOfRow(0));
    for (const QByteArray &session : {withoutPassword, loggedOut, oldPassword}) {
        EXPECT_EQ(client->request("GET", "/api/recordings", session).status, 401);
        EXPECT_EQ(client->request("GET", "/api/session", session).status, 401);
    }
    EXPECT_EQ(
        client->request("PUT", memoPath, oldPassword, oldPasswordCsrf, R"({"memo":"x"})").status,
        401);
    EXPECT_EQ(memoOnDisk(idOfRow(0)), memo);
    EXPECT_EQ(client->request("GET", "/api/recordings", cookie).status, 401);

    log.appendLine("A caller for logged-in pages only");
    for (const auto &stream : streams) {
        QByteArray received;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                received += stream->readAll();
                return stream->state() == QAbstractSocket::UnconnectedState;
            },
            5000));
        EXPECT_FALSE(received.contains("A caller")) << received.constData();
    }
    // The new password opens the page.
    ASSERT_EQ(login("a new password").status, 200);
    EXPECT_EQ(client->request("GET", "/api/recordings", cookie).status, 200);
}

} // namespace
