#include "kernova/service/xmpp/CXmppStore.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

constexpr quint32 kPackVersion = 1;

QDateTime FromMs(const QVariant& v) {
    return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
}

} // namespace

CXmppStore::CXmppStore()
    : m_connection(QStringLiteral("xmpp-store-") +
                   QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

CXmppStore::~CXmppStore() {
    Close();
}

void CXmppStore::Close() {
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool CXmppStore::Fail(const QString& what) {
    m_error = CServiceError(CServiceError::Database, what);
    return false;
}

bool CXmppStore::Open(const QString& path) {
    Close();
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return Fail(QStringLiteral("cannot create ") + info.absolutePath());
    QFile::setPermissions(info.absolutePath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open())
        return Fail(m_db.lastError().text());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QSqlQuery q(m_db);
    for (const char* sql : {
             "PRAGMA journal_mode=WAL",
             "CREATE TABLE IF NOT EXISTS inbox(message_id TEXT PRIMARY KEY, my_list INTEGER,"
             " data BLOB, arrived INTEGER, recv_time INTEGER, read_time INTEGER)",
             "CREATE TABLE IF NOT EXISTS outbox(message_id TEXT PRIMARY KEY, data BLOB)",
             "CREATE TABLE IF NOT EXISTS reached(message_id TEXT, dest TEXT, member_id TEXT,"
             " recv_time INTEGER, read_time INTEGER, PRIMARY KEY(message_id, dest, member_id))",
             "CREATE TABLE IF NOT EXISTS unfetched(message_id TEXT PRIMARY KEY, my_list INTEGER,"
             " data BLOB, urls TEXT)",
         })
        if (!q.exec(QString::fromLatin1(sql)))
            return Fail(q.lastError().text());
    return true;
}

QByteArray CXmppStore::Pack(const SvcMessage& m) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kPackVersion << m.messageId << m.fromId << m.fromName << m.replyMode << m.replyTo
        << m.referenceId << m.priority << m.flags << m.picNumber << m.picVersion << m.bgColor
        << m.type << m.typeValue << m.sendTime << m.subject << m.body;
    for (const auto& list : m.dest) {
        out << qint32(list.size());
        for (const SvcDestination& d : list)
            out << d.id;
    }
    out << qint32(m.attachments.size());
    for (const SvcAttachment& f : m.attachments)
        out << f.name << f.data;
    return bytes;
}

std::optional<SvcMessage> CXmppStore::Unpack(const QByteArray& bytes) {
    QDataStream in(bytes);
    quint32 version = 0;
    SvcMessage m;
    in >> version;
    if (version != kPackVersion)
        return std::nullopt;
    in >> m.messageId >> m.fromId >> m.fromName >> m.replyMode >> m.replyTo >> m.referenceId >>
        m.priority >> m.flags >> m.picNumber >> m.picVersion >> m.bgColor >> m.type >>
        m.typeValue >> m.sendTime >> m.subject >> m.body;
    for (auto& list : m.dest) {
        qint32 n = 0;
        in >> n;
        for (qint32 i = 0; i < n && in.status() == QDataStream::Ok; ++i) {
            QString id;
            in >> id;
            list.append({id, {}, {}});
        }
    }
    qint32 files = 0;
    in >> files;
    for (qint32 i = 0; i < files && in.status() == QDataStream::Ok; ++i) {
        SvcAttachment f;
        in >> f.name >> f.data;
        f.size = f.data.size();
        m.attachments.append(f);
    }
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return m;
}

bool CXmppStore::HasIncoming(const QString& messageId) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT 1 FROM inbox WHERE message_id = ?"));
    q.addBindValue(messageId);
    return q.exec() && q.next();
}

bool CXmppStore::AddIncoming(const SvcMessage& message, Svc::DestList myList) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO inbox(message_id, my_list, data, arrived)"
                             " VALUES(?,?,?,?)"));
    q.addBindValue(message.messageId);
    q.addBindValue(int(myList));
    q.addBindValue(Pack(message));
    q.addBindValue(QDateTime::currentMSecsSinceEpoch());
    if (!q.exec())
        return Fail(q.lastError().text());
    if (q.numRowsAffected() == 0) {
        m_error = CServiceError(CServiceError::DuplicateMessage, message.messageId);
        return false;
    }
    return true;
}

