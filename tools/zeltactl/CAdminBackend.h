// What the administration commands of zeltactl act on: the local service's administration, or
// an XMPP server's (accounts through the server's administrative commands, the directory
// through its publish-subscribe node), behind one set of calls. Calls that can fail return
// false and leave the reason in LastError(); reads throw CCtlError.
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/ServiceRecords.h"

#include <memory>
#include <optional>

class CAdminBackend {
public:
    virtual ~CAdminBackend() = default;

    static std::unique_ptr<CAdminBackend> Local(const QString& dir);
    // An XMPP server, administered by the server's administrator adminId.
    static std::unique_ptr<CAdminBackend> Network(const QString& location, const QString& adminId,
                                                  const QString& adminPassword);

    virtual bool Create() = 0;
    virtual bool Open() = 0;
    // Ends sessions that stopped beating before a list shows who is on line (local only).
    virtual bool Sweep() = 0;
    virtual bool AddMember(const SvcMember& member, const QString& password) = 0;
    virtual bool UpdateMember(const SvcMember& member) = 0;
    virtual bool RemoveMember(const QString& memberId) = 0;
    virtual bool SetPassword(const QString& memberId, const QString& password) = 0;
    virtual bool AddGroup(const SvcGroup& group) = 0;
    virtual bool RemoveGroup(const QString& groupId) = 0;
    virtual bool RenameGroup(const QString& groupId, const QString& name) = 0;
    virtual bool AddMembership(const QString& groupId, const QString& memberId, int role,
                               const QString& name) = 0;
    virtual bool SetMembership(const QString& groupId, const QString& memberId, int role,
                               const QString& name) = 0;
    virtual bool RemoveMembership(const QString& groupId, const QString& memberId) = 0;
    virtual bool AddRole(int role, const QString& name) = 0;

    virtual QList<SvcMember> Members() = 0;
    virtual std::optional<SvcMember> Member(const QString& memberId) = 0;
    virtual QList<SvcGroup> Groups() = 0;
    virtual QList<SvcMembership> Memberships(const QString& groupId = {}) = 0;
    virtual QList<SvcRole> Roles() = 0;

    virtual const CServiceError& LastError() const = 0;
};
