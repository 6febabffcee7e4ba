// The web page's password, kept only as an Argon2id hash (libsodium's string form, which
// carries its salt and costs) in a file of the data directory that only its owner may read.
// The file is read at each check, so a new password counts at once.
#pragma once

#include <QString>

class PasswordStore
{
public:
    static inline const QString FileName = QStringLiteral("WebPassword.hash");

    explicit PasswordStore(const QString &dataDir);

    // A password has been set (the file holds a hash).
    bool isSet() const;
    // Hashes password and replaces the file, readable and writable by its owner alone.
    // False with the reason in error.
    bool set(const QString &password, QString &error);
    // The password matches the stored hash; false without one.
    bool verify(const QString &password) const;
    QString filePath() const { return m_path; }
    // The stored hash (its salt makes it new with every password set); empty without one.
    QByteArray storedHash() const;

    // The shortest password accepted.
    static constexpr int MinLength = 8;

private:
    QString m_path;
};
