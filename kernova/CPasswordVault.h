// Keeps the password of the automatic log-on out of the settings in plain text: it is sealed
// with a random key that lives in a separate file readable only by the user, and a seal that
// was altered or made with another key does not open.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class CPasswordVault {
public:
    // keyPath: the key file, created on the first Seal.
    explicit CPasswordVault(QString keyPath) : m_keyPath(std::move(keyPath)) {}

    // Bytes added by sealing: a random nonce in front, an authentication tag behind.
    static constexpr int kOverheadBytes = 48;
    static constexpr qsizetype kMaxSealedBytes = 16 * 1024 * 1024;

    // Empty when the key file cannot be made.
    QByteArray Seal(const QString& password);
    std::optional<QString> Open(const QByteArray& sealed) const;
    // The same for any bytes (at most kMaxSealedBytes sealed).
    QByteArray SealBytes(const QByteArray& data);
    std::optional<QByteArray> OpenBytes(const QByteArray& sealed) const;

private:
    QByteArray Key(bool create);
    QByteArray ExistingKey() const;

    QString m_keyPath;
};
