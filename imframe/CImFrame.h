// The frame every IM plug-in shares, one instance per plug-in (the static library is linked
// into each plug-in with hidden symbols, so each has its own): the plug-in's table of the
// messaging core's functions, its application object, the extra reference to the object
// library held between IMCBK_OnInit and IMCBK_OnKill, and the theme.
#pragma once

#include "imframe/CLustra.h"
#include "imframe/CModuleRef.h"
#include "imframe/ImModules.h"
#include "obrix/ModuleInfo.h"
#include "obrix/ObrixApi.h"

#include <QString>
#include <cstdint>
#include <exception>

class CIMPluginApp;

class CImFrame {
public:
    // Created, and its table bound, when the plug-in is loaded (the application object's
    // constructor asks for it).
    static CImFrame& Instance();

    CImFrame(const CImFrame&) = delete;
    CImFrame& operator=(const CImFrame&) = delete;

    // The core's functions; every entry is null when the core was not loaded with the
    // plug-in, so callers check the entry they use.
    const CObrixTable& Obrix() const { return m_obrix; }

    CIMPluginApp* App() const { return m_app; }
    void SetApp(CIMPluginApp* app) { m_app = app; }

    // Writes the descriptor and the shared values into a record the caller zeroed.
    static void FillModuleInfo(tagMODULEINFO* info, const ImModuleDescriptor& descriptor);

    // The steps of IMCBK_OnInit and IMCBK_OnKill that every plug-in shares.
    void Init();
    void Kill();

    // The OS version word asks for themed drawing.
    bool IsThemedOS() const;
    CLustra& Lustra() { return m_lustra; }
    const CModuleRef& ObjectLibrary() const { return m_objectLibrary; }

    // A record in the core's log; nothing without the core.
    void SaveLog(int32_t level, const QString& text) const;

    // Runs call(app) for an export: nothing (a zero result) without an application object of
    // type App, and no exception gets past it; one that is thrown is logged with the name.
    template <typename R, typename App = CIMPluginApp, typename F>
    R Dispatch(const char* name, F&& call) noexcept {
        try {
            if (App* app = dynamic_cast<App*>(m_app))
                return call(*app);
        } catch (const std::exception& e) {
            LogException(name, e.what());
        } catch (...) {
            LogException(name, nullptr);
        }
        return R();
    }

    static constexpr const char* kObjectLibrary = "libObrix.so";
    static constexpr uint32_t kThemedOSBits = 0x180000;
    static constexpr int32_t kLogCategory = 0;

private:
    CImFrame();
    void LogException(const char* name, const char* what) const noexcept;

    CObrixTable m_obrix;
    CIMPluginApp* m_app = nullptr;
    CModuleRef m_objectLibrary;
    CLustra m_lustra;
};
