#include "plugin/im/avalin/CPresetList.h"

#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CGroupWalk.h"

#include <algorithm>

CPresetList::CPresetList() {
    FillDefaults({});
}

void CPresetList::Set(int index, const CIMPreset& preset) {
    if (index >= 0 && index < m_presets.size())
        m_presets[index] = preset;
}

CIMPreset CPresetList::DefaultPreset(const QStringList& groupIds) {
    CIMPreset preset;
    preset.SetStatus(AvalinStatus::kOnNet);
    preset.SetIcon(AvalinStatus::kDefaultIcon);
    preset.SetBkColor(AvalinColour::Green);
    preset.SetMaxGroup(unsigned(groupIds.size()));
    for (const QString& id : groupIds)
        preset.AddGroup(id);
    return preset;
}

void CPresetList::FillDefaults(const QStringList& groupIds) {
    m_presets = QList<CIMPreset>(kCount, DefaultPreset(groupIds));
}

CPresetList CPresetList::Template() {
    struct Entry {
        const char* status;
        const char* icon;
        uint32_t colour;
    };
    static const Entry entries[kCount] = {
        {"OnNet", "1-1", AvalinColour::Green},      {"会議中", "2-1", AvalinColour::Yellow},
        {"電話中", "2-2", AvalinColour::Yellow},    {"外出中", "2-4", AvalinColour::Red},
        {"休憩中", "2-3", AvalinColour::Yellow},    {"出張中", "3-1", AvalinColour::Red},
        {"在宅勤務", "3-2", AvalinColour::Green},   {"集中作業中", "3-3", AvalinColour::Yellow},
        {"すぐ戻ります", "3-4", AvalinColour::Yellow}, {"取り込み中", "1-2", AvalinColour::Yellow},
        {"離席中", "1-3", AvalinColour::Red}};
    CPresetList list;
    for (int i = 0; i < kCount; ++i) {
        CIMPreset preset = DefaultPreset({});
        preset.SetStatus(QString::fromUtf8(entries[i].status));
        preset.SetIcon(QString::fromLatin1(entries[i].icon));
        preset.SetBkColor(entries[i].colour);
        list.m_presets[i] = preset;
    }
    return list;
}

bool CPresetList::Load(const QByteArray& bytes) {
    QList<CIMPreset> loaded;
    if (!CIMPreset::LoadAll(bytes, loaded) || loaded.size() < kCount)
        return false;
    loaded.resize(kCount);
    m_presets = std::move(loaded);
    return true;
}

QByteArray CPresetList::Bytes() const {
    return CIMPreset::StoreAll(m_presets);
}

QStringList CPresetList::UserGroups(const CIMGroup* tree, const QString& userId) {
    QStringList ids;
    ForEachGroup(tree, [&](const CIMGroup& group) {
        if (group.GetMember(userId))
            ids.append(group.GetID());
    });
    return ids;
}

bool CPresetList::Reconcile(const CIMGroup* tree, const QString& userId) {
    const QStringList userGroups = UserGroups(tree, userId);
    bool changed = false;
    for (CIMPreset& preset : m_presets) {
        const QString before = preset.GetGroup();
        const bool allGroups = preset.IsAllGroup();
        if (allGroups) {
            for (const QString& id : userGroups) {
                if (!preset.IsGroup(id))
                    preset.AddGroup(id);
            }
        }
        for (const QString& id : preset.GetGroup().split(u',', Qt::SkipEmptyParts)) {
            if (!userGroups.contains(id, Qt::CaseInsensitive))
                preset.DeleteGroup(id);
        }
        // "All groups" means all of the user's groups: the maximum follows them, so that a
        // preset shown everywhere still is after the user joined or left a group.
        const int oldMax = static_cast<const tagIMSTATUS*>(preset)->nMaxGroup;
        preset.SetMaxGroup(unsigned(userGroups.size()));
        changed = changed || preset.GetGroup() != before || oldMax != userGroups.size();
    }
    return changed;
}
