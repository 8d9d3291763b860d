#include "obrix/CIMMember.h"

#include "obrix/RecordText.h"

#include <array>

CIMMember::CIMMember() : m_rec{} {}

CIMMember::CIMMember(const CIMMember& other) : m_rec{} {
    *this = other;
}

CIMMember& CIMMember::operator=(const CIMMember& other) {
    if (this == &other)
        return *this;
    m_id = other.m_id;
    m_alias = other.m_alias;
    m_memo = other.m_memo;
    m_familyName1 = other.m_familyName1;
    m_firstName1 = other.m_firstName1;
    m_middleName1 = other.m_middleName1;
    m_familyName0 = other.m_familyName0;
    m_firstName0 = other.m_firstName0;
    m_middleName0 = other.m_middleName0;
    m_telephone = other.m_telephone;
    m_email = other.m_email;
    m_rec.nSex = other.m_rec.nSex;
    m_rec.stBirth = other.m_rec.stBirth;
    WriteFields();
    return *this;
}

CIMMember& CIMMember::operator=(const tagIMMEMBER* record) {
    if (!record)
        return *this;
    const tagIMMEMBER r = *record; // the record may be our own
    using RecordText::FromField;
    SetID(FromField(r.pszID));
    SetAlias(FromField(r.pszAlias));
    SetFamilyName(FromField(r.pszFamilyName1), 1);
    SetFirstName(FromField(r.pszFirstName1), 1);
    SetMiddleName(FromField(r.pszMiddleName1), 1);
    SetFamilyName(FromField(r.pszFamilyName0), 0);
    SetFirstName(FromField(r.pszFirstName0), 0);
    SetMiddleName(FromField(r.pszMiddleName0), 0);
    SetTelephone(FromField(r.pszTelephone));
    SetEmail(FromField(r.pszEmail));
    m_rec.nSex = r.nSex;
    m_rec.stBirth = r.stBirth;
    return *this;
}

CIMMember::~CIMMember() = default;

void CIMMember::WriteFields() {
    using RecordText::Field;
    m_rec.pszID = Field(m_id);
    m_rec.pszAlias = Field(m_alias);
    m_rec.pszFamilyName1 = Field(m_familyName1);
    m_rec.pszFirstName1 = Field(m_firstName1);
    m_rec.pszMiddleName1 = Field(m_middleName1);
    m_rec.pszFamilyName0 = Field(m_familyName0);
    m_rec.pszFirstName0 = Field(m_firstName0);
    m_rec.pszMiddleName0 = Field(m_middleName0);
    m_rec.pszTelephone = Field(m_telephone);
    m_rec.pszEmail = Field(m_email);
}

using RecordText::Assign;

void CIMMember::SetID(const QString& id) {
    Assign(m_id, m_rec.pszID, id);
}
void CIMMember::SetAlias(const QString& alias) {
    Assign(m_alias, m_rec.pszAlias, alias);
}
void CIMMember::SetTelephone(const QString& t) {
    Assign(m_telephone, m_rec.pszTelephone, t);
}
void CIMMember::SetEmail(const QString& email) {
    Assign(m_email, m_rec.pszEmail, email);
}

void CIMMember::SetFamilyName(const QString& name, int nSet) {
    if (nSet)
        Assign(m_familyName1, m_rec.pszFamilyName1, name);
    else
        Assign(m_familyName0, m_rec.pszFamilyName0, name);
}

void CIMMember::SetFirstName(const QString& name, int nSet) {
    if (nSet)
        Assign(m_firstName1, m_rec.pszFirstName1, name);
    else
        Assign(m_firstName0, m_rec.pszFirstName0, name);
}

void CIMMember::SetMiddleName(const QString& name, int nSet) {
    if (nSet)
        Assign(m_middleName1, m_rec.pszMiddleName1, name);
    else
        Assign(m_middleName0, m_rec.pszMiddleName0, name);
}

QString CIMMember::GetNameAndID(unsigned posFirst, unsigned posMiddle, unsigned posFamily) const {
    std::array<QString, 3> parts;
    auto place = [&parts](unsigned pos, const QString& name) {
        if (pos >= 1 && pos <= 3)
            parts[pos - 1] = name;
    };
    place(posFirst, m_firstName1);
    place(posMiddle, m_middleName1);
    place(posFamily, m_familyName1);
    return parts[0] + parts[1] + parts[2] + QStringLiteral(" [") + m_id + u']';
}

QString CIMMember::DisplayName(const tagIMMEMBER* record) {
    if (!record)
        return QString();
    auto text = [](const char16_t* s) { return s ? QString::fromUtf16(s) : QString(); };
    QString name = text(record->pszFamilyName1);
    const QString middle = text(record->pszMiddleName1);
    const QString first = text(record->pszFirstName1);
    if (!middle.isEmpty())
        name += QStringLiteral("  ") + middle;
    if (!first.isEmpty())
        name += QStringLiteral("  ") + first;
    return name;
}
