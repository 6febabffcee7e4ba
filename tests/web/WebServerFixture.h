// A web server on a catalogue on disk (the folders General, A, C and B with recordings whose
// files exist), listening on a free loopback port, and a client for it.
#pragma once

#include "CatalogueFixture.h"
#include "RawHttpClient.h"
#include "web/PasswordStore.h"
#include "web/WebServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

class WebServerFixture : public ::testing::Test, public CatalogueFixture
{
protected:
    static inline const QString Password = QStringLiteral("correct horse battery");

    void SetUp() override
    {
        fill(2);
        server = std::make_unique<WebServer>(*catalogue, &log, dir.path(),
                                             QStringLiteral(CALVORA_TEST_SOURCE_DIR "/data/web"));
    }

    void setPassword()
    {
        QString error;
        ASSERT_TRUE(PasswordStore(dir.path()).set(Password, error)) << error.toStdString();
    }

    void listen()
    {
        QString error;
        ASSERT_TRUE(
            server->start(ListenAddress{QHostAddress(QHostAddress::LocalHost), 0}, {}, {}, error))
            << error.toStdString();
        client = std::make_unique<RawHttpClient>(server->port());
    }

    // Logs in with the password; sets cookie and csrf.
    RawHttpResponse login(const QString &password = Password)
    {
        const RawHttpResponse r = client->request(
            "POST", "/api/login", {}, {},
            QJsonDocument(QJsonObject{{"password", password}}).toJson(QJsonDocument::Compact));
        if (r.status == 200) {
            const QByteArray setCookie = r.header("Set-Cookie");
            cookie = setCookie.mid(setCookie.indexOf('=') + 1).split(';').value(0);
            csrf = QJsonDocument::fromJson(r.body).object().value("csrf").toString().toLatin1();
        }
        return r;
    }

    // An event stream opened with the session's cookie; null when it does not answer 200.
    std::unique_ptr<QTcpSocket> openEvents(const QByteArray &sessionCookie) const
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QStringLiteral("127.0.0.1"), server->port());
        if (!socket->waitForConnected(5000))
            return nullptr;
        socket->write("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: calvora_session=" +
                      sessionCookie + "\r\n\r\n");
        QByteArray head;
        const bool answered = QTest::qWaitFor(
            [&] {
                head += socket->readAll();
                return head.contains("\r\n\r\n");
            },
            5000);
        return answered && head.startsWith("HTTP/1.1 200") ? std::move(socket) : nullptr;
    }

    static QJsonObject object(const RawHttpResponse &r)
    {
        return QJsonDocument::fromJson(r.body).object();
    }

    QString memoOnDisk(const QString &id) const
    {
        TStoreTable table;
        table.setTableName(dir.filePath("Recordings.d"));
        table.Open();
        for (int row = 0; row < table.RecordCount(); ++row)
            if (table.valueAt(row, table.fieldIndex("id")).toString() == id)
                return table.valueAt(row, table.fieldIndex("Comment")).toString();
        return QStringLiteral("<no row>");
    }

    std::unique_ptr<WebServer> server;
    std::unique_ptr<RawHttpClient> client;
    QByteArray cookie, csrf;
};
