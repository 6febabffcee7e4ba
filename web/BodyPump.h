// Copies a device's content to a client's socket as fast as the client takes it, a block at a
// time, so that an hour of audio never sits whole in memory. Ends itself, with the device,
// when everything was written or the socket went away.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QIODevice;
class QTcpSocket;

class BodyPump final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BodyPump)

public:
    // Starts at once with count bytes from the device's position; the pump belongs to the
    // socket.
    static void start(std::unique_ptr<QIODevice> device, QTcpSocket *socket, qint64 count);
    ~BodyPump() override;

private:
    BodyPump(std::unique_ptr<QIODevice> device, QTcpSocket *socket, qint64 count);
    void pump();

    std::unique_ptr<QIODevice> m_device;
    QPointer<QTcpSocket> m_socket;
    qint64 m_left;
};
