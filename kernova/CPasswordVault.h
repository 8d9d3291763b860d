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

    // Empty when the key file cannot be made.
    QByteArray Seal(const QString& password);
    std::optional<QString> Open(const QByteArray& sealed) const;

private:
    QByteArray Key(bool create);
    QByteArray ExistingKey() const;

    QString m_keyPath;
};
