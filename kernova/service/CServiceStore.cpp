#include "kernova/service/CServiceStore.h"

#include "kernova/service/CPasswordHash.h"
#include "kernova/service/CServiceBell.h"
#include "kernova/service/ServiceRules.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>

namespace {

QAtomicInt g_connectionCounter;

const char* const kSchema[] = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT)",
    "CREATE TABLE members(id TEXT PRIMARY KEY, alias TEXT, family1 TEXT, first1 TEXT,"
    " middle1 TEXT, family0 TEXT, first0 TEXT, middle0 TEXT, telephone TEXT, email TEXT,"
    " sex INTEGER NOT NULL DEFAULT 0, birth TEXT, memo TEXT, pw_salt BLOB, pw_hash BLOB,"
    " pw_iterations INTEGER NOT NULL DEFAULT 0, feed_seq INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE roles(role INTEGER PRIMARY KEY, name TEXT)",
    "CREATE TABLE groups(id TEXT PRIMARY KEY,"
    " parent_id TEXT REFERENCES groups(id) ON DELETE CASCADE, name TEXT,"
    " position INTEGER NOT NULL DEFAULT 0, status TEXT, icon TEXT,"
    " bkcolor INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE memberships(group_id TEXT NOT NULL REFERENCES groups(id) ON DELETE CASCADE,"
    " member_id TEXT NOT NULL REFERENCES members(id) ON DELETE CASCADE, name TEXT,"
    " role INTEGER NOT NULL DEFAULT 0, position INTEGER NOT NULL DEFAULT 0, status TEXT,"
    " icon TEXT, bkcolor INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(group_id, member_id))",
    "CREATE INDEX memberships_member ON memberships(member_id)",
    "CREATE TABLE sessions(member_id TEXT PRIMARY KEY REFERENCES members(id) ON DELETE CASCADE,"
    " session TEXT NOT NULL, pid INTEGER, logon_time INTEGER NOT NULL,"
    " expires INTEGER NOT NULL)",
    "CREATE TABLE messages(id INTEGER PRIMARY KEY, message_id TEXT NOT NULL UNIQUE,"
    " from_id TEXT NOT NULL, from_name TEXT, reply_mode INTEGER NOT NULL DEFAULT 0,"
    " reply_to TEXT, reference_id TEXT, priority INTEGER NOT NULL DEFAULT 0,"
    " flags INTEGER NOT NULL DEFAULT 0, pic_number INTEGER NOT NULL DEFAULT 0,"
    " pic_version INTEGER NOT NULL DEFAULT 0, bg_color INTEGER NOT NULL DEFAULT 0, type TEXT,"
    " type_value TEXT, send_time INTEGER, subject TEXT, body TEXT)",
    // Every destination as the sender wrote it.
    "CREATE TABLE destinations(message INTEGER NOT NULL REFERENCES messages(id) ON DELETE CASCADE,"
    " list INTEGER NOT NULL, position INTEGER NOT NULL, dest TEXT NOT NULL,"
    " PRIMARY KEY(message, list, position))",
    // Which members each destination reached (a group reaches many, a member one).
    "CREATE TABLE reached(message INTEGER NOT NULL REFERENCES messages(id) ON DELETE CASCADE,"
    " dest TEXT NOT NULL, member_id TEXT NOT NULL, PRIMARY KEY(message, dest, member_id))",
    // One copy per recipient, with the list that made it a recipient (the most visible one).
    "CREATE TABLE deliveries(message INTEGER NOT NULL REFERENCES messages(id) ON DELETE CASCADE,"
    " member_id TEXT NOT NULL, list INTEGER NOT NULL, recv_time INTEGER, read_time INTEGER,"
    " PRIMARY KEY(message, member_id))",
    "CREATE INDEX deliveries_member ON deliveries(member_id, recv_time)",
    // The change feed. AUTOINCREMENT: sequence numbers are never reused after pruning.
    "CREATE TABLE events(seq INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER NOT NULL,"
    " kind INTEGER NOT NULL, target TEXT, group_id TEXT, member_id TEXT, message_id TEXT,"
    " detail TEXT, value INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX events_target ON events(target, seq)",
    "CREATE INDEX events_time ON events(time)",
};

