#include "obrix/CIMGroup.h"

#include "obrix/RecordText.h"

#include <vector>

CIMGroup::CIMGroup() : m_rec{} {
    AttachOwnEntity(&m_rec.presence);
}

CIMGroup::CIMGroup(const CIMGroup& other) : CAvalin(), m_rec{} {
    AttachOwnEntity(&m_rec.presence);
    CopyTree(&other.m_rec);
}

CIMGroup& CIMGroup::operator=(const CIMGroup& other) {
    if (this != &other)
        *this = &other.m_rec;
    return *this;
}

// The copy is built aside first: the record may belong to this tree.
CIMGroup& CIMGroup::operator=(const tagIMGROUP* record) {
    if (!record)
        return *this;
    CIMGroup copy;
    copy.CopyTree(record);
    Adopt(copy);
    return *this;
}

// Siblings are destroyed one at a time rather than by nested destructors, so a long level
// of the tree does not deepen the stack; sub-trees nest only as deep as the tree itself.
CIMGroup::~CIMGroup() {
    std::unique_ptr<CIMGroup> next = std::move(m_bros);
    while (next)
        next = std::move(next->m_bros);
}

void CIMGroup::SetID(const QString& id) {
    RecordText::Assign(m_id, m_rec.pszID, id);
}

void CIMGroup::SetName(const QString& name) {
    RecordText::Assign(m_name, m_rec.pszName, name);
}

void CIMGroup::LinkBros(std::unique_ptr<CIMGroup> bros) {
    m_bros = std::move(bros);
    m_rec.pBros = m_bros ? &m_bros->m_rec : nullptr;
}

void CIMGroup::LinkChild(std::unique_ptr<CIMGroup> child) {
    m_child = std::move(child);
    m_rec.pChild = m_child ? &m_child->m_rec : nullptr;
}

void CIMGroup::LinkMembers(std::unique_ptr<CIMGrpMember> first, int32_t count) {
    m_member = std::move(first);
    m_rec.pMember = m_member ? &m_member->m_rec : nullptr;
    m_rec.nMembers = count;
}

CIMGroup* CIMGroup::CreateBros() {
    if (m_bros)
        return nullptr;
    LinkBros(std::make_unique<CIMGroup>());
    return m_bros.get();
}

CIMGroup* CIMGroup::CreateChild() {
    if (m_child)
        return nullptr;
    LinkChild(std::make_unique<CIMGroup>());
    return m_child.get();
}

void CIMGroup::RemoveBros() {
    LinkBros(nullptr);
}

void CIMGroup::RemoveChild() {
    LinkChild(nullptr);
}

CIMGroup* CIMGroup::SearchID(const QString& id) {
    // The ids of this level come before any sub-group; the sub-trees are then searched from
    // the last sibling back to this group, the order in which a search that recurses into
    // the following siblings first would reach them.
    std::vector<CIMGroup*> level;
    for (CIMGroup* g = this; g; g = g->m_bros.get()) {
        if (g->m_id == id)
            return g;
        level.push_back(g);
    }
    for (auto it = level.rbegin(); it != level.rend(); ++it) {
        if ((*it)->m_child) {
            if (CIMGroup* found = (*it)->m_child->SearchID(id))
                return found;
        }
    }
    return nullptr;
}

CIMGrpMember* CIMGroup::GetMember(const QString& id) const {
    for (CIMGrpMember* m = m_member.get(); m; m = m->m_bros.get()) {
        if (m->m_id == id)
            return m;
    }
    return nullptr;
}

CIMGrpMember* CIMGroup::AddMember(const QString& id) {
    auto added = std::make_unique<CIMGrpMember>();
    added->SetID(id);
    CIMGrpMember* result = added.get();
    if (m_member)
        m_member->GetTail()->LinkBros(std::move(added));
    else
        LinkMembers(std::move(added), 0);
    ++m_rec.nMembers;
    return result;
}

int CIMGroup::RemoveMember(const QString& id) {
    CIMGrpMember* before = nullptr;
    CIMGrpMember* found = m_member.get();
    while (found && found->m_id != id) {
        before = found;
        found = found->m_bros.get();
    }
    if (!found)
        return 0;
    std::unique_ptr<CIMGrpMember> removed =
        before ? std::move(before->m_bros) : std::move(m_member);
    std::unique_ptr<CIMGrpMember> after = std::move(removed->m_bros);
    removed->m_rec.pBros = nullptr;
    if (before)
        before->LinkBros(std::move(after));
    else
        LinkMembers(std::move(after), m_rec.nMembers);
    --m_rec.nMembers;
    return 1;
}

void CIMGroup::ClearMember() {
    LinkMembers(nullptr, 0);
}

// Copies a record, its following siblings and their sub-trees into this fresh group.
void CIMGroup::CopyTree(const tagIMGROUP* record) {
    for (CIMGroup* g = this;; g = g->CreateBros()) {
        g->SetID(RecordText::FromField(record->pszID));
        g->SetName(RecordText::FromField(record->pszName));
        g->CopyPresence(record->presence);
        if (record->nMembers != 0 && record->pMember) {
            auto first = std::make_unique<CIMGrpMember>();
            first->CopyChain(record->pMember);
            int32_t count = 0;
            for (CIMGrpMember* m = first.get(); m; m = m->GetBros())
                ++count;
            g->LinkMembers(std::move(first), count);
        }
        if (record->pChild)
            g->CreateChild()->CopyTree(record->pChild);
        record = record->pBros;
        if (!record)
            break;
    }
}

void CIMGroup::Adopt(CIMGroup& from) {
    SetID(from.m_id);
    SetName(from.m_name);
    CAvalin::operator=(from);
    LinkMembers(std::move(from.m_member), from.m_rec.nMembers);
    LinkChild(std::move(from.m_child));
    LinkBros(std::move(from.m_bros));
}
