// Shared set-up of the message plug-in's end-to-end runs: the real program from the build's
// program folder with Letrix.zpm and the witness plug-in in its plug-in folder, the witness
// writing its steps into the run's folder and its pictures into the test artifacts.
#pragma once

#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QFile>
#include <QString>

inline QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/';
}
inline QString TestDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + u'/';
}

// Installs both plug-ins into run and returns the path of the witness's log; empty when a
// plug-in could not be copied.
inline QString InstallLetrixWithWitness(CZeltaRun& run) {
    const QString plugins = run.Root() + QStringLiteral("/prog/plugin/im/");
    if (!QFile::copy(OutDir() + QStringLiteral("plugin/im/Letrix.zpm"),
                     plugins + QStringLiteral("Letrix.zpm")) ||
        !QFile::copy(TestDir() + QStringLiteral("fixtures/letrix/LetrixWitness.zpm"),
                     plugins + QStringLiteral("LetrixWitness.zpm")))
        return {};
    const QString log = run.Root() + QStringLiteral("/witness.log");
    const QString shots = TestDir() + QStringLiteral("artifacts");
    QDir().mkpath(shots);
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_LOG"), log);
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_SHOTS"), shots);
    return log;
}
