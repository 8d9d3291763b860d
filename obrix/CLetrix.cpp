#include "obrix/CLetrix.h"

#include "obrix/CArchive.h"
#include "obrix/ObrixTime.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

// A destination copied out of a record or another message.
struct CLetrix::DstCopy {
    QString id;
    SYSTEMTIME recv;
    SYSTEMTIME read;
};

// One message of a chain copied out before anything of the target changes, so that a source
// that is the target itself, or part of its chain, is copied as it was.
struct CLetrix::Snapshot {
    QString fromID, fromName, replyTo, messageID, referenceID, bgColorText, type, typeValue,
        subject, message;
    uint32_t replyMode = 0, priority = 0, flags = 0, picNumber = 0, picVersion = 0, bgColor = 0;
    SYSTEMTIME sendTime{};
    std::optional<std::vector<DstCopy>> dst[3]; // no value: the list stays as it is
};

namespace {

// Smallest stored destination: an empty 8-bit string (one byte) and two times.
constexpr qsizetype kMinStoredDst = 1 + 8 + 8;

QString RecordString(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

// The leading decimal integer of a text (white space and a sign allowed before the digits),
// 0 when there is none; saturates instead of overflowing.
int64_t LeadingInteger(QStringView s) {
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        negative = s[i++] == u'-';
    constexpr int64_t limit = int64_t(1) << 40;
    int64_t v = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i)
        v = std::min(limit, v * 10 + (s[i].unicode() - u'0'));
    return negative ? -v : v;
}

uint16_t TimeField(const QString& s, qsizetype pos, qsizetype len) {
    const int64_t v = LeadingInteger(QStringView(s).mid(std::min(pos, s.size()), len));
    return uint16_t(std::clamp<int64_t>(v, 0, 0xFFFF));
}

} // namespace

CLetrix::CLetrix() {
    SyncRecord();
}

CLetrix::CLetrix(const tagLETRIX* rec) : CLetrix() {
    *this = rec;
}

CLetrix::CLetrix(const CLetrix* other) : CLetrix() {
    *this = other;
}

CLetrix::CLetrix(const CLetrix& other) : CLetrix() {
    *this = other;
}

CLetrix::~CLetrix() {
    ClearBros();
    for (int d = DST_TO; d <= DST_BCC; ++d)
        DestroyDst(eDest(d));
}

// ---- copying

std::vector<CLetrix::DstCopy> CLetrix::CopyDstChain(const tagIMMESTIME* list) {
    std::vector<DstCopy> out;
    QSet<const tagIMMESTIME*> seen; // a chain that loops back is cut where it repeats
    for (const tagIMMESTIME* r = list; r && !seen.contains(r); r = r->pBros) {
        seen.insert(r);
        out.push_back({RecordString(r->pszID), r->stRecvTime, r->stReadTime});
    }
    return out;
}

std::vector<CLetrix::Snapshot> CLetrix::SnapshotChain(const tagLETRIX* rec) {
    std::vector<Snapshot> chain;
    QSet<const tagLETRIX*> seen;
    for (const tagLETRIX* r = rec; r && !seen.contains(r); r = r->pBros) {
        seen.insert(r);
        Snapshot s;
        s.fromID = RecordString(r->pszFromID);
        s.fromName = RecordString(r->pszFromName);
        const tagIMMESTIME* lists[3] = {r->pTo, r->pCc, r->pBcc};
        for (int d = DST_TO; d <= DST_BCC; ++d) {
            if (lists[d])
                s.dst[d] = CopyDstChain(lists[d]);
        }
        s.replyMode = r->nReplyMode;
        s.replyTo = RecordString(r->pszReplyTo);
        s.messageID = RecordString(r->pszMessageID);
        s.referenceID = RecordString(r->pszReferenceID);
        s.priority = r->dwPriority;
        s.flags = r->dwFlags;
        s.picNumber = r->dwPicNumber;
        s.picVersion = r->dwPicVersion;
        s.subject = RecordString(r->pszSubject);
        s.message = RecordString(r->pszMessage);
        s.bgColor = r->dwBgColor;
        s.bgColorText = QString::number(r->dwBgColor);
        s.type = RecordString(r->pszType);
        s.typeValue = RecordString(r->pszTypeValue);
        s.sendTime = r->stSendTime;
        chain.push_back(std::move(s));
    }
    return chain;
}

