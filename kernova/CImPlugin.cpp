#include "kernova/CImPlugin.h"

#include <QFile>
#include <dlfcn.h>
#include <iterator>

CImPlugin::~CImPlugin() {
    if (m_handle)
        dlclose(m_handle);
}

std::unique_ptr<CImPlugin> CImPlugin::Load(const QString& path, QString* error) {
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error)
            *error = QString::fromLocal8Bit(dlerror());
        return nullptr;
    }
    auto plugin = FromResolver(path, [handle](const char* name) { return dlsym(handle, name); });
    plugin->m_handle = handle;
    if (!plugin->OnIMZpmInfo) {
        if (error)
            *error = QStringLiteral("IMCBK_OnIMZpmInfo is not exported");
        return nullptr;
    }
    return plugin;
}

std::unique_ptr<CImPlugin> CImPlugin::FromResolver(const QString& path, const Resolver& resolve) {
    auto plugin = std::make_unique<CImPlugin>();
    plugin->m_path = path;
    plugin->Bind(resolve);
    return plugin;
}

void CImPlugin::Bind(const Resolver& resolve) {
#define KERNOVA_BIND_CALLBACK(name, result, params)                                                \
    name = reinterpret_cast<IMCBK_##name##_t>(resolve("IMCBK_" #name));
    IMCBK_FUNCTION_LIST(KERNOVA_BIND_CALLBACK)
    IMCBK_CHAT_FUNCTION_LIST(KERNOVA_BIND_CALLBACK)
#undef KERNOVA_BIND_CALLBACK
}

void CImPlugin::Identify() {
    m_info = tagMODULEINFO{};
    if (OnIMZpmInfo) {
        try {
            OnIMZpmInfo(&m_info);
        } catch (...) {
            m_info = tagMODULEINFO{};
        }
    }
    // A plug-in must not leave its strings unterminated in a record we read later.
    m_info.szFileName[std::size(m_info.szFileName) - 1] = 0;
    m_info.szCompany[std::size(m_info.szCompany) - 1] = 0;
    m_info.szName[std::size(m_info.szName) - 1] = 0;
    m_info.szLocalName[std::size(m_info.szLocalName) - 1] = 0;
}

QString CImPlugin::FileName() const {
    return QString::fromUtf16(m_info.szFileName);
}
QString CImPlugin::LocalName() const {
    return QString::fromUtf16(m_info.szLocalName);
}
QString CImPlugin::Company() const {
    return QString::fromUtf16(m_info.szCompany);
}

QString CImPlugin::VersionText() const {
    return QStringLiteral("%1.%2").arg(m_info.dwVersion >> 16).arg(m_info.dwVersion & 0xFFFF);
}
