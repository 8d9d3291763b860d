// The message: the plain record exchanged with the messaging core and between plug-ins, and
// the class that owns a message's strings, destinations and chain successor.
#pragma once

#include "obrix/CIMMesTime.h"
#include "obrix/ZeltaPlatform.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CArchive;

// The message as it crosses module boundaries. Pointers are native width, so the record is
// 92 bytes only where pointers are 4 bytes; the field order is fixed. Strings are
// NUL-terminated UTF-16.
struct tagLETRIX {
    tagLETRIX* pBros;               // next message of a chain, 0 at the end
    const char16_t* pszFromID;      // sender's member id
    const char16_t* pszFromName;    // sender's display name
    tagIMMESTIME* pTo;              // first To destination, 0 if none
    tagIMMESTIME* pCc;              // first Cc destination
    tagIMMESTIME* pBcc;             // first Bcc destination
    uint32_t nReplyMode;            // opaque to this library
    const char16_t* pszReplyTo;     // reply-to id
    const char16_t* pszMessageID;   // message id
    const char16_t* pszReferenceID; // id of the message this one refers to
    uint32_t dwPriority;            // opaque
    uint32_t dwFlags;               // LETRIX_FLAG_* bits; other bits pass through
    uint32_t dwPicNumber;           // opaque
    uint32_t dwPicVersion;          // opaque
    uint32_t dwBgColor;             // background colour, COLORREF
    const char16_t* pszType;        // message type text
    const char16_t* pszTypeValue;   // value belonging to the type
    SYSTEMTIME stSendTime;          // send time, UTC
    const char16_t* pszSubject;     // subject
    const char16_t* pszMessage;     // body
};
static_assert(offsetof(tagLETRIX, pBros) == 0);
static_assert(offsetof(tagLETRIX, pszFromID) < offsetof(tagLETRIX, pszFromName));
static_assert(offsetof(tagLETRIX, pszFromName) < offsetof(tagLETRIX, pTo));
static_assert(offsetof(tagLETRIX, pTo) < offsetof(tagLETRIX, pCc));
static_assert(offsetof(tagLETRIX, pCc) < offsetof(tagLETRIX, pBcc));
static_assert(offsetof(tagLETRIX, pBcc) < offsetof(tagLETRIX, nReplyMode));
static_assert(offsetof(tagLETRIX, nReplyMode) < offsetof(tagLETRIX, pszReplyTo));
static_assert(offsetof(tagLETRIX, pszReplyTo) < offsetof(tagLETRIX, pszMessageID));
static_assert(offsetof(tagLETRIX, pszMessageID) < offsetof(tagLETRIX, pszReferenceID));
static_assert(offsetof(tagLETRIX, pszReferenceID) < offsetof(tagLETRIX, dwPriority));
static_assert(offsetof(tagLETRIX, dwPriority) < offsetof(tagLETRIX, dwFlags));
static_assert(offsetof(tagLETRIX, dwFlags) < offsetof(tagLETRIX, dwPicNumber));
static_assert(offsetof(tagLETRIX, dwPicNumber) < offsetof(tagLETRIX, dwPicVersion));
static_assert(offsetof(tagLETRIX, dwPicVersion) < offsetof(tagLETRIX, dwBgColor));
static_assert(offsetof(tagLETRIX, dwBgColor) < offsetof(tagLETRIX, pszType));
static_assert(offsetof(tagLETRIX, pszType) < offsetof(tagLETRIX, pszTypeValue));
static_assert(offsetof(tagLETRIX, pszTypeValue) < offsetof(tagLETRIX, stSendTime));
static_assert(offsetof(tagLETRIX, stSendTime) < offsetof(tagLETRIX, pszSubject));
static_assert(offsetof(tagLETRIX, pszSubject) < offsetof(tagLETRIX, pszMessage));
static_assert(sizeof(void*) != 4 ||
              (sizeof(tagLETRIX) == 92 && offsetof(tagLETRIX, stSendTime) == 68));

