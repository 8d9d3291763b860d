// A status preset: a named presence the user can apply, optionally limited to some groups.
// The presence plug-in keeps its list of presets in "Preset.zin": the presets' archived
// records one after another, with nothing before, between or after them.
#pragma once

#include "obrix/CArchive.h"
#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

struct tagIMSTATUS {
    const char16_t* pszStatus;  // status text of the preset
    const char16_t* pszIcon;    // icon name
    const char16_t* pszBkColor; // background colour as decimal text
    uint32_t dwBkColor;         // background colour value
    int32_t bAllGroup;          // 1 when nGroup equals nMaxGroup
    int32_t nGroup;             // number of groups in the group list
    int32_t nMaxGroup;          // number of groups that exist (set by the caller)
    const char16_t* pszGroup;   // group ids joined with ","
};
static_assert(offsetof(tagIMSTATUS, dwBkColor) == 3 * sizeof(void*));
static_assert(offsetof(tagIMSTATUS, nMaxGroup) == 3 * sizeof(void*) + 12);
static_assert(offsetof(tagIMSTATUS, pszGroup) > offsetof(tagIMSTATUS, nMaxGroup));

class OBRIX_API CIMPreset {
public:
    // All empty, record zeroed.
    CIMPreset();
    CIMPreset(const CIMPreset& other);
    CIMPreset& operator=(const CIMPreset& other);
    ~CIMPreset();

    operator tagIMSTATUS*() { return &m_rec; }
    operator const tagIMSTATUS*() const { return &m_rec; }

    // Takes all values of a record. Without a colour text, the text is the decimal form of
    // dwBkColor; the value is then read from the text.
    void SetBuffer(const tagIMSTATUS* const record);

    QString GetStatus() const { return m_status; }
    QString GetIcon() const { return m_icon; }
    QString GetBkColorString() const { return m_bkColor; }
    uint32_t GetBkColor() const { return m_rec.dwBkColor; }
    QString GetGroup() const { return m_group; }
    unsigned GetGroupCount() const { return unsigned(m_rec.nGroup); }
    int IsAllGroup() const { return m_rec.bAllGroup; }
    // 1 when a group of the list equals name, ignoring case; else 0.
    int IsGroup(const QString& name) const;

    void SetStatus(const QString& status);
    void SetIcon(const QString& icon);
    void SetBkColor(const QString& text);
    void SetBkColor(uint32_t value);
    void SetMaxGroup(unsigned count);

    // Appends a group (no duplicate check) and returns the new number of groups.
    unsigned AddGroup(const QString& name);
    // Removes every group equal to name, ignoring case, and returns the new number of groups.
    unsigned DeleteGroup(const QString& name);
    void ClearGroup();

    // The most groups a stored preset may count; larger or negative counts are damage.
    static constexpr int32_t kMaxGroupCount = 1000000;

    // Stores or loads the eight items of the archived preset record. A failed load raises
    // CArchiveException and leaves the preset as it was.
    void Serialize(CArchive& ar);

    // The byte image of a list of presets ("Preset.zin").
    static QByteArray StoreAll(const QList<CIMPreset>& presets);
    // Reads every preset of a byte image into presets. Returns false when the image ends
    // inside a preset or holds a damaged one; presets then holds those read before it.
    static bool LoadAll(const QByteArray& bytes, QList<CIMPreset>& presets);

private:
    void ConvCol2Str(uint32_t value);
    void ConvStr2Col(const QString& text);
    void UpdateAllGroup() { m_rec.bAllGroup = m_rec.nGroup == m_rec.nMaxGroup ? 1 : 0; }
    void WriteFields();

    tagIMSTATUS m_rec;
    QString m_status;
    QString m_icon;
    QString m_bkColor;
    QString m_group;
};
