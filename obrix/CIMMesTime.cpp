#include "obrix/CIMMesTime.h"

#include "obrix/CArchive.h"
#include "obrix/ObrixTime.h"

#include <QSet>

namespace {

QString RecordString(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

} // namespace

CIMMesTime::CIMMesTime() {
    SyncRecord();
}

CIMMesTime::CIMMesTime(const CIMMesTime& other) : CIMMesTime() {
    *this = other;
}

CIMMesTime::~CIMMesTime() {
    // Long lists are destroyed one entry at a time instead of by recursion.
    auto next = ReleaseBros();
    while (next)
        next = next->ReleaseBros();
}

CIMMesTime& CIMMesTime::operator=(const tagIMMESTIME* rec) {
    if (!rec)
        return *this;
    // The record may belong to this entry or its own chain: copy the whole chain out before
    // anything here changes. A record chain that loops back is cut where it repeats.
    std::unique_ptr<CIMMesTime> chain;
    CIMMesTime* tail = nullptr;
    QSet<const tagIMMESTIME*> seen{rec};
    for (const tagIMMESTIME* r = rec->pBros; r && !seen.contains(r); r = r->pBros) {
        seen.insert(r);
        auto entry = std::make_unique<CIMMesTime>();
        entry->CopyFields(*r);
        CIMMesTime* added = entry.get();
        if (tail)
            tail->AttachOwned(std::move(entry));
        else
            chain = std::move(entry);
        tail = added;
    }
    CopyFields(*rec);
    if (chain)
        AttachOwned(std::move(chain));
    return *this;
}

CIMMesTime& CIMMesTime::operator=(const CIMMesTime& other) {
    return *this = &other.m_rec;
}

void CIMMesTime::CopyFields(const tagIMMESTIME& rec) {
    const SYSTEMTIME recv = rec.stRecvTime;
    const SYSTEMTIME read = rec.stReadTime;
    m_strID = RecordString(rec.pszID);
    m_rec.stRecvTime = recv;
    m_rec.stReadTime = read;
    SyncRecord();
}

void CIMMesTime::SetID(const QString& id) {
    m_strID = id;
    SyncRecord();
}

void CIMMesTime::SetBros(CIMMesTime* next) {
    if (next == this)
        return;
    // Owned entries up to the new successor are destroyed; when the new successor is one of
    // them, it and everything after it stay owned here.
    auto owned = ReleaseBros();
    while (owned && owned.get() != next)
        owned = owned->ReleaseBros();
    m_pOwnedBros = std::move(owned);
    m_pBros = next;
    SyncRecord();
}

CIMMesTime* CIMMesTime::CreateBros() {
    AttachOwned(std::make_unique<CIMMesTime>());
    return m_pBros;
}

std::unique_ptr<CIMMesTime> CIMMesTime::ReleaseBros() {
    m_pBros = nullptr;
    m_rec.pBros = nullptr;
    return std::move(m_pOwnedBros);
}

void CIMMesTime::AttachOwned(std::unique_ptr<CIMMesTime> next) {
    auto old = ReleaseBros();
    while (old)
        old = old->ReleaseBros();
    m_pOwnedBros = std::move(next);
    m_pBros = m_pOwnedBros.get();
    SyncRecord();
}

void CIMMesTime::SyncRecord() {
    m_rec.pszID = reinterpret_cast<const char16_t*>(m_strID.utf16());
    m_rec.pBros = m_pBros ? &m_pBros->m_rec : nullptr;
}

SYSTEMTIME CIMMesTime::GetRecvTime(int bLocal) const {
    return bLocal ? ObrixTime::UtcToLocal(m_rec.stRecvTime) : m_rec.stRecvTime;
}

SYSTEMTIME CIMMesTime::GetReadTime(int bLocal) const {
    return bLocal ? ObrixTime::UtcToLocal(m_rec.stReadTime) : m_rec.stReadTime;
}

void CIMMesTime::SetTime(SYSTEMTIME& stored, const SYSTEMTIME& t, int bLocal) {
    if (!bLocal)
        stored = t;
    else if (!IsNormalTime(stored))
        stored = ObrixTime::LocalToUtc(t);
}

void CIMMesTime::SetRecvTime(SYSTEMTIME t, int bLocal) {
    SetTime(m_rec.stRecvTime, t, bLocal);
}

void CIMMesTime::SetReadTime(SYSTEMTIME t, int bLocal) {
    SetTime(m_rec.stReadTime, t, bLocal);
}

QString CIMMesTime::GetRecvTimeString(int bLocal) const {
    return GetTimeString(GetRecvTime(bLocal));
}

QString CIMMesTime::GetReadTimeString(int bLocal) const {
    return GetTimeString(GetReadTime(bLocal));
}

QString CIMMesTime::GetTimeString(const SYSTEMTIME& t) const {
    return ObrixTime::FormatTime(t, ObrixTime::DestinationTimePlaceholder());
}

int CIMMesTime::IsNormalTime(const SYSTEMTIME& t) const {
    return ObrixTime::IsNormalTime(t);
}

void CIMMesTime::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strID;
        ObrixTime::WriteTime(ar, m_rec.stRecvTime);
        ObrixTime::WriteTime(ar, m_rec.stReadTime);
    } else {
        // Each item is kept as soon as it is read, so a cut stream leaves what came before.
        SetID(ar.ReadString());
        m_rec.stRecvTime = ObrixTime::ReadTime(ar);
        m_rec.stReadTime = ObrixTime::ReadTime(ar);
    }
}
