// QSerialPort does all its work on the UI thread. Received bytes are taken from it at once
// and the reader is told through a queued call, so a reader that runs nested event loops
// still sees later data (QSerialPort never re-emits readyRead inside its own handler).
#include "QtSerialPort.h"

#include "PortPermission.h"

#include "config/PortMap.h"
#include "config/TIniFile.h"

#include <QMetaObject>

namespace {
QSerialPort::FlowControl qtFlow(SerialFlow flow)
{
    switch (flow) {
    case SerialFlow::Software:
        return QSerialPort::SoftwareControl; // XON 0x11, XOFF 0x13
    case SerialFlow::None:
        return QSerialPort::NoFlowControl;
    case SerialFlow::Hardware:
        break;
    }
    return QSerialPort::HardwareControl;
}

// QSerialPort reports a device another program holds (EBUSY, its lock file) and one this user
// may not open (EACCES) alike, as PermissionError; the device's permissions tell them apart.
SerialError::Kind errorKind(QSerialPort::SerialPortError error, const QString &device)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return SerialError::Kind::InvalidPort;
    case QSerialPort::PermissionError:
        return PortPermission::denied(device) ? SerialError::Kind::Permission
                                              : SerialError::Kind::InUse;
    case QSerialPort::OpenError:
        return SerialError::Kind::InUse;
    case QSerialPort::UnsupportedOperationError:
        return SerialError::Kind::Configure;
    default:
        return SerialError::Kind::InputOutput;
    }
}
} // namespace

QtSerialPort::QtSerialPort(const TIniFile &ini, QObject *parent) : SerialPort(parent), m_ini(ini)
{
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::takeReceived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::portError);
}

QtSerialPort::~QtSerialPort()
{
    m_port.close();
}

void QtSerialPort::open()
{
    if (m_port.isOpen())
        return;
    const QString device = PortMap::devicePath(m_ini, m_settings.port);
    if (device.isEmpty()) {
        throw SerialError(SerialError::Kind::InvalidPort,
                          QStringLiteral("Com port %1 does not exist").arg(m_settings.port));
    }
    m_port.setPortName(device);
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(qtFlow(m_settings.flow));
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto kind = errorKind(m_port.error(), device);
        const QString message = device + QStringLiteral(": ") + m_port.errorString();
        m_port.clearError();
        throw SerialError(kind, message, device);
    }
    // Pseudo-terminals and some adapters have no modem-control lines; that is no reason to
    // refuse the port. With hardware flow control the driver drives RTS itself.
    m_port.setDataTerminalReady(true);
    if (m_settings.flow != SerialFlow::Hardware)
        m_port.setRequestToSend(true);
    m_port.clearError();

    m_input.clear();
    m_triggerTail.clear();
    m_losing = false;
    ++m_generation;
    QMetaObject::invokeMethod(this, &SerialPort::opened, Qt::QueuedConnection);
}

void QtSerialPort::close()
{
    if (!m_port.isOpen())
        return;
    m_port.close();
    m_port.clearError();
    m_input.clear();
    QMetaObject::invokeMethod(this, &SerialPort::closed, Qt::QueuedConnection);
}

int QtSerialPort::outputFree() const
{
    if (!m_port.isOpen())
        return BufferSize;
    return static_cast<int>(std::max<qint64>(0, BufferSize - m_port.bytesToWrite()));
}

void QtSerialPort::discardInput()
{
    m_input.clear();
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
    }
}

void QtSerialPort::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        throw SerialError(SerialError::Kind::NotOpen, QStringLiteral("Com port not open"));
    if (m_port.write(bytes) != bytes.size()) {
        throw SerialError(SerialError::Kind::InputOutput,
                          m_port.portName() + QStringLiteral(": ") + m_port.errorString());
    }
}

QByteArray QtSerialPort::read(int count)
{
    const qsizetype n = std::clamp<qsizetype>(count, 0, m_input.size());
    QByteArray bytes = m_input.left(n);
    m_input.remove(0, n);
    return bytes;
}

void QtSerialPort::setTrigger(const QByteArray &text)
{
    m_trigger = text.toLower();
    m_triggerTail.clear();
}

void QtSerialPort::takeReceived()
{
    const QByteArray data = m_port.readAll();
    if (data.isEmpty())
        return;
    checkTrigger(data);
    m_input.append(data);
    if (m_input.size() > MaxHeldInput)
        m_input.remove(0, m_input.size() - MaxHeldInput);
    if (!m_readerNotified) {
        m_readerNotified = true;
        QMetaObject::invokeMethod(this, &QtSerialPort::notifyReader, Qt::QueuedConnection);
    }
}

void QtSerialPort::notifyReader()
{
    m_readerNotified = false;
    if (!m_input.isEmpty())
        emit dataAvailable(static_cast<int>(std::min<qsizetype>(m_input.size(), INT_MAX)));
}

void QtSerialPort::checkTrigger(const QByteArray &data)
{
    if (m_trigger.isEmpty())
        return;
    // The tail of earlier data catches a trigger text split across two reads.
    const QByteArray window = m_triggerTail + data.toLower();
    if (window.contains(m_trigger)) {
        m_trigger.clear();
        m_triggerTail.clear();
        QMetaObject::invokeMethod(this, &SerialPort::triggered, Qt::QueuedConnection);
        return;
    }
    m_triggerTail = window.right(m_trigger.size() - 1);
}

void QtSerialPort::portError(QSerialPort::SerialPortError error)
{
    const bool fatal = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                       error == QSerialPort::WriteError;
    if (!fatal || !m_port.isOpen() || m_losing)
        return;
    // A vanished device keeps reporting read errors; the port is closed from a queued call
    // because QSerialPort must not be closed inside its own notifier.
    m_losing = true;
    // errorString() of a read error on a hung-up terminal can name a stale errno, so the
    // reason says only what failed.
    const QString reason = error == QSerialPort::ResourceError ? QStringLiteral("device removed")
                           : error == QSerialPort::ReadError   ? QStringLiteral("read error")
                                                               : QStringLiteral("write error");
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this, [this, generation, reason] { loseDevice(generation, reason); }, Qt::QueuedConnection);
}

void QtSerialPort::loseDevice(quint64 generation, const QString &reason)
{
    if (generation != m_generation || !m_port.isOpen())
        return;
    m_port.close();
    m_port.clearError();
    m_input.clear();
    m_losing = false;
    emit deviceLost(reason);
    emit closed();
}
