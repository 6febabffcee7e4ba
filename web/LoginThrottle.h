// Slows down password guessing per client (an IPv4 address, an IPv6 /64 network): after a
// few failed logins, each further attempt must wait, twice as long after each failure (up to
// a limit). A successful login clears the client's count.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <functional>

class LoginThrottle
{
public:
    // Failures allowed before any wait.
    static constexpr int FreeFailures = 3;
    static constexpr qint64 FirstWaitMs = 1000;
    static constexpr qint64 LongestWaitMs = 5 * 60 * 1000;
    static constexpr int MaxClients = 10000;

    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };

    // Milliseconds the client must still wait before its next attempt; 0 when it may try.
    qint64 waitMs(const QHostAddress &client) const;
    void failed(const QHostAddress &client);
    void succeeded(const QHostAddress &client);
    // True for the first attempt refused in the client's current wait only: a refused attempt
    // costs the client nothing, so a line for each would let anyone flood the event log.
    bool firstRefusal(const QHostAddress &client);

private:
    struct Record
    {
        int failures = 0;
        QDateTime nextAttempt;
        bool refusalNoted = false; // in the wait until nextAttempt
    };
    QHash<QString, Record> m_clients; // by address text
};