std::vector<CLetrix::Snapshot> CLetrix::SnapshotChain(const CLetrix& other) {
    std::vector<Snapshot> chain;
    for (const CLetrix* m = &other; m; m = m->m_pBros.get()) {
        Snapshot s;
        s.fromID = m->m_strFromID;
        s.fromName = m->m_strFromName;
        s.replyTo = m->m_strReplyTo;
        s.messageID = m->m_strMessageID;
        s.referenceID = m->m_strReferenceID;
        s.bgColorText = m->m_strBgColor;
        s.type = m->m_strType;
        s.typeValue = m->m_strTypeValue;
        s.subject = m->m_strSubject;
        s.message = m->m_strMessage;
        s.replyMode = m->m_rec.nReplyMode;
        s.priority = m->m_rec.dwPriority;
        s.flags = m->m_rec.dwFlags;
        s.picNumber = m->m_rec.dwPicNumber;
        s.picVersion = m->m_rec.dwPicVersion;
        s.bgColor = m->m_rec.dwBgColor;
        s.sendTime = m->m_rec.stSendTime;
        for (int d = DST_TO; d <= DST_BCC; ++d) {
            auto& list = s.dst[d].emplace();
            for (const CIMMesTime* e : m->m_aDst[d])
                list.push_back({e->m_strID, e->m_rec.stRecvTime, e->m_rec.stReadTime});
        }
        chain.push_back(std::move(s));
    }
    return chain;
}

void CLetrix::Apply(const Snapshot& s) {
    m_strFromID = s.fromID;
    m_strFromName = s.fromName;
    m_strReplyTo = s.replyTo;
    m_strMessageID = s.messageID;
    m_strReferenceID = s.referenceID;
    m_strBgColor = s.bgColorText;
    m_strType = s.type;
    m_strTypeValue = s.typeValue;
    m_strSubject = s.subject;
    m_strMessage = s.message;
    m_rec.nReplyMode = s.replyMode;
    m_rec.dwPriority = s.priority;
    m_rec.dwFlags = s.flags;
    m_rec.dwPicNumber = s.picNumber;
    m_rec.dwPicVersion = s.picVersion;
    m_rec.dwBgColor = s.bgColor;
    m_rec.stSendTime = s.sendTime;
    for (int d = DST_TO; d <= DST_BCC; ++d) {
        if (s.dst[d])
            ReplaceDst(eDest(d), *s.dst[d]);
    }
    SyncRecord();
}

void CLetrix::ApplyChain(const std::vector<Snapshot>& chain) {
    CLetrix* m = this;
    for (size_t i = 0; i < chain.size(); ++i) {
        m->Apply(chain[i]);
        if (i + 1 < chain.size()) {
            if (!m->m_pBros) {
                m->m_pBros = std::make_unique<CLetrix>();
                m->SyncRecord();
            }
            m = m->m_pBros.get();
        }
    }
}

CLetrix& CLetrix::operator=(const tagLETRIX* rec) {
    ApplyChain(SnapshotChain(rec));
    return *this;
}

CLetrix& CLetrix::operator=(const CLetrix& other) {
    if (&other != this)
        ApplyChain(SnapshotChain(other));
    return *this;
}

CLetrix& CLetrix::operator=(const CLetrix* other) {
    if (other)
        *this = *other;
    return *this;
}

// ---- record

void CLetrix::SyncRecord() {
    auto ptr = [](const QString& s) { return reinterpret_cast<const char16_t*>(s.utf16()); };
    m_rec.pBros = m_pBros ? &m_pBros->m_rec : nullptr;
    m_rec.pszFromID = ptr(m_strFromID);
    m_rec.pszFromName = ptr(m_strFromName);
    tagIMMESTIME** heads[3] = {&m_rec.pTo, &m_rec.pCc, &m_rec.pBcc};
    for (int d = DST_TO; d <= DST_BCC; ++d)
        *heads[d] = m_aDst[d].isEmpty() ? nullptr : &m_aDst[d].first()->m_rec;
    m_rec.pszReplyTo = ptr(m_strReplyTo);
    m_rec.pszMessageID = ptr(m_strMessageID);
    m_rec.pszReferenceID = ptr(m_strReferenceID);
    m_rec.pszType = ptr(m_strType);
    m_rec.pszTypeValue = ptr(m_strTypeValue);
    m_rec.pszSubject = ptr(m_strSubject);
    m_rec.pszMessage = ptr(m_strMessage);
}

QString CLetrix::GetFromNameAndID() const {
    return m_strFromName + QStringLiteral(" [") + m_strFromID + u']';
}

void CLetrix::SetString(QString& field, const QString& s) {
    field = s;
    SyncRecord();
}

