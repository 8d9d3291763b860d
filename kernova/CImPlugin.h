// One IM plug-in as the core drives it: its library, its module info and its IMCBK_
// callbacks bound by exact name. A callback the plug-in lacks stays null and is skipped.
#pragma once

#include "imframe/ImCallbacks.h"

#include <QString>
#include <functional>
#include <memory>

class CImPlugin {
public:
    // Looks an export up by its exact name.
    using Resolver = std::function<void*(const char* name)>;

    CImPlugin() = default;
    ~CImPlugin();
    CImPlugin(const CImPlugin&) = delete;
    CImPlugin& operator=(const CImPlugin&) = delete;

    // Loads the library and binds every callback; null (with *error set) when the file cannot
    // be loaded or does not export IMCBK_OnIMZpmInfo.
    static std::unique_ptr<CImPlugin> Load(const QString& path, QString* error);
    // A plug-in whose callbacks come from elsewhere (tests).
    static std::unique_ptr<CImPlugin> FromResolver(const QString& path, const Resolver& resolve);

    // Asks the plug-in who it is (IMCBK_OnIMZpmInfo into a zeroed record).
    void Identify();

    const QString& Path() const { return m_path; }
    const tagMODULEINFO& Info() const { return m_info; }
    int32_t Module() const { return m_info.nType; }
    QString FileName() const;
    QString LocalName() const;
    QString Company() const;
    // "major.minor"
    QString VersionText() const;

#define KERNOVA_DECLARE_CALLBACK(name, result, params) IMCBK_##name##_t name = nullptr;
    IMCBK_FUNCTION_LIST(KERNOVA_DECLARE_CALLBACK)
    IMCBK_CHAT_FUNCTION_LIST(KERNOVA_DECLARE_CALLBACK)
#undef KERNOVA_DECLARE_CALLBACK

private:
    void Bind(const Resolver& resolve);

    QString m_path;
    void* m_handle = nullptr;
    tagMODULEINFO m_info{};
};
