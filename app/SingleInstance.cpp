// The instance is found through a local socket named after the user and the data directory,
// so two users, or one user with two data directories, each get their own program.
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
const QByteArray ShowRequest = "show\n";
}

SingleInstance::SingleInstance(const QString &dataDir, QObject *parent) : QObject(parent)
{
    const QString user = qEnvironmentVariable("USER", QString::number(::getuid()));
    const QByteArray key = (user + QLatin1Char('\n') + QDir(dataDir).absolutePath()).toUtf8();
    m_name = QStringLiteral("calvora-") +
             QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
}

bool SingleInstance::notifyRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(ShowRequest);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A program that crashed leaves its socket file behind; nobody answers on it.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("show"))
                    emit showRequested();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