// Added by schema version 2; a version 1 service gets them when it is first opened.
const char* const kSchemaV2[] = {
    // The files of a message, in the sender's order, with the sender's names.
    "CREATE TABLE attachments(message INTEGER NOT NULL REFERENCES messages(id) ON DELETE CASCADE,"
    " position INTEGER NOT NULL, name TEXT NOT NULL, size INTEGER NOT NULL, data BLOB,"
    " PRIMARY KEY(message, position))",
    // AUTOINCREMENT: a chat number is never given twice.
    "CREATE TABLE chats(id INTEGER PRIMARY KEY AUTOINCREMENT, creator TEXT NOT NULL,"
    " created INTEGER NOT NULL, closed INTEGER)",
    "CREATE TABLE chat_members(chat INTEGER NOT NULL REFERENCES chats(id) ON DELETE CASCADE,"
    " member_id TEXT NOT NULL, state INTEGER NOT NULL, inviter TEXT, invite_text TEXT,"
    " changed INTEGER NOT NULL, PRIMARY KEY(chat, member_id))",
    "CREATE INDEX chat_members_member ON chat_members(member_id, state)",
    "CREATE TABLE chat_events(seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " chat INTEGER NOT NULL REFERENCES chats(id) ON DELETE CASCADE, type INTEGER NOT NULL,"
    " member_id TEXT NOT NULL, text TEXT, time INTEGER NOT NULL)",
    "CREATE INDEX chat_events_chat ON chat_events(chat, seq)",
};

// Added by schema version 3: the new presence travels with a presence change, so that the
// members who hear of it need not read the directory again.
const char* const kSchemaV3[] = {
    "ALTER TABLE events ADD COLUMN status TEXT",
    "ALTER TABLE events ADD COLUMN icon TEXT",
    "ALTER TABLE events ADD COLUMN bkcolor INTEGER",
};

const char kMemberColumns[] =
    "m.id, m.alias, m.family1, m.first1, m.middle1, m.family0, m.first0, m.middle0, m.telephone,"
    " m.email, m.sex, m.birth, m.memo, s.expires";

const char kMembershipColumns[] =
    "group_id, member_id, name, role, position, status, icon, bkcolor";

} // namespace

CServiceStore::CServiceStore(QString dir) : m_dir(std::move(dir)) {}

