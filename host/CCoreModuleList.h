// The core modules of the process, kept in load order: by module type, then by nOrder, then
// in the order the plug-in directory was scanned (file names sorted, so the order is the same
// on every start). Loading, dispatch and release run on the user-interface thread.
#pragma once

#include "host/CCoreModule.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CCoreModuleList {
public:
    enum class Notification { Init, Start, Begin, Kill, RecvMsg, RecvMessage, PreTranslate };
    // Status line text and mode (see COREAPI_SetLogoInfo).
    using StatusSink = std::function<void(const QString& text, int32_t mode)>;
    // Called with the full path of every module taken into the list.
    using LoadedSink = std::function<void(const QString& path)>;
    // Called with the full path and the reason of every module file that was not taken.
    using SkippedSink = std::function<void(const QString& path, const QString& reason)>;

    CCoreModuleList() = default;
    ~CCoreModuleList();
    CCoreModuleList(const CCoreModuleList&) = delete;
    CCoreModuleList& operator=(const CCoreModuleList&) = delete;

    void SetStatusSink(StatusSink sink) { m_statusSink = std::move(sink); }
    void SetLoadedSink(LoadedSink sink) { m_loadedSink = std::move(sink); }
    void SetSkippedSink(SkippedSink sink) { m_skippedSink = std::move(sink); }

    // Loads every "*.so" file of pluginDir (sub-directories are skipped). A file that does not
    // load, lacks CORECBK_OnCoreZpmInfo or any callback its type requires is unloaded and
    // skipped. Returns 1 when at least one module is in the list, else 0.
    int Load(const QString& pluginDir);
    // Frees the libraries in load order and empties the list.
    void Release();

    // Delivers a notification to the modules of targetType (255: all): in load order, kill in
    // reverse. Pre-translate returns 1 at the first module that handled the message, else 0;
    // the others return 1 when at least one module was called, else 0.
    int Notify(int32_t targetType, Notification notification, intptr_t a = 0, intptr_t b = 0);

    // First module of the type in load order, nullptr when none.
    CCoreModule* FindByType(int32_t type) const;
    const std::vector<std::unique_ptr<CCoreModule>>& Modules() const { return m_modules; }

    bool m_bHasComModule = false;
    bool m_bHasSettingsModule = false;

private:
    std::unique_ptr<CCoreModule> LoadOne(const QString& path, QString* reason);
    void Insert(std::unique_ptr<CCoreModule> module);
    void Status(const char16_t* text, int32_t mode);

    std::vector<std::unique_ptr<CCoreModule>> m_modules;
    StatusSink m_statusSink;
    LoadedSink m_loadedSink;
    SkippedSink m_skippedSink;
};
