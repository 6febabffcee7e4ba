// Notifications through the desktop's notification service (org.freedesktop.Notifications on
// the session bus). Every call is asynchronous: a desktop without the service, or with one
// that hangs, never holds the program up; its notifications are simply not shown.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class DesktopNotifications final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifications)

public:
    static inline const QString Service = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString Path = QStringLiteral("/org/freedesktop/Notifications");

    // bus: the session bus, or a test's private one.
    explicit DesktopNotifications(const QDBusConnection &bus, QObject *parent = nullptr);

    struct Notice
    {
        QString summary;
        QString body; // plain text; escaped for services that read markup
        // Shown as a click on the notice (the service's "default" action) when not empty.
        QString actionLabel;
        // A notice shown earlier under this key is replaced rather than added to.
        QString replaceKey;
    };
    // Sends the notice. onAction runs when the user chooses its action.
    void notify(const Notice &notice, std::function<void()> onAction = {});

private slots:
    void actionInvoked(uint id, const QString &actionKey);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    bool m_markup = true;                         // until the service says otherwise
    QHash<uint, std::function<void()>> m_actions; // by the service's id
    QHash<QString, uint> m_shown;                 // replace key -> the service's id
};
