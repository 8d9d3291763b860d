// An in-memory host for the core's tests and benchmarks: settings in a map, log records in a
// list, counters for the requests that would reach the program.
#pragma once

#include "kernova/CHostServices.h"

#include <QMap>
#include <QStringList>
#include <QVariant>

namespace kntest {

class CFakeHost : public CHostServices {
public:
    QString appDir;
    QString userDir;
    QMap<QString, QVariant> values; // "scope|unit|subKey|name"
    QStringList log;                // "category level text"
    int kills = 0;
    int versions = 0;
    HWND main = nullptr;

    static QString Key(int32_t scope, int32_t unit, const QString& subKey, const QString& name) {
        return QStringLiteral("%1|%2|%3|%4").arg(scope).arg(unit).arg(subKey, name);
    }

    QString AppDir() override { return appDir; }
    QString UserDir() override { return userDir; }
    uint32_t OSVersion() override { return 0x1234; }
    HWND MainWnd() override { return main; }
    int32_t SetMainWnd(HWND wnd) override {
        const int32_t had = main != nullptr;
        main = wnd;
        return had;
    }
    void* ResHandle() override { return nullptr; }
    void Kill() override { ++kills; }
    void ShowVersion() override { ++versions; }
    void SaveLog(int32_t category, int32_t level, const QString& text) override {
        log.append(QStringLiteral("%1 %2 %3").arg(category).arg(level).arg(text));
    }
    int32_t ReadRegInt(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                       int32_t defaultValue) override {
        const QVariant v = values.value(Key(scope, unit, subKey, name));
        return v.isValid() ? v.toInt() : defaultValue;
    }
    QString ReadRegString(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                          const QString& defaultText, bool* found) override {
        const QVariant v = values.value(Key(scope, unit, subKey, name));
        if (found)
            *found = v.isValid();
        return v.isValid() ? v.toString() : defaultText;
    }
    QByteArray ReadRegBinary(int32_t scope, int32_t unit, const QString& subKey,
                             const QString& name) override {
        return values.value(Key(scope, unit, subKey, name)).toByteArray();
    }
    bool WriteRegInt(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                     int32_t value) override {
        values.insert(Key(scope, unit, subKey, name), value);
        return true;
    }
    bool WriteRegString(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                        const QString& text) override {
        values.insert(Key(scope, unit, subKey, name), text);
        return true;
    }
    bool WriteRegBinary(int32_t scope, int32_t unit, const QString& subKey, const QString& name,
                        const QByteArray& data) override {
        values.insert(Key(scope, unit, subKey, name), data);
        return true;
    }
    bool RemoveRegValue(int32_t scope, int32_t unit, const QString& subKey,
                        const QString& name) override {
        return values.remove(Key(scope, unit, subKey, name)) > 0;
    }
    int32_t GetAppDataInt(const QString& section, const QString& key, int32_t scope,
                          int32_t defaultValue) override {
        return section == u"PARLO" && key == u"MAXMEMBERS" && scope == 1 ? 7 : defaultValue;
    }
    int32_t GetAppDataBool(const QString&, const QString&, int32_t, int32_t d) override {
        return d;
    }
    QString GetAppDataString(const QString&, const QString&, int32_t, const QString& d) override {
        return d;
    }
};

} // namespace kntest
