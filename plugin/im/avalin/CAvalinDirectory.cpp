#include "plugin/im/avalin/CAvalinDirectory.h"

#include "plugin/im/avalin/CGroupWalk.h"

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
    m_onNetters->ClearMember();
    m_onNetIndex.clear();
    ForEachGroup(m_tree.get(), [this](const CIMGroup& group) {
        for (const CIMGrpMember* m = group.GetMember(); m; m = m->GetBros()) {
            if (m_onNetIndex.contains(m->GetID()))
                continue;
            CIMGrpMember* copy = m_onNetters->AddMember(m->GetID());
            CopyMembership(*copy, *static_cast<const tagIMGRPMEMBER*>(*m));
            m_onNetIndex.insert(m->GetID(), copy);
        }
    });
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
