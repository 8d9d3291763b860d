#include "kernova/service/CLocalService.h"

#include "kernova/service/CPasswordHash.h"
#include "kernova/service/ServiceRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QStandardPaths>
#include <QUuid>

using Event = CServiceStore::Event;

namespace {
constexpr int kFeedBatch = 500;

QDateTime FromMs(const QVariant& v) {
    return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
}
} // namespace

CLocalService::CLocalService(const QString& dir, QObject* parent)
    : CMessagingService(parent), m_store(dir), m_bell(dir) {
    connect(&m_bell, &CServiceBell::Rung, this, &CLocalService::PollFeed);
    connect(&m_heartbeat, &QTimer::timeout, this, [this] { Heartbeat(); });
}

CLocalService::~CLocalService() {
    Logoff();
}

QString CLocalService::DefaultDirectory() {
    const QString env = qEnvironmentVariable("ZELTA_SERVICE_DIR");
    if (!env.isEmpty())
        return QDir::cleanPath(env) + u'/';
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tovar/service/");
}

void CLocalService::SetHeartbeat(int intervalMs, int timeoutMs) {
    m_intervalMs = std::max(10, intervalMs);
    m_timeoutMs = std::max(2 * m_intervalMs, timeoutMs);
    if (m_heartbeat.isActive())
        m_heartbeat.start(m_intervalMs);
}

void CLocalService::SetSafetyPollInterval(int ms) {
    m_pollMs = std::max(10, ms);
    if (IsLoggedOn())
        m_bell.Start(m_pollMs);
}

bool CLocalService::EnsureOpen() {
    if (m_store.IsOpen() || m_store.Open())
        return true;
    return StoreFail();
}

bool CLocalService::RequireLogon() {
    ClearError();
    return IsLoggedOn() || Fail(CServiceError(CServiceError::NotLoggedOn));
}

// ---- Session ----

bool CLocalService::Logon(const QString& memberId, const QString& password) {
    Logoff();
    ClearError();
    if (auto e = Svc::CheckId(memberId); e.IsError())
        return Fail(e);
    if (!EnsureOpen())
        return false;
    // The hash is checked outside the write transaction: it takes a while by design.
    const auto hash = m_store.PasswordOf(memberId);
    if (!hash && m_store.LastError().code() == CServiceError::Database)
        return StoreFail();
    if (!hash || !hash->Verify(password))
        return Fail(CServiceError(CServiceError::BadLogon));

    const QString session = QUuid::createUuid().toString(QUuid::WithoutBraces);
    qint64 cursor = 0;
    qint64 logonSeq = 0;
    const bool ok = m_store.Write([&] {
        if (!m_store.SweepExpired() || !m_store.PruneEvents(kFeedRetentionMs))
            return false;
        const QVariant previous = m_store.Scalar(
            QStringLiteral("SELECT session FROM sessions WHERE member_id = ?"), {memberId});
        if (previous.isValid()) {
            // The process that held the session had the chat windows; they are gone with it.
            if (!m_store.LeaveAllChats(memberId, Svc::CHAT_LOGGED_OFF))
                return false;
            Event e;
            e.kind = CServiceStore::EV_SESSION_ENDED;
            e.target = memberId;
            e.memberId = memberId;
            e.detail = previous.toString();
            e.value = Svc::END_REPLACED;
            if (!m_store.Append(e) ||
                !m_store.Run(QStringLiteral("DELETE FROM sessions WHERE member_id = ?"),
                             {memberId}))
                return false;
        }
        const qint64 now = CServiceStore::Now();
        if (!m_store.Run(
                QStringLiteral("INSERT INTO sessions(member_id, session, pid, logon_time,"
                               " expires) VALUES(?,?,?,?,?)"),
                {memberId, session, QCoreApplication::applicationPid(), now, now + m_timeoutMs}))
            return false;
        // Taking over a live session keeps the presence the member had there.
        if (!previous.isValid() &&
            !m_store.SetPresenceAll(memberId, {Svc::kStatusOn, {}, Svc::kColorOn}))
            return false;
        const QVariant seq =
            m_store.Scalar(QStringLiteral("SELECT feed_seq FROM members WHERE id = ?"), {memberId});
        if (!seq.isValid())
            return m_store.Fail(CServiceError(CServiceError::BadLogon));
        cursor = seq.toLongLong();
        logonSeq = m_store.LastSeq();
        return true;
    });
    if (!ok)
        return StoreFail();

    m_user = memberId;
    m_session = session;
    m_cursor = cursor;
    m_logonSeq = logonSeq;
    m_announced.clear();
    m_heartbeat.start(m_intervalMs);
    m_bell.Start(m_pollMs);
    // What waited for the member arrives from the event loop, after the caller has seen the
    // log-on succeed.
    QTimer::singleShot(0, this, [this, session] {
        if (m_session != session)
            return;
        AnnouncePending();
        PollFeed();
    });
    return true;
}

