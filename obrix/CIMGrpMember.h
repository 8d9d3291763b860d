// One member's place in one group: id, name in the group, role and presence. Memberships of
// a group form a chain; each owns the ones after it.
#pragma once

#include "obrix/CAvalin.h"
#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

// Role of a member in a group, as the messaging core assigns it. The library only carries
// the value; a value the core adds later passes through unchanged.
enum tageIMROLE : int32_t {
    IMROLE_MEMBER = 0,        // an ordinary member
    IMROLE_ADMINISTRATOR = 1, // may change the group and its memberships
};

struct tagIMGRPMEMBER {
    tagIMGRPMEMBER* pBros;   // next membership of the same group
    const char16_t* pszID;   // member id
    const char16_t* pszName; // member's name in this group
    tageIMROLE eRole;
    tagAVALIN presence; // the member's status, icon and background colour
};
static_assert(offsetof(tagIMGRPMEMBER, eRole) == 3 * sizeof(void*));
static_assert(offsetof(tagIMGRPMEMBER, presence) == 4 * sizeof(void*));

class OBRIX_API CIMGrpMember : public CAvalin {
public:
    // Empty id and name, role 0, empty presence, no successor.
    CIMGrpMember();
    // Deep copy of this membership and the memberships after it.
    CIMGrpMember(const CIMGrpMember& other);
    CIMGrpMember& operator=(const CIMGrpMember& other);
    // Becomes a copy of the record and of the chain after it; null changes nothing.
    CIMGrpMember& operator=(const tagIMGRPMEMBER* record);
    ~CIMGrpMember() override;

    operator tagIMGRPMEMBER*() { return &m_rec; }
    operator const tagIMGRPMEMBER*() const { return &m_rec; }

    QString GetID() const { return m_id; }
    QString GetName() const { return m_name; }
    void SetID(const QString& id);
    void SetName(const QString& name);
    tageIMROLE GetRole() const { return m_rec.eRole; }
    void SetRole(tageIMROLE role) { m_rec.eRole = role; }

    CIMGrpMember* GetBros() const { return m_bros.get(); }
    // Links next as the successor (taking ownership of it) and sets the record link. The
    // previous successor is only unlinked, not destroyed: whoever relinks a chain this way
    // holds it already.
    void SetBros(CIMGrpMember* next);
    // Destroys the memberships after this one and attaches a new empty successor.
    CIMGrpMember* CreateBros();
    // The last membership of the chain starting here.
    CIMGrpMember* GetTail();

private:
    friend class CIMGroup;

    void CopyChain(const tagIMGRPMEMBER* record);
    void Adopt(CIMGrpMember& from);
    void LinkBros(std::unique_ptr<CIMGrpMember> next);

    tagIMGRPMEMBER m_rec;
    QString m_id;
    QString m_name;
    std::unique_ptr<CIMGrpMember> m_bros;
};
