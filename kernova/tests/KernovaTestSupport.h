// Shared by the core's tests: an in-memory host, in-process plug-ins that record every call
// they get, and a core on a fresh local service (members a to d, groups g1 and g2).
#pragma once

#include "kernova/CKernovaCore.h"
#include "kernova/service/tests/ServiceTestSupport.h"
#include "kernova/tests/CFakeHost.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

namespace kntest {

// A string the core handed out, or empty for a null pointer.
inline QString S16(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Calls received by the in-process plug-ins: "<module> <callback> <arguments...>".
QStringList& Calls();
QStringList TakeCalls();
// Adds an in-process plug-in with this module number (1, 4, 5, 6 or 7); only 5 exports the
// chat callbacks.
void AddRecordingPlugin(CKernovaCore& core, int32_t module);
// What a recording plug-in answers to pre-translation (0: not handled).
void SetPreTranslateAnswer(int32_t module, int32_t answer);
// Makes a recording plug-in throw out of IMCBK_OnLogon, as no plug-in may.
void SetThrowOnLogon(int32_t module, bool on);

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
