#include "kernova/CDirectoryTree.h"

#include <algorithm>

// Everything one Rebuild makes. The maps are node based, so the records kept in their values
// stay where they are while the maps grow.
struct CDirectoryTree::Generation {
    struct GroupEntry {
        CIMGroup* node = nullptr;
        int position = 0;   // in tree order
        tagIMGROUP alone{}; // handed out by Group(): the group's record without its siblings
    };
    // One membership, found by its member without walking the group's chain.
    struct Placement {
        QString groupId;
        int groupPosition = 0;
        CIMGrpMember* node = nullptr;
        tagIMGRPMEMBER alone{}; // handed out by Members(group, member): without its successors
    };

    std::unique_ptr<CIMGroup> root;
    std::unordered_map<QString, GroupEntry> groups;
    QStringList order;
    // Member id to its memberships in tree order.
    std::unordered_map<QString, std::vector<Placement>> placements;
    QHash<QString, SvcMember> members;
    std::unordered_map<QString, std::unique_ptr<CIMMember>> memberCopies;
};

namespace {

void ApplyPresence(CAvalin& target, const SvcPresence& presence) {
    target.SetStatus(presence.status);
    target.SetIcon(presence.icon);
    target.SetBkColor(presence.bkColor);
}

} // namespace

CDirectoryTree::CDirectoryTree() : m_now(std::make_unique<Generation>()) {
    m_release.setSingleShot(true);
    m_release.setInterval(0);
    QObject::connect(&m_release, &QTimer::timeout, &m_release, [this] { ReleaseRetired(); });
}

CDirectoryTree::~CDirectoryTree() = default;

void CDirectoryTree::Retire(std::unique_ptr<Generation> old) {
    m_retired.push_back(std::move(old));
    if (!m_release.isActive())
        m_release.start();
}

void CDirectoryTree::Retire(const QString& text) {
    m_retiredTexts.append(text); // shares the characters a record may still point at
    if (!m_release.isActive())
        m_release.start();
}

void CDirectoryTree::ReleaseRetired() {
    m_retired.clear();
    m_retiredTexts.clear();
}

void CDirectoryTree::Clear() {
    Retire(std::exchange(m_now, std::make_unique<Generation>()));
}

void CDirectoryTree::Rebuild(const QList<SvcGroup>& groups, const QList<SvcMembership>& memberships,
                             const QList<SvcMember>& members) {
    auto next = std::make_unique<Generation>();
    Generation& d = *next;
    CIMGroup* lastTop = nullptr;
    QHash<QString, CIMGroup*> lastChild;
    for (const SvcGroup& g : groups) {
        if (d.groups.count(g.id))
            continue;
        CIMGroup* node = nullptr;
        const auto parent = g.parentId.isEmpty() ? d.groups.end() : d.groups.find(g.parentId);
        if (parent != d.groups.end()) {
            CIMGroup* last = lastChild.value(g.parentId);
            node = last ? last->CreateBros() : parent->second.node->CreateChild();
            lastChild.insert(g.parentId, node);
        } else {
            // A group whose parent is unknown is shown at the top rather than lost.
            if (!d.root) {
                d.root = std::make_unique<CIMGroup>();
                node = d.root.get();
            } else {
                node = lastTop->CreateBros();
            }
            lastTop = node;
        }
        node->SetID(g.id);
        node->SetName(g.name);
        ApplyPresence(*node, g.presence);
        d.groups[g.id] = {node, int(d.order.size()), {}};
        d.order.append(g.id);
    }
    for (const SvcMembership& ms : memberships) {
        const auto group = d.groups.find(ms.groupId);
        if (group == d.groups.end())
            continue;
        CIMGrpMember* member = group->second.node->AddMember(ms.memberId);
        member->SetName(ms.name);
        member->SetRole(tageIMROLE(ms.role));
        ApplyPresence(*member, ms.presence);
        d.placements[ms.memberId].push_back({ms.groupId, group->second.position, member, {}});
    }
    for (auto& [memberId, places] : d.placements)
        std::stable_sort(places.begin(), places.end(), [](const auto& a, const auto& b) {
            return a.groupPosition < b.groupPosition;
        });
    for (const SvcMember& m : members)
        d.members.insert(m.id, m);
    Retire(std::exchange(m_now, std::move(next)));
}

bool CDirectoryTree::PatchPresence(const QString& groupId, const QString& memberId,
                                   const SvcPresence& presence) {
    const auto it = Now().placements.find(memberId);
    if (it == Now().placements.end())
        return false;
    const bool everyGroup = groupId == Svc::kAllGroups;
    bool patched = false;
    for (Generation::Placement& place : it->second) {
        if (!everyGroup && place.groupId != groupId)
            continue;
        Retire(place.node->GetStatus());
        Retire(place.node->GetIcon());
        ApplyPresence(*place.node, presence);
        patched = true;
    }
    return patched;
}

const tagIMGROUP* CDirectoryTree::All() const {
    return m_now->root ? static_cast<const tagIMGROUP*>(*m_now->root) : nullptr;
}

int CDirectoryTree::GroupCount() const {
    return int(m_now->groups.size());
}

const tagIMGROUP* CDirectoryTree::Group(const QString& groupId) {
    const auto it = Now().groups.find(groupId);
    if (it == Now().groups.end())
        return nullptr;
    // The group's own record read afresh, so that it shows the latest patches; its sub-groups
    // and memberships are the tree's own.
    Generation::GroupEntry& entry = it->second;
    entry.alone = *static_cast<const tagIMGROUP*>(*entry.node);
    entry.alone.pBros = nullptr;
    return &entry.alone;
}

const tagIMGRPMEMBER* CDirectoryTree::Members(const QString& groupId, const QString& memberId) {
    if (memberId.isEmpty()) {
        const auto it = Now().groups.find(groupId);
        if (it == Now().groups.end())
            return nullptr;
        const CIMGrpMember* first = it->second.node->GetMember();
        return first ? static_cast<const tagIMGRPMEMBER*>(*first) : nullptr;
    }
    const auto it = Now().placements.find(memberId);
    if (it == Now().placements.end())
        return nullptr;
    for (Generation::Placement& place : it->second) {
        if (place.groupId != groupId)
            continue;
        place.alone = *static_cast<const tagIMGRPMEMBER*>(*place.node);
        place.alone.pBros = nullptr;
        return &place.alone;
    }
    return nullptr;
}

const tagIMMEMBER* CDirectoryTree::Member(const QString& memberId) {
    const auto it = Now().members.constFind(memberId);
    if (it == Now().members.constEnd())
        return nullptr;
    auto& copy = Now().memberCopies[memberId];
    if (!copy) {
        copy = std::make_unique<CIMMember>();
        Fill(*copy, *it);
    }
    return *copy;
}

std::optional<SvcMember> CDirectoryTree::Profile(const QString& memberId) const {
    const auto it = m_now->members.constFind(memberId);
    if (it == m_now->members.constEnd())
        return std::nullopt;
    return *it;
}

QStringList CDirectoryTree::GroupsOf(const QString& memberId) const {
    QStringList ids;
    const auto it = m_now->placements.find(memberId);
    if (it != m_now->placements.end())
        for (const Generation::Placement& place : it->second)
            ids.append(place.groupId);
    return ids;
}

QStringList CDirectoryTree::GroupIds() const {
    return m_now->order;
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
