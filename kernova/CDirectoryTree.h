// The member and group directory as the core hands it to the plug-ins: a tree of CIMGroup
// objects with their memberships, and CIMMember profiles, built from the service's plain
// values. The records handed out stay valid until the next Rebuild or Clear.
#pragma once

#include "kernova/service/ServiceRecords.h"
#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"

#include <QHash>
#include <map>
#include <memory>
#include <optional>

class CDirectoryTree {
public:
    CDirectoryTree();
    ~CDirectoryTree();

    // groups: parents before children, siblings in order (as the service lists them).
    void Rebuild(const QList<SvcGroup>& groups, const QList<SvcMembership>& memberships,
                 const QList<SvcMember>& members);
    void Clear();

    // The first top-level group (its siblings and sub-groups hang off it); null when empty.
    const tagIMGROUP* All() const;
    int GroupCount() const { return int(m_groups.size()); }
    // One group with its memberships and sub-groups but without its siblings; null when unknown.
    const tagIMGROUP* Group(const QString& groupId);
    // The memberships of a group (empty memberId), or only that member's membership in it.
    const tagIMGRPMEMBER* Members(const QString& groupId, const QString& memberId);
    const tagIMMEMBER* Member(const QString& memberId);
    // The member's profile as the last Rebuild saw it.
    std::optional<SvcMember> Profile(const QString& memberId) const;
    // Ids of the groups the member belongs to, in tree order.
    QStringList GroupsOf(const QString& memberId) const;
    QStringList GroupIds() const { return m_order; }

    // Profile values as the object library keeps them.
    static void Fill(CIMMember& member, const SvcMember& source);

private:
    std::unique_ptr<CIMGroup> m_root;
    QHash<QString, CIMGroup*> m_groups;
    QStringList m_order;
    QHash<QString, SvcMember> m_members;
    std::map<QString, std::unique_ptr<CIMGroup>> m_groupCopies;
    std::map<QString, std::unique_ptr<CIMGrpMember>> m_membershipCopies;
    std::map<QString, std::unique_ptr<CIMMember>> m_memberCopies;
};
