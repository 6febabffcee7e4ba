#include "LoginThrottle.h"

#include <algorithm>

namespace {

// An IPv4 client seen through an IPv6 socket counts as the same client, and an IPv6 client
// is its /64 network: one host has a whole /64 of addresses to try from.
QString key(const QHostAddress &client)
{
    bool ok = false;
    const quint32 v4 = client.toIPv4Address(&ok);
    if (ok)
        return QHostAddress(v4).toString();
    Q_IPV6ADDR bytes = client.toIPv6Address();
    std::fill(bytes.c + 8, bytes.c + 16, quint8(0));
    return QHostAddress(bytes).toString() + QStringLiteral("/64");
}

} // namespace

qint64 LoginThrottle::waitMs(const QHostAddress &client) const
{
    const auto it = m_clients.constFind(key(client));
    if (it == m_clients.constEnd() || !it->nextAttempt.isValid())
        return 0;
    return std::max<qint64>(0, clock().msecsTo(it->nextAttempt));
}

void LoginThrottle::failed(const QHostAddress &client)
{
    // Clients whose wait is over and who failed too few times to wait are forgotten first;
    // only a flood of networks empties the table.
    if (m_clients.size() > MaxClients) {
        const QDateTime now = clock();
        m_clients.removeIf([&now](const auto &entry) {
            return !entry.value().nextAttempt.isValid() || entry.value().nextAttempt < now;
        });
        if (m_clients.size() > MaxClients)
            m_clients.clear();
    }
    Record &r = m_clients[key(client)];
    ++r.failures;
    if (r.failures < FreeFailures)
        return;
    const int doublings = std::min(r.failures - FreeFailures, 20);
    const qint64 wait = std::min(LongestWaitMs, FirstWaitMs << doublings);
    r.nextAttempt = clock().addMSecs(wait);
    r.refusalNoted = false;
}

bool LoginThrottle::firstRefusal(const QHostAddress &client)
{
    const auto it = m_clients.find(key(client));
    if (it == m_clients.end() || it->refusalNoted)
        return false;
    it->refusalNoted = true;
    return true;
}

void LoginThrottle::succeeded(const QHostAddress &client)
{
    m_clients.remove(key(client));
}
