#include "kernova/service/CLocalServiceAdmin.h"

#include "kernova/service/CPasswordHash.h"
#include "kernova/service/ServiceRules.h"

using Event = CServiceStore::Event;

namespace {

Event MakeEvent(int kind, const QString& group, const QString& member, const QString& detail = {}) {
    Event e;
    e.kind = kind;
    e.groupId = group;
    e.memberId = member;
    e.detail = detail;
    return e;
}

QVariantList ProfileValues(const SvcMember& m) {
    return {m.alias,
            m.familyName[1],
            m.firstName[1],
            m.middleName[1],
            m.familyName[0],
            m.firstName[0],
            m.middleName[0],
            m.telephone,
            m.email,
            m.sex,
            m.birth.isValid() ? QVariant(m.birth.toString(Qt::ISODate)) : QVariant(),
            m.memo};
}

} // namespace

CLocalServiceAdmin::CLocalServiceAdmin(const QString& dir) : m_store(dir) {}

bool CLocalServiceAdmin::Create() {
    return m_store.Create();
}

bool CLocalServiceAdmin::Open() {
    return m_store.Open();
}

bool CLocalServiceAdmin::AddMember(const SvcMember& member, const QString& password) {
    if (auto e = Svc::CheckMember(member); e.IsError())
        return m_store.Fail(e);
    if (auto e = Svc::CheckPassword(password); e.IsError())
        return m_store.Fail(e);
    const CPasswordHash hash = CPasswordHash::Make(password);
    return m_store.Write([&] {
        if (m_store.MemberExists(member.id))
            return m_store.Fail(CServiceError(CServiceError::DuplicateMember, member.id));
        QVariantList values = ProfileValues(member);
        values.prepend(member.id);
        values << hash.salt << hash.hash << hash.iterations << m_store.LastSeq();
        // A new member starts its feed now: nothing that happened before concerns it.
        return m_store.Run(QStringLiteral("INSERT INTO members(id, alias, family1, first1, middle1,"
                                          " family0, first0, middle0, telephone, email, sex, birth,"
                                          " memo, pw_salt, pw_hash, pw_iterations, feed_seq)"
                                          " VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                           values) &&
               m_store.Append(MakeEvent(CServiceStore::EV_MEMBER_ADDED, {}, member.id));
    });
}

bool CLocalServiceAdmin::UpdateMember(const SvcMember& member) {
    if (auto e = Svc::CheckMember(member); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        if (!m_store.MemberExists(member.id))
            return m_store.Fail(CServiceError(CServiceError::UnknownMember, member.id));
        QVariantList values = ProfileValues(member);
        values.append(member.id);
        return m_store.Run(QStringLiteral("UPDATE members SET alias=?, family1=?, first1=?,"
                                          " middle1=?, family0=?, first0=?, middle0=?, telephone=?,"
                                          " email=?, sex=?, birth=?, memo=? WHERE id=?"),
                           values) &&
               m_store.Append(MakeEvent(CServiceStore::EV_MEMBER_CHANGED, {}, member.id));
    });
}

bool CLocalServiceAdmin::RemoveMember(const QString& memberId) {
    if (auto e = Svc::CheckId(memberId); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        if (!m_store.MemberExists(memberId))
            return m_store.Fail(CServiceError(CServiceError::UnknownMember, memberId));
        for (const SvcMembership& m : m_store.MembershipsOf(memberId))
            if (!m_store.Append(
                    MakeEvent(CServiceStore::EV_GROUP_MEMBER_REMOVED, m.groupId, memberId)))
                return false;
        const QVariant session = m_store.Scalar(
            QStringLiteral("SELECT session FROM sessions WHERE member_id = ?"), {memberId});
        if (session.isValid()) {
            Event e = MakeEvent(CServiceStore::EV_SESSION_ENDED, {}, memberId, session.toString());
            e.target = memberId;
            e.value = Svc::END_REMOVED;
            if (!m_store.Append(e))
                return false;
        }
        return m_store.LeaveAllChats(memberId, Svc::CHAT_REMOVED) &&
               m_store.Run(QStringLiteral("DELETE FROM deliveries WHERE member_id = ? AND"
                                          " recv_time IS NULL"),
                           {memberId}) &&
               m_store.Run(QStringLiteral("DELETE FROM members WHERE id = ?"), {memberId}) &&
               m_store.Append(MakeEvent(CServiceStore::EV_MEMBER_REMOVED, {}, memberId));
    });
}

