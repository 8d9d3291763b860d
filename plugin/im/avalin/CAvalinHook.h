// The presence plug-in's binding of the activity hook (plugin/im/AvalinH.so): loaded at
// start, pointed at the IM window, freed at exit. Every failure is logged and leaves the
// plug-in working without absent handling.
#pragma once

#include "plugin/im/avalinh/AvalinH.h"

#include <QString>

#include <functional>

class CAvalinHook {
public:
    using Log = std::function<void(const QString&)>;

    CAvalinHook() = default;
    CAvalinHook(const CAvalinHook&) = delete;
    CAvalinHook& operator=(const CAvalinHook&) = delete;
    ~CAvalinHook() { Unload(); }

    // Loads the library and binds its three exports; false (logged) when either fails.
    bool Load(const QString& path, const Log& log);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }

    // Points the hook at the window and installs it; false (logged) when it does not run.
    bool Arm(HWND window, const Log& log);
    // Tells the hook no window and removes it.
    void Disarm();

private:
    void* m_handle = nullptr;
    PFN_AvalinH_SetHook m_setHook = nullptr;
    PFN_AvalinH_ResetHook m_resetHook = nullptr;
    PFN_AvalinH_SetNotifyWnd m_setNotifyWnd = nullptr;
};
