#include "BodyPump.h"

#include <QIODevice>
#include <QTcpSocket>
#include <algorithm>

namespace {
constexpr qint64 BlockBytes = 64 * 1024;
// More than this waiting in the socket's buffer: wait for the client.
constexpr qint64 QueuedBytes = 256 * 1024;
} // namespace

void BodyPump::start(std::unique_ptr<QIODevice> device, QTcpSocket *socket, qint64 count)
{
    auto *pump = new BodyPump(std::move(device), socket, count);
    pump->pump();
}

BodyPump::BodyPump(std::unique_ptr<QIODevice> device, QTcpSocket *socket, qint64 count)
    : QObject(socket), m_device(std::move(device)), m_socket(socket), m_left(count)
{
    connect(socket, &QTcpSocket::bytesWritten, this, &BodyPump::pump);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

BodyPump::~BodyPump() = default;

void BodyPump::pump()
{
    if (!m_socket || !m_device)
        return;
    while (m_socket->bytesToWrite() < QueuedBytes && m_left > 0) {
        const QByteArray block = m_device->read(std::min(BlockBytes, m_left));
        if (block.isEmpty()) {
            // A file that fails mid-way: the client must not wait for the bytes promised.
            m_socket->abort();
            return;
        }
        m_socket->write(block);
        m_left -= block.size();
    }
    if (m_left <= 0) {
        m_device.reset();
        disconnect(m_socket, nullptr, this, nullptr);
        deleteLater();
    }
}