void CLocalService::StopSession() {
    m_heartbeat.stop();
    m_bell.Stop();
    m_session.clear();
    m_user.clear();
    m_announced.clear();
}

void CLocalService::Logoff() {
    if (!IsLoggedOn())
        return;
    const QString user = m_user;
    const QString session = m_session;
    const qint64 cursor = m_cursor;
    StopSession();
    m_store.Write([&] {
        auto q =
            m_store.Run(QStringLiteral("DELETE FROM sessions WHERE member_id = ? AND session = ?"),
                        {user, session});
        if (!q)
            return false;
        // A session that was taken over or swept meanwhile leaves the presence alone.
        if (q->numRowsAffected() > 0 &&
            (!m_store.SetPresenceAll(user, {Svc::kStatusOff, {}, Svc::kColorOff}) ||
             !m_store.LeaveAllChats(user, Svc::CHAT_LOGGED_OFF)))
            return false;
        return m_store
            .Run(QStringLiteral("UPDATE members SET feed_seq = ? WHERE id = ? AND feed_seq < ?"),
                 {cursor, user, cursor})
            .has_value();
    });
}

void CLocalService::EndedByService(int reason) {
    StopSession();
    emit SessionEnded(reason);
}

bool CLocalService::Heartbeat() {
    if (!RequireLogon())
        return false;
    bool alive = false;
    const bool ok = m_store.Write([&] {
        auto q = m_store.Run(
            QStringLiteral("UPDATE sessions SET expires = ? WHERE member_id = ? AND session = ?"),
            {CServiceStore::Now() + m_timeoutMs, m_user, m_session});
        if (!q)
            return false;
        alive = q->numRowsAffected() > 0;
        return !m_store.HasExpiredSessions() || m_store.SweepExpired();
    });
    // A database that is busy right now is no reason to drop the session; the next beat retries.
    if (!ok)
        return StoreFail();
    if (!alive) {
        EndedByService(Svc::END_EXPIRED);
        return Fail(CServiceError(CServiceError::NotLoggedOn));
    }
    return true;
}

// ---- Change feed ----

void CLocalService::PollFeed() {
    if (!IsLoggedOn())
        return;
    // A slot that runs a nested event loop may get here again; the outer loop picks it up.
    if (m_polling) {
        m_pollAgain = true;
        return;
    }
    m_polling = true;
    const QString session = m_session;
    bool targeted = false;
    bool more = false;
    do {
        m_pollAgain = false;
        m_chatsSignalled.clear();
        m_invitesOffered.clear();
        const QList<Event> events = m_store.EventsFor(m_user, m_cursor, m_logonSeq, kFeedBatch);
        for (const Event& e : events) {
            m_cursor = e.seq; // before the signal: its slot may log off
            targeted = targeted || !e.target.isEmpty();
            Dispatch(e);
            if (m_session != session) {
                m_polling = false;
                return;
            }
        }
        more = events.size() == kFeedBatch;
    } while (m_pollAgain && !more);
    m_polling = false;
    if (targeted)
        SaveCursor();
    // A long feed is read a batch per turn of the event loop, so that it never holds the loop.
    if (more)
        QTimer::singleShot(0, this, &CLocalService::PollFeed);
}

void CLocalService::SaveCursor() {
    m_store.Write([this] {
        return m_store
            .Run(QStringLiteral("UPDATE members SET feed_seq = ? WHERE id = ? AND feed_seq < ?"),
                 {m_cursor, m_user, m_cursor})
            .has_value();
    });
}

