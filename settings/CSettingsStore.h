// Where the settings provider keeps things.
//
// Settings ("registry" values) are INI files:
//   <root><first path component>/<unit>.ini, section = the rest of the path ("\" -> "/")
// with root <user dir>settings/ for scope 1 (the user's, writable) and <program dir>settings/
// for scope 0 (installed with the program, read-only). An empty first component (category 0)
// is stored under "Core". So scope 1, unit 4, path "Set\LETRIX\Window" is the section
// "LETRIX/Window" of <user dir>settings/Set/4.ini.
//
// Application data is <program dir>appdata.ini; for scope 1 a value in <user dir>appdata.ini
// takes precedence.
//
// Whole files named by a relative path are taken below the user directory.
#pragma once

#include "settings/CIniCache.h"

#include <QString>
#include <cstdint>
#include <optional>

class CSettingsStore {
public:
    struct Location {
        QString file;
        QString section;
    };

    // Both end with "/" (or are empty when unknown); caches are dropped when they change.
    void SetDirs(const QString& appDir, const QString& userDir);

    // Directory holding the files of a path; nullopt for an unknown scope.
    std::optional<QString> Directory(int32_t scope, QStringView path) const;
    std::optional<Location> Locate(int32_t scope, int32_t unit, QStringView path) const;

    std::optional<QString> Read(int32_t scope, int32_t unit, QStringView path, const QString& name);
    // nullopt removes the value. Scope 0 is read-only.
    bool Write(int32_t scope, int32_t unit, QStringView path, const QString& name,
               const std::optional<QString>& value);

    std::optional<QString> AppData(const QString& section, const QString& key, int32_t scope);

    // Absolute path of a whole file; empty when a relative path has no user directory.
    QString ResolveFile(const QString& path) const;

private:
    QString m_appDir;
    QString m_userDir;
    CIniCache m_cache;
};
