// The directory as this client knows it: the items of the directory node (members, groups with
// their memberships, roles) and the presence each member announced per group. Applying an item
// or a retraction returns the change events it amounts to, in the order the core expects them.
#pragma once

#include "kernova/service/xmpp/XmppCodec.h"

#include <QHash>
#include <QSet>

class CXmppDirectory {
public:
    struct Change {
        enum Kind {
            MemberAdded,
            MemberRemoved,
            MemberChanged,
            GroupAdded,
            GroupRemoved,
            GroupRenamed, // detail: the previous name
            GroupMemberAdded,
            GroupMemberRemoved,
            GroupMemberChanged,
            Presence, // detail: the previous status; presence: the new one
        } kind;
        QString groupId;
        QString memberId;
        QString detail;
        SvcPresence presence;
        bool operator==(const Change&) const = default;
    };

    void Clear();
    // An item of the directory node (a bucket of members or of groups, or the roles): what the
    // bucket held before and no longer holds is removed. Unreadable payloads are refused (false)
    // and change nothing.
    bool ApplyItem(const QString& itemId, const XmppNode& payload, QList<Change>* changes);
    void Retract(const QString& itemId, QList<Change>* changes);

    // A member's announced presence (a map from Xmpp::DecodePresence), applied to its
    // memberships; online says whether the member has a live session.
    void ApplyPresence(const QString& memberId, const Xmpp::PresenceMap& presence, bool online,
                       QList<Change>* changes);

    bool HasMember(const QString& id) const { return m_members.contains(id); }
    // The member id for a JID's local part, whatever case the server gave it.
    QString MemberForNode(const QString& unescapedNode) const;
    bool HasGroup(const QString& id) const { return m_groups.contains(id); }
    bool IsOnline(const QString& id) const { return m_online.contains(id); }
    QStringList OnlineMembers() const;

    QList<SvcMember> Members() const;
    std::optional<SvcMember> Member(const QString& id) const;
    QList<SvcGroup> Groups() const; // parents first, siblings by position
    std::optional<SvcGroup> Group(const QString& id) const;
    QList<SvcMembership> Memberships(const QString& groupId = {}) const;
    QList<SvcMembership> MembershipsOf(const QString& memberId) const;
    QList<SvcRole> Roles() const { return m_roles; }
    Xmpp::DirectoryGroup GroupItem(const QString& id) const;
    // The records of one bucket as they are published (by id; memberships without presence).
    QList<SvcMember> MembersIn(int bucket) const;
    QList<Xmpp::DirectoryGroup> GroupsIn(int bucket) const;
    int MemberCount() const { return int(m_members.size()); }

private:
    void SetMember(const SvcMember& member, QList<Change>* changes);
    void DropMember(const QString& memberId, QList<Change>* changes);
    void SetMemberBucket(int bucket, const QList<SvcMember>& members, QList<Change>* changes);
    void SetGroupBucket(int bucket, const QList<Xmpp::DirectoryGroup>& groups,
                        QList<Change>* changes);
    void SetGroup(const Xmpp::DirectoryGroup& group, QList<Change>* changes);
    void DropGroup(const QString& groupId, QList<Change>* changes);
    SvcPresence PresenceIn(const QString& groupId, const QString& memberId) const;
    // Position of a group in Groups() order, kept until the groups change.
    int GroupOrder(const QString& groupId) const;

    QHash<QString, SvcMember> m_members;
    QHash<QString, QString> m_memberByFolded; // lower-cased id -> id
    QHash<QString, Xmpp::DirectoryGroup> m_groups;
    QList<SvcRole> m_roles;
    // What each member announced; kept apart from the items so that a republished group keeps
    // its members' presence.
    QHash<QString, Xmpp::PresenceMap> m_presence;
    QSet<QString> m_online;
    mutable QHash<QString, int> m_groupOrder;
    mutable bool m_orderDirty = true;
};