void CLocalService::Dispatch(const Event& e) {
    switch (e.kind) {
    case CServiceStore::EV_PRESENCE:
        emit MemberPresenceChanged(e.groupId, e.memberId, e.detail,
                                   e.presence ? *e.presence : PresenceNow(e.groupId, e.memberId));
        break;
    case CServiceStore::EV_GROUP_ADDED:
        emit GroupAdded(e.groupId);
        break;
    case CServiceStore::EV_GROUP_MEMBER_ADDED:
        emit GroupMemberAdded(e.groupId, e.memberId);
        break;
    case CServiceStore::EV_GROUP_REMOVED:
        emit GroupRemoved(e.groupId);
        break;
    case CServiceStore::EV_GROUP_MEMBER_REMOVED:
        emit GroupMemberRemoved(e.groupId, e.memberId);
        break;
    case CServiceStore::EV_GROUP_RENAMED:
        emit GroupRenamed(e.groupId, e.detail);
        break;
    case CServiceStore::EV_GROUP_MEMBER_CHANGED:
        emit GroupMemberChanged(e.groupId, e.memberId);
        break;
    case CServiceStore::EV_MEMBER_ADDED:
        emit MemberAdded(e.memberId);
        break;
    case CServiceStore::EV_MEMBER_CHANGED:
        emit MemberChanged(e.memberId);
        break;
    case CServiceStore::EV_MEMBER_REMOVED:
        emit MemberRemoved(e.memberId);
        break;
    case CServiceStore::EV_DELIVERED:
        Announce(e.messageId);
        break;
    case CServiceStore::EV_RECEIPT:
        emit ReceiptArrived(
            {e.value, e.messageId, e.memberId, QDateTime::fromMSecsSinceEpoch(e.time, Qt::UTC)});
        break;
    case CServiceStore::EV_CHAT_INVITED:
        // An invitation answered, withdrawn or ended meanwhile is not offered again, and one
        // repeated (declined, then asked again) is offered once.
        if (!m_invitesOffered.contains(e.value) &&
            m_store.Scalar(QStringLiteral("SELECT COUNT(*) FROM chat_members cm JOIN chats c ON"
                                          " c.id = cm.chat WHERE cm.chat = ? AND cm.member_id = ?"
                                          " AND cm.state = ? AND c.closed IS NULL"),
                           {e.value, m_user, int(Svc::CHAT_INVITED)})
                    .toInt() > 0) {
            m_invitesOffered.insert(e.value);
            emit ChatInvited(e.value, e.memberId, e.detail);
        }
        break;
    case CServiceStore::EV_CHAT_CHANGED:
        // Events read in one round are all committed: one signal per chat covers them.
        if (!m_chatsSignalled.contains(e.value)) {
            m_chatsSignalled.insert(e.value);
            emit ChatChanged(e.value);
        }
        break;
    case CServiceStore::EV_SESSION_ENDED:
        if (e.detail == m_session)
            EndedByService(e.value);
        break;
    default:
        break; // written by a newer version
    }
}

SvcPresence CLocalService::PresenceNow(const QString& groupId, const QString& memberId) {
    for (const SvcMembership& m : m_store.MembershipsOf(memberId))
        if (groupId == Svc::kAllGroups || m.groupId == groupId)
            return m.presence;
    return {};
}

std::optional<QStringList> CLocalService::PendingIds() {
    QStringList ids;
    auto q = m_store.Run(QStringLiteral("SELECT m.message_id FROM deliveries d JOIN messages m ON"
                                        " m.id = d.message WHERE d.member_id = ? AND"
                                        " d.recv_time IS NULL ORDER BY m.id"),
                         {m_user});
    while (q && q->next())
        ids.append(q->value(0).toString());
    if (!m_store.Drained(q)) {
        StoreFail();
        return std::nullopt;
    }
    return ids;
}

void CLocalService::AnnouncePending() {
    const QString session = m_session;
    const std::optional<QStringList> pending = PendingIds();
    if (!pending) {
        // Nothing waiting is skipped for good: the whole list is read again later.
        QTimer::singleShot(m_pollMs, this, [this, session] {
            if (m_session == session)
                AnnouncePending();
        });
        return;
    }
    for (const QString& id : *pending) {
        Announce(id);
        if (m_session != session)
            return;
    }
}

void CLocalService::Announce(const QString& messageId) {
    if (m_announced.contains(messageId))
        return;
    bool pending = false;
    const auto message = LoadForUser(messageId, &pending);
    if (!message || !pending)
        return;
    m_announced.insert(messageId);
    emit MessageArrived(*message);
}

// ---- Directory ----

QList<SvcMember> CLocalService::GetMembers() {
    ClearError();
    return EnsureOpen() ? StoreRead([this] { return m_store.Members(); }) : QList<SvcMember>();
}

std::optional<SvcMember> CLocalService::GetMember(const QString& memberId) {
    ClearError();
    if (!EnsureOpen())
        return std::nullopt;
    auto m = m_store.Member(memberId);
    if (!m)
        Fail(CServiceError(CServiceError::UnknownMember, memberId));
    return m;
}

QList<SvcGroup> CLocalService::GetGroups() {
    ClearError();
    return EnsureOpen() ? StoreRead([this] { return m_store.Groups(); }) : QList<SvcGroup>();
}

std::optional<SvcGroup> CLocalService::GetGroup(const QString& groupId) {
    ClearError();
    if (!EnsureOpen())
        return std::nullopt;
    auto g = m_store.Group(groupId);
    if (!g)
        Fail(CServiceError(CServiceError::UnknownGroup, groupId));
    return g;
}

QList<SvcMembership> CLocalService::GetMemberships(const QString& groupId) {
    ClearError();
    return EnsureOpen() ? StoreRead([&] { return m_store.Memberships(groupId); })
                        : QList<SvcMembership>();
}

