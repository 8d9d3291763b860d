// The messaging service as the core sees it: log-on, the member and group directory,
// presence, message delivery with receipts, and a stream of change events. Implementations
// are used from the thread that owns the object; every call returns without waiting for
// other members, and every event is a signal emitted on that thread from its event loop.
//
// Calls that can fail return false (or an empty value) and leave the reason in LastError().
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/ServiceRecords.h"

#include <QObject>
#include <optional>

class CMessagingService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CMessagingService() override = default;

    // ---- Session ----
    // Logs on as memberId. A session of the same member elsewhere is ended (it receives
    // SessionEnded with Svc::END_REPLACED). Messages queued while the member was away arrive
    // afterwards as MessageArrived, receipts as ReceiptArrived.
    virtual bool Logon(const QString& memberId, const QString& password) = 0;
    // Logs off: the member's presence turns "off" in every group. Never fails.
    virtual void Logoff() = 0;
    virtual bool IsLoggedOn() const = 0;
    virtual QString GetUserID() const = 0;
    // Tells the service this process is alive. Implementations also beat on their own timer;
    // false when the session was lost (SessionEnded has been emitted).
    virtual bool Heartbeat() = 0;

    // ---- Directory (read while logged on) ----
    virtual QList<SvcMember> GetMembers() = 0;
    virtual std::optional<SvcMember> GetMember(const QString& memberId) = 0;
    // Parents before their children, siblings by position: the order to build a tree in.
    virtual QList<SvcGroup> GetGroups() = 0;
    virtual std::optional<SvcGroup> GetGroup(const QString& groupId) = 0;
    // Memberships of one group, or of every group (in GetGroups order) when groupId is empty.
    virtual QList<SvcMembership> GetMemberships(const QString& groupId = {}) = 0;
    virtual QList<SvcRole> GetRoles() = 0;

    // ---- Own presence ----
    // Sets the user's presence in the given groups, or in every group of the user when the
    // list is empty. Status "off" always gets a white background. Unknown groups and groups
    // the user is not a member of are refused, and nothing changes.
    virtual bool SetPresence(const SvcPresence& presence, const QStringList& groupIds = {}) = 0;

    // ---- Messages ----
    // Sends a message from the user. Destinations are member ids, "all@<group id>" (every
    // member of that group) and "all@OnNetters" (every member on line now). Destinations that
    // name nobody come back as receipts of kind Svc::RECEIPT_UNKNOWN_DEST (and in *unknown).
    // An empty sender name is filled from the directory; an invalid send time becomes now.
    virtual bool SendMessage(const SvcMessage& message, QStringList* unknown = nullptr) = 0;
    // Messages delivered to the user and not yet marked received, oldest first.
    virtual QList<SvcMessage> GetPendingMessages() = 0;
    // A message as the user may see it: the sender sees every destination with its receive
    // and read times; a recipient sees To and Cc, and the Bcc list only as itself when it was
    // reached through Bcc alone.
    virtual std::optional<SvcMessage> GetMessage(const QString& messageId) = 0;
    // Records that the user has received (stored) these messages; each first mark sends a
    // receipt of kind 0 to the sender. All ids must be messages delivered to the user.
    virtual bool MarkReceived(const QStringList& messageIds) = 0;
    // Records that the user has read the message (and received it, when not yet marked);
    // sends receipts of kind 0 and 1 as needed.
    virtual bool MarkRead(const QString& messageId) = 0;

    // ---- Attachments ----
    // SendMessage stores message.attachments (names and bytes) with the message; it refuses a
    // message whose files together hold more than this many bytes (AttachmentsTooLarge), and
    // stores nothing then.
    void SetAttachmentLimit(qint64 bytes) { m_attachmentLimit = bytes; }
    qint64 AttachmentLimit() const { return m_attachmentLimit; }
    // The most bytes the service itself takes in one attached file (a server's announced
    // maximum), or 0 when it sets no limit of its own; known once logged on.
    virtual qint64 ServiceAttachmentMaximum() const { return 0; }
    // The bytes of file index of a message the user sent or received.
    virtual std::optional<QByteArray> GetAttachmentData(const QString& messageId, int index) = 0;

    // ---- Chats ----
    // Chat numbers are positive. A member takes part from creating or joining a chat until an
    // event of type 3 or above; a chat whose last participant leaves is closed for good.
    // Creates a chat with the user as its first participant (event 2). Refused
    // (ChatRoomLimit) when the user already takes part in maxOpenChats chats. Returns the
    // chat number, or 0.
    virtual int CreateChat(int maxOpenChats) = 0;
    // Invites an on-line member into a chat the user takes part in; refused when the chat
    // would count more than maxMembers participants and pending invitations. The member gets
    // ChatInvited with the user as inviter and this text; the chat gets a notice (event 1).
    virtual bool InviteToChat(int chat, const QString& memberId, const QString& text,
                              int maxMembers) = 0;
    // Answers a pending invitation of the user: joining (event 2), or declining, refused by
    // the user (event 4) or timed out (event 5).
    virtual bool JoinChat(int chat) = 0;
    virtual bool DeclineChat(int chat, bool refused) = 0;
    // Says html in a chat the user takes part in (event 0).
    virtual bool TalkInChat(int chat, const QString& html) = 0;
    // The user leaves the chat (event 3); a pending invitation counts as declined.
    virtual bool LeaveChat(int chat) = 0;
    // Events of a chat the user was invited to, after the given sequence number (0: the whole
    // log), oldest first.
    virtual QList<SvcChatEvent> GetChatEvents(int chat, qint64 afterSeq = 0) = 0;
    virtual QList<SvcChatMember> GetChatMembers(int chat) = 0;

    const CServiceError& LastError() const { return m_error; }

signals:
    // A member's presence changed in one group, or in every group of the member when groupId
    // is Svc::kAllGroups. presence is the new presence (the same in every group for
    // kAllGroups), exactly as the directory now holds it, so that a listener can update what it
    // keeps without reading the directory again.
    void MemberPresenceChanged(const QString& groupId, const QString& memberId,
                               const QString& previousStatus, const SvcPresence& presence);
    void GroupAdded(const QString& groupId);
    void GroupRemoved(const QString& groupId);
    void GroupRenamed(const QString& groupId, const QString& previousName);
    void GroupMemberAdded(const QString& groupId, const QString& memberId);
    void GroupMemberRemoved(const QString& groupId, const QString& memberId);
    // Name in the group or role changed.
    void GroupMemberChanged(const QString& groupId, const QString& memberId);
    void MemberAdded(const QString& memberId);
    void MemberRemoved(const QString& memberId);
    void MemberChanged(const QString& memberId);
    // A message for the user, in the recipient's view. The core stores it, then calls
    // MarkReceived; until then it stays pending and comes again at the next log-on.
    void MessageArrived(const SvcMessage& message);
    void ReceiptArrived(const SvcReceipt& receipt);
    // Someone invites the user into a chat.
    void ChatInvited(int chat, const QString& inviterId, const QString& text);
    // A chat the user takes part in has new events (GetChatEvents); the user's own included.
    void ChatChanged(int chat);
    // The service ended the session (Svc::SessionEndReason); the object is logged off.
    void SessionEnded(int reason);

protected:
    bool Fail(CServiceError error) {
        m_error = std::move(error);
        return false;
    }
    void ClearError() { m_error = {}; }

    CServiceError m_error;
    qint64 m_attachmentLimit = Svc::kDefaultAttachmentLimit;
};
