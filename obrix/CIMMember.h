// A member's profile as the messaging core hands it out. The object owns its strings and
// keeps the record's string fields pointing at them.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstddef>
#include <cstdint>

// Name set 1 is the written form used for display; name set 0 is a second written form of
// the same names.
struct tagIMMEMBER {
    const char16_t* pszID;
    const char16_t* pszAlias;
    void* pReserved; // not read or written by the library
    const char16_t* pszFamilyName1;
    const char16_t* pszFirstName1;
    const char16_t* pszMiddleName1;
    const char16_t* pszFamilyName0;
    const char16_t* pszFirstName0;
    const char16_t* pszMiddleName0;
    const char16_t* pszTelephone;
    const char16_t* pszEmail;
    uint32_t nSex; // opaque to the library
    SYSTEMTIME stBirth;
};
static_assert(offsetof(tagIMMEMBER, pszEmail) == 10 * sizeof(void*));
static_assert(offsetof(tagIMMEMBER, nSex) == 11 * sizeof(void*));
static_assert(offsetof(tagIMMEMBER, stBirth) == 11 * sizeof(void*) + 4);

class OBRIX_API CIMMember {
public:
    // All empty, record zeroed.
    CIMMember();
    CIMMember(const CIMMember& other);
    CIMMember& operator=(const CIMMember& other);
    // Copies id, alias, the six names, telephone, e-mail, sex and birth; null changes nothing.
    CIMMember& operator=(const tagIMMEMBER* record);
    ~CIMMember();

    operator tagIMMEMBER*() { return &m_rec; }
    operator const tagIMMEMBER*() const { return &m_rec; }

    QString GetID() const { return m_id; }
    QString GetAlias() const { return m_alias; }
    QString GetMemo() const { return m_memo; }
    QString GetTelephone() const { return m_telephone; }
    QString GetEmail() const { return m_email; }
    // A non-zero nSet selects name set 1, 0 selects set 0.
    QString GetFamilyName(int nSet) const { return nSet ? m_familyName1 : m_familyName0; }
    QString GetFirstName(int nSet) const { return nSet ? m_firstName1 : m_firstName0; }
    QString GetMiddleName(int nSet) const { return nSet ? m_middleName1 : m_middleName0; }
    unsigned GetSex() const { return m_rec.nSex; }
    SYSTEMTIME GetBirth() const { return m_rec.stBirth; }

    void SetID(const QString& id);
    void SetAlias(const QString& alias);
    // The memo has no place in the record; the member directory sets it and copies carry it.
    void SetMemo(const QString& memo) { m_memo = memo; }
    void SetTelephone(const QString& telephone);
    void SetEmail(const QString& email);
    void SetFamilyName(const QString& name, int nSet);
    void SetFirstName(const QString& name, int nSet);
    void SetMiddleName(const QString& name, int nSet);
    void SetSex(unsigned sex) { m_rec.nSex = sex; }
    void SetBirth(const SYSTEMTIME& birth) { m_rec.stBirth = birth; }

    // Slots 1 to 3 receive the first, middle and family name of set 1 at the given positions
    // (0 or above 3 leaves a name out; a later name overwrites an earlier one in the same
    // slot); the result is the slots joined, then " [id]". The plug-ins use (2, 0, 1).
    QString GetNameAndID(unsigned posFirst, unsigned posMiddle, unsigned posFamily) const;
    // The name the plug-ins show for a member: the family name of set 1, then two spaces and
    // the middle name when not empty, then two spaces and the first name when not empty.
    QString GetDisplayName() const { return DisplayName(&m_rec); }
    // The same from a record the core handed out, without copying it first.
    static QString DisplayName(const tagIMMEMBER* record);

private:
    void WriteFields();

    tagIMMEMBER m_rec;
    QString m_id;
    QString m_alias;
    QString m_memo;
    QString m_familyName1;
    QString m_firstName1;
    QString m_middleName1;
    QString m_familyName0;
    QString m_firstName0;
    QString m_middleName0;
    QString m_telephone;
    QString m_email;
};