bool CLocalServiceAdmin::SetPassword(const QString& memberId, const QString& password) {
    if (auto e = Svc::CheckId(memberId); e.IsError())
        return m_store.Fail(e);
    if (auto e = Svc::CheckPassword(password); e.IsError())
        return m_store.Fail(e);
    const CPasswordHash hash = CPasswordHash::Make(password);
    return m_store.Write([&] {
        if (!m_store.MemberExists(memberId))
            return m_store.Fail(CServiceError(CServiceError::UnknownMember, memberId));
        return m_store
            .Run(QStringLiteral("UPDATE members SET pw_salt=?, pw_hash=?, pw_iterations=?"
                                " WHERE id=?"),
                 {hash.salt, hash.hash, hash.iterations, memberId})
            .has_value();
    });
}

bool CLocalServiceAdmin::AddGroup(const SvcGroup& group) {
    if (auto e = Svc::CheckId(group.id); e.IsError())
        return m_store.Fail(e);
    if (!group.parentId.isEmpty())
        if (auto e = Svc::CheckId(group.parentId); e.IsError())
            return m_store.Fail(e);
    if (auto e = Svc::CheckField("group name", group.name); e.IsError())
        return m_store.Fail(e);
    if (auto e = Svc::CheckPresence(group.presence); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        if (m_store.GroupExists(group.id))
            return m_store.Fail(CServiceError(CServiceError::DuplicateGroup, group.id));
        if (!group.parentId.isEmpty() && !m_store.GroupExists(group.parentId))
            return m_store.Fail(CServiceError(CServiceError::UnknownGroup, group.parentId));
        const QVariant parent = group.parentId.isEmpty() ? QVariant() : QVariant(group.parentId);
        const int position =
            m_store
                .Scalar(QStringLiteral("SELECT COALESCE(MAX(position), -1) + 1 FROM groups WHERE"
                                       " parent_id IS ? "),
                        {parent})
                .toInt();
        return m_store.Run(
                   QStringLiteral("INSERT INTO groups(id, parent_id, name, position, status,"
                                  " icon, bkcolor) VALUES(?,?,?,?,?,?,?)"),
                   {group.id, parent, group.name.isEmpty() ? group.id : group.name, position,
                    group.presence.status, group.presence.icon, group.presence.bkColor}) &&
               m_store.Append(MakeEvent(CServiceStore::EV_GROUP_ADDED, group.id, {}));
    });
}

bool CLocalServiceAdmin::RemoveGroup(const QString& groupId) {
    if (auto e = Svc::CheckId(groupId); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        if (!m_store.GroupExists(groupId))
            return m_store.Fail(CServiceError(CServiceError::UnknownGroup, groupId));
        // The subtree in tree order; removal is reported deepest first.
        QStringList subtree;
        bool inside = false;
        int depthRoot = 0;
        QHash<QString, int> depth;
        for (const SvcGroup& g : m_store.Groups()) {
            const int d = g.parentId.isEmpty() ? 0 : depth.value(g.parentId) + 1;
            depth.insert(g.id, d);
            if (g.id == groupId) {
                inside = true;
                depthRoot = d;
            } else if (inside && d <= depthRoot) {
                break;
            }
            if (inside)
                subtree.append(g.id);
        }
        for (auto it = subtree.crbegin(); it != subtree.crend(); ++it)
            if (!m_store.Append(MakeEvent(CServiceStore::EV_GROUP_REMOVED, *it, {})))
                return false;
        return m_store.Run(QStringLiteral("DELETE FROM groups WHERE id = ?"), {groupId})
            .has_value();
    });
}

bool CLocalServiceAdmin::RenameGroup(const QString& groupId, const QString& name) {
    if (auto e = Svc::CheckId(groupId); e.IsError())
        return m_store.Fail(e);
    if (auto e = Svc::CheckField("group name", name); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        const auto group = m_store.Group(groupId);
        if (!group)
            return m_store.Fail(CServiceError(CServiceError::UnknownGroup, groupId));
        const QString newName = name.isEmpty() ? groupId : name;
        if (group->name == newName)
            return true;
        return m_store.Run(QStringLiteral("UPDATE groups SET name = ? WHERE id = ?"),
                           {newName, groupId}) &&
               m_store.Append(MakeEvent(CServiceStore::EV_GROUP_RENAMED, groupId, {}, group->name));
    });
}

bool CLocalServiceAdmin::MembershipExists(const QString& groupId, const QString& memberId) {
    return m_store
               .Scalar(QStringLiteral("SELECT COUNT(*) FROM memberships WHERE group_id = ? AND"
                                      " member_id = ?"),
                       {groupId, memberId})
               .toInt() > 0;
}

