// A node of the group tree with its presence and its memberships. A group owns its
// following siblings, its sub-groups and its membership chain; the embedded record links
// to their records, so the whole tree can be handed out as plain records.
#pragma once

#include "obrix/CAvalin.h"
#include "obrix/CIMGrpMember.h"
#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

struct tagIMGROUP {
    tagIMGROUP* pBros;  // next group on the same level
    tagIMGROUP* pChild; // first sub-group
    void* pReserved;    // not read by the library
    const char16_t* pszID;
    const char16_t* pszName;
    int32_t nMembers;        // number of memberships in the chain at pMember
    tagAVALIN presence;      // the group's status, icon and background colour
    tagIMGRPMEMBER* pMember; // first membership
};
static_assert(offsetof(tagIMGROUP, nMembers) == 5 * sizeof(void*));
static_assert(offsetof(tagIMGROUP, presence) == 6 * sizeof(void*));
static_assert(offsetof(tagIMGROUP, pMember) == 6 * sizeof(void*) + sizeof(tagAVALIN));

class OBRIX_API CIMGroup : public CAvalin {
public:
    CIMGroup();
    // Deep copy of this group with its memberships, sub-groups and following siblings.
    CIMGroup(const CIMGroup& other);
    CIMGroup& operator=(const CIMGroup& other);
    // Becomes a copy of the record and everything reachable from it; null changes nothing.
    // The memberships are copied only when nMembers is not 0, and the count then is the
    // number of memberships actually in the chain.
    CIMGroup& operator=(const tagIMGROUP* record);
    // Destroys the memberships, the sub-groups and the following siblings.
    ~CIMGroup() override;

    operator tagIMGROUP*() { return &m_rec; }
    operator const tagIMGROUP*() const { return &m_rec; }

    QString GetID() const { return m_id; }
    QString GetName() const { return m_name; }
    void SetID(const QString& id);
    void SetName(const QString& name);
    unsigned GetMembers() const { return unsigned(m_rec.nMembers); }

    CIMGroup* GetBros() const { return m_bros.get(); }
    CIMGroup* GetChild() const { return m_child.get(); }
    // Creates an empty sibling (sub-group) when there is none yet; otherwise returns 0.
    CIMGroup* CreateBros();
    CIMGroup* CreateChild();
    // Destroys the following siblings (the sub-group tree).
    void RemoveBros();
    void RemoveChild();
    // Depth-first, case-sensitive: this group, then its following siblings (each with its
    // sub-groups), then its own sub-groups. 0 when none matches.
    CIMGroup* SearchID(const QString& id);

    CIMGrpMember* GetMember() const { return m_member.get(); }
    // The first membership with exactly this id; 0 when none.
    CIMGrpMember* GetMember(const QString& id) const;
    // Appends a membership (no duplicate check) and returns it.
    CIMGrpMember* AddMember(const QString& id);
    // Removes the first membership with this id: 1, or 0 when there is none.
    int RemoveMember(const QString& id);
    void ClearMember();

private:
    void CopyTree(const tagIMGROUP* record);
    void Adopt(CIMGroup& from);
    void LinkBros(std::unique_ptr<CIMGroup> bros);
    void LinkChild(std::unique_ptr<CIMGroup> child);
    void LinkMembers(std::unique_ptr<CIMGrpMember> first, int32_t count);

    tagIMGROUP m_rec;
    QString m_id;
    QString m_name;
    std::unique_ptr<CIMGroup> m_bros;
    std::unique_ptr<CIMGroup> m_child;
    std::unique_ptr<CIMGrpMember> m_member;
};