QStringList CXmppStore::PendingIds() {
    QStringList ids;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("SELECT message_id FROM inbox WHERE recv_time IS NULL"
                              " ORDER BY arrived, rowid")))
        while (q.next())
            ids.append(q.value(0).toString());
    return ids;
}

std::optional<SvcMessage> CXmppStore::Incoming(const QString& messageId, int* myList,
                                               bool* pending) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT my_list, data, recv_time FROM inbox WHERE message_id = ?"));
    q.addBindValue(messageId);
    if (!q.exec() || !q.next())
        return std::nullopt;
    if (myList)
        *myList = q.value(0).toInt();
    if (pending)
        *pending = q.value(2).isNull();
    return Unpack(q.value(1).toByteArray());
}

bool CXmppStore::MarkIncoming(const QString& messageId, bool read, const QDateTime& now,
                              QList<int>* newKinds) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT recv_time, read_time FROM inbox WHERE message_id = ?"));
    q.addBindValue(messageId);
    if (!q.exec())
        return Fail(q.lastError().text());
    if (!q.next()) {
        m_error = CServiceError(CServiceError::UnknownMessage, messageId);
        return false;
    }
    const bool needRecv = q.value(0).isNull();
    const bool needRead = read && q.value(1).isNull();
    q.finish();
    auto set = [&](const char* column) {
        QSqlQuery u(m_db);
        u.prepare(QStringLiteral("UPDATE inbox SET %1 = ? WHERE message_id = ?")
                      .arg(QLatin1String(column)));
        u.addBindValue(now.toMSecsSinceEpoch());
        u.addBindValue(messageId);
        return u.exec() || Fail(u.lastError().text());
    };
    if (needRecv) {
        if (!set("recv_time"))
            return false;
        newKinds->append(Svc::RECEIPT_RECEIVED);
    }
    if (needRead) {
        if (!set("read_time"))
            return false;
        newKinds->append(Svc::RECEIPT_READ);
    }
    return true;
}

bool CXmppStore::AddOutgoing(const SvcMessage& message,
                             const QList<std::pair<QString, QStringList>>& reached) {
    if (!m_db.transaction())
        return Fail(m_db.lastError().text());
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO outbox(message_id, data) VALUES(?,?)"));
    q.addBindValue(message.messageId);
    q.addBindValue(Pack(message));
    bool ok = q.exec();
    for (const auto& [dest, members] : reached) {
        for (const QString& member : members) {
            if (!ok)
                break;
            QSqlQuery r(m_db);
            r.prepare(QStringLiteral(
                "INSERT OR IGNORE INTO reached(message_id, dest, member_id) VALUES(?,?,?)"));
            r.addBindValue(message.messageId);
            r.addBindValue(dest);
            r.addBindValue(member);
            ok = r.exec();
        }
    }
    if (!ok) {
        const QString why = q.lastError().text();
        m_db.rollback();
        return Fail(why);
    }
    return m_db.commit() || Fail(m_db.lastError().text());
}

bool CXmppStore::HasOutgoing(const QString& messageId) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT 1 FROM outbox WHERE message_id = ?"));
    q.addBindValue(messageId);
    return q.exec() && q.next();
}

