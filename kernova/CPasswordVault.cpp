#include "kernova/CPasswordVault.h"

#include "kernova/PrivateFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>

namespace {

constexpr int kKeyBytes = 32;
constexpr int kNonceBytes = 16;
constexpr int kTagBytes = 32;

QByteArray RandomBytes(int count) {
    QByteArray bytes(count, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), count / 4);
    return bytes;
}

// Counter-mode keystream from SHA-256 over key, nonce and block number.
QByteArray Crypt(const QByteArray& key, const QByteArray& nonce, const QByteArray& data) {
    QByteArray out = data;
    for (qsizetype offset = 0, block = 0; offset < out.size(); ++block) {
        QByteArray counter(4, '\0');
        qToLittleEndian<quint32>(quint32(block), counter.data());
        const QByteArray stream =
            QCryptographicHash::hash(key + nonce + counter, QCryptographicHash::Sha256);
        for (qsizetype i = 0; i < stream.size() && offset < out.size(); ++i, ++offset)
            out[offset] = char(out[offset] ^ stream[i]);
    }
    return out;
}

QByteArray Tag(const QByteArray& key, const QByteArray& body) {
    return QMessageAuthenticationCode::hash(body, key, QCryptographicHash::Sha256);
}

} // namespace

QByteArray CPasswordVault::ExistingKey() const {
    QFile file(m_keyPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() != kKeyBytes)
        return {};
    return file.readAll();
}

QByteArray CPasswordVault::Key(bool create) {
    QByteArray key = ExistingKey();
    if (!key.isEmpty() || !create)
        return key;
    key = RandomBytes(kKeyBytes);
    PrivateFiles::MakeDir(QFileInfo(m_keyPath).absolutePath());
    QSaveFile file(m_keyPath);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(key) != kKeyBytes || !file.commit())
        return {};
    QFile::setPermissions(m_keyPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return key;
}

QByteArray CPasswordVault::Seal(const QString& password) {
    return SealBytes(password.toUtf8());
}

std::optional<QString> CPasswordVault::Open(const QByteArray& sealed) const {
    const std::optional<QByteArray> bytes = OpenBytes(sealed);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

QByteArray CPasswordVault::SealBytes(const QByteArray& data) {
    if (data.size() > kMaxSealedBytes - kOverheadBytes)
        return {};
    const QByteArray key = Key(true);
    if (key.isEmpty())
        return {};
    const QByteArray nonce = RandomBytes(kNonceBytes);
    const QByteArray body = nonce + Crypt(key, nonce, data);
    return body + Tag(key, body);
}

std::optional<QByteArray> CPasswordVault::OpenBytes(const QByteArray& sealed) const {
    static_assert(kNonceBytes + kTagBytes == kOverheadBytes);
    if (sealed.size() < kOverheadBytes || sealed.size() > kMaxSealedBytes)
        return std::nullopt;
    const QByteArray key = ExistingKey();
    if (key.isEmpty())
        return std::nullopt;
    const QByteArray body = sealed.left(sealed.size() - kTagBytes);
    if (Tag(key, body) != sealed.right(kTagBytes))
        return std::nullopt;
    const QByteArray nonce = body.left(kNonceBytes);
    return Crypt(key, nonce, body.mid(kNonceBytes));
}
