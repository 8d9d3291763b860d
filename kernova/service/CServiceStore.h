// The database of a local service: one SQLite file (WAL mode) in the service directory, shared
// by every process that uses the service. This class owns one connection (a unique Qt
// connection name per object, so several objects may live in one process), the schema, write
// transactions, the change feed and the directory reads. Use it on one thread only.
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/ServiceRecords.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <functional>
#include <optional>

class CPasswordHash;

class CServiceStore {
public:
    static constexpr int kSchemaVersion = 3;
    static constexpr int kBusyTimeoutMs = 10000;

    // Change feed entries. The numbers are stored; never renumber them.
    enum EventKind : int {
        EV_PRESENCE = 1,    // group (or "all"), member, detail = previous status, presence
        EV_GROUP_ADDED = 2, // group
        EV_GROUP_MEMBER_ADDED = 3,
        EV_GROUP_REMOVED = 4,
        EV_GROUP_MEMBER_REMOVED = 5,
        EV_GROUP_RENAMED = 6, // detail = previous name
        EV_MEMBER_ADDED = 7,
        EV_MEMBER_CHANGED = 8,
        EV_MEMBER_REMOVED = 9,
        EV_GROUP_MEMBER_CHANGED = 10,
        EV_DELIVERED = 20,     // target = recipient, message
        EV_RECEIPT = 21,       // target = sender, value = receipt kind, message, member
        EV_SESSION_ENDED = 30, // target = member, detail = session, value = reason
        EV_CHAT_INVITED = 40,  // target = invitee, value = chat, member = inviter, detail = text
        EV_CHAT_CHANGED = 41,  // target = participant, value = chat
    };

    struct Event {
        qint64 seq = 0;
        qint64 time = 0; // ms since the epoch, UTC
        int kind = 0;
        QString target; // empty: for everybody
        QString groupId;
        QString memberId;
        QString messageId;
        QString detail;
        int value = 0;
        // The new presence of EV_PRESENCE; absent from entries written before the service
        // kept it.
        std::optional<SvcPresence> presence;
    };

    explicit CServiceStore(QString dir);
    ~CServiceStore();
    CServiceStore(const CServiceStore&) = delete;
    CServiceStore& operator=(const CServiceStore&) = delete;

    static QString DatabasePath(const QString& dir);
    const QString& Dir() const { return m_dir; }

    // Creates the directory, the database and its schema; refuses when a service exists.
    bool Create();
    // Opens the existing service; fails with NoService when there is none.
    bool Open();
    bool IsOpen() const { return m_open; }
    const CServiceError& LastError() const { return m_error; }
    bool Fail(CServiceError error);

    // Runs fn in one write transaction (BEGIN IMMEDIATE, so writers queue on the busy timeout
    // instead of failing half-way). Commits when fn returns true, else rolls back. After a
    // commit that appended events the bell rings. Calls nest: inner ones join the outer.
    bool Write(const std::function<bool()>& fn);

    // Prepared statement on this connection; Exec records a database error and returns false.
    QSqlQuery Prepare(const QString& sql);
    bool Exec(QSqlQuery& query);
    // Runs a statement with positional values; returns the query positioned before the first row.
    std::optional<QSqlQuery> Run(const QString& sql, const QVariantList& values = {});
    // First column of the first row, or an invalid QVariant.
    QVariant Scalar(const QString& sql, const QVariantList& values = {});
    // After the rows of a query were read: true when it ended at its last row, false (with
    // the error recorded) when it failed or stopped at damage. The reads below that return
    // lists return an empty one then; callers tell it from an empty result by LastError.
    bool Drained(const std::optional<QSqlQuery>& q);
    void ClearError() { m_error = {}; }

    static qint64 Now();

    // ---- Change feed ----
    bool Append(const Event& event);
    qint64 LastSeq();
    // Events after cursor meant for member: those targeted at it, and broadcast ones after
    // broadcastAfter. At most limit entries, in sequence order.
    QList<Event> EventsFor(const QString& member, qint64 cursor, qint64 broadcastAfter, int limit);
    // Drops feed entries older than maxAgeMs.
    bool PruneEvents(qint64 maxAgeMs);

    // ---- Directory ----
    std::optional<SvcMember> Member(const QString& id);
    QList<SvcMember> Members();
    bool MemberExists(const QString& id);
    std::optional<SvcGroup> Group(const QString& id);
    QList<SvcGroup> Groups();
    bool GroupExists(const QString& id);
    QList<SvcMembership> Memberships(const QString& groupId = {});
    QList<SvcMembership> MembershipsOf(const QString& memberId);
    QList<SvcRole> Roles();
    bool RoleExists(int role);
    std::optional<CPasswordHash> PasswordOf(const QString& memberId);

    // ---- Presence and sessions (inside Write) ----
    // Sets the member's presence in every membership and appends one "all" event when any
    // membership changed.
    bool SetPresenceAll(const QString& memberId, const SvcPresence& presence);
    // Ends sessions whose heartbeat ran out: their members turn "off". Returns false only on
    // a database error.
    bool SweepExpired();
    bool HasExpiredSessions();

    // ---- Chats (inside Write) ----
    QString DisplayName(const QString& memberId);
    // The ready-made text of a chat event other than talk; other = the invitee of a notice.
    QString ChatNotice(int type, const QString& memberId, const QString& other = {});
    // Logs an event and tells every participant (EV_CHAT_CHANGED).
    bool AppendChatEvent(int chat, int type, const QString& memberId, const QString& text);
    bool SetChatState(int chat, const QString& memberId, int state);
    // The member no longer takes part (event type 3 to 7); the chat closes when nobody is
    // left in it.
    bool EndChatPart(int chat, const QString& memberId, int type);
    // Ends every part (invitations included) the member has in open chats.
    bool LeaveAllChats(const QString& memberId, int type);

private:
    bool Connect();
    bool CreateSchema();
    bool Upgrade();
    SvcMember ReadMember(const QSqlQuery& q);
    SvcMembership ReadMembership(const QSqlQuery& q);

    QString m_dir;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    int m_depth = 0;
    bool m_appended = false;
    CServiceError m_error;
};
