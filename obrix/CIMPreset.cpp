#include "obrix/CIMPreset.h"

#include "obrix/RecordText.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace {

// Group ids compare like the presence plug-in's list: case-insensitive and locale-aware.
bool SameGroup(const QString& a, const QString& b) {
    return QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded()) == 0;
}

// Keeps a field's null-ness: a field that was never set stays 0.
const char16_t* Repoint(const char16_t* field, const QString& owned) {
    return field ? RecordText::Field(owned) : nullptr;
}

} // namespace

CIMPreset::CIMPreset() : m_rec{} {}

CIMPreset::CIMPreset(const CIMPreset& other)
    : m_rec(other.m_rec), m_status(other.m_status), m_icon(other.m_icon),
      m_bkColor(other.m_bkColor), m_group(other.m_group) {
    WriteFields();
}

CIMPreset& CIMPreset::operator=(const CIMPreset& other) {
    if (this != &other) {
        m_rec = other.m_rec;
        m_status = other.m_status;
        m_icon = other.m_icon;
        m_bkColor = other.m_bkColor;
        m_group = other.m_group;
        WriteFields();
    }
    return *this;
}

CIMPreset::~CIMPreset() = default;

// After the record was copied from another preset its string fields still point at that
// preset's strings; point them at our own.
void CIMPreset::WriteFields() {
    m_rec.pszStatus = Repoint(m_rec.pszStatus, m_status);
    m_rec.pszIcon = Repoint(m_rec.pszIcon, m_icon);
    m_rec.pszBkColor = Repoint(m_rec.pszBkColor, m_bkColor);
    m_rec.pszGroup = Repoint(m_rec.pszGroup, m_group);
}

void CIMPreset::SetBuffer(const tagIMSTATUS* const record) {
    if (!record)
        return;
    const tagIMSTATUS r = *record; // the record may be our own
    SetStatus(RecordText::FromField(r.pszStatus));
    SetIcon(RecordText::FromField(r.pszIcon));
    m_group = RecordText::FromField(r.pszGroup);
    m_rec.pszGroup = r.pszGroup ? RecordText::Field(m_group) : nullptr;
    if (r.pszBkColor)
        SetBkColor(RecordText::FromField(r.pszBkColor));
    else
        SetBkColor(RecordText::ColourText(r.dwBkColor));
    m_rec.bAllGroup = r.bAllGroup;
    m_rec.nGroup = r.nGroup;
    m_rec.nMaxGroup = r.nMaxGroup;
}

int CIMPreset::IsGroup(const QString& name) const {
    const QStringList groups = m_group.split(u',', Qt::SkipEmptyParts);
    return std::any_of(groups.begin(), groups.end(),
                       [&](const QString& g) { return SameGroup(g, name); })
               ? 1
               : 0;
}

void CIMPreset::SetStatus(const QString& status) {
    RecordText::Assign(m_status, m_rec.pszStatus, status);
}

void CIMPreset::SetIcon(const QString& icon) {
    RecordText::Assign(m_icon, m_rec.pszIcon, icon);
}

void CIMPreset::SetBkColor(const QString& text) {
    RecordText::Assign(m_bkColor, m_rec.pszBkColor, text);
    ConvStr2Col(m_bkColor);
}

void CIMPreset::SetBkColor(uint32_t value) {
    ConvCol2Str(value);
    m_rec.dwBkColor = value;
}

void CIMPreset::ConvCol2Str(uint32_t value) {
    RecordText::Assign(m_bkColor, m_rec.pszBkColor, RecordText::ColourText(value));
}

void CIMPreset::ConvStr2Col(const QString& text) {
    m_rec.dwBkColor = uint32_t(RecordText::LeadingInt(text));
}

void CIMPreset::SetMaxGroup(unsigned count) {
    m_rec.nMaxGroup = int32_t(count);
    UpdateAllGroup();
}

unsigned CIMPreset::AddGroup(const QString& name) {
    if (!m_group.isEmpty())
        m_group += u',';
    m_group += name;
    m_rec.pszGroup = RecordText::Field(m_group);
    if (m_rec.nGroup < std::numeric_limits<int32_t>::max())
        ++m_rec.nGroup;
    // Adding never clears the flag: it only reports that the list became complete.
    if (m_rec.nGroup == m_rec.nMaxGroup)
        m_rec.bAllGroup = 1;
    return unsigned(m_rec.nGroup);
}

unsigned CIMPreset::DeleteGroup(const QString& name) {
    QStringList kept;
    int32_t removed = 0;
    for (const QString& g : m_group.split(u',', Qt::SkipEmptyParts)) {
        if (SameGroup(g, name))
            ++removed;
        else
            kept.append(g);
    }
    m_group = kept.join(u',');
    m_rec.pszGroup = RecordText::Field(m_group);
    // The count follows what was actually removed, so deleting an absent group keeps it.
    m_rec.nGroup = int32_t(std::max<int64_t>(0, int64_t(m_rec.nGroup) - removed));
    UpdateAllGroup();
    return unsigned(m_rec.nGroup);
}

void CIMPreset::ClearGroup() {
    m_group.clear();
    m_rec.pszGroup = nullptr;
    m_rec.nGroup = 0;
    m_rec.bAllGroup = 0;
}

void CIMPreset::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_rec.dwBkColor << m_rec.bAllGroup << m_rec.nGroup << m_rec.nMaxGroup;
        ar << m_status << m_icon << m_bkColor << m_group;
        return;
    }
    // Everything is read before anything is kept, so a damaged record changes nothing.
    tagIMSTATUS r{};
    QString status, icon, bkColor, group;
    ar >> r.dwBkColor >> r.bAllGroup >> r.nGroup >> r.nMaxGroup;
    // The counts are computed with later (AddGroup, DeleteGroup); keep them in a range where
    // that cannot overflow.
    for (int32_t count : {r.nGroup, r.nMaxGroup})
        if (count < 0 || count > kMaxGroupCount)
            throw CArchiveException(CArchiveException::badValue, "preset group count out of range");
    ar >> status >> icon >> bkColor >> group;
    m_status = status;
    m_icon = icon;
    m_bkColor = bkColor; // the value stays as stored, even when the text says otherwise
    m_group = group;
    r.pszStatus = RecordText::Field(m_status);
    r.pszIcon = RecordText::Field(m_icon);
    r.pszBkColor = RecordText::Field(m_bkColor);
    r.pszGroup = RecordText::Field(m_group);
    m_rec = r;
}

QByteArray CIMPreset::StoreAll(const QList<CIMPreset>& presets) {
    CArchive ar;
    for (CIMPreset p : presets)
        p.Serialize(ar);
    return ar.Bytes();
}

bool CIMPreset::LoadAll(const QByteArray& bytes, QList<CIMPreset>& presets) {
    presets.clear();
    CArchive ar(bytes);
    // Each preset takes at least 20 bytes, so the loop ends within the image.
    while (!ar.AtEnd()) {
        CIMPreset p;
        try {
            p.Serialize(ar);
        } catch (const CArchiveException&) {
            return false;
        }
        presets.append(p);
    }
    return true;
}
