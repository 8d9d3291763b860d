#include "host/CCoreModule.h"

namespace {

// Binds one export into its slot; true when present.
template <typename F>
bool bindInto(F& slot, const CCoreModule::Resolver& resolve, const char* name,
              QList<const char*>* names) {
    if (names)
        names->append(name);
    slot = reinterpret_cast<F>(resolve(name));
    return slot != nullptr;
}

// Walks every callback the type requires, binding each (or only listing the names).
template <typename Visit> bool visitCallbacks(CCoreModule& m, int32_t type, Visit&& bind) {
    bool complete = true;
    if (type == ZeltaCoreType::Stream) {
        complete &= bind(m.m_pfnOnGetRegPath, "CORECBK_OnGetRegPath");
        complete &= bind(m.m_pfnOnReadRegBinary, "CORECBK_OnReadRegBinary");
        complete &= bind(m.m_pfnOnReadRegInt, "CORECBK_OnReadRegInt");
        complete &= bind(m.m_pfnOnReadRegString, "CORECBK_OnReadRegString");
        complete &= bind(m.m_pfnOnWriteRegBinary, "CORECBK_OnWriteRegBinary");
        complete &= bind(m.m_pfnOnWriteRegInt, "CORECBK_OnWriteRegInt");
        complete &= bind(m.m_pfnOnWriteRegString, "CORECBK_OnWriteRegString");
        complete &= bind(m.m_pfnOnReadFile, "CORECBK_OnReadFile");
        complete &= bind(m.m_pfnOnWriteFile, "CORECBK_OnWriteFile");
        complete &= bind(m.m_pfnOnGetAppDataInt, "CORECBK_OnGetAppDataInt");
        complete &= bind(m.m_pfnOnGetAppDataBool, "CORECBK_OnGetAppDataBool");
        complete &= bind(m.m_pfnOnGetAppDataString, "CORECBK_OnGetAppDataString");
    } else if (type == ZeltaCoreType::Wirel) {
        complete &= bind(m.m_pfnOnSendToCom, "CORECBK_OnSendToCom");
    }
    complete &= bind(m.m_pfnOnEnumModules, "CORECBK_OnEnumModules");
    complete &= bind(m.m_pfnOnPreTranslateMessage, "CORECBK_OnPreTranslateMessage");
    complete &= bind(m.m_pfnOnInit, "CORECBK_OnInit");
    complete &= bind(m.m_pfnOnStart, "CORECBK_OnStart");
    complete &= bind(m.m_pfnOnBegin, "CORECBK_OnBegin");
    complete &= bind(m.m_pfnOnKill, "CORECBK_OnKill");
    complete &= bind(m.m_pfnOnRecvMsg, "CORECBK_OnRecvMsg");
    complete &= bind(m.m_pfnOnRecvMessage, "CORECBK_OnRecvMessage");
    return complete;
}

} // namespace

bool CCoreModule::BindCallbacks(const Resolver& resolve) {
    m_bComplete = visitCallbacks(*this, m_info.nType, [&](auto& slot, const char* name) {
        return bindInto(slot, resolve, name, nullptr);
    });
    return m_bComplete;
}

QList<const char*> CCoreModule::RequiredCallbacks(int32_t type) {
    QList<const char*> names;
    CCoreModule scratch;
    const Resolver none = [](const char*) -> void* { return nullptr; };
    visitCallbacks(scratch, type, [&](auto& slot, const char* name) {
        return bindInto(slot, none, name, &names);
    });
    return names;
}
