// A private session bus (Debian's dbus-daemon, started for the test) and a stand-in for the
// desktop's notification service on it, which keeps every notice it is sent and can press a
// notice's action as a user would.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

class PrivateSessionBus final
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    bool started() const { return !m_address.isEmpty(); }
    // A new connection of the program's side (each name connects once).
    QDBusConnection connect(const QString &name) const;

private:
    QProcess m_daemon;
    QString m_address;
};

class StandInNotifications final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notice
    {
        uint id;
        uint replaces;
        QString summary;
        QString body;
        QStringList actions;
    };

    // Registers the service on the bus; false when the name is taken.
    bool registerOn(QDBusConnection bus);

    QList<Notice> notices;
    bool bodyMarkup = true;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities();

signals:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    uint m_lastId = 0;
};
