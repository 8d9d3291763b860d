// The eleven status presets bound to F2 .. F12 and their file "Preset.zin": the presets'
// archived records one after another. The list also keeps each preset's groups in step
// with the groups the user belongs to.
#pragma once

#include "obrix/CIMGroup.h"
#include "obrix/CIMPreset.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CPresetList {
public:
    static constexpr int kCount = 11;

    // The presets as kept before any log-on: "OnNet", "1-1", green, no groups.
    CPresetList();

    int Count() const { return int(m_presets.size()); }
    bool IsEmpty() const { return m_presets.isEmpty(); }
    const CIMPreset& At(int index) const { return m_presets.at(index); }
    void Set(int index, const CIMPreset& preset);
    void Clear() { m_presets.clear(); }

    // "OnNet", "1-1", green, shown in every given group (all groups).
    static CIMPreset DefaultPreset(const QStringList& groupIds);
    void FillDefaults(const QStringList& groupIds);
    // The template installed as plugin/im/Preset.zin: the everyday statuses of an office on
    // F2 .. F12, each shown in all of the user's groups (the groups join at the first
    // reconcile).
    static CPresetList Template();

    // Replaces the list by the eleven presets of a file image; false (list unchanged) when
    // the image does not hold eleven whole presets.
    bool Load(const QByteArray& bytes);
    QByteArray Bytes() const;

    // Keeps every preset's groups to the groups of the tree that the user belongs to: a
    // preset shown in all groups gains the user's new groups, and every preset loses the
    // groups that vanished or that the user left. Returns whether any preset changed.
    bool Reconcile(const CIMGroup* tree, const QString& userId);

    // The groups of a tree (sub-groups included, tree order) that hold the user.
    static QStringList UserGroups(const CIMGroup* tree, const QString& userId);

private:
    QList<CIMPreset> m_presets;
};
