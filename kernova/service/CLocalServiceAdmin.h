// Administration of a local service: creating it, and maintaining members, passwords, the
// group tree, memberships and roles. Every change appends its change-feed events in the same
// transaction, so logged-on members learn of it at once.
#pragma once

#include "kernova/service/CServiceStore.h"

class CLocalServiceAdmin {
public:
    explicit CLocalServiceAdmin(const QString& dir);

    bool Create();
    bool Open();
    const CServiceError& LastError() const { return m_store.LastError(); }
    CServiceStore& Store() { return m_store; }

    bool AddMember(const SvcMember& member, const QString& password);
    // Replaces the profile fields of an existing member (not the password).
    bool UpdateMember(const SvcMember& member);
    // Removes the member, its memberships and its session; messages still waiting for it are
    // dropped. A logged-on process of the member is told through SessionEnded.
    bool RemoveMember(const QString& memberId);
    bool SetPassword(const QString& memberId, const QString& password);

    // Adds a group below group.parentId (top level when empty), after its siblings. An empty
    // name becomes the id.
    bool AddGroup(const SvcGroup& group);
    // Removes the group with its sub-groups and their memberships.
    bool RemoveGroup(const QString& groupId);
    bool RenameGroup(const QString& groupId, const QString& name);

    // An empty name in the group becomes the member's display name.
    bool AddMembership(const QString& groupId, const QString& memberId, int role,
                       const QString& name = {});
    bool RemoveMembership(const QString& groupId, const QString& memberId);
    bool SetMembership(const QString& groupId, const QString& memberId, int role,
                       const QString& name);

    bool AddRole(int role, const QString& name);

    // Turns members whose process stopped beating "off".
    bool Sweep();

private:
    static CServiceError CheckMembershipInput(const QString& groupId, const QString& memberId,
                                              const QString& name);
    bool CheckMembershipArgs(const QString& groupId, const QString& memberId, bool mustExist);
    bool MembershipExists(const QString& groupId, const QString& memberId);

    CServiceStore m_store;
};
