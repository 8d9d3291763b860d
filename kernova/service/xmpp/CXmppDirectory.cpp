#include "kernova/service/xmpp/CXmppDirectory.h"

#include <QSet>
#include <algorithm>
#include <limits>

namespace {

const SvcPresence kOff{Svc::kStatusOff, {}, Svc::kColorOff};

bool SameProfile(const SvcMember& a, const SvcMember& b) {
    for (int set = 0; set < 2; ++set)
        if (a.familyName[set] != b.familyName[set] || a.firstName[set] != b.firstName[set] ||
            a.middleName[set] != b.middleName[set])
            return false;
    return a.alias == b.alias && a.telephone == b.telephone && a.email == b.email &&
           a.sex == b.sex && a.birth == b.birth && a.memo == b.memo;
}

} // namespace

int CXmppDirectory::GroupOrder(const QString& groupId) const {
    if (m_orderDirty) {
        m_groupOrder.clear();
        int i = 0;
        for (const SvcGroup& g : Groups())
            m_groupOrder.insert(g.id, i++);
        m_orderDirty = false;
    }
    return m_groupOrder.value(groupId, std::numeric_limits<int>::max());
}

void CXmppDirectory::Clear() {
    m_orderDirty = true;
    m_members.clear();
    m_memberByFolded.clear();
    m_groups.clear();
    m_roles.clear();
    m_presence.clear();
    m_online.clear();
}

QString CXmppDirectory::MemberForNode(const QString& node) const {
    if (m_members.contains(node))
        return node;
    return m_memberByFolded.value(node.toLower());
}

bool CXmppDirectory::ApplyItem(const QString& itemId, const XmppNode& payload,
                               QList<Change>* changes) {
    const auto [kind, bucket] = Xmpp::ParseItemId(itemId);
    switch (kind) {
    case Xmpp::ItemKind::Roles: {
        const auto roles = Xmpp::DecodeRoles(payload);
        if (roles)
            m_roles = *roles;
        return roles.has_value();
    }
    case Xmpp::ItemKind::Members: {
        const auto members = Xmpp::DecodeMemberBucket(payload, bucket);
        if (members)
            SetMemberBucket(bucket, *members, changes);
        return members.has_value();
    }
    case Xmpp::ItemKind::Groups: {
        const auto groups = Xmpp::DecodeGroupBucket(payload, bucket);
        if (groups)
            SetGroupBucket(bucket, *groups, changes);
        return groups.has_value();
    }
    case Xmpp::ItemKind::Unknown:
        break;
    }
    return false;
}

void CXmppDirectory::Retract(const QString& itemId, QList<Change>* changes) {
    const auto [kind, bucket] = Xmpp::ParseItemId(itemId);
    if (kind == Xmpp::ItemKind::Members)
        SetMemberBucket(bucket, {}, changes);
    else if (kind == Xmpp::ItemKind::Groups)
        SetGroupBucket(bucket, {}, changes);
    else if (kind == Xmpp::ItemKind::Roles)
        m_roles.clear();
}

void CXmppDirectory::SetMemberBucket(int bucket, const QList<SvcMember>& members,
                                     QList<Change>* changes) {
    QSet<QString> kept;
    for (const SvcMember& m : members)
        kept.insert(m.id);
    QStringList gone;
    for (auto it = m_members.cbegin(); it != m_members.cend(); ++it)
        if (!kept.contains(it.key()) && Xmpp::BucketOf(it.key()) == bucket)
            gone.append(it.key());
    gone.sort();
    for (const SvcMember& m : members)
        SetMember(m, changes);
    for (const QString& id : gone)
        DropMember(id, changes);
}

void CXmppDirectory::DropMember(const QString& id, QList<Change>* changes) {
    if (!m_members.remove(id))
        return;
    m_memberByFolded.remove(id.toLower());
    m_presence.remove(id);
    m_online.remove(id);
    changes->append({Change::MemberRemoved, {}, id, {}, {}});
}