// Bits of tagLETRIX::dwFlags.
constexpr uint32_t LETRIX_FLAG_READ = 0x1;     // read by every destination
constexpr uint32_t LETRIX_FLAG_REPLY = 0x2;    // a reply
constexpr uint32_t LETRIX_FLAG_FORWARD = 0x4;  // forwarded
constexpr uint32_t LETRIX_FLAG_RECEIVED = 0x8; // received by every destination
constexpr uint32_t LETRIX_FLAG_DOGEAR = 0x100; // marked by the user

class OBRIX_API CLetrix {
public:
    enum eDest { DST_TO = 0, DST_CC = 1, DST_BCC = 2 };

    CLetrix();
    explicit CLetrix(const tagLETRIX* rec);
    explicit CLetrix(const CLetrix* other);
    // Deep copy: strings, destinations and the chain are copied, never shared.
    CLetrix(const CLetrix& other);
    // Destroys the chain successor and every destination entry.
    virtual ~CLetrix();

    // Copies a record handed over by the core, its chain included. A null record changes
    // nothing; a null destination list, or a null successor, leaves the own one as it is.
    CLetrix& operator=(const tagLETRIX* rec);
    // Copies every field and destination list, and the source's chain successor when it has
    // one (otherwise the own successor stays).
    CLetrix& operator=(const CLetrix& other);
    CLetrix& operator=(const CLetrix* other);

    // The embedded record: its strings point into this object, its lists to the first entries
    // and pBros to the successor's record. Valid until the object changes or dies.
    operator tagLETRIX*() { return &m_rec; }
    const tagLETRIX* Record() const { return &m_rec; }

    QString GetFromID() const { return m_strFromID; }
    QString GetFromName() const { return m_strFromName; }
    // "name [id]"
    QString GetFromNameAndID() const;
    QString GetReplyTo() const { return m_strReplyTo; }
    QString GetMessageID() const { return m_strMessageID; }
    QString GetReferenceID() const { return m_strReferenceID; }
    QString GetSubject() const { return m_strSubject; }
    QString GetMessage() const { return m_strMessage; }
    QString GetType() const { return m_strType; }
    QString GetTypeValue() const { return m_strTypeValue; }
    QString GetBgColorStr() const { return m_strBgColor; }

    uint32_t GetPriority() const { return m_rec.dwPriority; }
    uint32_t GetFlags() const { return m_rec.dwFlags; }
    uint32_t GetPicNumber() const { return m_rec.dwPicNumber; }
    uint32_t GetPicVersion() const { return m_rec.dwPicVersion; }
    uint32_t GetBgColor() const { return m_rec.dwBgColor; }
    unsigned GetReplyMode() const { return m_rec.nReplyMode; }

    int IsRecieved() const { return (m_rec.dwFlags & LETRIX_FLAG_RECEIVED) ? 1 : 0; }
    int IsUnRead() const { return (m_rec.dwFlags & LETRIX_FLAG_READ) ? 0 : 1; }
    int IsReply() const { return (m_rec.dwFlags & LETRIX_FLAG_REPLY) ? 1 : 0; }
    int IsForward() const { return (m_rec.dwFlags & LETRIX_FLAG_FORWARD) ? 1 : 0; }
    int IsDogear() const { return (m_rec.dwFlags & LETRIX_FLAG_DOGEAR) ? 1 : 0; }

    void SetFromID(const QString& s) { SetString(m_strFromID, s); }
    void SetFromName(const QString& s) { SetString(m_strFromName, s); }
    void SetReplyTo(const QString& s) { SetString(m_strReplyTo, s); }
    void SetMessageID(const QString& s) { SetString(m_strMessageID, s); }
    void SetReferenceID(const QString& s) { SetString(m_strReferenceID, s); }
    void SetSubject(const QString& s) { SetString(m_strSubject, s); }
    void SetMessage(const QString& s) { SetString(m_strMessage, s); }
    void SetType(const QString& s) { SetString(m_strType, s); }
    void SetTypeValue(const QString& s) { SetString(m_strTypeValue, s); }
    // Keeps the text and its leading decimal integer as the colour value.
    void SetBgColor(const QString& s);
    // Keeps the value and its decimal text.
    void SetBgColor(uint32_t v);
    void SetPriority(uint32_t v) { m_rec.dwPriority = v; }
    void SetFlags(uint32_t v) { m_rec.dwFlags = v; }
    void SetPicNumber(uint32_t v) { m_rec.dwPicNumber = v; }
    void SetPicVersion(uint32_t v) { m_rec.dwPicVersion = v; }
    void SetReplyMode(unsigned v) { m_rec.nReplyMode = v; }

