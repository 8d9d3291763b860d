#include "obrix/CIMGrpMember.h"

#include "obrix/RecordText.h"

CIMGrpMember::CIMGrpMember() : m_rec{} {
    AttachOwnEntity(&m_rec.presence);
}

CIMGrpMember::CIMGrpMember(const CIMGrpMember& other) : CAvalin(), m_rec{} {
    AttachOwnEntity(&m_rec.presence);
    CopyChain(&other.m_rec);
}

CIMGrpMember& CIMGrpMember::operator=(const CIMGrpMember& other) {
    if (this != &other)
        *this = &other.m_rec;
    return *this;
}

// The copy is built aside first: the record may belong to this chain.
CIMGrpMember& CIMGrpMember::operator=(const tagIMGRPMEMBER* record) {
    if (!record)
        return *this;
    CIMGrpMember copy;
    copy.CopyChain(record);
    Adopt(copy);
    return *this;
}

// A long chain is destroyed one membership at a time rather than by nested destructors.
CIMGrpMember::~CIMGrpMember() {
    std::unique_ptr<CIMGrpMember> next = std::move(m_bros);
    while (next)
        next = std::move(next->m_bros);
}

void CIMGrpMember::SetID(const QString& id) {
    RecordText::Assign(m_id, m_rec.pszID, id);
}

void CIMGrpMember::SetName(const QString& name) {
    RecordText::Assign(m_name, m_rec.pszName, name);
}

void CIMGrpMember::LinkBros(std::unique_ptr<CIMGrpMember> next) {
    m_bros = std::move(next);
    m_rec.pBros = m_bros ? &m_bros->m_rec : nullptr;
}

void CIMGrpMember::SetBros(CIMGrpMember* next) {
    [[maybe_unused]] CIMGrpMember* unlinked = m_bros.release();
    LinkBros(std::unique_ptr<CIMGrpMember>(next));
}

CIMGrpMember* CIMGrpMember::CreateBros() {
    LinkBros(std::make_unique<CIMGrpMember>());
    return m_bros.get();
}

CIMGrpMember* CIMGrpMember::GetTail() {
    CIMGrpMember* m = this;
    while (m->m_bros)
        m = m->m_bros.get();
    return m;
}

// Copies a chain of records into this fresh membership and new successors.
void CIMGrpMember::CopyChain(const tagIMGRPMEMBER* record) {
    for (CIMGrpMember* m = this;; m = m->CreateBros()) {
        m->SetID(RecordText::FromField(record->pszID));
        m->SetName(RecordText::FromField(record->pszName));
        m->SetRole(record->eRole);
        m->CopyPresence(record->presence);
        record = record->pBros;
        if (!record)
            break;
    }
}

void CIMGrpMember::Adopt(CIMGrpMember& from) {
    SetID(from.m_id);
    SetName(from.m_name);
    SetRole(from.m_rec.eRole);
    CAvalin::operator=(from);
    LinkBros(std::move(from.m_bros));
}
