#include "kernova/service/ServiceRules.h"

#include "kernova/service/AttachmentNames.h"

namespace Svc {

namespace {

static_assert(kMaxMessageIdBytes + kMaxSafeNameBytes + 8 <= 255,
              "a message id with an attached file's name must fit in one file name");

bool IsVisibleIdCodePoint(char32_t c) {
    if (QChar::isSpace(c) || QChar::isNonCharacter(c))
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return c >= 0x80 || !QStringView(u"/\\:*?\"<>|").contains(QChar(char16_t(c)));
    }
}

} // namespace

bool IsValidText(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isNull())
            return false;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

bool IsValidUtf8(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = uint8_t(bytes[i]);
        // Length of the sequence and the smallest code point that needs it.
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        if (length == 0 || i + length > bytes.size())
            return false;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = uint8_t(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = c << 6 | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool IsValidIdText(QStringView id, int maxBytes) {
    if (id.isEmpty() || id.startsWith(u'.'))
        return false;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < id.size(); ++i) {
        char32_t c = id[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < id.size() && id[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(id[i].unicode(), id[i + 1].unicode());
            ++i;
        }
        if (!IsVisibleIdCodePoint(c))
            return false;
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes > maxBytes)
            return false;
    }
    return true;
}

bool IsValidMessageId(QStringView id) {
    return IsValidIdText(id, kMaxMessageIdBytes);
}

bool IsValidId(const QString& id) {
    if (!IsValidIdText(id, kMaxIdBytes))
        return false;
    if (id.compare(kAllGroups, Qt::CaseInsensitive) == 0 ||
        id.compare(kOnNetters, Qt::CaseInsensitive) == 0 ||
        id.startsWith(kGroupPrefix, Qt::CaseInsensitive))
        return false;
    return !id.contains(u',') && !id.contains(u'[') && !id.contains(u']');
}

CServiceError CheckId(const QString& id) {
    return IsValidId(id) ? CServiceError() : CServiceError(CServiceError::BadId, id);
}

CServiceError CheckPassword(const QString& password) {
    if (password.isEmpty() || password.size() > kMaxPasswordLength)
        return CServiceError(CServiceError::BadPassword, QString::number(kMaxPasswordLength));
    return {};
}

CServiceError CheckField(const char* name, const QString& value, int maxLength) {
    if (value.size() > maxLength)
        return CServiceError(CServiceError::FieldTooLong, QString::fromLatin1(name));
    if (!IsValidText(value))
        return CServiceError(CServiceError::BadText, QString::fromLatin1(name));
    return {};
}

CServiceError CheckInvitation(const QString& memberId, const QString& text) {
    if (auto e = CheckId(memberId); e.IsError())
        return e;
    return CheckField("invitation text", text, kMaxChatInviteText);
}

CServiceError CheckMember(const SvcMember& m) {
    if (auto e = CheckId(m.id); e.IsError())
        return e;
    const std::pair<const char*, const QString*> fields[] = {{"alias", &m.alias},
                                                             {"family name", &m.familyName[1]},
                                                             {"first name", &m.firstName[1]},
                                                             {"middle name", &m.middleName[1]},
                                                             {"family name 0", &m.familyName[0]},
                                                             {"first name 0", &m.firstName[0]},
                                                             {"middle name 0", &m.middleName[0]},
                                                             {"telephone", &m.telephone},
                                                             {"e-mail", &m.email},
                                                             {"memo", &m.memo}};
    for (const auto& [name, value] : fields)
        if (auto e = CheckField(name, *value); e.IsError())
            return e;
    return {};
}

CServiceError CheckPresence(const SvcPresence& p) {
    if (auto e = CheckField("status", p.status); e.IsError())
        return e;
    return CheckField("icon", p.icon);
}

bool IsValidDestination(const QString& destination) {
    if (destination.startsWith(kGroupPrefix, Qt::CaseInsensitive)) {
        const QString group = destination.mid(kGroupPrefix.size());
        return group == kOnNetters || IsValidId(group);
    }
    return IsValidId(destination);
}

CServiceError CheckOutgoing(const SvcMessage& m) {
    if (!IsValidMessageId(m.messageId))
        return CServiceError(CServiceError::BadId, m.messageId.left(kMaxFieldLength));
    if (m.subject.size() > kMaxSubjectLength)
        return CServiceError(CServiceError::SubjectTooLong, QString::number(kMaxSubjectLength));
    if (!IsValidText(m.subject))
        return CServiceError(CServiceError::BadText, QStringLiteral("subject"));
    if (!IsValidText(m.body))
        return CServiceError(CServiceError::BadText, QStringLiteral("body"));
    // UTF-8 needs at most three bytes per UTF-16 unit, so short bodies need no conversion.
    if (m.body.size() > kMaxBodyBytes / 3 && m.body.toUtf8().size() > kMaxBodyBytes)
        return CServiceError(CServiceError::BodyTooLarge, QString::number(kMaxBodyBytes));
    const std::pair<const char*, const QString*> fields[] = {{"sender name", &m.fromName},
                                                             {"reply-to", &m.replyTo},
                                                             {"reference ID", &m.referenceId},
                                                             {"type", &m.type},
                                                             {"type value", &m.typeValue}};
    for (const auto& [name, value] : fields)
        if (auto e = CheckField(name, *value); e.IsError())
            return e;
    int count = 0;
    for (const auto& list : m.dest) {
        for (const SvcDestination& d : list) {
            if (!IsValidDestination(d.id))
                return CServiceError(CServiceError::BadId, d.id);
            ++count;
        }
    }
    if (count == 0)
        return CServiceError(CServiceError::NoDestination);
    if (count > kMaxDestinations)
        return CServiceError(CServiceError::TooManyDestinations, QString::number(kMaxDestinations));
    return {};
}

CServiceError CheckAttachments(const QList<SvcAttachment>& files, qint64 limit) {
    if (files.size() > kMaxAttachments)
        return CServiceError(CServiceError::TooManyAttachments, QString::number(kMaxAttachments));
    qint64 total = 0;
    for (const SvcAttachment& f : files) {
        if (f.name.trimmed().isEmpty() || f.name.size() > kMaxAttachmentNameLength ||
            !IsValidText(f.name))
            return CServiceError(CServiceError::BadAttachmentName, f.name.left(kMaxFieldLength));
        if (f.data.size() > kMaxAttachmentBytes)
            return CServiceError(CServiceError::AttachmentsTooLarge,
                                 QString::number(std::min(limit, kMaxAttachmentBytes)));
        total += f.data.size();
    }
    if (total > limit)
        return CServiceError(CServiceError::AttachmentsTooLarge, QString::number(limit));
    return {};
}

} // namespace Svc

namespace Svc {
SvcPresence Normalized(SvcPresence presence) {
    if (presence.status == kStatusOff)
        presence.bkColor = kColorOff;
    return presence;
}
} // namespace Svc

QString Svc::ChatNoticeText(int type, const QString& name, const QString& otherName) {
    switch (type) {
    case CHAT_NOTICE:
        return QStringLiteral("%1さんが%2さんに参加を依頼しました。").arg(name, otherName);
    case CHAT_JOINED:
        return QStringLiteral("%1さんが参加しました。").arg(name);
    case CHAT_LEFT:
        return QStringLiteral("%1さんが退席しました。").arg(name);
    case CHAT_DECLINED:
        return QStringLiteral("%1さんは参加を断りました。").arg(name);
    case CHAT_TIMED_OUT:
        return QStringLiteral("%1さんは参加依頼に応答しませんでした。").arg(name);
    case CHAT_LOGGED_OFF:
        return QStringLiteral("%1さんがログオフしました。").arg(name);
    case CHAT_REMOVED:
        return QStringLiteral("%1さんは登録を削除されました。").arg(name);
    default:
        return {};
    }
}