void CXmppDirectory::SetGroupBucket(int bucket, const QList<Xmpp::DirectoryGroup>& groups,
                                    QList<Change>* changes) {
    QSet<QString> kept;
    for (const Xmpp::DirectoryGroup& g : groups)
        kept.insert(g.group.id);
    QStringList gone;
    for (auto it = m_groups.cbegin(); it != m_groups.cend(); ++it)
        if (!kept.contains(it.key()) && Xmpp::BucketOf(it.key()) == bucket)
            gone.append(it.key());
    gone.sort();
    for (const QString& id : gone)
        DropGroup(id, changes);
    // Parents before their children, so that no listener sees a group below an unknown one.
    QList<Xmpp::DirectoryGroup> waiting = groups;
    while (!waiting.isEmpty()) {
        QSet<QString> waitingIds;
        for (const Xmpp::DirectoryGroup& g : waiting)
            waitingIds.insert(g.group.id);
        QList<Xmpp::DirectoryGroup> later;
        for (const Xmpp::DirectoryGroup& g : waiting) {
            if (waitingIds.contains(g.group.parentId))
                later.append(g);
            else
                SetGroup(g, changes);
        }
        if (later.size() == waiting.size()) { // a cycle in what was published
            for (const Xmpp::DirectoryGroup& g : later)
                SetGroup(g, changes);
            break;
        }
        waiting = later;
    }
}

void CXmppDirectory::SetMember(const SvcMember& member, QList<Change>* changes) {
    auto it = m_members.find(member.id);
    if (it == m_members.end()) {
        m_members.insert(member.id, member);
        m_memberByFolded.insert(member.id.toLower(), member.id);
        changes->append({Change::MemberAdded, {}, member.id, {}, {}});
    } else if (!SameProfile(*it, member)) {
        *it = member;
        changes->append({Change::MemberChanged, {}, member.id, {}, {}});
    }
}

void CXmppDirectory::SetGroup(const Xmpp::DirectoryGroup& wanted, QList<Change>* changes) {
    m_orderDirty = true;
    const QString id = wanted.group.id;
    Xmpp::DirectoryGroup incoming = wanted;
    for (SvcMembership& m : incoming.members)
        m.presence = PresenceIn(id, m.memberId);
    auto it = m_groups.find(id);
    if (it == m_groups.end()) {
        m_groups.insert(id, incoming);
        changes->append({Change::GroupAdded, id, {}, {}, {}});
        for (const SvcMembership& m : incoming.members)
            changes->append({Change::GroupMemberAdded, id, m.memberId, {}, {}});
        return;
    }
    const Xmpp::DirectoryGroup before = *it;
    *it = incoming;
    if (before.group.name != incoming.group.name)
        changes->append({Change::GroupRenamed, id, {}, before.group.name, {}});
    QHash<QString, SvcMembership> old;
    for (const SvcMembership& m : before.members)
        old.insert(m.memberId, m);
    for (const SvcMembership& m : incoming.members) {
        const auto o = old.find(m.memberId);
        if (o == old.end())
            changes->append({Change::GroupMemberAdded, id, m.memberId, {}, {}});
        else if (o->name != m.name || o->role != m.role)
            changes->append({Change::GroupMemberChanged, id, m.memberId, {}, {}});
        old.remove(m.memberId);
    }
    for (const SvcMembership& m : before.members)
        if (old.contains(m.memberId))
            changes->append({Change::GroupMemberRemoved, id, m.memberId, {}, {}});
}

void CXmppDirectory::DropGroup(const QString& groupId, QList<Change>* changes) {
    m_orderDirty = true;
    if (!m_groups.contains(groupId))
        return;
    // Sub-groups go with their parent.
    QStringList children;
    for (const auto& g : std::as_const(m_groups))
        if (g.group.parentId == groupId)
            children.append(g.group.id);
    for (const QString& c : children)
        DropGroup(c, changes);
    m_groups.remove(groupId);
    changes->append({Change::GroupRemoved, groupId, {}, {}, {}});
}

SvcPresence CXmppDirectory::PresenceIn(const QString& groupId, const QString& memberId) const {
    const auto it = m_presence.find(memberId);
    if (it == m_presence.end())
        return kOff;
    if (const auto g = it->find(groupId); g != it->end())
        return *g;
    return it->value(Svc::kAllGroups,
                     it->isEmpty() ? kOff : SvcPresence{Svc::kStatusOn, {}, Svc::kColorOn});
}

