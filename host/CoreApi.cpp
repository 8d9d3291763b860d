// The COREAPI_ exports: thin entries that route to the running host (CHostCore, CHostApp) and
// to the settings provider. No exception leaves them.
#include "host/CoreApi.h"

#include "host/CCoreModuleList.h"
#include "host/CHostApp.h"
#include "host/CHostCore.h"

#include <string>

namespace {

template <typename R, typename F> R guarded(R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <typename F> void guardedVoid(F&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

CHostApp* app() {
    CHostCore* core = CHostCore::Active();
    return core ? core->App() : nullptr;
}

CCoreModuleList* modules() {
    CHostCore* core = CHostCore::Active();
    return core ? core->Modules() : nullptr;
}

CCoreModule* provider() {
    CHostCore* core = CHostCore::Active();
    return core ? core->SettingsProvider() : nullptr;
}

// Builds the category path and calls `forward` with it (as UTF-16) and the provider; 0 for an
// invalid category or when no provider is loaded.
template <typename F>
int32_t forwardWithPath(int32_t category, const char16_t* subKey, F&& forward) {
    const std::optional<QString> path = CHostCore::CategoryPath(category, subKey);
    if (!path)
        return 0;
    CCoreModule* settings = provider();
    if (!settings)
        return 0;
    const std::u16string text = path->toStdU16String();
    return forward(*settings, text.c_str());
}

int32_t notify(int32_t target, CCoreModuleList::Notification n, intptr_t a, intptr_t b = 0) {
    CCoreModuleList* list = modules();
    return list ? list->Notify(target, n, a, b) : 0;
}

} // namespace

extern "C" {

void COREAPI_Kill() {
    guardedVoid([] {
        if (CHostApp* host = app())
            host->Kill();
    });
}

void COREAPI_SetLogoInfo(const char16_t* text, int32_t mode) {
    guardedVoid([&] {
        if (CHostApp* host = app())
            host->SetLogoInfo(text ? QString::fromUtf16(text) : QString(), mode);
    });
}

HWND COREAPI_GetMainWnd() {
    CHostCore* core = CHostCore::Active();
    return core ? core->GetMainWnd() : nullptr;
}

int32_t COREAPI_SetMainWnd(HWND wnd) {
    CHostCore* core = CHostCore::Active();
    return core ? core->SetMainWnd(wnd) : 0;
}

HWND COREAPI_GetRealMainWnd() {
    CHostApp* host = app();
    return host ? host->RealMainWnd() : nullptr;
}

void* COREAPI_GetResHandle() {
    CHostApp* host = app();
    return host ? host->ResHandle() : nullptr;
}

void COREAPI_DispVersion() {
    guardedVoid([] {
        if (CHostApp* host = app())
            host->DispVersion();
    });
}

int32_t COREAPI_SendMsg(int32_t targetType, intptr_t value) {
    return notify(targetType, CCoreModuleList::Notification::RecvMsg, value);
}

int32_t COREAPI_RecvFromCom(intptr_t a, intptr_t b) {
    return notify(ZeltaCoreType::Set, CCoreModuleList::Notification::RecvMessage, a, b);
}

int32_t COREAPI_SendToCom(intptr_t value) {
    CCoreModuleList* list = modules();
    CCoreModule* com = list ? list->FindByType(ZeltaCoreType::Wirel) : nullptr;
    return com ? com->m_pfnOnSendToCom(value) : -1;
}

int32_t COREAPI_Begin(int32_t targetType, intptr_t value) {
    return notify(targetType, CCoreModuleList::Notification::Begin, value);
}

void COREAPI_Update(intptr_t) {}

const char16_t* COREAPI_GetAppDir() {
    CHostCore* core = CHostCore::Active();
    return core ? core->AppDirUtf16() : u"";
}

const char16_t* COREAPI_GetUserDir() {
    CHostCore* core = CHostCore::Active();
    return core ? core->UserDirUtf16() : u"";
}

uint32_t COREAPI_GetOSVersion() {
    CHostCore* core = CHostCore::Active();
    return core ? core->GetOSVersion() : 0;
}

int32_t COREAPI_GetRegPath(int32_t scope, int32_t category, const char16_t* subKey, intptr_t buffer,
                           int32_t bufferChars) {
    return guarded<int32_t>(0, [&] {
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnGetRegPath(scope, path, buffer, bufferChars);
        });
    });
}

int32_t COREAPI_ReadRegBinary(int32_t scope, int32_t category, int32_t unit, const char16_t* subKey,
                              intptr_t valueName, intptr_t buffer, int32_t bufferBytes) {
    return guarded<int32_t>(0, [&] {
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnReadRegBinary(scope, unit, path, valueName, buffer, bufferBytes);
        });
    });
}

