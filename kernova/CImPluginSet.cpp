#include "kernova/CImPluginSet.h"

#include <QDir>

QStringList CImPluginSet::LoadDirectory(const QString& dir) {
    QStringList problems;
    const QStringList names =
        QDir(dir).entryList({QStringLiteral("*.zpm")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = QDir(dir).filePath(name);
        QString error;
        auto plugin = CImPlugin::Load(path, &error);
        if (!plugin) {
            problems.append(path + QStringLiteral(": ") + error);
            continue;
        }
        Add(std::move(plugin));
    }
    return problems;
}

void CImPluginSet::Add(std::unique_ptr<CImPlugin> plugin) {
    plugin->Identify();
    m_plugins.push_back(std::move(plugin));
}

void CImPluginSet::Clear() {
    while (!m_plugins.empty())
        m_plugins.pop_back();
}

CImPlugin* CImPluginSet::Find(int32_t module) const {
    for (const auto& plugin : m_plugins)
        if (plugin->Module() == module)
            return plugin.get();
    return nullptr;
}

bool CImPluginSet::Exists(int32_t module, const QString& name) const {
    for (const auto& plugin : m_plugins)
        if (plugin->Module() == module &&
            (name.isEmpty() || plugin->FileName().compare(name, Qt::CaseInsensitive) == 0))
            return true;
    return false;
}
