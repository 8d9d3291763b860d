// How Zelta's records travel in XMPP: member ids as JIDs, directory items of the
// publish-subscribe node, Zelta's presence extension, messages and their receipts. Pure
// functions over XmppNode, so every mapping is checked without a server.
#pragma once

#include "kernova/service/ServiceRecords.h"
#include "kernova/service/xmpp/XmppNode.h"

#include <QHash>
#include <optional>

namespace Xmpp {

inline const QString kNsDirectory = QStringLiteral("urn:x-zelta:directory:0");
inline const QString kNsPresence = QStringLiteral("urn:x-zelta:presence:0");
inline const QString kNsMessage = QStringLiteral("urn:x-zelta:message:0");
inline const QString kNsPubsub = QStringLiteral("http://jabber.org/protocol/pubsub");
inline const QString kNsPubsubEvent = QStringLiteral("http://jabber.org/protocol/pubsub#event");
inline const QString kNsPubsubOwner = QStringLiteral("http://jabber.org/protocol/pubsub#owner");
inline const QString kNsAddress = QStringLiteral("http://jabber.org/protocol/address");
inline const QString kNsDelay = QStringLiteral("urn:xmpp:delay");
inline const QString kNsOriginId = QStringLiteral("urn:xmpp:sid:0");
inline const QString kNsReceipts = QStringLiteral("urn:xmpp:receipts");
inline const QString kNsMarkers = QStringLiteral("urn:xmpp:chat-markers:0");
inline const QString kNsRoster = QStringLiteral("jabber:iq:roster");
inline const QString kNsStanzas = QStringLiteral("urn:ietf:params:xml:ns:xmpp-stanzas");
inline const QString kNsDataForms = QStringLiteral("jabber:x:data");
// Every Zelta session binds this resource, so that a second log-on replaces the first.
inline const QString kResource = QStringLiteral("zelta");

// ---- Addresses ----
// The local part of a JID for a member id (characters a JID cannot hold escaped the standard
// way), and back. Servers compare local parts without case, so ids that differ only in case
// name one account.
QString EscapeNode(const QString& id);
QString UnescapeNode(const QString& node);
QString BareJid(const QString& memberId, const QString& domain);
// The bare part of a JID, lower-cased the way servers compare it.
QString Bare(const QString& jid);
// The member id in a JID of the domain (unescaped, case as written), or empty.
QString MemberOfJid(const QString& jid, const QString& domain);

// ---- Directory items ----
struct DirectoryGroup {
    SvcGroup group;
    QList<SvcMembership> members; // without presence: presence travels in presence stanzas
};
// The node holds a fixed number of items whatever the size of the organisation: members and
// groups are spread over kDirectoryBuckets items each ("members:N", "groups:N") by a stable hash
// of their id, and the roles are one item ("roles"). A change republishes the one item that
// holds the record. One item per record does not scale: servers keep a node's items in a
// store that is rewritten on every publish (prosody's file store reads and writes the whole
// node each time, so 2,000 single-record publishes take many minutes), and cap the items a
// node keeps (prosody: 256 unless configured otherwise), silently dropping the oldest.
inline constexpr int kDirectoryBuckets = 64;
int BucketOf(const QString& id);
QString MemberBucketId(int bucket);
QString GroupBucketId(int bucket);
inline const QString kRolesItemId = QStringLiteral("roles");
enum class ItemKind { Members, Groups, Roles, Unknown };
// The kind of a directory item and its bucket (-1 for the roles and unknown items).
std::pair<ItemKind, int> ParseItemId(const QString& itemId);

XmppNode EncodeMember(const SvcMember& member);
XmppNode EncodeGroup(const DirectoryGroup& group);
XmppNode EncodeRoles(const QList<SvcRole>& roles);
// One bucket: <members> or <groups> of the directory namespace around the records.
XmppNode EncodeMemberBucket(const QList<SvcMember>& members);
XmppNode EncodeGroupBucket(const QList<DirectoryGroup>& groups);
// nullopt for a payload that is not a well-formed item of its kind.
std::optional<SvcMember> DecodeMember(const XmppNode& payload);
std::optional<DirectoryGroup> DecodeGroup(const XmppNode& payload);
std::optional<QList<SvcRole>> DecodeRoles(const XmppNode& payload);
// nullopt when any record is malformed, filed in another bucket, or named twice.
std::optional<QList<SvcMember>> DecodeMemberBucket(const XmppNode& payload, int bucket);
std::optional<QList<DirectoryGroup>> DecodeGroupBucket(const XmppNode& payload, int bucket);

// ---- Presence ----
// A member's presence per group, or the same in all of them (the key Svc::kAllGroups).
using PresenceMap = QHash<QString, SvcPresence>;
XmppNode EncodePresence(const PresenceMap& presence);
// The Zelta extension of a presence stanza; an available presence from another client
// (without it) counts as "on" in every group.
PresenceMap DecodePresence(const XmppNode& stanza);

// ---- Messages ----
// The stanza for one recipient. recipientList is the list through which the recipient was
// reached (the first of To, Cc, Bcc that names it); only a Bcc recipient's own copy mentions
// Bcc, and only itself.
XmppNode EncodeMessage(const SvcMessage& message, const QString& recipientId,
                       Svc::DestList recipientList, const QString& domain);
// The message as the recipient sees it; fromId is taken from the stanza's (server-checked)
// sender. A message from another client (no Zelta extension) gets its plain body as HTML.
// nullopt, with *why set, for a stanza that is not an acceptable message.
std::optional<SvcMessage> DecodeMessage(const XmppNode& stanza, const QString& fromId,
                                        const QString& domain, QString* why);
// Uploaded files: the download address of each file of the message, in order (empty when the
// files travel inside the stanza), and setting them in place of the bytes.
QStringList FileUrls(const XmppNode& stanza);
void SetFileUrls(XmppNode& stanza, const QStringList& urls);
// Plain text of a formatted body, for clients that do not read Zelta's extension.
QString PlainText(const QString& html);

// ---- Receipts ----
XmppNode EncodeReceipt(int kind, const QString& messageId, const QString& toJid,
                       const QDateTime& time, const QString& fromJid);
// A delivery receipt or displayed marker inside a message stanza.
std::optional<SvcReceipt> DecodeReceipt(const XmppNode& stanza, const QString& fromId);

// The time a stanza carries from its author (XEP-0203), preferring the stamp the author put in
// over one the server added for offline storage.
QDateTime StampOf(const XmppNode& stanza, const QString& authorBareJid);
QString Stamp(const QDateTime& time);

} // namespace Xmpp
