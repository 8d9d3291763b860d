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
