// The IM plug-ins of a program directory, in the order they were loaded (file names sorted),
// and the ways the core calls them: one plug-in by module number, or every plug-in.
#pragma once

#include "kernova/CImPlugin.h"

#include <QStringList>
#include <memory>
#include <vector>

class CImPluginSet {
public:
    // Loads every <dir>*.zpm in file-name order and identifies it. Files that cannot be loaded
    // are skipped; their reasons are returned as "<path>: <reason>".
    QStringList LoadDirectory(const QString& dir);
    // Takes a plug-in over (already bound) and identifies it.
    void Add(std::unique_ptr<CImPlugin> plugin);
    // Unloads every plug-in, last loaded first.
    void Clear();

    const std::vector<std::unique_ptr<CImPlugin>>& Plugins() const { return m_plugins; }
    // The first plug-in with this module number; null when none.
    CImPlugin* Find(int32_t module) const;
    // Whether a plug-in with this module number (and, when name is not empty, this file name,
    // case-insensitive) is loaded.
    bool Exists(int32_t module, const QString& name) const;

    // Calls one callback of every plug-in that exports it, in load order. A plug-in must not
    // let an exception out; one that does is passed over, so that the others still hear.
    template <typename Fn, typename... Args>
    void Broadcast(Fn CImPlugin::*callback, Args... args) const {
        for (const auto& plugin : m_plugins)
            Invoke((*plugin).*callback, args...);
    }
    // The same, last loaded first.
    template <typename Fn, typename... Args>
    void BroadcastReverse(Fn CImPlugin::*callback, Args... args) const {
        for (auto it = m_plugins.rbegin(); it != m_plugins.rend(); ++it)
            Invoke((**it).*callback, args...);
    }
    // One callback: its result, or a zero result when it is missing or throws.
    template <typename R, typename... Params, typename... Args>
    static R Invoke(R (*fn)(Params...), Args... args) {
        if (!fn)
            return R();
        try {
            return fn(args...);
        } catch (...) {
            return R();
        }
    }

private:
    std::vector<std::unique_ptr<CImPlugin>> m_plugins;
};