void CLetrix::SetBgColor(const QString& s) {
    m_strBgColor = s;
    // Negative texts wrap as a 32-bit value would; anything beyond 32 bits saturates.
    const int64_t v = std::clamp<int64_t>(LeadingInteger(s), std::numeric_limits<int32_t>::min(),
                                          std::numeric_limits<uint32_t>::max());
    m_rec.dwBgColor = uint32_t(v);
}

void CLetrix::SetBgColor(uint32_t v) {
    m_strBgColor = QString::number(v);
    m_rec.dwBgColor = v;
}

// ---- times

int CLetrix::IsNormalTime(SYSTEMTIME t) const {
    return ObrixTime::IsNormalTime(t);
}

SYSTEMTIME CLetrix::GetSendTime(int bLocal) const {
    return bLocal ? ObrixTime::UtcToLocal(m_rec.stSendTime) : m_rec.stSendTime;
}

QString CLetrix::GetSendTimeString(int bLocal) const {
    // Whether there is a time is decided on the stored UTC value, not on its local form.
    const QString text =
        IsNormalTime(m_rec.stSendTime) ? ObrixTime::TimeText(GetSendTime(bLocal)) : QString();
    return text.isEmpty() ? ObrixTime::SendTimePlaceholder() : text;
}

void CLetrix::SetSendTime(SYSTEMTIME t, int bLocal) {
    m_rec.stSendTime = bLocal ? ObrixTime::LocalToUtc(t) : t;
}

void CLetrix::SetSendTime(const QString& s, int bLocal) {
    SYSTEMTIME t{};
    t.wYear = TimeField(s, 0, 4);
    t.wMonth = TimeField(s, 4, 2);
    t.wDay = TimeField(s, 6, 2);
    t.wHour = TimeField(s, 8, 2);
    t.wMinute = TimeField(s, 10, 2);
    t.wSecond = TimeField(s, 12, 2);
    SetSendTime(t, bLocal);
}

SYSTEMTIME CLetrix::CreateSendTime() {
    m_rec.stSendTime = ObrixTime::CurrentUtc();
    return m_rec.stSendTime;
}

QString CLetrix::FormatMessageID(const SYSTEMTIME& t, const QString& fromID) {
    return QString::asprintf("%04d%02d%02d%02d%02d%02d%02d-", t.wYear, t.wMonth, t.wDay, t.wHour,
                             t.wMinute, t.wSecond, t.wMilliseconds) +
           fromID;
}

QString CLetrix::CreateMessageID() {
    SetMessageID(FormatMessageID(CreateSendTime(), m_strFromID));
    return m_strMessageID;
}

// ---- chain

const CLetrix* CLetrix::SetBros(const CLetrix* p) {
    if (!p || m_pBros)
        return nullptr;
    for (const CLetrix* m = p; m; m = m->m_pBros.get()) {
        if (m == this)
            return nullptr;
    }
    m_pBros.reset(const_cast<CLetrix*>(p));
    SyncRecord();
    return p;
}

CLetrix* CLetrix::CreateBros() {
    if (m_pBros)
        return nullptr;
    m_pBros = std::make_unique<CLetrix>();
    SyncRecord();
    return m_pBros.get();
}

void CLetrix::ClearBros() {
    // One message at a time, so that a long chain does not recurse.
    auto next = std::move(m_pBros);
    while (next)
        next = std::move(next->m_pBros);
    m_rec.pBros = nullptr;
}

// ---- destinations

QSet<CIMMesTime*> CLetrix::AllDst() const {
    QSet<CIMMesTime*> all;
    for (const auto& list : m_aDst)
        all.unite(QSet<CIMMesTime*>(list.begin(), list.end()));
    return all;
}

void CLetrix::Disown(CIMMesTime* e, const QSet<CIMMesTime*>& spare) {
    auto owned = e->ReleaseBros();
    while (owned) {
        if (spare.contains(owned.get())) {
            (void)owned.release();
            return;
        }
        owned = owned->ReleaseBros();
    }
}

void CLetrix::DestroyDst(eDest d, const QSet<CIMMesTime*>& keep) {
    // An entry may have been given a successor of its own through its interface; entries of
    // the lists are destroyed once, by the list.
    const QSet<CIMMesTime*> spare = AllDst().unite(keep);
    const QList<CIMMesTime*> list = std::exchange(m_aDst[d], {});
    for (CIMMesTime* e : list)
        Disown(e, spare);
    for (CIMMesTime* e : list) {
        if (!keep.contains(e))
            delete e;
    }
    SyncRecord();
}

void CLetrix::LinkDst(eDest d) {
    const QList<CIMMesTime*>& list = m_aDst[d];
    for (qsizetype i = 0; i < list.size(); ++i)
        list[i]->SetBros(i + 1 < list.size() ? list[i + 1] : nullptr);
    SyncRecord();
}

