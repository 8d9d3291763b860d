// The presence plug-in's own copy of the group tree and the synthetic group of on-line
// members ("OnNetters"), which holds every distinct member of the tree once. Presence and
// name events patch the copy in place from the core's fresh records, so that rows pointing
// at its memberships stay valid.
#pragma once

#include "obrix/CIMGroup.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CAvalinDirectory {
public:
    static inline const QString kOnNettersID = QStringLiteral("OnNetters");
    static inline const QString kOnNettersName = QStringLiteral("OnNetMembers");
    // The group id of a presence event that concerns every group of the member.
    static inline const QString kAllGroups = QStringLiteral("all");

    // The core's fresh membership of a member in a group, null when there is none.
    using FetchMembership =
        std::function<const tagIMGRPMEMBER*(const QString& groupId, const QString& memberId)>;

    CAvalinDirectory();
    ~CAvalinDirectory();

    // Replaces the copy by the tree under the record (null: no groups) and rebuilds the
    // on-line members group.
    void Replace(const tagIMGROUP* first);
    void Clear();

    // The first group of the copy (siblings and sub-groups hang off it); null when none.
    CIMGroup* Groups() const { return m_tree.get(); }
    CIMGroup& OnNetters() const { return *m_onNetters; }
    // A group of the copy by exact id, the on-line members group included.
    CIMGroup* Group(const QString& groupId) const;
    QStringList GroupIds() const;

    // What a presence event changed: the member's entry in the on-line members group (null
    // when nothing changed) and the groups whose membership was updated.
    struct PresenceChange {
        CIMGrpMember* onNetMember = nullptr;
        QStringList groupIds;
    };
    // Copies id, name, role and presence of the member from the core's records into the
    // copy, for one group or, for the group id "all" (any case), every group that holds it.
    // Unknown groups and members change nothing.
    PresenceChange ApplyPresence(const QString& groupId, const QString& memberId,
                                 const FetchMembership& fetch);
    // Copies name and presence of a group from the core's record; false when either is
    // missing.
    bool ApplyGroupName(const QString& groupId, const tagIMGROUP* fresh);

    static void CopyMembership(CIMGrpMember& to, const tagIMGRPMEMBER& from);

private:
    void RebuildOnNetters();

    std::unique_ptr<CIMGroup> m_tree;
    std::unique_ptr<CIMGroup> m_onNetters;
    QHash<QString, CIMGroup*> m_groups;
    QHash<QString, CIMGrpMember*> m_onNetIndex;
};
