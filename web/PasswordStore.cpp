// Argon2id at libsodium's "interactive" costs: a login takes a fraction of a second on a small
// box, and each guess costs an attacker as much.
#include "PasswordStore.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <sodium.h>

namespace {

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

PasswordStore::PasswordStore(const QString &dataDir) : m_path(QDir(dataDir).filePath(FileName)) {}

QByteArray PasswordStore::storedHash() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray hash = file.read(crypto_pwhash_STRBYTES).trimmed();
    return hash.startsWith(crypto_pwhash_argon2id_STRPREFIX) ? hash : QByteArray();
}

bool PasswordStore::isSet() const
{
    return !storedHash().isEmpty();
}

bool PasswordStore::set(const QString &password, QString &error)
{
    if (password.size() < MinLength) {
        error = QStringLiteral("the password must have at least %1 characters").arg(MinLength);
        return false;
    }
    if (!sodiumReady()) {
        error = QStringLiteral("the password library could not start");
        return false;
    }
    const QByteArray utf8 = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(
            hash, utf8.constData(), quint64(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
            crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        error = QStringLiteral("there is not enough memory to hash the password");
        return false;
    }
    QSaveFile file(m_path);
    // The temporary file gets the owner-only permissions before the hash goes into it.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    file.write(hash);
    file.write("\n");
    if (!file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}

bool PasswordStore::verify(const QString &password) const
{
    const QByteArray hash = storedHash();
    if (hash.isEmpty() || !sodiumReady())
        return false;
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}
