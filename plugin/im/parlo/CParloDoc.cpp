#include "plugin/im/parlo/CParloDoc.h"

bool CParloDoc::BeginClosing() {
    if (m_closing)
        return false;
    m_closing = true;
    return true;
}

void CParloDoc::NoteEventTime(const QDateTime& local) {
    if (!m_start)
        m_start = local;
}

CParloDoc::EventOutcome CParloDoc::ApplyEvent(int type, const QString& memberId,
                                              const MemberLookup& lookup) {
    EventOutcome out;
    if (type < Talk || type > LastGone)
        return out;
    out.append = true;
    if (type == Joined) {
        if (memberId != m_userId && !m_participants.Contains(memberId)) {
            const std::optional<MemberInfo> info = lookup ? lookup(memberId) : std::nullopt;
            m_participants.Add(memberId, info ? info->name : memberId);
            out.listChanged = true;
        }
        out.listChanged = m_participants.Activate(memberId) || out.listChanged;
    } else if (type >= FirstGone && memberId != m_userId) {
        out.listChanged = m_participants.Remove(memberId);
    }
    return out;
}

QStringList CParloDoc::Invite(const QStringList& ids, bool fromDrop, int maxMembers,
                              const MemberLookup& lookup, bool* refused) {
    if (refused)
        *refused = false;
    if (fromDrop && m_participants.Count() + ids.size() > maxMembers) {
        if (refused)
            *refused = true;
        return {};
    }
    QStringList invite;
    for (const QString& id : ids) {
        if (id.isEmpty() || m_participants.Contains(id))
            continue;
        const std::optional<MemberInfo> info = lookup ? lookup(id) : std::nullopt;
        if (!info || info->offline)
            continue;
        m_participants.Add(id, info->name);
        if (id != m_userId)
            invite << id;
    }
    return invite;
}

void CParloDoc::UpdateAloneTimer(qint64 now) {
    if (m_participants.Count() == 1) {
        if (!m_aloneSince)
            m_aloneSince = now;
    } else {
        m_aloneSince.reset();
    }
}

bool CParloDoc::AloneTimeoutReached(qint64 now, int timeoutSeconds) {
    if (!m_aloneSince || now - *m_aloneSince < qint64(timeoutSeconds) * 1000)
        return false;
    m_aloneSince.reset();
    return true;
}
