// What an XMPP server does not keep for a client: the messages this member received (until the
// core has stored them, and to answer GetMessage later), the messages it sent with every
// member each destination reached and their receive and read times. One SQLite file per
// member and server, owner-only, under the directory the service was given.
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/ServiceRecords.h"

#include <QSqlDatabase>
#include <optional>

class CXmppStore {
public:
    CXmppStore();
    ~CXmppStore();
    CXmppStore(const CXmppStore&) = delete;
    CXmppStore& operator=(const CXmppStore&) = delete;

    bool Open(const QString& path);
    void Close();
    const CServiceError& LastError() const { return m_error; }

    // ---- Received ----
    bool HasIncoming(const QString& messageId);
    // Stores a message delivered to the user once; false when it was already there or the
    // database failed (LastError tells which).
    bool AddIncoming(const SvcMessage& message, Svc::DestList myList);
    QStringList PendingIds(); // oldest first
    // The stored message; *myList the list through which it reached the user.
    std::optional<SvcMessage> Incoming(const QString& messageId, int* myList = nullptr,
                                       bool* pending = nullptr);
    // Records the receive (and read) time once; *newKinds gets the receipt kinds to send.
    bool MarkIncoming(const QString& messageId, bool read, const QDateTime& now,
                      QList<int>* newKinds);

    // ---- Received, whose uploaded files are not fetched yet ----
    // Kept until the files are in (then the message moves to the received ones), so that a
    // fetch that failed is tried again, also at a later log-on.
    struct Unfetched {
        SvcMessage message; // names and announced sizes, no bytes
        Svc::DestList myList;
        QStringList urls;
    };
    bool AddUnfetched(const SvcMessage& message, Svc::DestList myList, const QStringList& urls);
    QList<Unfetched> AllUnfetched();
    void RemoveUnfetched(const QString& messageId);

    // ---- Sent ----
    bool AddOutgoing(const SvcMessage& message,
                     const QList<std::pair<QString, QStringList>>& reached);
    // The sent message with each destination's times (set once every member it reached has
    // received, read, it).
    std::optional<SvcMessage> Outgoing(const QString& messageId);
    bool HasOutgoing(const QString& messageId);
    enum class ReceiptResult { Applied, Duplicate, NotDestination };
    // A receipt from member for a sent message; only members it reached count, each kind once.
    ReceiptResult ApplyReceipt(int kind, const QString& messageId, const QString& memberId,
                               const QDateTime& time);

private:
    bool Fail(const QString& what);
    static QByteArray Pack(const SvcMessage& message);
    static std::optional<SvcMessage> Unpack(const QByteArray& bytes);

    QString m_connection;
    QSqlDatabase m_db;
    CServiceError m_error;
};