int32_t COREAPI_ReadRegInt(int32_t scope, int32_t category, int32_t unit, const char16_t* subKey,
                           const char16_t* valueName, int32_t defaultValue) {
    return guarded<int32_t>(defaultValue, [&] {
        if (!CHostCore::CategoryPath(category, nullptr))
            return 0;
        if (!valueName || !provider())
            return defaultValue;
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnReadRegInt(scope, unit, path, valueName, defaultValue);
        });
    });
}

int32_t COREAPI_ReadRegString(int32_t scope, int32_t category, int32_t unit, const char16_t* subKey,
                              const char16_t* valueName, intptr_t defaultText, intptr_t buffer,
                              int32_t bufferChars) {
    return guarded<int32_t>(0, [&] {
        if (!valueName)
            return 0;
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnReadRegString(scope, unit, path, valueName, defaultText, buffer,
                                          bufferChars);
        });
    });
}

int32_t COREAPI_WriteRegBinary(int32_t scope, int32_t category, int32_t unit,
                               const char16_t* subKey, intptr_t valueName, intptr_t data,
                               int32_t bytes, int32_t flags) {
    return guarded<int32_t>(0, [&] {
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnWriteRegBinary(scope, unit, path, valueName, data, bytes, flags);
        });
    });
}

int32_t COREAPI_WriteRegInt(int32_t scope, int32_t category, int32_t unit, const char16_t* subKey,
                            intptr_t valueName, int32_t value, int32_t flags) {
    return guarded<int32_t>(0, [&] {
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnWriteRegInt(scope, unit, path, valueName, value, flags);
        });
    });
}

int32_t COREAPI_WriteRegString(int32_t scope, int32_t category, int32_t unit,
                               const char16_t* subKey, intptr_t valueName, intptr_t text,
                               int32_t flags) {
    return guarded<int32_t>(0, [&] {
        return forwardWithPath(category, subKey, [&](CCoreModule& m, const char16_t* path) {
            return m.m_pfnOnWriteRegString(scope, unit, path, valueName, text, flags);
        });
    });
}

int32_t COREAPI_ReadFile(intptr_t path, intptr_t buffer, int32_t bufferBytes, int32_t offset) {
    CCoreModule* settings = provider();
    return settings ? settings->m_pfnOnReadFile(path, buffer, bufferBytes, offset) : 0;
}

int32_t COREAPI_WriteFile(intptr_t path, intptr_t data, int32_t bytes, int32_t flags,
                          int32_t reserved) {
    CCoreModule* settings = provider();
    return settings ? settings->m_pfnOnWriteFile(path, data, bytes, flags, reserved) : 0;
}

int32_t COREAPI_GetAppDataInt(const char16_t* section, const char16_t* key, int32_t scope,
                              int32_t defaultValue) {
    CCoreModule* settings = provider();
    return settings ? settings->m_pfnOnGetAppDataInt(section, key, scope, defaultValue) : 0;
}

int32_t COREAPI_GetAppDataBool(intptr_t section, intptr_t key, int32_t scope,
                               int32_t defaultValue) {
    CCoreModule* settings = provider();
    return settings ? settings->m_pfnOnGetAppDataBool(section, key, scope, defaultValue) : 0;
}

int32_t COREAPI_GetAppDataString(intptr_t section, intptr_t key, int32_t scope,
                                 intptr_t defaultText, intptr_t buffer, int32_t bufferChars) {
    CCoreModule* settings = provider();
    return settings ? settings->m_pfnOnGetAppDataString(section, key, scope, defaultText, buffer,
                                                        bufferChars)
                    : 0;
}

int32_t COREAPI_Encrypt(intptr_t, intptr_t, intptr_t, intptr_t) {
    return 0;
}

int32_t COREAPI_Decrypt(intptr_t, intptr_t, intptr_t) {
    return 0;
}

void COREAPI_SaveLog(int32_t category, int32_t level, const char16_t* text) {
    guardedVoid([&] {
        if (CHostCore* core = CHostCore::Active())
            core->Log().Write(category, level, text ? QString::fromUtf16(text) : QString());
    });
}

} // extern "C"
