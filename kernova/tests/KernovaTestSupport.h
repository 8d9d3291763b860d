// Shared by the core's tests: an in-memory host, in-process plug-ins that record every call
// they get, and a core on a fresh local service (members a to d, groups g1 and g2).
#pragma once

#include "kernova/CHostServices.h"
#include "kernova/CKernovaCore.h"
#include "kernova/service/tests/ServiceTestSupport.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

namespace kntest {

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

class CFakeHost : public CHostServices {
public:
    QString appDir;
    QString userDir;
    QMap<QString, QVariant> values; // "scope|unit|subKey|name"
    QStringList log;                 // "category level text"
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
    int32_t GetAppDataBool(const QString&, const QString&, int32_t, int32_t d) override { return d; }
    QString GetAppDataString(const QString&, const QString&, int32_t, const QString& d) override {
        return d;
    }
};

// Calls received by the in-process plug-ins: "<module> <callback> <arguments...>".
QStringList& Calls();
QStringList TakeCalls();
// Adds an in-process plug-in with this module number (1, 4, 6 or 7).
void AddRecordingPlugin(CKernovaCore& core, int32_t module);
// What a recording plug-in answers to pre-translation (0: not handled).
void SetPreTranslateAnswer(int32_t module, int32_t answer);

class CoreFixture : public svctest::ServiceFixture {
protected:
    void SetUp() override;
    void TearDown() override;
    // Logs the core on as member a.
    void LogOnCore();
    // Waits until a recorded call starts with this text.
    bool WaitForCall(const QString& prefix, int ms = 5000);
    QStringList CallsStartingWith(const QString& prefix) const;

    QTemporaryDir m_home;
    CFakeHost host;
    std::unique_ptr<CKernovaCore> core;
};

} // namespace kntest