void CXmppDirectory::ApplyPresence(const QString& memberId, const Xmpp::PresenceMap& presence,
                                   bool online, QList<Change>* changes) {
    if (online)
        m_online.insert(memberId);
    else
        m_online.remove(memberId);
    m_presence.insert(memberId, presence);
    // Which memberships change, and whether they all changed alike.
    QList<std::pair<SvcMembership*, SvcPresence>> changed;
    int total = 0;
    for (auto& g : m_groups) {
        for (SvcMembership& m : g.members) {
            if (m.memberId != memberId)
                continue;
            ++total;
            const SvcPresence now = PresenceIn(m.groupId, memberId);
            if (now != m.presence)
                changed.append({&m, now});
        }
    }
    if (changed.isEmpty())
        return;
    const bool allAlike =
        changed.size() == total && std::all_of(changed.begin(), changed.end(), [&](const auto& c) {
            return c.second == changed.first().second;
        });
    if (allAlike) {
        // The first membership in directory order speaks for the previous status.
        const auto first =
            std::min_element(changed.begin(), changed.end(), [this](const auto& x, const auto& y) {
                return GroupOrder(x.first->groupId) < GroupOrder(y.first->groupId);
            });
        const QString previous = first->first->presence.status;
        for (auto& [m, now] : changed)
            m->presence = now;
        changes->append(
            {Change::Presence, Svc::kAllGroups, memberId, previous, changed.first().second});
        return;
    }
    std::sort(changed.begin(), changed.end(),
              [](const auto& a, const auto& b) { return a.first->groupId < b.first->groupId; });
    for (auto& [m, now] : changed) {
        changes->append({Change::Presence, m->groupId, memberId, m->presence.status, now});
        m->presence = now;
    }
}

QStringList CXmppDirectory::OnlineMembers() const {
    QStringList ids(m_online.begin(), m_online.end());
    ids.sort();
    return ids;
}

QList<SvcMember> CXmppDirectory::Members() const {
    QList<SvcMember> all;
    all.reserve(m_members.size());
    for (const SvcMember& m : m_members) {
        all.append(m);
        all.last().online = m_online.contains(m.id);
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return all;
}

std::optional<SvcMember> CXmppDirectory::Member(const QString& id) const {
    const auto it = m_members.find(id);
    if (it == m_members.end())
        return std::nullopt;
    SvcMember m = *it;
    m.online = m_online.contains(id);
    return m;
}

QList<SvcGroup> CXmppDirectory::Groups() const {
    QHash<QString, QList<const SvcGroup*>> byParent;
    for (const auto& g : m_groups) {
        // A group whose parent is unknown is shown at the top rather than lost.
        const QString parent = m_groups.contains(g.group.parentId) ? g.group.parentId : QString();
        byParent[parent].append(&g.group);
    }
    for (auto& siblings : byParent)
        std::sort(siblings.begin(), siblings.end(), [](const SvcGroup* a, const SvcGroup* b) {
            return a->position != b->position ? a->position < b->position : a->id < b->id;
        });
    QList<SvcGroup> ordered;
    QSet<QString> placed;
    std::function<void(const QString&)> walk = [&](const QString& parent) {
        for (const SvcGroup* g : byParent.value(parent)) {
            if (placed.contains(g->id))
                continue; // a cycle in what was published
            placed.insert(g->id);
            ordered.append(*g);
            walk(g->id);
        }
    };
    walk({});
    return ordered;
}

std::optional<SvcGroup> CXmppDirectory::Group(const QString& id) const {
    const auto it = m_groups.find(id);
    if (it == m_groups.end())
        return std::nullopt;
    return it->group;
}

QList<SvcMembership> CXmppDirectory::Memberships(const QString& groupId) const {
    QList<SvcMembership> out;
    auto add = [&](const Xmpp::DirectoryGroup& g) {
        QList<SvcMembership> members = g.members;
        std::stable_sort(members.begin(), members.end(),
                         [](const auto& a, const auto& b) { return a.position < b.position; });
        out.append(members);
    };
    if (!groupId.isEmpty()) {
        if (const auto it = m_groups.find(groupId); it != m_groups.end())
            add(*it);
        return out;
    }
    for (const SvcGroup& g : Groups())
        add(m_groups[g.id]);
    return out;
}

QList<SvcMembership> CXmppDirectory::MembershipsOf(const QString& memberId) const {
    QList<SvcMembership> out;
    for (const SvcMembership& m : Memberships())
        if (m.memberId == memberId)
            out.append(m);
    return out;
}

Xmpp::DirectoryGroup CXmppDirectory::GroupItem(const QString& id) const {
    return m_groups.value(id);
}

QList<SvcMember> CXmppDirectory::MembersIn(int bucket) const {
    QList<SvcMember> out;
    for (const SvcMember& m : m_members)
        if (Xmpp::BucketOf(m.id) == bucket)
            out.append(m);
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return out;
}

QList<Xmpp::DirectoryGroup> CXmppDirectory::GroupsIn(int bucket) const {
    QList<Xmpp::DirectoryGroup> out;
    for (const Xmpp::DirectoryGroup& g : m_groups)
        if (Xmpp::BucketOf(g.group.id) == bucket)
            out.append(g);
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.group.id < b.group.id; });
    return out;
}
