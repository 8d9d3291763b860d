#include "kernova/service/CPasswordHash.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace {
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
} // namespace

QByteArray CPasswordHash::Pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations,
                                 int length) {
    QByteArray key;
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    for (uint32_t block = 1; key.size() < length; ++block) {
        QByteArray index(4, Qt::Uninitialized);
        index[0] = char(block >> 24);
        index[1] = char(block >> 16);
        index[2] = char(block >> 8);
        index[3] = char(block);
        mac.reset();
        mac.addData(salt);
        mac.addData(index);
        QByteArray u = mac.result();
        QByteArray t = u;
        for (int i = 1; i < iterations; ++i) {
            mac.reset();
            mac.addData(u);
            u = mac.result();
            for (int j = 0; j < t.size(); ++j)
                t[j] = char(t[j] ^ u[j]);
        }
        key += t;
    }
    return key.left(length);
}

CPasswordHash CPasswordHash::Make(const QString& password, int iterations) {
    CPasswordHash h;
    h.salt.resize(kSaltBytes);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(h.salt.data()),
                                          kSaltBytes / int(sizeof(quint32)));
    h.iterations = iterations;
    h.hash = Pbkdf2(password.toUtf8(), h.salt, iterations, kHashBytes);
    return h;
}

bool CPasswordHash::Verify(const QString& password) const {
    // A damaged record must not make log-on spin for minutes.
    if (iterations <= 0 || iterations > kMaxIterations || hash.size() != kHashBytes)
        return false;
    const QByteArray candidate = Pbkdf2(password.toUtf8(), salt, iterations, kHashBytes);
    unsigned char diff = 0;
    for (int i = 0; i < kHashBytes; ++i)
        diff |= static_cast<unsigned char>(candidate[i] ^ hash[i]);
    return diff == 0;
}
