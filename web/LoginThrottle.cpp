#include "LoginThrottle.h"

#include <algorithm>

namespace {

QString key(const QHostAddress &client)
{
    // An IPv4 client seen through an IPv6 socket counts as the same client.
    bool ok = false;
    const quint32 v4 = client.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : client.toString();
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
    // A flood of addresses empties the table rather than growing it without end.
    if (m_clients.size() > 10000)
        m_clients.clear();
    Record &r = m_clients[key(client)];
    ++r.failures;
    if (r.failures < FreeFailures)
        return;
    const int doublings = std::min(r.failures - FreeFailures, 20);
    const qint64 wait = std::min(LongestWaitMs, FirstWaitMs << doublings);
    r.nextAttempt = clock().addMSecs(wait);
}

void LoginThrottle::succeeded(const QHostAddress &client)
{
    m_clients.remove(key(client));
}
