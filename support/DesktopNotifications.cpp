#include "DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");

} // namespace

DesktopNotifications::DesktopNotifications(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
    // Bodies are escaped until the service says whether it reads markup at all.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isValid())
            m_markup = reply.value().contains(QStringLiteral("body-markup"));
        w->deleteLater();
    });
}

void DesktopNotifications::notify(const Notice &notice, std::function<void()> onAction)
{
    QStringList actions;
    if (!notice.actionLabel.isEmpty() && onAction)
        actions = {DefaultAction, notice.actionLabel};
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("calvora")}};
    const uint replaces = notice.replaceKey.isEmpty() ? 0 : m_shown.value(notice.replaceKey, 0);
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QStringLiteral("Calvora") << replaces << QStringLiteral("calvora") << notice.summary
         << (m_markup ? notice.body.toHtmlEscaped() : notice.body) << actions << hints
         << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key = notice.replaceKey, replaces,
             onAction = actions.isEmpty() ? std::function<void()>()
                                          : std::move(onAction)](QDBusPendingCallWatcher *w) {
                const QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (!reply.isValid())
                    return;
                const uint id = reply.value();
                if (replaces != 0 && replaces != id)
                    m_actions.remove(replaces);
                if (!key.isEmpty())
                    m_shown.insert(key, id);
                if (onAction)
                    m_actions.insert(id, onAction);
                else
                    m_actions.remove(id);
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString &actionKey)
{
    // Every program's notices pass here; only our own ids have an action.
    if (actionKey != DefaultAction)
        return;
    const auto action = m_actions.constFind(id);
    if (action != m_actions.cend())
        (*action)();
}

void DesktopNotifications::notificationClosed(uint id, uint)
{
    m_actions.remove(id);
    for (auto it = m_shown.begin(); it != m_shown.end();)
        it = it.value() == id ? m_shown.erase(it) : std::next(it);
}
