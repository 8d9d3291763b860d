#include "host/tests/HostTestSupport.h"

#include "obrix/ZeltaPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace {
QMutex s_mutex;
QStringList s_events;
} // namespace

// Fixture modules find this through the program's exported symbols.
ZELTA_C_EXPORT void ZeltaFixtureRecord(const char* module, const char* event) {
    QMutexLocker lock(&s_mutex);
    s_events.append(QString::fromUtf8(module) + u' ' + QString::fromUtf8(event));
}

QStringList TakeFixtureEvents() {
    QMutexLocker lock(&s_mutex);
    return std::exchange(s_events, {});
}

QStringList EventsStartingWith(const QStringList& events, const QString& prefix) {
    QStringList out;
    for (const QString& e : events) {
        const qsizetype space = e.indexOf(u' ');
        if (space >= 0 && QStringView(e).mid(space + 1).startsWith(prefix))
            out.append(e);
    }
    return out;
}

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR", QStringLiteral(ZELTA_OUT_DIR_DEFAULT));
}

QString FixtureDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR", QStringLiteral(ZELTA_TEST_DIR_DEFAULT)) +
           QStringLiteral("/fixtures/host");
}

CTestProgramDir::CTestProgramDir() {
    QDir().mkpath(PluginDir());
}

bool CTestProgramDir::AddFixture(const QString& fixture, const QString& asName,
                                 const QStringList& config) {
    // A copy, not a link: the loader must see distinct libraries, each with its own state.
    const QString target = PluginDir() + asName;
    if (!QFile::copy(FixtureDir() + u'/' + fixture + QStringLiteral(".so"), target))
        return false;
    QFile cfg(target + QStringLiteral(".cfg"));
    if (!cfg.open(QIODevice::WriteOnly))
        return false;
    cfg.write(config.join(u'\n').toUtf8());
    return true;
}

bool CTestProgramDir::AddFromOut(const QString& relativePath) {
    const QString target = Root() + relativePath;
    QDir().mkpath(QFileInfo(target).absolutePath());
    return QFile::copy(OutDir() + u'/' + relativePath, target);
}
