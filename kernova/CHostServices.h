// What the messaging core needs of the host program. The core module forwards these to the
// COREAPI_ exports; tests hand the core an in-memory stand-in, so that the core's logic runs
// without the host.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

class CHostServices {
public:
    virtual ~CHostServices() = default;

    // Program and per-user data directories, each ending in "/".
    virtual QString AppDir() = 0;
    virtual QString UserDir() = 0;
    virtual uint32_t OSVersion() = 0;
    virtual HWND MainWnd() = 0;
    virtual int32_t SetMainWnd(HWND wnd) = 0;
    // The language module's handle (0 when none was loaded).
    virtual void* ResHandle() = 0;
    virtual void Kill() = 0;
    virtual void ShowVersion() = 0;
    virtual void SaveLog(int32_t category, int32_t level, const QString& text) = 0;

    // Settings of the category "Set" (the messaging core's), one file per unit; subKey is the
    // section path below it. Results follow the COREAPI_ functions of the same names.
    virtual int32_t ReadRegInt(int32_t scope, int32_t unit, const QString& subKey,
                               const QString& name, int32_t defaultValue) = 0;
    // The stored text, or defaultText when absent; *found tells which.
    virtual QString ReadRegString(int32_t scope, int32_t unit, const QString& subKey,
                                  const QString& name, const QString& defaultText,
                                  bool* found = nullptr) = 0;
    // The stored bytes (empty when absent).
    virtual QByteArray ReadRegBinary(int32_t scope, int32_t unit, const QString& subKey,
                                     const QString& name) = 0;
    virtual bool WriteRegInt(int32_t scope, int32_t unit, const QString& subKey,
                             const QString& name, int32_t value) = 0;
    virtual bool WriteRegString(int32_t scope, int32_t unit, const QString& subKey,
                                const QString& name, const QString& text) = 0;
    virtual bool WriteRegBinary(int32_t scope, int32_t unit, const QString& subKey,
                                const QString& name, const QByteArray& data) = 0;
    virtual bool RemoveRegValue(int32_t scope, int32_t unit, const QString& subKey,
                                const QString& name) = 0;

    // Application data (appdata.ini), scope as the host defines it.
    virtual int32_t GetAppDataInt(const QString& section, const QString& key, int32_t scope,
                                  int32_t defaultValue) = 0;
    virtual int32_t GetAppDataBool(const QString& section, const QString& key, int32_t scope,
                                   int32_t defaultValue) = 0;
    virtual QString GetAppDataString(const QString& section, const QString& key, int32_t scope,
                                     const QString& defaultText) = 0;
};