    // The stored UTC send time, or the local time when bLocal is non-zero.
    SYSTEMTIME GetSendTime(int bLocal) const;
    // The send time as text, or "--/--/-- --:--:--" when the stored time is not a real time.
    QString GetSendTimeString(int bLocal) const;
    // Stores t, read as local time and converted to UTC first when bLocal is non-zero.
    void SetSendTime(SYSTEMTIME t, int bLocal);
    // Reads "YYYYMMDDhhmmss" (the start of a message id); parts that are not numbers read 0.
    void SetSendTime(const QString& s, int bLocal);
    // Sets the send time to now (UTC) and returns it.
    SYSTEMTIME CreateSendTime();
    // Sets the send time to now and the message id to its digits and the sender id.
    QString CreateMessageID();
    // "YYYYMMDDhhmmss" then the milliseconds with at least two digits, "-" and the sender id.
    static QString FormatMessageID(const SYSTEMTIME& utc, const QString& fromID);

    CLetrix* GetBros() const { return m_pBros.get(); }
    // Takes over p as the successor when there is none and returns p; otherwise (or when p
    // would close a loop) returns 0 and changes nothing.
    const CLetrix* SetBros(const CLetrix* p);
    // Creates an empty successor when there is none and returns it; otherwise 0.
    CLetrix* CreateBros();
    // Destroys the successor chain.
    void ClearBros();

    // Adds the comma-separated ids (trimmed as a whole, one trailing comma dropped, pieces
    // untrimmed) that the list does not hold yet, in order.
    void AddDst(eDest d, const QString& ids);
    int GetDstCount(eDest d) const;
    // The ids joined with ",".
    QString GetDstString(eDest d) const;
    // Index of the first entry with exactly this id, or -1.
    int GetDstNumber(eDest d, const QString& id) const;
    // The first entry, 0 when the list is empty or d is not a list.
    CIMMesTime* GetDstHeadData(eDest d) const;
    // The entries of a list (the To list for a value that names no list).
    const QList<CIMMesTime*>& GetDstRef(eDest d) const;
    // Replaces the list with the given entries, in order, and takes them over: they must be
    // free-standing heap entries or entries of this message. Entries they owned that are not
    // in the list are destroyed. For a value that names no list nothing changes.
    void SetDstArray(eDest d, const QList<CIMMesTime*>& entries);
    // Replaces the list with a copy of the record chain; a null chain changes nothing.
    void SetDstArray(eDest d, const tagIMMESTIME* list);

    // Copy a destination's time to out; 1 when it is a real time. 0 and out untouched when the
    // destination does not exist.
    int GetDstRecvTime(eDest d, const QString& id, SYSTEMTIME& out, int bLocal) const {
        return GetDstTime(d, id, out, bLocal, &CIMMesTime::GetRecvTime);
    }
    int GetDstReadTime(eDest d, const QString& id, SYSTEMTIME& out, int bLocal) const {
        return GetDstTime(d, id, out, bLocal, &CIMMesTime::GetReadTime);
    }
    // out is the time text, or "----/--/-- --:--:--"; 1 when the destination exists.
    int GetDstRecvTimeString(eDest d, const QString& id, QString& out, int bLocal) const {
        return GetDstTimeString(d, id, out, bLocal, &CIMMesTime::GetRecvTimeString);
    }
    int GetDstReadTimeString(eDest d, const QString& id, QString& out, int bLocal) const {
        return GetDstTimeString(d, id, out, bLocal, &CIMMesTime::GetReadTimeString);
    }
    // Sets a destination's time when it exists and t is a real time; 1 on success.
    int SetDstRecvTime(eDest d, const QString& id, SYSTEMTIME t, int bLocal) {
        return SetDstTime(d, id, t, bLocal, &CIMMesTime::SetRecvTime);
    }
    int SetDstReadTime(eDest d, const QString& id, SYSTEMTIME t, int bLocal) {
        return SetDstTime(d, id, t, bLocal, &CIMMesTime::SetReadTime);
    }

