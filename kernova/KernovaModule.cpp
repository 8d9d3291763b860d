// The messaging core as a core module of the host: the CORECBK_ callbacks. The core object
// lives from the init notification to the kill notification; the plug-ins are loaded and
// started with the start notification, when the host's start-up window is gone.
#include "host/CoreApi.h"
#include "kernova/CCoreApiServices.h"
#include "kernova/CKernovaCore.h"

#include <memory>

namespace {

CCoreApiServices g_services;
std::unique_ptr<CKernovaCore> g_core;

void CopyField(const QString& text, char16_t* buffer, int32_t chars) {
    if (!buffer || chars <= 0)
        return;
    const qsizetype n = qMin<qsizetype>(text.size(), chars - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), n, buffer);
    buffer[n] = 0;
}

template <typename F> void Guarded(F f) {
    try {
        f();
    } catch (...) {
        // Nothing may cross into the host.
    }
}

} // namespace

extern "C" {

ZELTA_EXPORT void CORECBK_OnCoreZpmInfo(tagMODULEINFO* info) {
    if (!info)
        return;
    info->nType = ZeltaCoreType::Set;
    zeltaCopyField(info->szFileName, u"Kernova.so");
    zeltaCopyField(info->szCompany, u"Tovar, Inc.");
    zeltaCopyField(info->szName, u"Messaging Core");
    zeltaCopyField(info->szLocalName, u"メッセージング コア");
    info->dwVersion = 0x10001;
    info->nOrder = 0;
    info->bShowLoading = 1;
}

ZELTA_EXPORT int32_t CORECBK_OnEnumModules(int32_t index, char16_t* fileName, char16_t* version,
                                           char16_t* localName, char16_t* company,
                                           int32_t bufferChars) {
    int32_t found = 0;
    Guarded([&] {
        QString file, ver, local, maker;
        if (!g_core || !g_core->EnumModule(index, &file, &ver, &local, &maker))
            return;
        CopyField(file, fileName, bufferChars);
        CopyField(ver, version, bufferChars);
        CopyField(local, localName, bufferChars);
        CopyField(maker, company, bufferChars);
        found = 1;
    });
    return found;
}

ZELTA_EXPORT int32_t CORECBK_OnPreTranslateMessage(MSG* msg) {
    int32_t handled = 0;
    Guarded([&] {
        if (g_core)
            handled = g_core->PreTranslate(msg);
    });
    return handled;
}

ZELTA_EXPORT void CORECBK_OnInit() {
    Guarded([] {
        if (g_core)
            return;
        g_core = std::make_unique<CKernovaCore>(g_services);
        CKernovaCore::SetInstance(g_core.get());
    });
}

ZELTA_EXPORT void CORECBK_OnStart() {
    Guarded([] {
        if (!g_core)
            return;
        g_core->LoadPlugins();
        g_core->Start();
    });
}

ZELTA_EXPORT void CORECBK_OnBegin(intptr_t) {}

ZELTA_EXPORT void CORECBK_OnKill() {
    Guarded([] {
        if (!g_core)
            return;
        g_core->Shutdown();
        g_core.reset();
    });
}

ZELTA_EXPORT void CORECBK_OnRecvMsg(intptr_t) {}
ZELTA_EXPORT void CORECBK_OnRecvMessage(intptr_t, intptr_t) {}

} // extern "C"