// The shape of a membership request, before the store is asked anything.
CServiceError CLocalServiceAdmin::CheckMembershipInput(const QString& groupId,
                                                       const QString& memberId,
                                                       const QString& name) {
    for (const QString& id : {groupId, memberId})
        if (auto e = Svc::CheckId(id); e.IsError())
            return e;
    return Svc::CheckField("name in group", name);
}

bool CLocalServiceAdmin::CheckMembershipArgs(const QString& groupId, const QString& memberId,
                                             bool mustExist) {
    if (!m_store.GroupExists(groupId))
        return m_store.Fail(CServiceError(CServiceError::UnknownGroup, groupId));
    if (!m_store.MemberExists(memberId))
        return m_store.Fail(CServiceError(CServiceError::UnknownMember, memberId));
    const bool exists = MembershipExists(groupId, memberId);
    if (mustExist && !exists)
        return m_store.Fail(CServiceError(CServiceError::NoMembership, groupId + u'/' + memberId));
    if (!mustExist && exists)
        return m_store.Fail(
            CServiceError(CServiceError::DuplicateMembership, groupId + u'/' + memberId));
    return true;
}

bool CLocalServiceAdmin::AddMembership(const QString& groupId, const QString& memberId, int role,
                                       const QString& name) {
    if (auto e = CheckMembershipInput(groupId, memberId, name); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        if (!CheckMembershipArgs(groupId, memberId, false))
            return false;
        if (!m_store.RoleExists(role))
            return m_store.Fail(CServiceError(CServiceError::UnknownRole, QString::number(role)));
        const SvcMember member = *m_store.Member(memberId);
        // A member already on line shows up on line in the new group too.
        SvcPresence presence{Svc::kStatusOff, {}, Svc::kColorOff};
        const auto others = m_store.MembershipsOf(memberId);
        if (member.online)
            presence = others.isEmpty() ? SvcPresence{Svc::kStatusOn, {}, Svc::kColorOn}
                                        : others.first().presence;
        const int position =
            m_store
                .Scalar(QStringLiteral("SELECT COALESCE(MAX(position), -1) + 1 FROM memberships"
                                       " WHERE group_id = ?"),
                        {groupId})
                .toInt();
        return m_store.Run(QStringLiteral("INSERT INTO memberships(group_id, member_id, name, role,"
                                          " position, status, icon, bkcolor)"
                                          " VALUES(?,?,?,?,?,?,?,?)"),
                           {groupId, memberId, name.isEmpty() ? member.DisplayName() : name, role,
                            position, presence.status, presence.icon, presence.bkColor}) &&
               m_store.Append(MakeEvent(CServiceStore::EV_GROUP_MEMBER_ADDED, groupId, memberId));
    });
}

bool CLocalServiceAdmin::RemoveMembership(const QString& groupId, const QString& memberId) {
    if (auto e = CheckMembershipInput(groupId, memberId, {}); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        return CheckMembershipArgs(groupId, memberId, true) &&
               m_store.Run(QStringLiteral("DELETE FROM memberships WHERE group_id = ? AND"
                                          " member_id = ?"),
                           {groupId, memberId}) &&
               m_store.Append(MakeEvent(CServiceStore::EV_GROUP_MEMBER_REMOVED, groupId, memberId));
    });
}

bool CLocalServiceAdmin::SetMembership(const QString& groupId, const QString& memberId, int role,
                                       const QString& name) {
    if (auto e = CheckMembershipInput(groupId, memberId, name); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        if (!CheckMembershipArgs(groupId, memberId, true))
            return false;
        if (!m_store.RoleExists(role))
            return m_store.Fail(CServiceError(CServiceError::UnknownRole, QString::number(role)));
        const QString newName = name.isEmpty() ? m_store.Member(memberId)->DisplayName() : name;
        return m_store.Run(QStringLiteral("UPDATE memberships SET role = ?, name = ? WHERE"
                                          " group_id = ? AND member_id = ?"),
                           {role, newName, groupId, memberId}) &&
               m_store.Append(MakeEvent(CServiceStore::EV_GROUP_MEMBER_CHANGED, groupId, memberId));
    });
}

bool CLocalServiceAdmin::AddRole(int role, const QString& name) {
    if (auto e = Svc::CheckField("role name", name); e.IsError())
        return m_store.Fail(e);
    return m_store.Write([&] {
        return m_store
            .Run(QStringLiteral("INSERT OR REPLACE INTO roles(role, name) VALUES(?, ?)"),
                 {role, name})
            .has_value();
    });
}

bool CLocalServiceAdmin::Sweep() {
    return m_store.Write([this] { return m_store.SweepExpired(); });
}