void CLetrix::ReplaceDst(eDest d, const std::vector<DstCopy>& entries) {
    std::vector<std::unique_ptr<CIMMesTime>> fresh;
    fresh.reserve(entries.size());
    for (const DstCopy& c : entries) {
        auto e = std::make_unique<CIMMesTime>();
        e->SetID(c.id);
        e->m_rec.stRecvTime = c.recv;
        e->m_rec.stReadTime = c.read;
        fresh.push_back(std::move(e));
    }
    DestroyDst(d);
    m_aDst[d].reserve(qsizetype(fresh.size()));
    for (auto& e : fresh)
        m_aDst[d].append(e.release());
    LinkDst(d);
}

CLetrix::DstIndex CLetrix::IndexOf(eDest d) const {
    DstIndex index;
    for (CIMMesTime* e : m_aDst[d]) {
        if (!index.contains(e->m_strID))
            index.insert(e->m_strID, e);
    }
    return index;
}

void CLetrix::AddDst(eDest d, const QString& ids) {
    if (ids.isEmpty() || !IsValid(d))
        return;
    DstIndex index = IndexOf(d);
    AddDst(d, ids, index);
}

void CLetrix::AddDst(eDest d, const QString& ids, DstIndex& index) {
    if (ids.isEmpty())
        return;
    QString text = ids.trimmed();
    if (text.endsWith(u','))
        text.chop(1);
    for (const QString& id : text.split(u','))
        AppendDst(d, id, index);
    SyncRecord();
}

void CLetrix::AddStoredDst(eDest d, QStringView stored, DstIndex& index, qsizetype& count) {
    for (QStringView piece : stored.tokenize(u',')) {
        piece = piece.trimmed();
        if (piece.isEmpty())
            continue;
        if (++count > kMaxStoredDestinations)
            throw CArchiveException(CArchiveException::badCount,
                                    "more destinations than one message may have");
        AppendDst(d, piece.toString(), index);
    }
    SyncRecord();
}

void CLetrix::AppendDst(eDest d, const QString& id, DstIndex& index) {
    if (index.contains(id))
        return;
    QList<CIMMesTime*>& list = m_aDst[d];
    auto e = std::make_unique<CIMMesTime>();
    e->SetID(id);
    if (!list.isEmpty())
        list.last()->SetBros(e.get());
    list.append(e.get());
    index.insert(id, e.release());
}

int CLetrix::GetDstCount(eDest d) const {
    return IsValid(d) ? int(m_aDst[d].size()) : 0;
}

QString CLetrix::GetDstString(eDest d) const {
    if (!IsValid(d))
        return {};
    QStringList ids;
    for (const CIMMesTime* e : m_aDst[d])
        ids.append(e->m_strID);
    return ids.join(u',');
}

int CLetrix::GetDstNumber(eDest d, const QString& id) const {
    if (!IsValid(d))
        return -1;
    const QList<CIMMesTime*>& list = m_aDst[d];
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i]->m_strID == id)
            return int(i);
    }
    return -1;
}

int CLetrix::IsDstExist(eDest d, const QString& id) const {
    return GetDstNumber(d, id) >= 0;
}

CIMMesTime* CLetrix::FindDst(eDest d, const QString& id) const {
    const int i = GetDstNumber(d, id);
    return i >= 0 ? m_aDst[d][i] : nullptr;
}

CIMMesTime* CLetrix::GetDstHeadData(eDest d) const {
    return IsValid(d) && !m_aDst[d].isEmpty() ? m_aDst[d].first() : nullptr;
}

const QList<CIMMesTime*>& CLetrix::GetDstRef(eDest d) const {
    return m_aDst[IsValid(d) ? d : DST_TO];
}

void CLetrix::SetDstArray(eDest d, const QList<CIMMesTime*>& entries) {
    if (!IsValid(d))
        return;
    QList<CIMMesTime*> incoming;
    QSet<CIMMesTime*> keep;
    for (CIMMesTime* e : entries) {
        if (e && !keep.contains(e)) {
            keep.insert(e);
            incoming.append(e);
        }
    }
    // Entries of another list of this message move here.
    for (int o = DST_TO; o <= DST_BCC; ++o) {
        if (o != d && m_aDst[o].removeIf([&](CIMMesTime* e) { return keep.contains(e); }))
            LinkDst(eDest(o));
    }
    // Successor chains the new entries owned are taken apart: what is not in the list goes.
    const QSet<CIMMesTime*> spare = AllDst().unite(keep);
    for (CIMMesTime* e : incoming)
        Disown(e, spare);
    DestroyDst(d, keep);
    m_aDst[d] = incoming;
    LinkDst(d);
}

