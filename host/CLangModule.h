// The language module the host takes its own texts from (strings 102 to 105).
#pragma once

#include "host/CDynamicLibrary.h"
#include "lang/ZeltaLang.h"

#include <QString>

class CLangModule {
public:
    bool Load(const QString& path);
    void Free();
    // The dlopen handle, nullptr when the module is not loaded.
    void* Handle() const { return m_library.Handle(); }
    // The string with the number; empty when the module or the string is missing.
    QString String(int32_t id) const;
    // `format` with its "%s" replaced by `argument` ("%%" stands for "%").
    static QString Format(const QString& format, const QString& argument);

private:
    CDynamicLibrary m_library;
    ZeltaLang_GetString_t m_pfnGetString = nullptr;
};
