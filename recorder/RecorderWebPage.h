// The web page of the headless recorder: its server on the recorder session's catalogue and
// log, its status line read from the session's modem and call recorder, and its
// address kept beside the data directory's lock for the window program to find.
#pragma once

#include "web/ListenAddress.h"

#include <QObject>
#include <memory>

class RecorderSession;
class WebServer;

class RecorderWebPage final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecorderWebPage)

public:
    explicit RecorderWebPage(RecorderSession &session, QObject *parent = nullptr);
    ~RecorderWebPage() override;

    // Listens; false with the reason in error.
    bool start(const ListenAddress &address, const QString &tlsCert, const QString &tlsKey,
               QString &error);
    WebServer &server() { return *m_server; }

private:
    RecorderSession &m_session;
    std::unique_ptr<WebServer> m_server;
};
