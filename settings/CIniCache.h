// Parsed INI files by path, read again only when the file changed on disk (time or size), so
// that a run of settings reads costs one parse.
#pragma once

#include "settings/CIniFile.h"

#include <QDateTime>
#include <QHash>
#include <QString>

class CIniCache {
public:
    // The file's content (empty when it does not exist); nullptr when it cannot be read.
    const CIniFile* Get(const QString& path);
    // Writes the file atomically and keeps it as the cached content; false on failure.
    bool Store(const QString& path, const CIniFile& ini);
    void Clear() { m_entries.clear(); }

private:
    struct Stamp {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        CIniFile ini;
        bool readable = false;
    };
    static Stamp StampOf(const QString& path);

    QHash<QString, Entry> m_entries;
};