    // Folds the destinations' receive (read) times into the received (read) flag; 1 when every
    // destination has one, also when there are none.
    int TestAllReceived();
    int TestAllRead();

    // Most destinations one stored message may expand to over its three lists: a stored id
    // holding commas becomes several destinations, so the bytes of a file alone bound nothing.
    static constexpr int kMaxStoredDestinations = 10000;

    // The stored form of one message (the chain successor is not part of it). Reading appends
    // to the destination lists; a cut stream raises CArchiveException and keeps what was read.
    // A stored id is split at commas into trimmed, non-empty ids, so that what reading gives
    // is written and read again unchanged; more than kMaxStoredDestinations of them is a
    // format error.
    virtual void Serialize(CArchive& ar);

private:
    struct Snapshot;
    struct DstCopy;
    // First entry of a list for each id.
    using DstIndex = QHash<QString, CIMMesTime*>;

    int IsDstExist(eDest d, const QString& id) const;
    int IsNormalTime(SYSTEMTIME t) const;

    static bool IsValid(eDest d) { return d >= DST_TO && d <= DST_BCC; }
    CIMMesTime* FindDst(eDest d, const QString& id) const;
    DstIndex IndexOf(eDest d) const;
    void AddDst(eDest d, const QString& ids, DstIndex& index);
    void AddStoredDst(eDest d, QStringView stored, DstIndex& index, qsizetype& count);
    void AppendDst(eDest d, const QString& id, DstIndex& index);
    int TestAll(SYSTEMTIME tagIMMESTIME::*time, uint32_t flag);
    int GetDstTime(eDest d, const QString& id, SYSTEMTIME& out, int bLocal,
                   SYSTEMTIME (CIMMesTime::*get)(int) const) const;
    int GetDstTimeString(eDest d, const QString& id, QString& out, int bLocal,
                         QString (CIMMesTime::*get)(int) const) const;
    int SetDstTime(eDest d, const QString& id, SYSTEMTIME t, int bLocal,
                   void (CIMMesTime::*set)(SYSTEMTIME, int));
    void SetString(QString& field, const QString& s);

    static std::vector<Snapshot> SnapshotChain(const tagLETRIX* rec);
    static std::vector<Snapshot> SnapshotChain(const CLetrix& other);
    void ApplyChain(const std::vector<Snapshot>& chain);
    void Apply(const Snapshot& s);

    static std::vector<DstCopy> CopyDstChain(const tagIMMESTIME* list);
    void ReplaceDst(eDest d, const std::vector<DstCopy>& entries);
    QSet<CIMMesTime*> AllDst() const;
    // Lets go of the successors e owns: those in spare survive (they are entries of a list),
    // the others are destroyed.
    static void Disown(CIMMesTime* e, const QSet<CIMMesTime*>& spare);
    // Destroys the entries of a list, except those in keep, and empties it.
    void DestroyDst(eDest d, const QSet<CIMMesTime*>& keep = {});
    void LinkDst(eDest d);
    void SyncRecord();

    QString m_strFromID;
    QString m_strFromName;
    QString m_strReplyTo;
    QString m_strMessageID;
    QString m_strReferenceID;
    QString m_strBgColor;
    QString m_strType;
    QString m_strTypeValue;
    QString m_strSubject;
    QString m_strMessage;
    QList<CIMMesTime*> m_aDst[3]; // owned; each entry linked to the next of its list
    std::unique_ptr<CLetrix> m_pBros;
    tagLETRIX m_rec{};
};