std::optional<SvcMessage> CXmppStore::Outgoing(const QString& messageId) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT data FROM outbox WHERE message_id = ?"));
    q.addBindValue(messageId);
    if (!q.exec() || !q.next())
        return std::nullopt;
    std::optional<SvcMessage> m = Unpack(q.value(0).toByteArray());
    if (!m)
        return std::nullopt;
    QSqlQuery t(m_db);
    t.prepare(QStringLiteral("SELECT dest, COUNT(*), COUNT(recv_time), MAX(recv_time),"
                             " COUNT(read_time), MAX(read_time) FROM reached WHERE message_id = ?"
                             " GROUP BY dest"));
    t.addBindValue(messageId);
    QHash<QString, std::pair<QDateTime, QDateTime>> times;
    if (t.exec()) {
        while (t.next()) {
            const int count = t.value(1).toInt();
            times.insert(t.value(0).toString(),
                         {t.value(2).toInt() == count ? FromMs(t.value(3)) : QDateTime(),
                          t.value(4).toInt() == count ? FromMs(t.value(5)) : QDateTime()});
        }
    }
    for (auto& list : m->dest)
        for (SvcDestination& d : list) {
            const auto it = times.find(d.id);
            if (it != times.end()) {
                d.recvTime = it->first;
                d.readTime = it->second;
            }
        }
    return m;
}

CXmppStore::ReceiptResult CXmppStore::ApplyReceipt(int kind, const QString& messageId,
                                                   const QString& memberId, const QDateTime& time) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT COUNT(*), COUNT(recv_time), COUNT(read_time) FROM reached"
                             " WHERE message_id = ? AND member_id = ?"));
    q.addBindValue(messageId);
    q.addBindValue(memberId);
    if (!q.exec() || !q.next() || q.value(0).toInt() == 0)
        return ReceiptResult::NotDestination;
    if (kind == Svc::RECEIPT_UNKNOWN_DEST)
        return ReceiptResult::Applied; // nothing to record: the destination never had it
    const int count = q.value(0).toInt();
    const bool read = kind == Svc::RECEIPT_READ;
    // A read message was received too, whether or not that receipt came first.
    if ((read ? q.value(2).toInt() : q.value(1).toInt()) == count)
        return ReceiptResult::Duplicate;
    q.finish();
    QSqlQuery u(m_db);
    u.prepare(read
                  ? QStringLiteral("UPDATE reached SET read_time = ?, recv_time ="
                                   " COALESCE(recv_time, ?) WHERE message_id = ? AND member_id = ?")
                  : QStringLiteral("UPDATE reached SET recv_time = COALESCE(recv_time, ?)"
                                   " WHERE ? IS NOT NULL AND message_id = ? AND member_id = ?"));
    u.addBindValue(time.toMSecsSinceEpoch());
    u.addBindValue(time.toMSecsSinceEpoch());
    u.addBindValue(messageId);
    u.addBindValue(memberId);
    u.exec();
    return ReceiptResult::Applied;
}

// ---- Received, files not yet fetched ----

bool CXmppStore::AddUnfetched(const SvcMessage& message, Svc::DestList myList,
                              const QStringList& urls) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO unfetched(message_id, my_list, data, urls)"
                             " VALUES(?,?,?,?)"));
    q.addBindValue(message.messageId);
    q.addBindValue(int(myList));
    q.addBindValue(Pack(message));
    // The bytes are not there yet: each file's announced size goes beside its address.
    QStringList lines;
    for (int i = 0; i < urls.size() && i < message.attachments.size(); ++i)
        lines.append(QString::number(message.attachments[i].size) + QLatin1Char('\t') + urls[i]);
    q.addBindValue(lines.join(QLatin1Char('\n')));
    return q.exec() || Fail(q.lastError().text());
}

QList<CXmppStore::Unfetched> CXmppStore::AllUnfetched() {
    QList<Unfetched> all;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT my_list, data, urls FROM unfetched ORDER BY rowid")))
        return all;
    while (q.next()) {
        auto m = Unpack(q.value(1).toByteArray());
        if (!m)
            continue;
        QStringList urls;
        const QStringList lines =
            q.value(2).toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (lines.size() != m->attachments.size())
            continue;
        for (int i = 0; i < lines.size(); ++i) {
            m->attachments[i].size = lines[i].section(QLatin1Char('\t'), 0, 0).toLongLong();
            urls.append(lines[i].section(QLatin1Char('\t'), 1));
        }
        all.append({*m, Svc::DestList(q.value(0).toInt()), urls});
    }
    return all;
}

void CXmppStore::RemoveUnfetched(const QString& messageId) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM unfetched WHERE message_id = ?"));
    q.addBindValue(messageId);
    q.exec();
}
