// The member and group directory as the core hands it to the plug-ins: a tree of CIMGroup
// objects with their memberships, and CIMMember profiles, built from the service's plain
// values. A presence change is patched into the tree where it happened; only a change of the
// tree's shape (groups, memberships, names, roles, profiles) needs a Rebuild.
//
// Records handed out stay valid until control returns to the event loop, whatever happens
// meanwhile: the texts a patch replaces and the whole tree a Rebuild or Clear replaces are kept
// until then. Their values are those of the moment they were handed out or later ones.
#pragma once

#include "kernova/service/ServiceRecords.h"
#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"

#include <QHash>
#include <QTimer>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class CDirectoryTree {
public:
    CDirectoryTree();
    ~CDirectoryTree();
    CDirectoryTree(const CDirectoryTree&) = delete;
    CDirectoryTree& operator=(const CDirectoryTree&) = delete;

    // groups: parents before children, siblings in order (as the service lists them).
    void Rebuild(const QList<SvcGroup>& groups, const QList<SvcMembership>& memberships,
                 const QList<SvcMember>& members);
    void Clear();
    // Sets the member's presence in one group, or in every group of the member for
    // Svc::kAllGroups, as a Rebuild would. False, with nothing changed, when the directory
    // holds no such membership: then only a Rebuild can bring it up to date.
    bool PatchPresence(const QString& groupId, const QString& memberId,
                       const SvcPresence& presence);

    // The first top-level group (its siblings and sub-groups hang off it); null when empty.
    const tagIMGROUP* All() const;
    int GroupCount() const;
    // One group with its memberships and sub-groups but without its siblings; null when unknown.
    const tagIMGROUP* Group(const QString& groupId);
    // The memberships of a group (empty memberId), or only that member's membership in it.
    const tagIMGRPMEMBER* Members(const QString& groupId, const QString& memberId);
    const tagIMMEMBER* Member(const QString& memberId);
    // The member's profile as the last Rebuild saw it.
    std::optional<SvcMember> Profile(const QString& memberId) const;
    // Ids of the groups the member belongs to, in tree order.
    QStringList GroupsOf(const QString& memberId) const;
    QStringList GroupIds() const;

    // Profile values as the object library keeps them.
    static void Fill(CIMMember& member, const SvcMember& source);

private:
    struct Generation;

    Generation& Now() { return *m_now; }
    // Keeps what records handed out may still point at until the event loop runs again.
    void Retire(std::unique_ptr<Generation> old);
    void Retire(const QString& text);
    void ReleaseRetired();

    std::unique_ptr<Generation> m_now;
    std::vector<std::unique_ptr<Generation>> m_retired;
    QList<QString> m_retiredTexts;
    QTimer m_release;
};