void CLetrix::SetDstArray(eDest d, const tagIMMESTIME* list) {
    if (!list || !IsValid(d))
        return;
    ReplaceDst(d, CopyDstChain(list));
}

int CLetrix::GetDstTime(eDest d, const QString& id, SYSTEMTIME& out, int bLocal,
                        SYSTEMTIME (CIMMesTime::*get)(int) const) const {
    const CIMMesTime* e = FindDst(d, id);
    if (!e)
        return 0;
    out = (e->*get)(bLocal);
    return IsNormalTime(out);
}

int CLetrix::GetDstTimeString(eDest d, const QString& id, QString& out, int bLocal,
                              QString (CIMMesTime::*get)(int) const) const {
    out = ObrixTime::DestinationTimePlaceholder();
    const CIMMesTime* e = FindDst(d, id);
    if (!e)
        return 0;
    out = (e->*get)(bLocal);
    return 1;
}

int CLetrix::SetDstTime(eDest d, const QString& id, SYSTEMTIME t, int bLocal,
                        void (CIMMesTime::*set)(SYSTEMTIME, int)) {
    CIMMesTime* e = FindDst(d, id);
    if (!e || !IsNormalTime(t))
        return 0;
    (e->*set)(t, bLocal);
    return 1;
}

int CLetrix::TestAll(SYSTEMTIME tagIMMESTIME::*time, uint32_t flag) {
    for (const auto& list : m_aDst) {
        for (const CIMMesTime* e : list) {
            if (!IsNormalTime(e->m_rec.*time)) {
                m_rec.dwFlags &= ~flag;
                return 0;
            }
        }
    }
    m_rec.dwFlags |= flag;
    return 1;
}

int CLetrix::TestAllReceived() {
    return TestAll(&tagIMMESTIME::stRecvTime, LETRIX_FLAG_RECEIVED);
}

int CLetrix::TestAllRead() {
    return TestAll(&tagIMMESTIME::stReadTime, LETRIX_FLAG_READ);
}

// ---- stored form

void CLetrix::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strFromID << m_strFromName;
        for (const auto& list : m_aDst) {
            ar << int32_t(list.size());
            for (CIMMesTime* e : list)
                e->Serialize(ar);
        }
        ar << m_rec.nReplyMode << m_strReplyTo << m_strMessageID << m_strReferenceID;
        ar << m_rec.dwPriority << m_rec.dwFlags << m_rec.dwPicNumber << m_rec.dwPicVersion;
        ar << m_rec.dwBgColor << m_strType << m_strTypeValue;
        ObrixTime::WriteTime(ar, m_rec.stSendTime);
        ar << m_strSubject << m_strMessage;
        return;
    }

    // Every item takes effect as soon as it is read, so a cut stream keeps what came before.
    SetFromID(ar.ReadString());
    SetFromName(ar.ReadString());
    qsizetype destinations = 0;
    for (int d = DST_TO; d <= DST_BCC; ++d) {
        const int32_t count = ar.ReadCount(kMinStoredDst);
        if (count < 0)
            throw CArchiveException(CArchiveException::badCount, "negative destination count");
        DstIndex index = IndexOf(eDest(d));
        for (int32_t i = 0; i < count; ++i) {
            // A stored id holding commas becomes several destinations; the times belong to
            // the destination that has the whole id, if any.
            const QString id = ar.ReadString();
            AddStoredDst(eDest(d), id, index, destinations);
            CIMMesTime* e = index.value(id.trimmed());
            const SYSTEMTIME recv = ObrixTime::ReadTime(ar);
            if (e && IsNormalTime(recv))
                e->SetRecvTime(recv, 0);
            const SYSTEMTIME read = ObrixTime::ReadTime(ar);
            if (e && IsNormalTime(read))
                e->SetReadTime(read, 0);
        }
    }
    SetReplyMode(ar.ReadUInt32());
    SetReplyTo(ar.ReadString());
    SetMessageID(ar.ReadString());
    SetReferenceID(ar.ReadString());
    SetPriority(ar.ReadUInt32());
    SetFlags(ar.ReadUInt32());
    SetPicNumber(ar.ReadUInt32());
    SetPicVersion(ar.ReadUInt32());
    SetBgColor(ar.ReadUInt32());
    SetType(ar.ReadString());
    SetTypeValue(ar.ReadString());
    SetSendTime(ObrixTime::ReadTime(ar), 0);
    SetSubject(ar.ReadString());
    SetMessage(ar.ReadString());
}
