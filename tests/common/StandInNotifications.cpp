#include "StandInNotifications.h"

#include <QDBusConnectionInterface>

PrivateSessionBus::PrivateSessionBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(10000))
        return;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateSessionBus::~PrivateSessionBus()
{
    m_daemon.terminate();
    m_daemon.waitForFinished(5000);
}

QDBusConnection PrivateSessionBus::connect(const QString &name) const
{
    return QDBusConnection::connectToBus(m_address, name);
}

bool StandInNotifications::registerOn(QDBusConnection bus)
{
    return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                              QDBusConnection::ExportAllSlots |
                                  QDBusConnection::ExportAllSignals) &&
           bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

uint StandInNotifications::Notify(const QString &, uint replacesId, const QString &,
                                  const QString &summary, const QString &body,
                                  const QStringList &actions, const QVariantMap &, int)
{
    const uint id = replacesId != 0 ? replacesId : ++m_lastId;
    notices.append({id, replacesId, summary, body, actions});
    return id;
}

QStringList StandInNotifications::GetCapabilities()
{
    return bodyMarkup ? QStringList{QStringLiteral("body"), QStringLiteral("body-markup"),
                                    QStringLiteral("actions")}
                      : QStringList{QStringLiteral("body"), QStringLiteral("actions")};
}
