#include "kernova/CDirectoryTree.h"

namespace {

void ApplyPresence(CAvalin& target, const SvcPresence& presence) {
    target.SetStatus(presence.status);
    target.SetIcon(presence.icon);
    target.SetBkColor(presence.bkColor);
}

} // namespace

CDirectoryTree::CDirectoryTree() = default;
CDirectoryTree::~CDirectoryTree() = default;

void CDirectoryTree::Clear() {
    m_groupCopies.clear();
    m_membershipCopies.clear();
    m_memberCopies.clear();
    m_groups.clear();
    m_order.clear();
    m_members.clear();
    m_root.reset();
}

void CDirectoryTree::Rebuild(const QList<SvcGroup>& groups, const QList<SvcMembership>& memberships,
                             const QList<SvcMember>& members) {
    Clear();
    CIMGroup* lastTop = nullptr;
    QHash<QString, CIMGroup*> lastChild;
    for (const SvcGroup& g : groups) {
        if (m_groups.contains(g.id))
            continue;
        CIMGroup* node = nullptr;
        CIMGroup* parent = g.parentId.isEmpty() ? nullptr : m_groups.value(g.parentId);
        if (parent) {
            CIMGroup* last = lastChild.value(g.parentId);
            node = last ? last->CreateBros() : parent->CreateChild();
            lastChild.insert(g.parentId, node);
        } else {
            // A group whose parent is unknown is shown at the top rather than lost.
            if (!m_root) {
                m_root = std::make_unique<CIMGroup>();
                node = m_root.get();
            } else {
                node = lastTop->CreateBros();
            }
            lastTop = node;
        }
        node->SetID(g.id);
        node->SetName(g.name);
        ApplyPresence(*node, g.presence);
        m_groups.insert(g.id, node);
        m_order.append(g.id);
    }
    for (const SvcMembership& ms : memberships) {
        CIMGroup* group = m_groups.value(ms.groupId);
        if (!group)
            continue;
        CIMGrpMember* member = group->AddMember(ms.memberId);
        member->SetName(ms.name);
        member->SetRole(tageIMROLE(ms.role));
        ApplyPresence(*member, ms.presence);
    }
    for (const SvcMember& m : members)
        m_members.insert(m.id, m);
}

const tagIMGROUP* CDirectoryTree::All() const {
    return m_root ? static_cast<const tagIMGROUP*>(*m_root) : nullptr;
}

const tagIMGROUP* CDirectoryTree::Group(const QString& groupId) {
    CIMGroup* node = m_groups.value(groupId);
    if (!node)
        return nullptr;
    auto& copy = m_groupCopies[groupId];
    if (!copy) {
        copy = std::make_unique<CIMGroup>(*node);
        copy->RemoveBros();
    }
    return *copy;
}

const tagIMGRPMEMBER* CDirectoryTree::Members(const QString& groupId, const QString& memberId) {
    CIMGroup* node = m_groups.value(groupId);
    if (!node)
        return nullptr;
    if (memberId.isEmpty()) {
        CIMGrpMember* first = node->GetMember();
        return first ? static_cast<const tagIMGRPMEMBER*>(*first) : nullptr;
    }
    CIMGrpMember* found = node->GetMember(memberId);
    if (!found)
        return nullptr;
    auto& copy = m_membershipCopies[groupId + u'\n' + memberId];
    if (!copy) {
        copy = std::make_unique<CIMGrpMember>();
        copy->SetID(found->GetID());
        copy->SetName(found->GetName());
        copy->SetRole(found->GetRole());
        static_cast<CAvalin&>(*copy) = *found;
    }
    return *copy;
}

const tagIMMEMBER* CDirectoryTree::Member(const QString& memberId) {
    const auto it = m_members.constFind(memberId);
    if (it == m_members.constEnd())
        return nullptr;
    auto& copy = m_memberCopies[memberId];
    if (!copy) {
        copy = std::make_unique<CIMMember>();
        Fill(*copy, *it);
    }
    return *copy;
}

std::optional<SvcMember> CDirectoryTree::Profile(const QString& memberId) const {
    const auto it = m_members.constFind(memberId);
    if (it == m_members.constEnd())
        return std::nullopt;
    return *it;
}

QStringList CDirectoryTree::GroupsOf(const QString& memberId) const {
    QStringList ids;
    for (const QString& id : m_order)
        if (m_groups.value(id)->GetMember(memberId))
            ids.append(id);
    return ids;
}

void CDirectoryTree::Fill(CIMMember& member, const SvcMember& source) {
    member.SetID(source.id);
    member.SetAlias(source.alias);
    for (int set = 0; set < 2; ++set) {
        member.SetFamilyName(source.familyName[set], set);
        member.SetFirstName(source.firstName[set], set);
        member.SetMiddleName(source.middleName[set], set);
    }
    member.SetTelephone(source.telephone);
    member.SetEmail(source.email);
    member.SetSex(source.sex);
    member.SetMemo(source.memo);
    SYSTEMTIME birth{};
    if (source.birth.isValid()) {
        birth.wYear = uint16_t(source.birth.year());
        birth.wMonth = uint16_t(source.birth.month());
        birth.wDay = uint16_t(source.birth.day());
        birth.wDayOfWeek = uint16_t(source.birth.dayOfWeek() % 7);
    }
    member.SetBirth(birth);
}