QList<SvcRole> CLocalService::GetRoles() {
    ClearError();
    return EnsureOpen() ? StoreRead([this] { return m_store.Roles(); }) : QList<SvcRole>();
}

// ---- Presence ----

bool CLocalService::SetPresence(const SvcPresence& wanted, const QStringList& groupIds) {
    if (!RequireLogon())
        return false;
    if (auto e = Svc::CheckPresence(wanted); e.IsError())
        return Fail(e);
    const SvcPresence presence = Svc::Normalized(wanted);
    const bool ok = m_store.Write([&] {
        const QList<SvcMembership> mine = m_store.MembershipsOf(m_user);
        QHash<QString, SvcMembership> byGroup;
        for (const SvcMembership& m : mine)
            byGroup.insert(m.groupId, m);
        QStringList targets;
        for (const QString& g : groupIds) {
            if (auto e = Svc::CheckId(g); e.IsError())
                return m_store.Fail(e);
            if (!byGroup.contains(g))
                return m_store.Fail(CServiceError(
                    m_store.GroupExists(g) ? CServiceError::NotMember : CServiceError::UnknownGroup,
                    g));
            if (!targets.contains(g))
                targets.append(g);
        }
        if (groupIds.isEmpty() || targets.size() == mine.size())
            return m_store.SetPresenceAll(m_user, presence);
        for (const QString& g : targets) {
            const SvcMembership& m = byGroup[g];
            if (m.presence == presence)
                continue;
            Event e;
            e.kind = CServiceStore::EV_PRESENCE;
            e.groupId = g;
            e.memberId = m_user;
            e.detail = m.presence.status;
            e.presence = presence;
            if (!m_store.Run(QStringLiteral("UPDATE memberships SET status = ?, icon = ?,"
                                            " bkcolor = ? WHERE group_id = ? AND member_id = ?"),
                             {presence.status, presence.icon, presence.bkColor, g, m_user}) ||
                !m_store.Append(e))
                return false;
        }
        return true;
    });
    return ok || StoreFail();
}

// ---- Messages ----

