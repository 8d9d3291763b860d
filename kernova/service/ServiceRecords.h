// Plain values exchanged between a messaging service and the core. They carry every field of
// the object library's member, group, membership, presence and message records, so the core can
// fill those records without asking the service twice. Times are UTC; an invalid QDateTime
// means "not yet".
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace Svc {

// Limits that every service enforces on what it stores.
// Ids are bounded in UTF-8 bytes, not characters: they name files, and a file name holds at
// most 255 bytes ("<message id>.zmf", "<message id><attached file name>" with the name cut to
// kMaxSafeNameBytes).
constexpr int kMaxIdBytes = 64; // member and group ids
constexpr int kMaxSubjectLength = 1000;    // characters
constexpr int kMaxBodyBytes = 1024 * 1024; // UTF-8 bytes of the body
constexpr int kMaxFieldLength = 1000;      // names, status texts, type texts, ids of references
constexpr int kMaxMessageIdBytes = 128;
constexpr int kMaxDestinations = 1000; // entries over To, Cc and Bcc together
constexpr int kMaxPasswordLength = 256;
constexpr int kMaxAttachments = 100;          // files of one message
constexpr int kMaxAttachmentNameLength = 255; // characters, as the sender named the file
// Default for the total size of one message's files; callers set their own (64-bit).
constexpr qint64 kDefaultAttachmentLimit = 50LL * 1024 * 1024;
// The most one file may hold whatever the limit says: the database keeps each as one value.
constexpr qint64 kMaxAttachmentBytes = 1000LL * 1000 * 1000;
constexpr int kMaxChatInviteText = kMaxFieldLength;

// Destination prefix of a group and the pseudo group of everybody on line.
inline const QString kGroupPrefix = QStringLiteral("all@");
inline const QString kOnNetters = QStringLiteral("OnNetters");
// Group id of a presence change that covers every group of the member.
inline const QString kAllGroups = QStringLiteral("all");

// Presence texts the service itself writes at log-on and log-off.
inline const QString kStatusOn = QStringLiteral("on");
inline const QString kStatusOff = QStringLiteral("off");
constexpr uint32_t kColorOn = 0x00CCFFCC;  // green
constexpr uint32_t kColorOff = 0x00FFFFFF; // "off" always has a white background

enum DestList : int { DST_TO = 0, DST_CC = 1, DST_BCC = 2 };

enum ReceiptKind : int { RECEIPT_RECEIVED = 0, RECEIPT_READ = 1, RECEIPT_UNKNOWN_DEST = 3 };

// Types of chat events; the numbers reach the chat plug-in unchanged and are stored.
// From CHAT_LEFT on, the member no longer takes part in the chat.
enum ChatEventType : int {
    CHAT_TALK = 0,       // text: the HTML that was said
    CHAT_NOTICE = 1,     // text: a notice (an invitation was sent); no effect on the participants
    CHAT_JOINED = 2,     // the member accepted an invitation (or created the chat)
    CHAT_LEFT = 3,       // the member closed the chat
    CHAT_DECLINED = 4,   // the member refused the invitation
    CHAT_TIMED_OUT = 5,  // the member let the invitation time out
    CHAT_LOGGED_OFF = 6, // the member logged off (or its session was lost)
    CHAT_REMOVED = 7,    // the member was removed from the service
};

// Where a member stands in a chat.
enum ChatMemberState : int { CHAT_INVITED = 0, CHAT_IN = 1, CHAT_GONE = 2 };

// Why a session ended without the owner asking.
enum SessionEndReason : int {
    END_REPLACED = 1, // the same member logged on elsewhere
    END_EXPIRED = 2,  // no heartbeat in time (the process stalled)
    END_REMOVED = 3,  // the member was removed from the service
};

} // namespace Svc

struct SvcPresence {
    QString status;
    QString icon;
    uint32_t bkColor = 0;

    bool operator==(const SvcPresence&) const = default;
};

struct SvcMember {
    QString id;
    QString alias;
    QString familyName[2]; // index = name set (1 is the displayed one)
    QString firstName[2];
    QString middleName[2];
    QString telephone;
    QString email;
    uint32_t sex = 0;
    QDate birth; // null when unknown
    QString memo;
    bool online = false; // a live session exists (directory reads only)

    // Family name, then two spaces and the middle name, then two spaces and the first name, of
    // name set 1; the id when no name is set.
    QString DisplayName() const;
};

struct SvcGroup {
    QString id;
    QString parentId; // empty for a top-level group
    QString name;
    int position = 0; // order among siblings
    SvcPresence presence;
};

struct SvcMembership {
    QString groupId;
    QString memberId;
    QString name; // the member's name in this group
    int role = 0; // number of an entry of the role table
    int position = 0;
    SvcPresence presence;
};

struct SvcRole {
    int role = 0;
    QString name;
};

// One destination as written by the sender ("m1", "all@g1", "all@OnNetters"), with the times
// the message was received and read there. For a group destination the times are set once
// every member it reached has received (read) the message, and are the latest of those.
struct SvcDestination {
    QString id;
    QDateTime recvTime;
    QDateTime readTime;
};

// A file sent with a message. In messages handed out by a service only name and size are
// filled; the bytes come from GetAttachmentData. The name is the sender's: receivers make it
// safe (Svc::SafeAttachmentName) before it names a file.
struct SvcAttachment {
    QString name;
    qint64 size = 0;
    QByteArray data;
};

struct SvcMessage {
    QString messageId;
    QString fromId;
    QString fromName;
    QList<SvcDestination> dest[3]; // indexed by Svc::DestList
    uint32_t replyMode = 0;
    QString replyTo;
    QString referenceId;
    uint32_t priority = 0;
    uint32_t flags = 0;
    uint32_t picNumber = 0;
    uint32_t picVersion = 0;
    uint32_t bgColor = 0;
    QString type;
    QString typeValue;
    QDateTime sendTime;
    QString subject;
    QString body;
    QList<SvcAttachment> attachments;

    QStringList DestIds(Svc::DestList list) const;
    void AddDest(Svc::DestList list, const QString& id) { dest[list].append({id, {}, {}}); }
};

// Report to a sender about one destination of a sent message. For kinds 0 and 1 memberId is
// the member who received or read it; for kind 3 it is the destination as written.
struct SvcReceipt {
    int kind = 0;
    QString messageId;
    QString memberId;
    QDateTime time;
};

// One event of a chat. seq grows within the service; a caller keeps the last one it handled
// per chat and asks for the events after it.
struct SvcChatEvent {
    qint64 seq = 0;
    int chat = 0;
    int type = 0; // Svc::ChatEventType
    QString memberId;
    QString text;   // HTML of a talk, else a ready-made notice
    QDateTime time; // UTC
};

struct SvcChatMember {
    QString memberId;
    int state = 0;     // Svc::ChatMemberState
    QString inviterId; // empty for the creator
};

Q_DECLARE_METATYPE(SvcMessage)
Q_DECLARE_METATYPE(SvcReceipt)
Q_DECLARE_METATYPE(SvcPresence)
