// The services the host offers its core modules: paths, the OS version word, the main window
// registration, the category path rule and the log. One instance lives for the whole run
// (owned by the application object, or by a test); while it exists it serves the COREAPI_
// exports.
#pragma once

#include "host/CHostLog.h"
#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class CCoreModule;
class CCoreModuleList;
class CHostApp;

class CHostCore {
public:
    CHostCore();
    ~CHostCore();
    CHostCore(const CHostCore&) = delete;
    CHostCore& operator=(const CHostCore&) = delete;

    // The instance that serves the exports; nullptr outside a run.
    static CHostCore* Active();

    // Program directory = the executable's directory; user directory = $XDG_DATA_HOME/Tovar/
    // (default ~/.local/share/Tovar/), created here.
    void ComputePaths();
    // Sets both directories (a trailing "/" is added to a non-empty one); nothing is created.
    void SetPaths(const QString& appDir, const QString& userDir);
    QString AppDir() const { return m_strAppDir; }
    QString PluginDir() const { return m_strPluginDir; }
    QString UserDir() const { return m_strUserDir; }
    // The same strings as UTF-16 buffers that live as long as this object.
    const char16_t* AppDirUtf16() const { return m_appDirUtf16.c_str(); }
    const char16_t* UserDirUtf16() const { return m_userDirUtf16.c_str(); }

    // Queried once at start-up; a failed query is repeated on every later request.
    void DetermineOSVersion();
    uint32_t GetOSVersion();

    HWND GetMainWnd() const { return m_hMainWnd; }
    // Stores the window; 1 when a non-zero window was stored before, else 0.
    int32_t SetMainWnd(HWND wnd);

    void SetModules(CCoreModuleList* modules) { m_pModules = modules; }
    CCoreModuleList* Modules() const { return m_pModules; }
    // The first loaded settings provider (type 2), nullptr when none.
    CCoreModule* SettingsProvider() const;

    void SetApp(CHostApp* app) { m_pApp = app; }
    CHostApp* App() const { return m_pApp; }

    CHostLog& Log() { return m_log; }
    void SetDebugFlags(uint32_t flags);
    uint32_t DebugFlags() const { return m_nDebugFlags; }

    // Category prefix, then "\" and subKey when subKey is not null: category 4 with "A" gives
    // "Set\A", 0 with "X" gives "\X", 2 without a sub-key "Stream". nullopt for a category
    // outside 0 to 4.
    static std::optional<QString> CategoryPath(int32_t category, const char16_t* subKey);
    // The arguments lower-cased and searched for "/d1", "/d2", "/d3" anywhere: bits 0, 1, 2.
    static uint32_t ParseDebugFlags(const QString& commandLine);

private:
    QString m_strAppDir;
    QString m_strPluginDir;
    QString m_strUserDir;
    std::u16string m_appDirUtf16;
    std::u16string m_userDirUtf16;
    uint32_t m_nOSVersion = 0;
    bool m_bOSVersionKnown = false;
    HWND m_hMainWnd = nullptr;
    uint32_t m_nDebugFlags = 0;
    CCoreModuleList* m_pModules = nullptr;
    CHostApp* m_pApp = nullptr;
    CHostLog m_log;
};