bool CLocalService::SendMessage(const SvcMessage& original, QStringList* unknownOut) {
    if (!RequireLogon())
        return false;
    if (auto e = Svc::CheckOutgoing(original); e.IsError())
        return Fail(e);
    if (auto e = Svc::CheckAttachments(original.attachments, m_attachmentLimit); e.IsError())
        return Fail(e);
    SvcMessage m = original;
    m.fromId = m_user;
    if (m.fromName.isEmpty()) {
        const auto me = m_store.Member(m_user);
        m.fromName = me ? me->DisplayName() : m_user;
    }
    if (!m.sendTime.isValid())
        m.sendTime = QDateTime::currentDateTimeUtc();

    QStringList unknown;
    const bool ok = m_store.Write([&] {
        unknown.clear();
        if (m_store
                .Scalar(QStringLiteral("SELECT COUNT(*) FROM messages WHERE message_id = ?"),
                        {m.messageId})
                .toInt() > 0)
            return m_store.Fail(CServiceError(CServiceError::DuplicateMessage, m.messageId));

        // Expand every destination to members; the first (most visible) list reaching a member
        // is the one it receives the message through.
        QHash<QString, int> listOf;
        QStringList recipients;
        QList<std::pair<QString, QStringList>> reached;
        std::optional<QStringList> online;
        auto column = [&](const QString& sql, const QVariantList& values) {
            QStringList ids;
            auto q = m_store.Run(sql, values);
            while (q && q->next())
                ids.append(q->value(0).toString());
            return ids;
        };
        for (int list = Svc::DST_TO; list <= Svc::DST_BCC; ++list) {
            for (const SvcDestination& d : m.dest[list]) {
                QStringList members;
                bool known = true;
                if (d.id.startsWith(Svc::kGroupPrefix, Qt::CaseInsensitive)) {
                    const QString group = d.id.mid(Svc::kGroupPrefix.size());
                    if (group.compare(Svc::kOnNetters, Qt::CaseInsensitive) == 0) {
                        if (!online)
                            online = column(QStringLiteral("SELECT member_id FROM sessions WHERE"
                                                           " expires >= ? ORDER BY member_id"),
                                            {CServiceStore::Now()});
                        members = *online;
                    } else if (m_store.GroupExists(group)) {
                        members = column(QStringLiteral("SELECT member_id FROM memberships WHERE"
                                                        " group_id = ? ORDER BY position, rowid"),
                                         {group});
                    } else {
                        known = false;
                    }
                } else if (m_store.MemberExists(d.id)) {
                    members = {d.id};
                } else {
                    known = false;
                }
                if (!known) {
                    if (!unknown.contains(d.id))
                        unknown.append(d.id);
                    continue;
                }
                reached.append({d.id, members});
                for (const QString& member : members) {
                    if (!listOf.contains(member)) {
                        listOf.insert(member, list);
                        recipients.append(member);
                    }
                }
            }
        }

        auto insert = m_store.Run(
            QStringLiteral("INSERT INTO messages(message_id, from_id, from_name, reply_mode,"
                           " reply_to, reference_id, priority, flags, pic_number, pic_version,"
                           " bg_color, type, type_value, send_time, subject, body)"
                           " VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            {m.messageId, m.fromId, m.fromName, m.replyMode, m.replyTo, m.referenceId, m.priority,
             m.flags, m.picNumber, m.picVersion, m.bgColor, m.type, m.typeValue,
             m.sendTime.toMSecsSinceEpoch(), m.subject, m.body});
        if (!insert)
            return false;
        const qint64 row = insert->lastInsertId().toLongLong();
        for (int list = Svc::DST_TO; list <= Svc::DST_BCC; ++list)
            for (int i = 0; i < m.dest[list].size(); ++i)
                if (!m_store.Run(QStringLiteral("INSERT INTO destinations(message, list, position,"
                                                " dest) VALUES(?,?,?,?)"),
                                 {row, list, i, m.dest[list][i].id}))
                    return false;
        for (int i = 0; i < m.attachments.size(); ++i) {
            const SvcAttachment& f = m.attachments[i];
            if (!m_store.Run(QStringLiteral("INSERT INTO attachments(message, position, name,"
                                            " size, data) VALUES(?,?,?,?,?)"),
                             {row, i, f.name, qint64(f.data.size()), f.data}))
                return false;
        }
        for (const auto& [dest, members] : reached)
            for (const QString& member : members)
                if (!m_store.Run(QStringLiteral("INSERT OR IGNORE INTO reached(message, dest,"
                                                " member_id) VALUES(?,?,?)"),
                                 {row, dest, member}))
                    return false;
        for (const QString& member : recipients) {
            Event e;
            e.kind = CServiceStore::EV_DELIVERED;
            e.target = member;
            e.memberId = m_user;
            e.messageId = m.messageId;
            if (!m_store.Run(QStringLiteral("INSERT INTO deliveries(message, member_id, list)"
                                            " VALUES(?,?,?)"),
                             {row, member, listOf.value(member)}) ||
                !m_store.Append(e))
                return false;
        }
        for (const QString& dest : unknown) {
            Event e;
            e.kind = CServiceStore::EV_RECEIPT;
            e.target = m_user;
            e.memberId = dest;
            e.messageId = m.messageId;
            e.value = Svc::RECEIPT_UNKNOWN_DEST;
            if (!m_store.Append(e))
                return false;
        }
        return true;
    });
    if (!ok)
        return StoreFail();
    if (unknownOut)
        *unknownOut = unknown;
    return true;
}

std::optional<SvcMessage> CLocalService::LoadForUser(const QString& messageId, bool* pending) {
    auto q = m_store.Run(
        QStringLiteral("SELECT id, message_id, from_id, from_name, reply_mode, reply_to,"
                       " reference_id, priority, flags, pic_number, pic_version, bg_color, type,"
                       " type_value, send_time, subject, body FROM messages WHERE message_id = ?"),
        {messageId});
    if (!q || !q->next()) {
        Fail(CServiceError(CServiceError::UnknownMessage, messageId));
        return std::nullopt;
    }
    SvcMessage m;
    const qint64 row = q->value(0).toLongLong();
    m.messageId = q->value(1).toString();
    m.fromId = q->value(2).toString();
    m.fromName = q->value(3).toString();
    m.replyMode = q->value(4).toUInt();
    m.replyTo = q->value(5).toString();
    m.referenceId = q->value(6).toString();
    m.priority = q->value(7).toUInt();
    m.flags = q->value(8).toUInt();
    m.picNumber = q->value(9).toUInt();
    m.picVersion = q->value(10).toUInt();
    m.bgColor = q->value(11).toUInt();
    m.type = q->value(12).toString();
    m.typeValue = q->value(13).toString();
    m.sendTime = FromMs(q->value(14));
    m.subject = q->value(15).toString();
    m.body = q->value(16).toString();
    q.reset();

    int myList = -1;
    if (auto d = m_store.Run(QStringLiteral("SELECT list, recv_time FROM deliveries WHERE"
                                            " message = ? AND member_id = ?"),
                             {row, m_user});
        d && d->next()) {
        myList = d->value(0).toInt();
        if (pending)
            *pending = d->value(1).isNull();
    }
    const bool sender = m.fromId == m_user;
    if (!sender && myList < 0) {
        Fail(CServiceError(CServiceError::UnknownMessage, messageId));
        return std::nullopt;
    }

    // Destination times, for the sender only: a destination counts as received (read) once
    // every member it reached has received (read) it, at the latest of their times.
    QHash<QString, std::pair<QDateTime, QDateTime>> times;
    if (sender) {
        auto t = m_store.Run(
            QStringLiteral("SELECT r.dest, COUNT(*), COUNT(d.recv_time), MAX(d.recv_time),"
                           " COUNT(d.read_time), MAX(d.read_time) FROM reached r JOIN deliveries"
                           " d ON d.message = r.message AND d.member_id = r.member_id WHERE"
                           " r.message = ? GROUP BY r.dest"),
            {row});
        while (t && t->next()) {
            const int count = t->value(1).toInt();
            times.insert(t->value(0).toString(),
                         {t->value(2).toInt() == count ? FromMs(t->value(3)) : QDateTime(),
                          t->value(4).toInt() == count ? FromMs(t->value(5)) : QDateTime()});
        }
    }
    auto d = m_store.Run(QStringLiteral("SELECT list, dest FROM destinations WHERE message = ?"
                                        " ORDER BY list, position"),
                         {row});
    while (d && d->next()) {
        const int list = d->value(0).toInt();
        if (list < Svc::DST_TO || list > Svc::DST_BCC)
            continue;
        const QString id = d->value(1).toString();
        if (sender) {
            const auto t = times.value(id);
            m.dest[list].append({id, t.first, t.second});
        } else if (list != Svc::DST_BCC) {
            m.dest[list].append({id, {}, {}});
        }
    }
    // A Bcc recipient learns that it was a blind copy, and of nobody else.
    if (!sender && myList == Svc::DST_BCC)
        m.AddDest(Svc::DST_BCC, m_user);
    auto files = m_store.Run(QStringLiteral("SELECT name, size FROM attachments WHERE message = ?"
                                            " ORDER BY position"),
                             {row});
    while (files && files->next())
        m.attachments.append({files->value(0).toString(), files->value(1).toLongLong(), {}});
    return m;
}

