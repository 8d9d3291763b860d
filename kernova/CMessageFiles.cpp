#include "kernova/CMessageFiles.h"

#include "obrix/CArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
constexpr qsizetype kMaxIdChars = 128;
const QString kSuffix = QStringLiteral(".zmf");
} // namespace

QString CMessageFiles::BoxFolder(int32_t box) {
    switch (box) {
    case 0:
        return QStringLiteral("draft/");
    case 1:
        return QStringLiteral("send/");
    case 2:
        return QStringLiteral("recv/");
    default:
        return {};
    }
}

bool CMessageFiles::IsSafeId(const QString& messageId) {
    if (messageId.isEmpty() || messageId.size() > kMaxIdChars || messageId.startsWith(u'.'))
        return false;
    for (QChar c : messageId)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

QString CMessageFiles::PathOf(int32_t box, const QString& messageId) const {
    const QString folder = BoxFolder(box);
    if (folder.isEmpty() || m_dir.isEmpty() || !IsSafeId(messageId))
        return {};
    return m_dir + folder + messageId + kSuffix;
}

QByteArray CMessageFiles::Encode(const CLetrix& message) {
    CLetrix copy(message);
    CArchive ar;
    copy.Serialize(ar);
    return ar.Bytes();
}

std::unique_ptr<CLetrix> CMessageFiles::Decode(const QByteArray& bytes, QString* error) {
    auto message = std::make_unique<CLetrix>();
    try {
        CArchive ar(bytes);
        message->Serialize(ar);
    } catch (const CArchiveException& e) {
        if (error)
            *error = QString::fromLatin1(e.what());
        return nullptr;
    }
    return message;
}

std::unique_ptr<CLetrix> CMessageFiles::Load(int32_t box, const QString& messageId,
                                             QString* error) const {
    const QString path = PathOf(box, messageId);
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no such box or message id");
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return nullptr;
    }
    if (file.size() > kMaxFileBytes) {
        if (error)
            *error = QStringLiteral("%1: too large").arg(path);
        return nullptr;
    }
    QString reason;
    auto message = Decode(file.readAll(), &reason);
    if (!message && error)
        *error = QStringLiteral("%1: damaged (%2)").arg(path, reason);
    return message;
}

bool CMessageFiles::Save(int32_t box, const CLetrix& message, QString* error) const {
    const QString path = PathOf(box, message.GetMessageID());
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no such box or message id");
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Encode(message)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool CMessageFiles::Remove(int32_t box, const QString& messageId) const {
    const QString path = PathOf(box, messageId);
    return !path.isEmpty() && QFile::remove(path);
}

bool CMessageFiles::Exists(int32_t box, const QString& messageId) const {
    const QString path = PathOf(box, messageId);
    return !path.isEmpty() && QFileInfo::exists(path);
}
