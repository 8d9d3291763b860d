#include "settings/CIniCache.h"

#include <QFileInfo>

CIniCache::Stamp CIniCache::StampOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Stamp{};
    return Stamp{true, info.size(), info.lastModified()};
}

const CIniFile* CIniCache::Get(const QString& path) {
    const Stamp stamp = StampOf(path);
    auto it = m_entries.find(path);
    if (it == m_entries.end() || !(it->stamp == stamp)) {
        Entry entry;
        entry.stamp = stamp;
        entry.readable = entry.ini.Load(path);
        it = m_entries.insert(path, std::move(entry));
    }
    return it->readable ? &it->ini : nullptr;
}

bool CIniCache::Store(const QString& path, const CIniFile& ini) {
    if (!ini.Save(path)) {
        m_entries.remove(path);
        return false;
    }
    m_entries.insert(path, Entry{StampOf(path), ini, true});
    return true;
}
