#include "plugin/im/avalin/CAvalinHook.h"

#include <cerrno>
#include <dlfcn.h>

namespace {
// The loader gives no error number; errno is the nearest the log can show.
QString Failure(const char* what) {
    return QString::fromLatin1(what) + QStringLiteral(" Error: GetLastError=%1").arg(errno);
}
} // namespace

bool CAvalinHook::Load(const QString& path, const Log& log) {
    Unload();
    errno = 0;
    m_handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* detail = dlerror();
        log(Failure("AvalinH.DLL LoadLibrary"));
        if (detail)
            log(QString::fromLocal8Bit(detail));
        return false;
    }
    struct Export {
        const char* name;
        void** slot;
    };
    const Export exports[] = {
        {"AvalinH_SetHook", reinterpret_cast<void**>(&m_setHook)},
        {"AvalinH_ResetHook", reinterpret_cast<void**>(&m_resetHook)},
        {"AvalinH_SetNotifyWnd", reinterpret_cast<void**>(&m_setNotifyWnd)},
    };
    for (const Export& e : exports) {
        errno = 0;
        *e.slot = dlsym(m_handle, e.name);
        if (!*e.slot) {
            log(Failure((QByteArray(e.name) + " GetProcAddress").constData()));
            Unload();
            return false;
        }
    }
    return true;
}

void CAvalinHook::Unload() {
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
    m_setHook = nullptr;
    m_resetHook = nullptr;
    m_setNotifyWnd = nullptr;
}

bool CAvalinHook::Arm(HWND window, const Log& log) {
    if (!m_handle)
        return false;
    m_setNotifyWnd(window);
    if (m_setHook())
        return true;
    log(QStringLiteral("AvalinH_SetHook Error!!!!"));
    return false;
}

void CAvalinHook::Disarm() {
    if (!m_handle)
        return;
    m_setNotifyWnd(nullptr);
    m_resetHook();
}
