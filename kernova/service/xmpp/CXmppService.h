// The messaging service on a standard XMPP server. Member ids are the local parts of JIDs on the
// configured domain; every session binds the resource "zelta", so a second log-on of a member
// replaces the first. The directory is the item set of a publish-subscribe node that
// administrators publish (CXmppAdmin); presence is standard presence with Zelta's per-group
// extension, exchanged between directory members through automatically approved
// subscriptions; a message travels as one stanza per recipient; receipts are delivery receipts
// and displayed markers; the server's offline storage keeps what arrives while a member is away.
// What the server does not keep (sent messages with their destinations' times, received
// messages until the core has stored them) lives in a small SQLite file per member.
//
// Log-on waits for the server in a local event loop with a time limit: windows keep painting,
// and the caller sees the same synchronous contract as with the local service. A stream lost
// while logged on ends the session (Svc::END_EXPIRED, or END_REPLACED when another log-on took
// it over); logging on again brings back what was queued meanwhile, each message once.
//
// Chats are multi-user chat rooms (CXmppChats.cpp): members-only, non-anonymous, not
// persistent, named after the chat number so that every participant knows the chat by the same
// number. Every chat event travels as a group-chat message with Zelta's chat element; each
// client keeps the room's events since it joined (the room's history brings what came before).
#pragma once

#include "kernova/service/CMessagingService.h"
#include "kernova/service/xmpp/CXmppDirectory.h"
#include "kernova/service/xmpp/CXmppLink.h"
#include "kernova/service/xmpp/CXmppLocation.h"
#include "kernova/service/xmpp/CXmppStore.h"

#include <QHash>
#include <QLoggingCategory>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcXmpp)

class QEventLoop;
class QNetworkAccessManager;
class QTimer;

class CXmppService : public CMessagingService {
    Q_OBJECT
public:
    static constexpr int kDefaultLogonTimeoutMs = 20000;
    // Subscription requests sent per slice, and the pause between slices.
    static constexpr int kSubscribeSlice = 50;
    static constexpr int kSubscribePauseMs = 100;

    // stateDir holds one file per member and server with what the server does not keep.
    CXmppService(const CXmppLocation& location, const QString& stateDir, QObject* parent = nullptr);
    // A location text (CXmppLocation::Parse); one that cannot be used makes every log-on fail
    // with the reason.
    CXmppService(const QString& location, const QString& stateDir, QObject* parent = nullptr);
    ~CXmppService() override;

    const CXmppLocation& Location() const { return m_location; }
    void SetLogonTimeout(int ms) { m_logonTimeoutMs = ms; }
    // Drops the connection as a broken network would (for tests of the lost session).
    void DropConnection() { m_link.Abort(); }
    // How long CreateChat and JoinChat wait for the chat service.
    void SetChatTimeout(int ms) { m_chatTimeoutMs = ms; }
    // How soon a dead connection is noticed (CXmppLink::SetKeepAlive).
    void SetKeepAlive(int intervalMs, int timeoutMs) { m_link.SetKeepAlive(intervalMs, timeoutMs); }

    bool Logon(const QString& memberId, const QString& password) override;
    void Logoff() override;
    bool IsLoggedOn() const override { return m_phase == Phase::On; }
    QString GetUserID() const override { return IsLoggedOn() ? m_user : QString(); }
    bool Heartbeat() override;

    QList<SvcMember> GetMembers() override;
    std::optional<SvcMember> GetMember(const QString& memberId) override;
    QList<SvcGroup> GetGroups() override;
    std::optional<SvcGroup> GetGroup(const QString& groupId) override;
    QList<SvcMembership> GetMemberships(const QString& groupId = {}) override;
    QList<SvcRole> GetRoles() override;

    bool SetPresence(const SvcPresence& presence, const QStringList& groupIds = {}) override;

    bool SendMessage(const SvcMessage& message, QStringList* unknown = nullptr) override;
    QList<SvcMessage> GetPendingMessages() override;
    std::optional<SvcMessage> GetMessage(const QString& messageId) override;
    bool MarkReceived(const QStringList& messageIds) override;
    bool MarkRead(const QString& messageId) override;

    std::optional<QByteArray> GetAttachmentData(const QString& messageId, int index) override;
    qint64 ServiceAttachmentMaximum() const override {
        return m_upload == Upload::Available ? m_uploadMax : 0;
    }

    int CreateChat(int maxOpenChats) override;
    bool InviteToChat(int chat, const QString& memberId, const QString& text,
                      int maxMembers) override;
    bool JoinChat(int chat) override;
    bool DeclineChat(int chat, bool refused) override;
    bool TalkInChat(int chat, const QString& html) override;
    bool LeaveChat(int chat) override;
    QList<SvcChatEvent> GetChatEvents(int chat, qint64 afterSeq = 0) override;
    QList<SvcChatMember> GetChatMembers(int chat) override;

private:
    enum class Phase { Off, Connecting, Loading, On };

    bool RequireLogon();
    void SetPhase(Phase phase);
    void StopSession();
    QString Jid(const QString& memberId) const;
    QString MemberOf(const QString& jid) const; // directory member of a JID, or empty

