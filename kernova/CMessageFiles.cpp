#include "kernova/CMessageFiles.h"

#include "kernova/PrivateFiles.h"
#include "kernova/service/ServiceRules.h"
#include "obrix/CArchive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A stem this long, an attached file's safe name (at most 100 bytes) and the temporary suffix
// of an atomic write stay below the 255 bytes of one file name.
constexpr qsizetype kMaxStemBytes = 128;
constexpr char16_t kDigestMark = u'~';
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
    return Svc::IsValidMessageId(messageId);
}

QString CMessageFiles::FileStem(const QString& messageId) {
    if (messageId.isEmpty())
        return {};
    // No direct name starts with the mark, so a digest name never meets a chosen id.
    if (IsSafeId(messageId) && !messageId.startsWith(kDigestMark) &&
        QStringView(messageId).isValidUtf16() && messageId.toUtf8().size() <= kMaxStemBytes)
        return messageId;
    // The UTF-16 units themselves, so that ids differing only in unpaired surrogates differ.
    const QByteArray units(reinterpret_cast<const char*>(messageId.utf16()),
                           messageId.size() * qsizetype(sizeof(char16_t)));
    return kDigestMark +
           QString::fromLatin1(QCryptographicHash::hash(units, QCryptographicHash::Sha256).toHex());
}

QString CMessageFiles::PathOf(int32_t box, const QString& messageId) const {
    const QString folder = BoxFolder(box);
    const QString stem = FileStem(messageId);
    if (folder.isEmpty() || m_dir.isEmpty() || stem.isEmpty())
        return {};
    return m_dir + folder + stem + kSuffix;
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
    PrivateFiles::MakeDir(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !PrivateFiles::Restrict(file) ||
        file.write(Encode(message)) < 0 || !file.commit()) {
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
