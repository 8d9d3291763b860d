// Start-up time of Zelta on the offscreen platform with the real settings provider: from the
// process start to the first turn of its event loop (reported by a fixture module), and to the
// end of the process (the fixture ends the session at once).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool copyInto(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    return QFile::copy(from, to);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString out = QStringLiteral(ZELTA_OUT_DIR);
    const QString fixtures = QStringLiteral(ZELTA_TEST_DIR) + QStringLiteral("/fixtures/host/");

    QTemporaryDir prog, home;
    const QString root = prog.path() + u'/';
    const bool ready =
        copyInto(out + QStringLiteral("/Zelta"), root + QStringLiteral("Zelta")) &&
        copyInto(out + QStringLiteral("/lang/Japanese.so"),
                 root + QStringLiteral("lang/Japanese.so")) &&
        copyInto(out + QStringLiteral("/plugin/Settings.so"),
                 root + QStringLiteral("plugin/Settings.so")) &&
        copyInto(out + QStringLiteral("/appdata.ini"), root + QStringLiteral("appdata.ini")) &&
        copyInto(fixtures + QStringLiteral("FixtureCore.so"),
                 root + QStringLiteral("plugin/Zfix.so"));
    QFile cfg(root + QStringLiteral("plugin/Zfix.so.cfg"));
    if (!ready || !cfg.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot lay out the program directory (build Zelta, Settings, "
                             "Japanese and FixtureCore first)\n");
        return 1;
    }
    cfg.write("type=5\nannounce=1\nkillOnStart=1\n");
    cfg.close();
    QDir().mkpath(home.path() + QStringLiteral("/run"));
    QFile::setPermissions(home.path() + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path() + QStringLiteral("/run"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<double> startup, total;
    for (int i = 0; i < runs; ++i) {
        QProcess zelta;
        zelta.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        zelta.start(root + QStringLiteral("Zelta"), {});
        QByteArray text;
        double started = -1;
        while (zelta.waitForReadyRead(10000)) {
            text += zelta.readAllStandardOutput();
            if (text.contains("ZELTA-FIXTURE-STARTED")) {
                started = timer.nsecsElapsed() / 1e6;
                break;
            }
        }
        zelta.waitForFinished(10000);
        const double ended = timer.nsecsElapsed() / 1e6;
        if (started < 0 || zelta.exitCode() != 0) {
            std::fprintf(stderr, "run %d: Zelta did not start (exit %d)\n%s\n", i, zelta.exitCode(),
                         zelta.readAllStandardError().constData());
            return 1;
        }
        startup.push_back(started);
        total.push_back(ended);
    }
    std::printf("Zelta start-up (offscreen, settings provider, %d runs): median %.1f ms, "
                "min %.1f ms, max %.1f ms; start to exit: median %.1f ms\n",
                runs, median(startup), *std::min_element(startup.begin(), startup.end()),
                *std::max_element(startup.begin(), startup.end()), median(total));
    return 0;
}
