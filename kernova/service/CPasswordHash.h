// Salted password hashes for the local service: PBKDF2 with HMAC-SHA-256 and a random salt.
// It keeps passwords out of the database in clear and makes guessing from a copied database
// slow, but it is not a memory-hard, high-security KDF; the local service trusts the machine.
#pragma once

#include <QByteArray>
#include <QString>

class CPasswordHash {
public:
    static constexpr int kDefaultIterations = 20000;
    static constexpr int kMaxIterations = 1000000;

    QByteArray salt;
    QByteArray hash;
    int iterations = 0;

    static CPasswordHash Make(const QString& password, int iterations = kDefaultIterations);
    // Compares in time independent of where the hashes differ.
    bool Verify(const QString& password) const;

    static QByteArray Pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations,
                             int length);
};
