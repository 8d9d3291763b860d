// Loads AvalinH.so from the program directory of the build and binds its exports by name, as the
// presence plug-in does.
#pragma once

#include "plugin/im/avalinh/AvalinH.h"

#include <QByteArray>
#include <dlfcn.h>

class CHookLibrary {
public:
    CHookLibrary() {
        m_handle = dlopen(AVALINH_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) {
            m_error = dlerror();
            return;
        }
        ResetHook = reinterpret_cast<PFN_AvalinH_ResetHook>(dlsym(m_handle, "AvalinH_ResetHook"));
        SetHook = reinterpret_cast<PFN_AvalinH_SetHook>(dlsym(m_handle, "AvalinH_SetHook"));
        SetNotifyWnd =
            reinterpret_cast<PFN_AvalinH_SetNotifyWnd>(dlsym(m_handle, "AvalinH_SetNotifyWnd"));
    }
    ~CHookLibrary() { unload(); }
    CHookLibrary(const CHookLibrary&) = delete;
    CHookLibrary& operator=(const CHookLibrary&) = delete;

    const QByteArray& error() const { return m_error; }
    bool bound() const { return m_handle && ResetHook && SetHook && SetNotifyWnd; }
    void unload() {
        if (m_handle)
            dlclose(m_handle);
        m_handle = nullptr;
    }

    PFN_AvalinH_ResetHook ResetHook = nullptr;
    PFN_AvalinH_SetHook SetHook = nullptr;
    PFN_AvalinH_SetNotifyWnd SetNotifyWnd = nullptr;

private:
    void* m_handle = nullptr;
    QByteArray m_error;
};
