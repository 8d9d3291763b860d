// The local service: every Zelta process on the machine shares one SQLite database in a service
// directory and talks to the others through it. Each logged-on object keeps a cursor in the
// change feed (the events table); it is woken by the service bell when another process
// commits, and by a slow safety poll, and then emits the new events as signals. Liveness is a
// heartbeat: the session row carries an expiry time that the owner pushes forward; any live
// process that finds an expired session ends it and shows its member "off".
#pragma once

#include "kernova/service/CMessagingService.h"
#include "kernova/service/CServiceBell.h"
#include "kernova/service/CServiceStore.h"

#include <QSet>
#include <QTimer>

class CLocalService : public CMessagingService {
    Q_OBJECT
public:
    static constexpr int kDefaultHeartbeatMs = 5000;
    static constexpr int kDefaultTimeoutMs = 15000;
    // Feed entries older than this are dropped; a member away longer misses their receipts,
    // though the sent message's destination times stay available through GetMessage.
    static constexpr qint64 kFeedRetentionMs = 30LL * 24 * 3600 * 1000;

    explicit CLocalService(const QString& dir, QObject* parent = nullptr);
    ~CLocalService() override;

    // ZELTA_SERVICE_DIR when set, else $XDG_DATA_HOME/Tovar/service/.
    static QString DefaultDirectory();
    const QString& Directory() const { return m_store.Dir(); }

    // intervalMs: how often this process beats; timeoutMs: how long after the last beat the
    // others take this member for gone (at least twice the interval). Applies from the next beat.
    void SetHeartbeat(int intervalMs, int timeoutMs);
    void SetSafetyPollInterval(int ms);

    bool Logon(const QString& memberId, const QString& password) override;
    void Logoff() override;
    bool IsLoggedOn() const override { return !m_session.isEmpty(); }
    QString GetUserID() const override { return m_user; }
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

    int CreateChat(int maxOpenChats) override;
    bool InviteToChat(int chat, const QString& memberId, const QString& text,
                      int maxMembers) override;
    bool JoinChat(int chat) override;
    bool DeclineChat(int chat, bool refused) override;
    bool TalkInChat(int chat, const QString& html) override;
    bool LeaveChat(int chat) override;
    QList<SvcChatEvent> GetChatEvents(int chat, qint64 afterSeq = 0) override;
    QList<SvcChatMember> GetChatMembers(int chat) override;

    // Takes new feed entries now instead of waiting for the bell.
    void PollFeed();

private:
    bool EnsureOpen();
    bool StoreFail() { return Fail(m_store.LastError()); }
    // A read of the store that fails (a damaged database) is an error, never a short answer.
    template <typename Read> auto StoreRead(Read read) {
        m_store.ClearError();
        auto result = read();
        if (m_store.LastError().IsError())
            StoreFail();
        return result;
    }
    bool RequireLogon();
    void StopSession();
    void EndedByService(int reason);
    void SaveCursor();
    void Dispatch(const CServiceStore::Event& event);
    // The member's presence now in the group (in its first group for Svc::kAllGroups), for
    // feed entries written before a presence change carried the new presence.
    SvcPresence PresenceNow(const QString& groupId, const QString& memberId);
    void AnnouncePending();
    void Announce(const QString& messageId);
    // Ids of the messages waiting for the user; nothing (and the error set) when the
    // database could not be read to the end.
    std::optional<QStringList> PendingIds();
    // The message as the user may see it; pending tells whether it waits for MarkReceived.
    std::optional<SvcMessage> LoadForUser(const QString& messageId, bool* pending = nullptr);
    bool Mark(const QStringList& messageIds, bool read);
    // Inside Write: the user's state in an open chat, or fails (UnknownChat, ChatClosed,
    // NotInChat) and returns -1.
    int ChatStateOfUser(int chat);
    // Runs fn in a write transaction for a chat the user is in with the wanted state.
    bool ChatWrite(int chat, int wantedState, CServiceError::Code otherwise,
                   const std::function<bool()>& fn);

    CServiceStore m_store;
    CServiceBell m_bell;
    QTimer m_heartbeat;
    int m_intervalMs = kDefaultHeartbeatMs;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_pollMs = CServiceBell::kDefaultSafetyPollMs;

    QString m_user;
    QString m_session;     // empty when logged off
    qint64 m_cursor = 0;   // last feed entry handled
    qint64 m_logonSeq = 0; // broadcast entries up to here predate the session
    QSet<QString> m_announced;
    QSet<int> m_chatsSignalled; // within one round of the feed
    QSet<int> m_invitesOffered; // within one round of the feed
    bool m_polling = false;
    bool m_pollAgain = false;
};
