// Logged-in browsers: each session is a random token (the cookie) with its own random CSRF
// token, which state-changing requests must send back in a header. Sessions end on logout or
// after a time without use.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <functional>

struct WebSession
{
    QByteArray token;
    QByteArray csrf;
    QHostAddress client;
    QDateTime lastUse;
    QByteArray passwordHash; // the password's hash when the session began; empty: none set
};

class SessionStore
{
public:
    // A session unused this long is gone.
    static constexpr qint64 IdleSeconds = 12 * 3600;
    // Beyond this many sessions the least recently used one goes.
    static constexpr int MaxSessions = 256;

    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };

    const WebSession &create(const QHostAddress &client, const QByteArray &passwordHash);
    // The live session of the token (its last use now); null when there is none.
    const WebSession *find(const QByteArray &token);
    // The same without counting as a use, for what a session opened earlier still receives.
    const WebSession *peek(const QByteArray &token) const;
    void remove(const QByteArray &token);
    int count() const { return int(m_sessions.size()); }

    // 32 random bytes from the system's generator, as hexadecimal.
    static QByteArray randomToken();
    // Compares in a time that depends on the length only.
    static bool sameToken(const QByteArray &a, const QByteArray &b);

private:
    QHash<QByteArray, WebSession> m_sessions;
};
