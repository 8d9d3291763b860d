// One destination of a message (a recipient of its To, Cc or Bcc list) with the times at which
// the message was received and read there.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstddef>
#include <memory>

class CArchive;

// The destination as it crosses module boundaries. Pointers are native width, so the record
// is 40 bytes only where pointers are 4 bytes; the field order is fixed.
struct tagIMMESTIME {
    tagIMMESTIME* pBros;   // next destination of the same list, 0 at the end
    const char16_t* pszID; // recipient's member id, NUL-terminated UTF-16
    SYSTEMTIME stRecvTime; // received there (UTC)
    SYSTEMTIME stReadTime; // read there (UTC)
};
static_assert(offsetof(tagIMMESTIME, pBros) == 0);
static_assert(offsetof(tagIMMESTIME, pszID) == sizeof(void*));
static_assert(offsetof(tagIMMESTIME, stRecvTime) == 2 * sizeof(void*));
static_assert(offsetof(tagIMMESTIME, stReadTime) == 2 * sizeof(void*) + sizeof(SYSTEMTIME));
static_assert(sizeof(void*) != 4 || sizeof(tagIMMESTIME) == 40);

class OBRIX_API CIMMesTime {
public:
    CIMMesTime();
    // Deep copy: the successor chain is copied, never shared.
    CIMMesTime(const CIMMesTime& other);
    // Destroys the successor chain this entry owns.
    virtual ~CIMMesTime();

    // Copies id and both times; when the record has a successor, the successor chain is
    // replaced by a copy of the record's chain. A null record changes nothing.
    CIMMesTime& operator=(const tagIMMESTIME* rec);
    CIMMesTime& operator=(const CIMMesTime& other);

    // The embedded record; its id points into this entry and its pBros to the successor's
    // record. Valid until the entry changes or dies.
    operator tagIMMESTIME*() { return &m_rec; }
    const tagIMMESTIME* Record() const { return &m_rec; }

    QString GetID() const { return m_strID; }
    void SetID(const QString& id);

    CIMMesTime* GetBros() const { return m_pBros; }
    // Links the successor without taking it over: it stays its owner's (a message links the
    // entries of one list this way). A successor this entry owned is destroyed.
    void SetBros(CIMMesTime* next);
    // Destroys any owned successor chain and attaches a new empty entry, owned by this one.
    CIMMesTime* CreateBros();

    // The stored UTC time, or the local time when bLocal is non-zero.
    SYSTEMTIME GetRecvTime(int bLocal) const;
    SYSTEMTIME GetReadTime(int bLocal) const;
    // With bLocal 0 the time is stored as given. With bLocal non-zero a time already set is
    // kept; otherwise the local time given is stored as UTC.
    void SetRecvTime(SYSTEMTIME t, int bLocal);
    void SetReadTime(SYSTEMTIME t, int bLocal);
    // The time as text, or "----/--/-- --:--:--" when it is not a real time.
    QString GetRecvTimeString(int bLocal) const;
    QString GetReadTimeString(int bLocal) const;

    // Id, receive time and read time in the archive encoding.
    virtual void Serialize(CArchive& ar);

private:
    friend class CLetrix;

    QString GetTimeString(const SYSTEMTIME& t) const;
    int IsNormalTime(const SYSTEMTIME& t) const;
    void SetTime(SYSTEMTIME& stored, const SYSTEMTIME& t, int bLocal);

    // Copies id and times only, never the successor.
    void CopyFields(const tagIMMESTIME& rec);
    // Hands over the owned successor chain (the link is cleared).
    std::unique_ptr<CIMMesTime> ReleaseBros();
    void AttachOwned(std::unique_ptr<CIMMesTime> next);
    void SyncRecord();

    QString m_strID;
    CIMMesTime* m_pBros = nullptr;            // the successor, owned or only linked
    std::unique_ptr<CIMMesTime> m_pOwnedBros; // set when this entry destroys the successor
    tagIMMESTIME m_rec{};
};
