#include "SessionStore.h"

#include <QRandomGenerator>
#include <array>

QByteArray SessionStore::randomToken()
{
    std::array<quint32, 8> words;
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    return QByteArray(reinterpret_cast<const char *>(words.data()), qsizetype(sizeof words))
        .toHex();
}

bool SessionStore::sameToken(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || a.isEmpty())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

const WebSession &SessionStore::create(const QHostAddress &client, const QByteArray &passwordHash)
{
    if (m_sessions.size() >= MaxSessions) {
        auto oldest = m_sessions.begin();
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it)
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        m_sessions.erase(oldest);
    }
    WebSession session{randomToken(), randomToken(), client, clock(), passwordHash};
    return *m_sessions.insert(session.token, session);
}

const WebSession *SessionStore::find(const QByteArray &token)
{
    const auto it = m_sessions.find(token);
    if (it == m_sessions.end())
        return nullptr;
    const QDateTime now = clock();
    if (it->lastUse.secsTo(now) > IdleSeconds) {
        m_sessions.erase(it);
        return nullptr;
    }
    it->lastUse = now;
    return &*it;
}

const WebSession *SessionStore::peek(const QByteArray &token) const
{
    const auto it = m_sessions.constFind(token);
    if (it == m_sessions.cend() || it->lastUse.secsTo(clock()) > IdleSeconds)
        return nullptr;
    return &*it;
}

void SessionStore::remove(const QByteArray &token)
{
    m_sessions.remove(token);
}
