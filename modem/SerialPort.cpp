// Names and errors shared by every serial backend.
#include "SerialPort.h"

SerialFlow serialFlowFromName(const QString &name)
{
    if (name == QLatin1String("Software"))
        return SerialFlow::Software;
    if (name == QLatin1String("None"))
        return SerialFlow::None;
    return SerialFlow::Hardware;
}

SerialError::SerialError(Kind kind, const QString &message, QString device)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_device(std::move(device))
{}

QString SerialError::className() const
{
    switch (m_kind) {
    case Kind::InvalidPort:
        return QStringLiteral("EComInvalidPort");
    case Kind::InUse:
        return QStringLiteral("EComPortInUse");
    case Kind::Permission:
        return QStringLiteral("EComPermissionDenied");
    case Kind::InputOutput:
        return QStringLiteral("EComIOError");
    case Kind::Configure:
        return QStringLiteral("EComConfigError");
    case Kind::NotOpen:
        return QStringLiteral("EComNotOpen");
    }
    return QStringLiteral("EComError");
}