CServiceStore::~CServiceStore() {
    if (m_connection.isEmpty())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

QString CServiceStore::DatabasePath(const QString& dir) {
    return QDir(dir).filePath(QStringLiteral("service.db"));
}

bool CServiceStore::Fail(CServiceError error) {
    m_error = std::move(error);
    return false;
}

qint64 CServiceStore::Now() {
    return QDateTime::currentMSecsSinceEpoch();
}

bool CServiceStore::Connect() {
    if (m_connection.isEmpty()) {
        m_connection =
            QStringLiteral("KernovaService-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1));
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    }
    m_db.setDatabaseName(DatabasePath(m_dir));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open())
        return Fail(CServiceError(CServiceError::Database, m_db.lastError().text()));
    // WAL lets readers go on while one process writes; NORMAL synchronisation is safe in WAL
    // mode (a power cut may lose the last commits, never corrupt the file).
    for (const char* pragma :
         {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON"}) {
        QSqlQuery q(m_db);
        if (!q.exec(QString::fromLatin1(pragma)))
            return Fail(CServiceError(CServiceError::Database, q.lastError().text()));
    }
    m_open = true;
    return true;
}

bool CServiceStore::Create() {
    if (!QDir().mkpath(m_dir))
        return Fail(CServiceError(CServiceError::Database, m_dir));
    if (QFile::exists(DatabasePath(m_dir)))
        return Fail(CServiceError(CServiceError::ServiceExists, m_dir));
    if (!Connect())
        return false;
    const bool ok = Write([this] { return CreateSchema(); });
    if (!ok)
        m_open = false;
    return ok;
}

bool CServiceStore::CreateSchema() {
    // Two creators racing: the second one finds the first one's tables.
    if (Scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name='meta'")).toInt() > 0)
        return Fail(CServiceError(CServiceError::ServiceExists, m_dir));
    for (const char* statement : kSchema)
        if (!Run(QString::fromLatin1(statement)))
            return false;
    for (const char* statement : kSchemaV2)
        if (!Run(QString::fromLatin1(statement)))
            return false;
    for (const char* statement : kSchemaV3)
        if (!Run(QString::fromLatin1(statement)))
            return false;
    if (!Run(QStringLiteral("INSERT INTO meta(key, value) VALUES('schema', ?)"),
             {QString::number(kSchemaVersion)}))
        return false;
    const std::pair<int, const char16_t*> roles[] = {
        {0, u"メンバー"}, {1, u"リーダー"}, {2, u"ゲスト"}};
    for (const auto& [role, name] : roles)
        if (!Run(QStringLiteral("INSERT INTO roles(role, name) VALUES(?, ?)"),
                 {role, QString::fromUtf16(name)}))
            return false;
    return true;
}

bool CServiceStore::Open() {
    if (m_open)
        return true;
    // Opening would create an empty database; a missing one means no service.
    const QFileInfo file(DatabasePath(m_dir));
    if (!file.exists())
        return Fail(CServiceError(CServiceError::NoService, m_dir));
    // Connecting writes to the file (the journal mode); a file emptied by a full disk or a
    // failed copy is kept as it is for whoever can recover it.
    if (file.size() == 0)
        return Fail(CServiceError(CServiceError::Damaged, file.filePath()));
    if (!Connect())
        return false;
    const QVariant version = Scalar(QStringLiteral("SELECT value FROM meta WHERE key='schema'"));
    if (!version.isValid()) {
        m_open = false;
        m_db.close();
        return Fail(CServiceError(CServiceError::Damaged, file.filePath()));
    }
    if (version.toInt() < 1 || version.toInt() > kSchemaVersion ||
        (version.toInt() < kSchemaVersion && !Upgrade())) {
        m_open = false;
        m_db.close();
        return Fail(CServiceError(CServiceError::NoService, m_dir));
    }
    return true;
}

bool CServiceStore::Upgrade() {
    return Write([this] {
        // Another process may have upgraded since the version was read.
        const int version =
            Scalar(QStringLiteral("SELECT value FROM meta WHERE key='schema'")).toInt();
        if (version >= kSchemaVersion)
            return true;
        if (version < 2)
            for (const char* statement : kSchemaV2)
                if (!Run(QString::fromLatin1(statement)))
                    return false;
        // Columns that are there already (a database whose version was set back) are kept:
        // adding them again would fail the whole upgrade.
        const bool hasPresence =
            Scalar(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('events') WHERE"
                                  " name = 'bkcolor'"))
                .toInt() > 0;
        if (!hasPresence)
            for (const char* statement : kSchemaV3)
                if (!Run(QString::fromLatin1(statement)))
                    return false;
        return Run(QStringLiteral("UPDATE meta SET value = ? WHERE key='schema'"),
                   {QString::number(kSchemaVersion)})
            .has_value();
    });
}

bool CServiceStore::Write(const std::function<bool()>& fn) {
    if (!m_open)
        return Fail(CServiceError(CServiceError::NoService, m_dir));
    if (m_depth > 0) {
        ++m_depth;
        const bool ok = fn();
        --m_depth;
        return ok;
    }
    {
        QSqlQuery begin(m_db);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            const QSqlError e = begin.lastError();
            return Fail(e.nativeErrorCode() == QLatin1String("5")
                            ? CServiceError(CServiceError::Busy)
                            : CServiceError(CServiceError::Database, e.text()));
        }
    }
    m_depth = 1;
    m_appended = false;
    bool ok = fn();
    m_depth = 0;
    if (ok) {
        QSqlQuery commit(m_db);
        if (!commit.exec(QStringLiteral("COMMIT"))) {
            ok = Fail(CServiceError(CServiceError::Database, commit.lastError().text()));
        }
    }
    if (!ok) {
        QSqlQuery rollback(m_db);
        rollback.exec(QStringLiteral("ROLLBACK"));
    }
    if (ok && m_appended)
        CServiceBell::Ring(m_dir);
    m_appended = false;
    return ok;
}

QSqlQuery CServiceStore::Prepare(const QString& sql) {
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        Fail(CServiceError(CServiceError::Database, q.lastError().text()));
    return q;
}

bool CServiceStore::Exec(QSqlQuery& query) {
    if (!query.exec())
        return Fail(CServiceError(CServiceError::Database, query.lastError().text()));
    return true;
}

std::optional<QSqlQuery> CServiceStore::Run(const QString& sql, const QVariantList& values) {
    if (!m_open) {
        Fail(CServiceError(CServiceError::NoService, m_dir));
        return std::nullopt;
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        Fail(CServiceError(CServiceError::Database, q.lastError().text()));
        return std::nullopt;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!Exec(q))
        return std::nullopt;
    return q;
}

QVariant CServiceStore::Scalar(const QString& sql, const QVariantList& values) {
    auto q = Run(sql, values);
    if (!q || !q->next()) {
        Drained(q);
        return {};
    }
    return q->value(0);
}

bool CServiceStore::Drained(const std::optional<QSqlQuery>& q) {
    if (!q)
        return false; // Run has said why
    // A query stops at a damaged page as it stops at its last row; only its error tells.
    if (q->lastError().isValid())
        return Fail(CServiceError(CServiceError::Damaged, q->lastError().text()));
    return true;
}

// ---- Change feed ----

bool CServiceStore::Append(const Event& e) {
    const bool ok =
        Run(QStringLiteral("INSERT INTO events(time, kind, target, group_id, member_id,"
                           " message_id, detail, value, status, icon, bkcolor)"
                           " VALUES(?,?,?,?,?,?,?,?,?,?,?)"),
            {e.time ? e.time : Now(), e.kind, e.target.isEmpty() ? QVariant() : QVariant(e.target),
             e.groupId, e.memberId, e.messageId, e.detail, e.value,
             e.presence ? QVariant(e.presence->status) : QVariant(),
             e.presence ? QVariant(e.presence->icon) : QVariant(),
             e.presence ? QVariant(qint64(e.presence->bkColor)) : QVariant()})
            .has_value();
    m_appended = m_appended || ok;
    return ok;
}

qint64 CServiceStore::LastSeq() {
    return Scalar(QStringLiteral("SELECT COALESCE(MAX(seq), 0) FROM events")).toLongLong();
}

QList<CServiceStore::Event> CServiceStore::EventsFor(const QString& member, qint64 cursor,
                                                     qint64 broadcastAfter, int limit) {
    QList<Event> events;
    auto q = Run(QStringLiteral("SELECT seq, time, kind, target, group_id, member_id, message_id,"
                                " detail, value, status, icon, bkcolor FROM events WHERE seq > ?"
                                " AND (target = ? OR"
                                " (target IS NULL AND seq > ?)) ORDER BY seq LIMIT ?"),
                 {cursor, member, broadcastAfter, limit});
    while (q && q->next()) {
        Event e;
        e.seq = q->value(0).toLongLong();
        e.time = q->value(1).toLongLong();
        e.kind = q->value(2).toInt();
        e.target = q->value(3).toString();
        e.groupId = q->value(4).toString();
        e.memberId = q->value(5).toString();
        e.messageId = q->value(6).toString();
        e.detail = q->value(7).toString();
        e.value = q->value(8).toInt();
        if (!q->value(11).isNull())
            e.presence = SvcPresence{q->value(9).toString(), q->value(10).toString(),
                                     uint32_t(q->value(11).toLongLong())};
        events.append(e);
    }
    if (!Drained(q))
        return {};
    return events;
}

bool CServiceStore::PruneEvents(qint64 maxAgeMs) {
    return Run(QStringLiteral("DELETE FROM events WHERE time < ?"), {Now() - maxAgeMs}).has_value();
}

// ---- Directory ----

SvcMember CServiceStore::ReadMember(const QSqlQuery& q) {
    SvcMember m;
    m.id = q.value(0).toString();
    m.alias = q.value(1).toString();
    m.familyName[1] = q.value(2).toString();
    m.firstName[1] = q.value(3).toString();
    m.middleName[1] = q.value(4).toString();
    m.familyName[0] = q.value(5).toString();
    m.firstName[0] = q.value(6).toString();
    m.middleName[0] = q.value(7).toString();
    m.telephone = q.value(8).toString();
    m.email = q.value(9).toString();
    m.sex = q.value(10).toUInt();
    m.birth = QDate::fromString(q.value(11).toString(), Qt::ISODate);
    m.memo = q.value(12).toString();
    m.online = !q.value(13).isNull() && q.value(13).toLongLong() >= Now();
    return m;
}

std::optional<SvcMember> CServiceStore::Member(const QString& id) {
    auto q = Run(QStringLiteral("SELECT %1 FROM members m LEFT JOIN sessions s ON s.member_id ="
                                " m.id WHERE m.id = ?")
                     .arg(QLatin1String(kMemberColumns)),
                 {id});
    if (!q || !q->next())
        return std::nullopt;
    return ReadMember(*q);
}

QList<SvcMember> CServiceStore::Members() {
    QList<SvcMember> members;
    auto q = Run(QStringLiteral("SELECT %1 FROM members m LEFT JOIN sessions s ON s.member_id ="
                                " m.id ORDER BY m.id")
                     .arg(QLatin1String(kMemberColumns)));
    while (q && q->next())
        members.append(ReadMember(*q));
    if (!Drained(q))
        return {};
    return members;
}

bool CServiceStore::MemberExists(const QString& id) {
    return Scalar(QStringLiteral("SELECT COUNT(*) FROM members WHERE id = ?"), {id}).toInt() > 0;
}

namespace {
SvcGroup ReadGroup(const QSqlQuery& q) {
    SvcGroup g;
    g.id = q.value(0).toString();
    g.parentId = q.value(1).toString();
    g.name = q.value(2).toString();
    g.position = q.value(3).toInt();
    g.presence = {q.value(4).toString(), q.value(5).toString(), q.value(6).toUInt()};
    return g;
}
const char kGroupColumns[] = "id, parent_id, name, position, status, icon, bkcolor";
} // namespace

std::optional<SvcGroup> CServiceStore::Group(const QString& id) {
    auto q =
        Run(QStringLiteral("SELECT %1 FROM groups WHERE id = ?").arg(QLatin1String(kGroupColumns)),
            {id});
    if (!q || !q->next())
        return std::nullopt;
    return ReadGroup(*q);
}

QList<SvcGroup> CServiceStore::Groups() {
    QList<SvcGroup> all;
    auto q = Run(QStringLiteral("SELECT %1 FROM groups ORDER BY position, rowid")
                     .arg(QLatin1String(kGroupColumns)));
    while (q && q->next())
        all.append(ReadGroup(*q));
    if (!Drained(q))
        return {};

    // Depth-first, parents before children. Groups that no root reaches (a damaged parent
    // chain) are placed at the top level so that a tree can still be built from the list.
    QHash<QString, QList<int>> children;
    QSet<QString> ids;
    for (const SvcGroup& g : all)
        ids.insert(g.id);
    QList<int> roots;
    for (int i = 0; i < all.size(); ++i) {
        if (all[i].parentId.isEmpty() || !ids.contains(all[i].parentId))
            roots.append(i);
        else
            children[all[i].parentId].append(i);
    }
    QList<SvcGroup> ordered;
    QList<bool> placed(all.size(), false);
    // Iterative, so that a deep (or damaged) tree cannot exhaust the stack.
    auto visit = [&](int start) {
        QList<int> stack{start};
        while (!stack.isEmpty()) {
            const int i = stack.takeLast();
            if (placed[i])
                continue;
            placed[i] = true;
            ordered.append(all[i]);
            const QList<int> kids = children.value(all[i].id);
            for (auto it = kids.crbegin(); it != kids.crend(); ++it)
                stack.append(*it);
        }
    };
    for (int root : roots)
        visit(root);
    for (int i = 0; i < all.size(); ++i) {
        if (!placed[i]) {
            all[i].parentId.clear();
            visit(i);
        }
    }
    return ordered;
}

bool CServiceStore::GroupExists(const QString& id) {
    return Scalar(QStringLiteral("SELECT COUNT(*) FROM groups WHERE id = ?"), {id}).toInt() > 0;
}

SvcMembership CServiceStore::ReadMembership(const QSqlQuery& q) {
    SvcMembership m;
    m.groupId = q.value(0).toString();
    m.memberId = q.value(1).toString();
    m.name = q.value(2).toString();
    m.role = q.value(3).toInt();
    m.position = q.value(4).toInt();
    m.presence = {q.value(5).toString(), q.value(6).toString(), q.value(7).toUInt()};
    return m;
}

QList<SvcMembership> CServiceStore::Memberships(const QString& groupId) {
    QList<SvcMembership> list;
    if (!groupId.isEmpty()) {
        auto q = Run(QStringLiteral("SELECT %1 FROM memberships WHERE group_id = ?"
                                    " ORDER BY position, rowid")
                         .arg(QLatin1String(kMembershipColumns)),
                     {groupId});
        while (q && q->next())
            list.append(ReadMembership(*q));
        return Drained(q) ? list : QList<SvcMembership>();
    }
    QHash<QString, int> order;
    const QList<SvcGroup> groups = Groups();
    if (m_error.IsError())
        return {};
    for (int i = 0; i < groups.size(); ++i)
        order.insert(groups[i].id, i);
    auto q = Run(QStringLiteral("SELECT %1 FROM memberships ORDER BY position, rowid")
                     .arg(QLatin1String(kMembershipColumns)));
    while (q && q->next())
        list.append(ReadMembership(*q));
    if (!Drained(q))
        return {};
    std::stable_sort(list.begin(), list.end(), [&](const SvcMembership& a, const SvcMembership& b) {
        return order.value(a.groupId) < order.value(b.groupId);
    });
    return list;
}

QList<SvcMembership> CServiceStore::MembershipsOf(const QString& memberId) {
    QList<SvcMembership> list;
    auto q = Run(QStringLiteral("SELECT %1 FROM memberships WHERE member_id = ? ORDER BY rowid")
                     .arg(QLatin1String(kMembershipColumns)),
                 {memberId});
    while (q && q->next())
        list.append(ReadMembership(*q));
    return Drained(q) ? list : QList<SvcMembership>();
}

QList<SvcRole> CServiceStore::Roles() {
    QList<SvcRole> roles;
    auto q = Run(QStringLiteral("SELECT role, name FROM roles ORDER BY role"));
    while (q && q->next())
        roles.append({q->value(0).toInt(), q->value(1).toString()});
    return Drained(q) ? roles : QList<SvcRole>();
}

bool CServiceStore::RoleExists(int role) {
    return Scalar(QStringLiteral("SELECT COUNT(*) FROM roles WHERE role = ?"), {role}).toInt() > 0;
}

std::optional<CPasswordHash> CServiceStore::PasswordOf(const QString& memberId) {
    auto q = Run(QStringLiteral("SELECT pw_salt, pw_hash, pw_iterations FROM members WHERE id = ?"),
                 {memberId});
    if (!q || !q->next())
        return std::nullopt;
    CPasswordHash h;
    h.salt = q->value(0).toByteArray();
    h.hash = q->value(1).toByteArray();
    h.iterations = q->value(2).toInt();
    return h;
}

// ---- Presence and sessions ----

bool CServiceStore::SetPresenceAll(const QString& memberId, const SvcPresence& wanted) {
    const SvcPresence presence = Svc::Normalized(wanted);
    const QList<SvcMembership> memberships = MembershipsOf(memberId);
    const bool changed =
        std::any_of(memberships.begin(), memberships.end(),
                    [&](const SvcMembership& m) { return m.presence != presence; });
    if (!changed)
        return true;
    if (!Run(QStringLiteral("UPDATE memberships SET status = ?, icon = ?, bkcolor = ?"
                            " WHERE member_id = ?"),
             {presence.status, presence.icon, presence.bkColor, memberId}))
        return false;
    Event e;
    e.kind = EV_PRESENCE;
    e.groupId = Svc::kAllGroups;
    e.memberId = memberId;
    e.detail = memberships.first().presence.status;
    e.presence = presence;
    return Append(e);
}

bool CServiceStore::HasExpiredSessions() {
    return Scalar(QStringLiteral("SELECT COUNT(*) FROM sessions WHERE expires < ?"), {Now()})
               .toInt() > 0;
}

bool CServiceStore::SweepExpired() {
    QList<std::pair<QString, QString>> expired;
    {
        auto q = Run(QStringLiteral("SELECT member_id, session FROM sessions WHERE expires < ?"),
                     {Now()});
        if (!q)
            return false;
        while (q->next())
            expired.append({q->value(0).toString(), q->value(1).toString()});
        if (!Drained(q))
            return false;
    }
    for (const auto& [member, session] : expired) {
        if (!Run(QStringLiteral("DELETE FROM sessions WHERE member_id = ? AND session = ?"),
                 {member, session}))
            return false;
        if (!SetPresenceAll(member, {Svc::kStatusOff, {}, Svc::kColorOff}) ||
            !LeaveAllChats(member, Svc::CHAT_LOGGED_OFF))
            return false;
    }
    return true;
}

// ---- Chats ----

QString CServiceStore::DisplayName(const QString& memberId) {
    const auto m = Member(memberId);
    return m ? m->DisplayName() : memberId;
}

QString CServiceStore::ChatNotice(int type, const QString& memberId, const QString& other) {
    return Svc::ChatNoticeText(type, DisplayName(memberId),
                               type == Svc::CHAT_NOTICE ? DisplayName(other) : QString());
}

bool CServiceStore::AppendChatEvent(int chat, int type, const QString& memberId,
                                    const QString& text) {
    if (!Run(QStringLiteral("INSERT INTO chat_events(chat, type, member_id, text, time)"
                            " VALUES(?,?,?,?,?)"),
             {chat, type, memberId, text, Now()}))
        return false;
    QStringList present;
    {
        auto q = Run(QStringLiteral("SELECT member_id FROM chat_members WHERE chat = ? AND"
                                    " state = ?"),
                     {chat, int(Svc::CHAT_IN)});
        if (!q)
            return false;
        while (q->next())
            present.append(q->value(0).toString());
        if (!Drained(q))
            return false;
    }
    for (const QString& member : present) {
        Event e;
        e.kind = EV_CHAT_CHANGED;
        e.target = member;
        e.value = chat;
        if (!Append(e))
            return false;
    }
    return true;
}

bool CServiceStore::SetChatState(int chat, const QString& memberId, int state) {
    return Run(QStringLiteral("UPDATE chat_members SET state = ?, changed = ? WHERE chat = ? AND"
                              " member_id = ?"),
               {state, Now(), chat, memberId})
        .has_value();
}

bool CServiceStore::EndChatPart(int chat, const QString& memberId, int type) {
    if (!SetChatState(chat, memberId, Svc::CHAT_GONE) ||
        !AppendChatEvent(chat, type, memberId, ChatNotice(type, memberId)))
        return false;
    // With nobody left in it the chat is over; pending invitations can no longer be taken.
    return Run(QStringLiteral("UPDATE chats SET closed = ? WHERE id = ? AND closed IS NULL AND"
                              " NOT EXISTS(SELECT 1 FROM chat_members WHERE chat = ? AND"
                              " state = ?)"),
               {Now(), chat, chat, int(Svc::CHAT_IN)})
        .has_value();
}

bool CServiceStore::LeaveAllChats(const QString& memberId, int type) {
    QList<int> chats;
    {
        auto q = Run(QStringLiteral("SELECT cm.chat FROM chat_members cm JOIN chats c ON c.id ="
                                    " cm.chat WHERE cm.member_id = ? AND cm.state < ? AND"
                                    " c.closed IS NULL ORDER BY cm.chat"),
                     {memberId, int(Svc::CHAT_GONE)});
        if (!q)
            return false;
        while (q->next())
            chats.append(q->value(0).toInt());
        if (!Drained(q))
            return false;
    }
    for (int chat : chats)
        if (!EndChatPart(chat, memberId, type))
            return false;
    return true;
}