QList<SvcMessage> CLocalService::GetPendingMessages() {
    QList<SvcMessage> messages;
    if (!RequireLogon())
        return messages;
    const std::optional<QStringList> pending = PendingIds();
    if (!pending)
        return messages;
    for (const QString& id : *pending)
        if (auto m = LoadForUser(id))
            messages.append(*m);
    return messages;
}

std::optional<SvcMessage> CLocalService::GetMessage(const QString& messageId) {
    if (!RequireLogon())
        return std::nullopt;
    return LoadForUser(messageId);
}

bool CLocalService::Mark(const QStringList& messageIds, bool read) {
    if (!RequireLogon())
        return false;
    const bool ok = m_store.Write([&] {
        const qint64 now = CServiceStore::Now();
        for (const QString& id : messageIds) {
            auto q = m_store.Run(QStringLiteral("SELECT m.id, m.from_id, d.recv_time, d.read_time"
                                                " FROM messages m JOIN deliveries d ON d.message ="
                                                " m.id AND d.member_id = ? WHERE m.message_id = ?"),
                                 {m_user, id});
            if (!q)
                return false;
            if (!q->next())
                return m_store.Fail(CServiceError(CServiceError::UnknownMessage, id));
            const qint64 row = q->value(0).toLongLong();
            const QString from = q->value(1).toString();
            const bool needRecv = q->value(2).isNull();
            const bool needRead = read && q->value(3).isNull();
            q.reset();
            auto receipt = [&](int kind, const char* column) {
                Event e;
                e.kind = CServiceStore::EV_RECEIPT;
                e.time = now;
                e.target = from;
                e.memberId = m_user;
                e.messageId = id;
                e.value = kind;
                return m_store.Run(QStringLiteral("UPDATE deliveries SET %1 = ? WHERE message = ?"
                                                  " AND member_id = ?")
                                       .arg(QLatin1String(column)),
                                   {now, row, m_user}) &&
                       m_store.Append(e);
            };
            if (needRecv && !receipt(Svc::RECEIPT_RECEIVED, "recv_time"))
                return false;
            if (needRead && !receipt(Svc::RECEIPT_READ, "read_time"))
                return false;
        }
        return true;
    });
    if (!ok)
        return StoreFail();
    for (const QString& id : messageIds)
        m_announced.remove(id);
    return true;
}

bool CLocalService::MarkReceived(const QStringList& messageIds) {
    return Mark(messageIds, false);
}

bool CLocalService::MarkRead(const QString& messageId) {
    return Mark({messageId}, true);
}

// ---- Attachments ----

