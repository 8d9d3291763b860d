#include "kernova/service/ServiceRules.h"

namespace Svc {

bool IsValidId(const QString& id) {
    if (id.isEmpty() || id.size() > kMaxIdLength || id.startsWith(u'.'))
        return false;
    if (id.compare(kAllGroups, Qt::CaseInsensitive) == 0 ||
        id.compare(kOnNetters, Qt::CaseInsensitive) == 0 ||
        id.startsWith(kGroupPrefix, Qt::CaseInsensitive))
        return false;
    static const QString forbidden = QStringLiteral(",[]/\\:*?\"<>|");
    for (QChar c : id) {
        if (c.isSpace() || (!c.isSurrogate() && !c.isPrint()) ||
            c.category() == QChar::Other_Format || forbidden.contains(c))
            return false;
    }
    return true;
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
    return {};
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
    if (m.messageId.isEmpty() || m.messageId.size() > kMaxMessageIdLength)
        return CServiceError(CServiceError::BadId, m.messageId);
    // Message ids name the message's files at every recipient: no path characters, no
    // leading dot (so never "." or "..").
    static const QString pathChars = QStringLiteral("/\\:*?\"<>|");
    if (m.messageId.startsWith(u'.'))
        return CServiceError(CServiceError::BadId, m.messageId);
    for (QChar c : m.messageId)
        if (c.isSpace() || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format || pathChars.contains(c))
            return CServiceError(CServiceError::BadId, m.messageId);
    if (m.subject.size() > kMaxSubjectLength)
        return CServiceError(CServiceError::SubjectTooLong, QString::number(kMaxSubjectLength));
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
        if (f.name.trimmed().isEmpty() || f.name.size() > kMaxAttachmentNameLength)
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
