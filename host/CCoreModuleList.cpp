#include "host/CCoreModuleList.h"

#include <QDir>
#include <algorithm>

CCoreModuleList::~CCoreModuleList() {
    Release();
}

void CCoreModuleList::Status(const char16_t* text, int32_t mode) {
    if (m_statusSink)
        m_statusSink(QString::fromUtf16(text), mode);
}

std::unique_ptr<CCoreModule> CCoreModuleList::LoadOne(const QString& path, QString* reason) {
    auto module = std::make_unique<CCoreModule>();
    module->m_strPath = path;
    if (!module->m_library.Load(path)) {
        *reason = module->m_library.ErrorString();
        return nullptr;
    }
    module->m_pfnOnCoreZpmInfo = reinterpret_cast<CORECBK_OnCoreZpmInfo_t>(
        module->m_library.Resolve("CORECBK_OnCoreZpmInfo"));
    if (!module->m_pfnOnCoreZpmInfo) {
        *reason = QStringLiteral("not a core module (no CORECBK_OnCoreZpmInfo)");
        return nullptr;
    }
    module->m_pfnOnCoreZpmInfo(&module->m_info);
    // The module may have filled every character of a field.
    module->m_info.szFileName[std::size(module->m_info.szFileName) - 1] = 0;
    module->m_info.szCompany[std::size(module->m_info.szCompany) - 1] = 0;
    module->m_info.szName[std::size(module->m_info.szName) - 1] = 0;
    module->m_info.szLocalName[std::size(module->m_info.szLocalName) - 1] = 0;

    if (module->m_info.bShowLoading)
        Status(module->m_info.szFileName, 1);
    const CDynamicLibrary& library = module->m_library;
    module->BindCallbacks([&library](const char* name) { return library.Resolve(name); });
    if (!module->m_pfnOnInit) {
        *reason = QStringLiteral("no CORECBK_OnInit");
        return nullptr;
    }
    Status(module->m_info.szFileName, 2);
    if (!module->m_bComplete) {
        *reason = QStringLiteral("a callback its type requires is missing");
        return nullptr;
    }
    return module;
}

int CCoreModuleList::Load(const QString& pluginDir) {
    const QDir dir(pluginDir);
    const QStringList names =
        dir.entryList({QStringLiteral("*.so")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        QString reason;
        std::unique_ptr<CCoreModule> module = LoadOne(dir.filePath(name), &reason);
        if (!module) {
            // The entry's destructor has freed the library.
            if (m_skippedSink)
                m_skippedSink(dir.filePath(name), reason);
            continue;
        }
        if (module->m_info.nType == ZeltaCoreType::Wirel)
            m_bHasComModule = true;
        if (module->m_info.nType == ZeltaCoreType::Stream)
            m_bHasSettingsModule = true;
        if (m_loadedSink)
            m_loadedSink(module->m_strPath);
        Insert(std::move(module));
    }
    Status(u"", 0);
    return m_modules.empty() ? 0 : 1;
}

void CCoreModuleList::Insert(std::unique_ptr<CCoreModule> module) {
    const tagMODULEINFO& info = module->m_info;
    auto at = std::find_if(m_modules.begin(), m_modules.end(), [&info](const auto& other) {
        return other->m_info.nType > info.nType ||
               (other->m_info.nType == info.nType && other->m_info.nOrder > info.nOrder);
    });
    m_modules.insert(at, std::move(module));
}

void CCoreModuleList::Release() {
    for (auto& module : m_modules)
        module->m_library.Free();
    m_modules.clear();
    m_bHasComModule = false;
    m_bHasSettingsModule = false;
}

int CCoreModuleList::Notify(int32_t targetType, Notification notification, intptr_t a, intptr_t b) {
    bool called = false;
    auto deliver = [&](CCoreModule& m) -> bool {
        if (targetType != ZeltaCoreType::All && m.m_info.nType != targetType)
            return false;
        called = true;
        switch (notification) {
        case Notification::Init:
            m.m_pfnOnInit();
            break;
        case Notification::Start:
            m.m_pfnOnStart();
            break;
        case Notification::Begin:
            m.m_pfnOnBegin(a);
            break;
        case Notification::Kill:
            m.m_pfnOnKill();
            break;
        case Notification::RecvMsg:
            m.m_pfnOnRecvMsg(a);
            break;
        case Notification::RecvMessage:
            m.m_pfnOnRecvMessage(a, b);
            break;
        case Notification::PreTranslate:
            return m.m_pfnOnPreTranslateMessage(reinterpret_cast<MSG*>(a)) != 0;
        }
        return false;
    };

    if (notification == Notification::Kill) {
        for (auto it = m_modules.rbegin(); it != m_modules.rend(); ++it)
            deliver(**it);
    } else {
        for (auto& module : m_modules) {
            if (deliver(*module))
                return 1; // a module handled the pre-translated message
        }
        if (notification == Notification::PreTranslate)
            return 0;
    }
    return called ? 1 : 0;
}

CCoreModule* CCoreModuleList::FindByType(int32_t type) const {
    for (const auto& module : m_modules) {
        if (module->m_info.nType == type)
            return module.get();
    }
    return nullptr;
}