std::optional<QByteArray> CLocalService::GetAttachmentData(const QString& messageId, int index) {
    if (!RequireLogon())
        return std::nullopt;
    // Only the sender and the recipients may have the bytes.
    auto q = m_store.Run(
        QStringLiteral("SELECT a.data FROM attachments a JOIN messages m ON m.id = a.message"
                       " WHERE m.message_id = ? AND a.position = ? AND (m.from_id = ? OR EXISTS("
                       "SELECT 1 FROM deliveries d WHERE d.message = m.id AND d.member_id = ?))"),
        {messageId, index, m_user, m_user});
    if (!q)
        return std::nullopt;
    if (!q->next()) {
        Fail(CServiceError(CServiceError::UnknownAttachment,
                           QStringLiteral("%1/%2").arg(messageId).arg(index)));
        return std::nullopt;
    }
    return q->value(0).toByteArray();
}

// ---- Chats ----

int CLocalService::ChatStateOfUser(int chat) {
    auto q = m_store.Run(QStringLiteral("SELECT c.closed, cm.state FROM chats c LEFT JOIN"
                                        " chat_members cm ON cm.chat = c.id AND cm.member_id = ?"
                                        " WHERE c.id = ?"),
                         {m_user, chat});
    if (!q)
        return -1;
    if (!q->next()) {
        m_store.Fail(CServiceError(CServiceError::UnknownChat, QString::number(chat)));
        return -1;
    }
    if (!q->value(0).isNull()) {
        m_store.Fail(CServiceError(CServiceError::ChatClosed, QString::number(chat)));
        return -1;
    }
    if (q->value(1).isNull()) {
        m_store.Fail(CServiceError(CServiceError::NotInChat, QString::number(chat)));
        return -1;
    }
    return q->value(1).toInt();
}

bool CLocalService::ChatWrite(int chat, int wantedState, CServiceError::Code otherwise,
                              const std::function<bool()>& fn) {
    if (!RequireLogon())
        return false;
    const bool ok = m_store.Write([&] {
        const int state = ChatStateOfUser(chat);
        if (state < 0)
            return false;
        if (state != wantedState)
            return m_store.Fail(CServiceError(otherwise, QString::number(chat)));
        return fn();
    });
    return ok || StoreFail();
}

int CLocalService::CreateChat(int maxOpenChats) {
    if (!RequireLogon())
        return 0;
    int chat = 0;
    const bool ok = m_store.Write([&] {
        const int open =
            m_store
                .Scalar(QStringLiteral("SELECT COUNT(*) FROM chat_members cm JOIN chats c ON"
                                       " c.id = cm.chat WHERE cm.member_id = ? AND cm.state = ?"
                                       " AND c.closed IS NULL"),
                        {m_user, int(Svc::CHAT_IN)})
                .toInt();
        if (open >= maxOpenChats)
            return m_store.Fail(
                CServiceError(CServiceError::ChatRoomLimit, QString::number(maxOpenChats)));
        const qint64 now = CServiceStore::Now();
        auto q = m_store.Run(QStringLiteral("INSERT INTO chats(creator, created) VALUES(?,?)"),
                             {m_user, now});
        if (!q)
            return false;
        chat = q->lastInsertId().toInt();
        return m_store.Run(QStringLiteral("INSERT INTO chat_members(chat, member_id, state,"
                                          " changed) VALUES(?,?,?,?)"),
                           {chat, m_user, int(Svc::CHAT_IN), now}) &&
               m_store.AppendChatEvent(chat, Svc::CHAT_JOINED, m_user,
                                       m_store.ChatNotice(Svc::CHAT_JOINED, m_user));
    });
    if (!ok) {
        StoreFail();
        return 0;
    }
    return chat;
}

bool CLocalService::InviteToChat(int chat, const QString& memberId, const QString& text,
                                 int maxMembers) {
    if (!RequireLogon())
        return false;
    if (auto e = Svc::CheckInvitation(memberId, text); e.IsError())
        return Fail(e);
    return ChatWrite(chat, Svc::CHAT_IN, CServiceError::NotInChat, [&] {
        const auto member = m_store.Member(memberId);
        if (!member)
            return m_store.Fail(CServiceError(CServiceError::UnknownMember, memberId));
        if (!member->online)
            return m_store.Fail(CServiceError(CServiceError::MemberOffline, memberId));
        const QVariant state = m_store.Scalar(
            QStringLiteral("SELECT state FROM chat_members WHERE chat = ? AND member_id = ?"),
            {chat, memberId});
        if (state.isValid() && state.toInt() != Svc::CHAT_GONE)
            return m_store.Fail(CServiceError(CServiceError::AlreadyInChat, memberId));
        const int count =
            m_store
                .Scalar(QStringLiteral("SELECT COUNT(*) FROM chat_members WHERE chat = ? AND"
                                       " state < ?"),
                        {chat, int(Svc::CHAT_GONE)})
                .toInt();
        if (count + 1 > maxMembers)
            return m_store.Fail(
                CServiceError(CServiceError::ChatMemberLimit, QString::number(maxMembers)));
        // A member who left may be invited again.
        Event e;
        e.kind = CServiceStore::EV_CHAT_INVITED;
        e.target = memberId;
        e.memberId = m_user;
        e.detail = text;
        e.value = chat;
        return m_store.Run(
                   QStringLiteral("INSERT OR REPLACE INTO chat_members(chat, member_id,"
                                  " state, inviter, invite_text, changed)"
                                  " VALUES(?,?,?,?,?,?)"),
                   {chat, memberId, int(Svc::CHAT_INVITED), m_user, text, CServiceStore::Now()}) &&
               m_store.Append(e) &&
               m_store.AppendChatEvent(chat, Svc::CHAT_NOTICE, m_user,
                                       m_store.ChatNotice(Svc::CHAT_NOTICE, m_user, memberId));
    });
}

