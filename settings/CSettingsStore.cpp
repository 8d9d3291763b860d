#include "settings/CSettingsStore.h"

#include <QDir>

namespace {

// A path component as a file name: letters, digits, "_", "-", "."; anything else, and the
// names "." and "..", become "_".
QString fileSafe(QStringView component) {
    QString name;
    for (QChar c : component) {
        const bool plain =
            (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == u'_' || c == u'-' || c == u'.';
        name += plain ? c : QChar(u'_');
    }
    if (name.isEmpty())
        return QStringLiteral("Core");
    if (name == u"." || name == u"..")
        return QStringLiteral("_");
    return name;
}

} // namespace

void CSettingsStore::SetDirs(const QString& appDir, const QString& userDir) {
    if (appDir == m_appDir && userDir == m_userDir)
        return;
    m_appDir = appDir;
    m_userDir = userDir;
    m_cache.Clear();
}

std::optional<QString> CSettingsStore::Directory(int32_t scope, QStringView path) const {
    QString root;
    if (scope == 1)
        root = m_userDir;
    else if (scope == 0)
        root = m_appDir;
    if (root.isEmpty())
        return std::nullopt;
    const qsizetype cut = path.indexOf(u'\\');
    return root + QStringLiteral("settings/") + fileSafe(cut < 0 ? path : path.left(cut)) + u'/';
}

std::optional<CSettingsStore::Location> CSettingsStore::Locate(int32_t scope, int32_t unit,
                                                               QStringView path) const {
    const std::optional<QString> dir = Directory(scope, path);
    if (!dir)
        return std::nullopt;
    QStringList rest;
    const qsizetype cut = path.indexOf(u'\\');
    if (cut >= 0) {
        for (QStringView part : path.mid(cut + 1).split(u'\\', Qt::SkipEmptyParts))
            rest.append(part.toString());
    }
    return Location{*dir + QString::number(unit) + QStringLiteral(".ini"), rest.join(u'/')};
}

std::optional<QString> CSettingsStore::Read(int32_t scope, int32_t unit, QStringView path,
                                            const QString& name) {
    const std::optional<Location> at = Locate(scope, unit, path);
    if (!at)
        return std::nullopt;
    const CIniFile* ini = m_cache.Get(at->file);
    return ini ? ini->Value(at->section, name) : std::nullopt;
}

bool CSettingsStore::Write(int32_t scope, int32_t unit, QStringView path, const QString& name,
                           const std::optional<QString>& value) {
    if (scope != 1)
        return false;
    const std::optional<Location> at = Locate(scope, unit, path);
    if (!at)
        return false;
    const CIniFile* current = m_cache.Get(at->file);
    if (!current)
        return false; // unreadable or oversized: never overwrite what could not be read
    CIniFile ini = *current;
    if (!value) {
        if (!ini.Remove(at->section, name))
            return true;
    } else {
        if (ini.Value(at->section, name) == value)
            return true;
        ini.SetValue(at->section, name, *value);
    }
    return m_cache.Store(at->file, ini);
}

std::optional<QString> CSettingsStore::AppData(const QString& section, const QString& key,
                                               int32_t scope) {
    if (scope == 1 && !m_userDir.isEmpty()) {
        if (const CIniFile* user = m_cache.Get(m_userDir + QStringLiteral("appdata.ini"))) {
            if (std::optional<QString> value = user->Value(section, key))
                return value;
        }
    }
    if ((scope != 0 && scope != 1) || m_appDir.isEmpty())
        return std::nullopt;
    const CIniFile* program = m_cache.Get(m_appDir + QStringLiteral("appdata.ini"));
    return program ? program->Value(section, key) : std::nullopt;
}

QString CSettingsStore::ResolveFile(const QString& path) const {
    if (path.isEmpty())
        return QString();
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    if (m_userDir.isEmpty())
        return QString();
    return QDir::cleanPath(m_userDir + path);
}
