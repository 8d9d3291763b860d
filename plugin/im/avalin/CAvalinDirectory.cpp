#include "plugin/im/avalin/CAvalinDirectory.h"

#include "plugin/im/avalin/CGroupWalk.h"

#include <QSet>

#include <vector>

namespace {

QString Text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

} // namespace

CAvalinDirectory::CAvalinDirectory() : m_onNetters(std::make_unique<CIMGroup>()) {
    m_onNetters->SetID(kOnNettersID);
    m_onNetters->SetName(kOnNettersName);
}

CAvalinDirectory::~CAvalinDirectory() = default;

void CAvalinDirectory::Replace(const tagIMGROUP* first) {
    m_tree.reset();
    if (first) {
        m_tree = std::make_unique<CIMGroup>();
        *m_tree = first;
    }
    m_groups.clear();
    ForEachGroup(m_tree.get(), [this](CIMGroup& group) {
        if (!m_groups.contains(group.GetID()))
            m_groups.insert(group.GetID(), &group);
    });
    RebuildOnNetters();
}

void CAvalinDirectory::Clear() {
    Replace(nullptr);
}

void CAvalinDirectory::RebuildOnNetters() {
    // The first membership of every member, as a chain of records that the group copies in
    // one pass (appending one by one would walk the chain for every member).
    std::vector<tagIMGRPMEMBER> chain;
    QSet<QString> seen;
    ForEachGroup(m_tree.get(), [&](const CIMGroup& group) {
        for (const CIMGrpMember* m = group.GetMember(); m; m = m->GetBros()) {
            if (!seen.contains(m->GetID())) {
                seen.insert(m->GetID());
                chain.push_back(*static_cast<const tagIMGRPMEMBER*>(*m));
            }
        }
    });
    for (size_t i = 0; i < chain.size(); ++i)
        chain[i].pBros = i + 1 < chain.size() ? &chain[i + 1] : nullptr;
    tagIMGROUP record{};
    record.pszID = reinterpret_cast<const char16_t*>(kOnNettersID.utf16());
    record.pszName = reinterpret_cast<const char16_t*>(kOnNettersName.utf16());
    record.nMembers = int32_t(chain.size());
    record.pMember = chain.empty() ? nullptr : chain.data();
    m_onNetters = std::make_unique<CIMGroup>();
    *m_onNetters = &record;
    m_onNetIndex.clear();
    m_onNetIndex.reserve(qsizetype(chain.size()));
    for (CIMGrpMember* m = m_onNetters->GetMember(); m; m = m->GetBros())
        m_onNetIndex.insert(m->GetID(), m);
}

CIMGroup* CAvalinDirectory::Group(const QString& groupId) const {
    if (groupId == kOnNettersID)
        return m_onNetters.get();
    return m_groups.value(groupId);
}

QStringList CAvalinDirectory::GroupIds() const {
    QStringList ids;
    ForEachGroup(m_tree.get(), [&ids](const CIMGroup& group) { ids.append(group.GetID()); });
    return ids;
}

void CAvalinDirectory::CopyMembership(CIMGrpMember& to, const tagIMGRPMEMBER& from) {
    to.SetID(Text(from.pszID));
    to.SetName(Text(from.pszName));
    to.SetRole(from.eRole);
    // Status first: "off" fixes the colour, and leaving "off" lets the colour through again.
    to.SetStatus(Text(from.presence.pszStatus));
    to.SetIcon(Text(from.presence.pszIcon));
    to.SetBkColor(from.presence.dwBkColor);
}

CAvalinDirectory::PresenceChange CAvalinDirectory::ApplyPresence(const QString& groupId,
                                                                 const QString& memberId,
                                                                 const FetchMembership& fetch) {
    PresenceChange change;
    auto apply = [&](CIMGroup& group) {
        CIMGrpMember* own = group.GetMember(memberId);
        const tagIMGRPMEMBER* fresh = own ? fetch(group.GetID(), memberId) : nullptr;
        if (!fresh)
            return;
        CopyMembership(*own, *fresh);
        change.groupIds.append(group.GetID());
        // The on-line members group follows the first group that reports the member.
        if (!change.onNetMember) {
            if (CIMGrpMember* onNet = m_onNetIndex.value(memberId)) {
                CopyMembership(*onNet, *fresh);
                change.onNetMember = onNet;
            }
        }
    };
    if (groupId.compare(kAllGroups, Qt::CaseInsensitive) == 0)
        ForEachGroup(m_tree.get(), apply);
    else if (CIMGroup* group = m_groups.value(groupId))
        apply(*group);
    return change;
}

bool CAvalinDirectory::ApplyGroupName(const QString& groupId, const tagIMGROUP* fresh) {
    CIMGroup* own = m_groups.value(groupId);
    if (!own || !fresh)
        return false;
    own->SetName(Text(fresh->pszName));
    own->SetStatus(Text(fresh->presence.pszStatus));
    own->SetIcon(Text(fresh->presence.pszIcon));
    own->SetBkColor(fresh->presence.dwBkColor);
    return true;
}