bool CLocalService::JoinChat(int chat) {
    return ChatWrite(chat, Svc::CHAT_INVITED, CServiceError::NotInvited, [&] {
        return m_store.SetChatState(chat, m_user, Svc::CHAT_IN) &&
               m_store.AppendChatEvent(chat, Svc::CHAT_JOINED, m_user,
                                       m_store.ChatNotice(Svc::CHAT_JOINED, m_user));
    });
}

bool CLocalService::DeclineChat(int chat, bool refused) {
    return ChatWrite(chat, Svc::CHAT_INVITED, CServiceError::NotInvited, [&] {
        return m_store.EndChatPart(chat, m_user,
                                   refused ? Svc::CHAT_DECLINED : Svc::CHAT_TIMED_OUT);
    });
}

bool CLocalService::TalkInChat(int chat, const QString& html) {
    if (!RequireLogon())
        return false;
    if (html.size() > Svc::kMaxBodyBytes / 3 && html.toUtf8().size() > Svc::kMaxBodyBytes)
        return Fail(
            CServiceError(CServiceError::BodyTooLarge, QString::number(Svc::kMaxBodyBytes)));
    return ChatWrite(chat, Svc::CHAT_IN, CServiceError::NotInChat,
                     [&] { return m_store.AppendChatEvent(chat, Svc::CHAT_TALK, m_user, html); });
}

bool CLocalService::LeaveChat(int chat) {
    if (!RequireLogon())
        return false;
    const bool ok = m_store.Write([&] {
        const int state = ChatStateOfUser(chat);
        if (state < 0)
            return false;
        if (state == Svc::CHAT_GONE)
            return m_store.Fail(CServiceError(CServiceError::NotInChat, QString::number(chat)));
        return m_store.EndChatPart(chat, m_user,
                                   state == Svc::CHAT_IN ? Svc::CHAT_LEFT : Svc::CHAT_DECLINED);
    });
    return ok || StoreFail();
}

QList<SvcChatEvent> CLocalService::GetChatEvents(int chat, qint64 afterSeq) {
    QList<SvcChatEvent> events;
    if (!RequireLogon())
        return events;
    // Whoever was ever asked into the chat may read its log, also after it ended.
    if (m_store
            .Scalar(QStringLiteral("SELECT COUNT(*) FROM chat_members WHERE chat = ? AND"
                                   " member_id = ?"),
                    {chat, m_user})
            .toInt() == 0) {
        Fail(CServiceError(
            m_store.Scalar(QStringLiteral("SELECT COUNT(*) FROM chats WHERE id = ?"), {chat})
                        .toInt() > 0
                ? CServiceError::NotInChat
                : CServiceError::UnknownChat,
            QString::number(chat)));
        return events;
    }
    auto q = m_store.Run(QStringLiteral("SELECT seq, type, member_id, text, time FROM chat_events"
                                        " WHERE chat = ? AND seq > ? ORDER BY seq"),
                         {chat, afterSeq});
    while (q && q->next())
        events.append({q->value(0).toLongLong(), chat, q->value(1).toInt(), q->value(2).toString(),
                       q->value(3).toString(), FromMs(q->value(4))});
    if (!q)
        StoreFail();
    return events;
}

QList<SvcChatMember> CLocalService::GetChatMembers(int chat) {
    QList<SvcChatMember> members;
    if (!RequireLogon())
        return members;
    auto q = m_store.Run(QStringLiteral("SELECT member_id, state, inviter FROM chat_members WHERE"
                                        " chat = ? AND EXISTS(SELECT 1 FROM chat_members WHERE"
                                        " chat = ? AND member_id = ?) ORDER BY rowid"),
                         {chat, chat, m_user});
    while (q && q->next())
        members.append({q->value(0).toString(), q->value(1).toInt(), q->value(2).toString()});
    if (members.isEmpty())
        Fail(CServiceError(CServiceError::NotInChat, QString::number(chat)));
    return members;
}