    void OnOpened();
    void OnClosed(CXmppLink::Failure failure, const QString& detail);
    void OnStanza(const XmppNode& stanza);
    void OnDirectoryLoaded(const XmppNode& answer);
    void OnRosterLoaded(const XmppNode& answer);
    void FinishLoading();
    void HandlePresence(const XmppNode& stanza);
    void HandleMessage(const XmppNode& stanza);
    void HandleIq(const XmppNode& stanza);
    void HandleDirectoryEvent(const XmppNode& event);
    void HandleBounce(const XmppNode& stanza, const QString& fromId);
    void Emit(const QList<CXmppDirectory::Change>& changes);
    // Asks every directory member not yet subscribed to for its presence. The requests go out
    // a slice at a time, the next once the server has answered a ping sent after the last: a
    // member's first log-on asks everyone at once, and the server writes each request to two
    // rosters, so a burst of thousands would hold the server up for everyone.
    void SubscribeToMembers();
    void SendSubscriptionSlice();
    void AnnounceOwnPresence();
    void AnnouncePending();
    // The message as the user may see it (sender's view for messages the user sent).
    std::optional<SvcMessage> LoadForUser(const QString& messageId);
    bool Mark(const QStringList& messageIds, bool read);
    // ---- Attached files (CXmppFiles.cpp) ----
    // Uploads each file to the server's upload service and gives the download addresses; waits
    // in a local loop with a time limit, as log-on does.
    bool UploadFiles(const QList<SvcAttachment>& files, QStringList* urls);
    // Fetches the uploaded files of a received message, then stores and announces it; a fetch
    // that fails is tried again later, the message staying unannounced meanwhile.
    void FetchFiles(const SvcMessage& message, Svc::DestList myList, const QStringList& urls);
    void OnUploadServiceInfo(const XmppNode& answer);
    // Fetches again what an earlier session could not (at log-on).
    void ResumeFetches();
    void StopTransfers();

    // ---- Chats (CXmppChats.cpp) ----
    struct ChatRoom {
        QString room; // bare JID of the room
        QList<SvcChatEvent> events;
        QList<SvcChatMember> members; // in order of appearance
        QSet<QString> seen;           // ids of the events applied
        bool joined = false;          // the user's occupant is in the room
        bool closed = false;
        bool parted = false; // the user's own farewell came back: the rest is not the user's
    };
    QString RoomJid(int chat) const;
    int ChatOfRoom(const QString& roomJid) const; // 0 for a JID that names no chat room
    bool IsRoomJid(const QString& jid) const;
    // The user's state in the chat (Svc::ChatMemberState), -1 when never asked in.
    int ChatStateOf(const ChatRoom& room, const QString& memberId) const;
    void SetChatState(ChatRoom& room, const QString& memberId, int state, const QString& inviter);
    // Looks the chat up for an action of the user; fails as the local service does.
    ChatRoom* ChatForAction(int chat, int neededState, CServiceError::Code otherwise);
    // Enters the room and waits for the server; create: the room must be new.
    bool EnterRoom(int chat, bool create);
    bool ConfigureRoom(int chat);
    void ExitRoom(ChatRoom& room);
    void PostChatEvent(const ChatRoom& room, int type, const QString& memberId,
                       const QString& otherId = {}, const QString& html = {});
    void ApplyChatEvent(int chat, int type, const QString& memberId, const QString& otherId,
                        const QString& html, const QDateTime& time, const QString& id);
    void HandleRoomMessage(const XmppNode& stanza);
    void HandleRoomPresence(const XmppNode& stanza);
    void EndChatParts(int type);
    QString DisplayNameOf(const QString& memberId) const;

    CXmppLocation m_location;
    QString m_locationError;
    QString m_stateDir;
    int m_logonTimeoutMs = kDefaultLogonTimeoutMs;
    CXmppLink m_link;
    CXmppStore m_store;
    CXmppDirectory m_directory;
    Phase m_phase = Phase::Off;
    CServiceError m_logonError;
    QEventLoop* m_wait = nullptr;
    QString m_user;
    bool m_directoryLoaded = false;
    bool m_rosterLoaded = false;
    QList<XmppNode> m_early;          // stanzas that came while the directory was loading
    QHash<QString, QString> m_roster; // bare JID -> subscription ("to", "both", ... "ask")
    Xmpp::PresenceMap m_ownPresence;
    // Announced presence per member and resource: a member may also use other clients.
    QHash<QString, QHash<QString, Xmpp::PresenceMap>> m_resources;
    QSet<QString> m_announced;
    QStringList m_toSubscribe; // bare JIDs waiting for their subscription request
    enum class Upload { Unknown, Absent, Available } m_upload = Upload::Unknown;
    qint64 m_uploadMax = 0; // the upload service's announced most bytes of one file (0: none)
    bool m_uploadChecked = false;
    QNetworkAccessManager* m_http = nullptr;
    struct Fetch;
    QHash<QString, std::shared_ptr<Fetch>> m_fetches; // by message id
    QHash<int, ChatRoom> m_chats;
    qint64 m_chatSeq = 0;
    int m_chatTimeoutMs = 10000;
    // The room whose answer a local loop waits for, and what came.
    struct RoomWait {
        QString roomJid;
        QEventLoop* loop = nullptr;
        bool entered = false;
        bool created = false;
        QString error;
    } m_roomWait;
    QTimer* m_subscribeTimer = nullptr;
};
