// The host services as the loaded core module reaches them: the COREAPI_ exports of the
// program. Settings go to category 4 ("Set"), the messaging core's part of the settings.
#pragma once

#include "kernova/CHostServices.h"

class CCoreApiServices : public CHostServices {
public:
    QString AppDir() override;
    QString UserDir() override;
    uint32_t OSVersion() override;
    HWND MainWnd() override;
    int32_t SetMainWnd(HWND wnd) override;
    void* ResHandle() override;
    void Kill() override;
    void ShowVersion() override;
    void SaveLog(int32_t category, int32_t level, const QString& text) override;

    int32_t ReadRegInt(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                       int32_t defaultValue) override;
    QString ReadRegString(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                          const QString& defaultText, bool* found) override;
    QByteArray ReadRegBinary(int32_t scope, int32_t unit, const QString& subKey,
                             const QString& name) override;
    bool WriteRegInt(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                     int32_t value) override;
    bool WriteRegString(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                        const QString& text) override;
    bool WriteRegBinary(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                        const QByteArray& data) override;
    bool RemoveRegValue(int32_t scope, int32_t unit, const QString& subKey,
                        const QString& name) override;

    int32_t GetAppDataInt(const QString& section, const QString& key, int32_t scope,
                          int32_t defaultValue) override;
    int32_t GetAppDataBool(const QString& section, const QString& key, int32_t scope,
                           int32_t defaultValue) override;
    QString GetAppDataString(const QString& section, const QString& key, int32_t scope,
                             const QString& defaultText) override;

    // Settings category of the messaging core.
    static constexpr int32_t kCategory = 4;
};
