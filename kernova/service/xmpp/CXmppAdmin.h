// Administration of the directory on an XMPP server: an administrator's session that keeps the
// directory node (creating it when missing: open to read, only its owner publishes) and
// publishes members, groups with their memberships, and roles as its items. Members learn of
// every change through the node's notifications. Accounts and passwords go through the
// server's administrative commands (XEP-0133: add-user, change-user-password, delete-user),
// which the server must offer to its administrators (prosody: the "admin_adhoc" module).
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/xmpp/CXmppDirectory.h"
#include "kernova/service/xmpp/CXmppLink.h"
#include "kernova/service/xmpp/CXmppLocation.h"

class CXmppAdmin {
public:
    explicit CXmppAdmin(const CXmppLocation& location);
    ~CXmppAdmin();

    // Logs on as an administrator of the server and reads the directory node.
    bool Connect(const QString& adminId, const QString& password, int timeoutMs = 20000);
    void Disconnect();
    const CServiceError& LastError() const { return m_error; }

    bool AddMember(const SvcMember& member);
    bool UpdateMember(const SvcMember& member);
    // Removes the member and its memberships.
    bool RemoveMember(const QString& memberId);
    // Adds a group below group.parentId, after its siblings. An empty name becomes the id.
    bool AddGroup(const SvcGroup& group);
    // Removes the group with its sub-groups.
    bool RemoveGroup(const QString& groupId);
    bool RenameGroup(const QString& groupId, const QString& name);
    // An empty name in the group becomes the member's display name.
    bool AddMembership(const QString& groupId, const QString& memberId, int role,
                       const QString& name = {});
    bool RemoveMembership(const QString& groupId, const QString& memberId);
    bool SetMembership(const QString& groupId, const QString& memberId, int role,
                       const QString& name);
    bool AddRole(int role, const QString& name);

    // ---- Accounts (the server's administrative commands) ----
    bool CreateAccount(const QString& memberId, const QString& password);
    bool SetAccountPassword(const QString& memberId, const QString& password);
    bool DeleteAccount(const QString& memberId);

    // Publishes a whole directory at once, every bucket in flight together (large
    // organisations, benchmarks).
    bool PublishAll(const QList<SvcMember>& members, const QList<Xmpp::DirectoryGroup>& groups,
                    const QList<SvcRole>& roles);

    const CXmppDirectory& Directory() const { return m_directory; }

private:
    bool Fail(CServiceError error) {
        m_error = std::move(error);
        return false;
    }
    // Sends the requests together and waits until every one is answered.
    bool Call(const QList<XmppNode>& requests, QList<XmppNode>* answers = nullptr);
    XmppNode PublishRequest(const QString& itemId, const XmppNode& payload) const;
    XmppNode RetractRequest(const QString& itemId) const;
    bool EnsureNode();
    // Runs an administrative command of the server with the given form fields.
    bool AdminCommand(const QString& node, const QList<std::pair<QString, QString>>& fields);
    // Republishes the bucket holding the group (or these records) with it.
    bool PublishGroup(const Xmpp::DirectoryGroup& group);
    bool PublishMembers(int bucket, const QList<SvcMember>& members);
    bool PublishGroups(int bucket, const QList<Xmpp::DirectoryGroup>& groups);
    bool Apply(const QList<XmppNode>& requests, const QList<std::pair<QString, XmppNode>>& items,
               const QStringList& retracted);

    CXmppLocation m_location;
    CXmppLink m_link;
    CXmppDirectory m_directory;
    CServiceError m_error;
    int m_timeoutMs = 20000;
};
