// The resident memory of the real program with the messaging core and Avalin.zpm, logged on
// with the IM window shown: read from /proc once the window lists the user's groups.
#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QtCore/qtestsupport_core.h>

#include <cstdio>

namespace {

// The Zelta process of this run: its program lies below the run's root.
qint64 ZeltaPid(const QString& root) {
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
        if (exe.startsWith(root) && exe.endsWith(QStringLiteral("/Zelta")))
            return pid.toLongLong();
    }
    return 0;
}

QString Status(qint64 pid, const char* field) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(field))
            return QString::fromLatin1(line.mid(qstrlen(field))).simplified();
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QString out =
        qEnvironmentVariable("ZELTA_OUT_DIR",
                             QCoreApplication::applicationDirPath() + u"/../out"_qs) +
        u'/';
    const QString tests = out + u"../tests/"_qs;
    CZeltaRun run(out, tests + u"fixtures/im/Probe.zpm"_qs);
    if (!run.SetupError().isEmpty()) {
        std::printf("set-up failed: %s\n", qPrintable(run.SetupError()));
        return 1;
    }
    const QString plugins = run.Root() + u"/prog/plugin/im/"_qs;
    for (const QString& file :
         {u"Avalin.zpm"_qs, u"AvalinH.so"_qs, u"Preset.zin"_qs, u"status.bmp"_qs})
        QFile::copy(out + u"plugin/im/"_qs + file, plugins + file);
    run.Env().insert(u"ZELTA_PROBE_MODULE"_qs, u"9"_qs);
    if (!run.Start()) {
        std::printf("Zelta did not start\n");
        return 1;
    }
    if (run.WaitForProbe({u"OnLogon"_qs}, 30000).isEmpty()) {
        std::printf("no log-on within 30 s\n");
        return 1;
    }
    QTest::qWait(3000); // the window settles: tree built, images loaded
    const qint64 pid = ZeltaPid(run.Root());
    std::printf(
        "Zelta logged on with the IM window shown: VmRSS %s, VmHWM %s (goal: under 80 MB)\n",
        qPrintable(Status(pid, "VmRSS:")), qPrintable(Status(pid, "VmHWM:")));
    return 0;
}
